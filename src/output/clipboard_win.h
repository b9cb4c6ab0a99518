// The clipboard commands: the current image or the view as displayed goes onto the clipboard as a
// packed device-independent bitmap, and a clipboard bitmap becomes a new unsaved image. Windows only.
#pragma once

namespace qv {

// The whole current image at its own depth.
void CopyImage();
// The part the current surface shows, at the size it is shown, as 24 bits.
void CopyView();
// After the unsaved-changes question; a clipboard without a bitmap, or with one the reader refuses
// (a top-down one among them), changes nothing.
void PasteImage();

} // namespace qv
