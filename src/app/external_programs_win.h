// Commands 5420-5427: hand the current file to external program n. Windows only.
#pragma once

#include <cstdint>

namespace qv {

bool HandleExternalProgramCommand(int32_t command);

} // namespace qv
