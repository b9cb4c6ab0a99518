// The key-configuration dialog (template 3700): edits a copy of the configurable command table and,
// when confirmed with changes, rebuilds the accelerators and the menus. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "settings/accelerator_blob.h"

namespace qv {

// The table as the current accelerators give it (the defaults without a table).
std::vector<AccelEntry> CurrentCommandKeys();
// True when the user confirmed; `table` then holds the edited keys.
bool RunKeyConfigDialog(HWND owner, std::vector<AccelEntry>* table);
// Replaces the accelerator table by the entries that have a key, in table order, and rebuilds the
// menus so that their shortcut texts follow.
void ApplyCommandKeys(const std::vector<AccelEntry>& table);

} // namespace qv
