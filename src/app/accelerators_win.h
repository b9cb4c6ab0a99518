// The accelerator table built at start-up from the stored keys or the defaults. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace qv {

// `stored` is slot 30's blob (empty: the defaults).
HACCEL BuildAcceleratorTable(const std::string& stored);
// The table as slot 30 keeps it (at most 122 records).
std::string StoreAcceleratorTable(HACCEL table);

} // namespace qv
