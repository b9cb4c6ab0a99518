// The sort-order commands of the file list. Windows only.
#pragma once

#include <cstdint>

namespace qv {

// Sets the list's order and the stored setting together; false for numbers it does not own.
bool HandleListCommand(int32_t command);

} // namespace qv
