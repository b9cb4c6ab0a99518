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
// Rewrites the current plain JPEG file turned by rotation `code` through the common save (lossless
// format, every marker kept, no trimming); the caller reloads it on success.
bool SaveLosslessTurn(int32_t code);
bool HandleSaveCommand(int32_t command);

// The comment the next PNG and JPEG saves write (command 5890): on only with a text; the text
// stays while the flag is off, for the dialog to show again.
struct SaveComment {
    bool on = false;
    std::wstring text;
};
const SaveComment& CurrentSaveComment();
// A changed comment makes the save preview stale: its file and shown image go.
void SetSaveComment(bool on, const std::wstring& text);
// Forgets the save preview's file and drops its image from the SubWindow's second pane.
void DiscardSavePreview();

} // namespace qv
