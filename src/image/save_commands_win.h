// The save commands of the window layer: save as with its hooked dialog, save over the current
// file, the save preview and the save-option toggles. Windows only.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// Save as through the dialog; true when a file was saved.
bool RunSaveAsDialog();
// The common save to `target` with the current Format and options; shows its own messages.
bool SaveToPath(const std::wstring& target);
bool HandleSaveCommand(int32_t command);

} // namespace qv
