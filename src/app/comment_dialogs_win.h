// The comment editor (5040), the PNG text list (5041, the JPEG's EXIF dialog otherwise) and the
// save comment (5890). Windows only.
#pragma once

#include <cstdint>

namespace qv {

bool HandleCommentCommand(int32_t command);

} // namespace qv
