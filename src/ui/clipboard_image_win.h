// The bitmap on the clipboard (a packed device-independent bitmap) as an image: for pasting it as
// the current image and for taking it as the compositing tool's overlay. Windows only.
#pragma once

#include <windows.h>

#include "model/image_buffer.h"

namespace qv {

// False, with `image` left without pixels, when the clipboard holds no bitmap or one the reader
// refuses (a top-down one among them).
bool ReadClipboardImage(HWND owner, ImageBuffer* image);

} // namespace qv
