// The immediate edits that change pixel values in place (no window, no preview): one row each,
// command -> the whole operation on an image. Computed on the GUI thread on a copy of the current
// image, with the selection mask when it fits, and committed with the command as history label.
// Windows only.
#pragma once

#include <cstdint>

namespace qv {

// False when `command` is none of these edits.
bool RunImmediatePixelEdit(int32_t command);

} // namespace qv
