// The EXIF information dialog (command 5041 for a JPEG image). Windows only.
#pragma once

#include <cstdint>

namespace qv {

// Answers 5041 when the current image is a JPEG that reported EXIF data; false otherwise, so
// that the PNG text list can take the command.
bool HandleExifInfoCommand(int32_t command);

} // namespace qv
