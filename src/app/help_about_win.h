// Help (5510) and the About box (5520). Windows only.
#pragma once

#include <cstdint>

namespace qv {

bool HandleHelpCommand(int32_t command);

} // namespace qv
