// The accelerator table built at start-up from the stored keys or the defaults. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace qv {

// `stored` is slot 30's blob (empty: the defaults).
HACCEL BuildAcceleratorTable(const std::string& stored);

} // namespace qv
