// The lossless turns of the current JPEG file (commands 5014, 5020, 5021). Windows only.
#pragma once

#include <cstdint>

namespace qv {

bool HandleLosslessCommand(int32_t command);

} // namespace qv
