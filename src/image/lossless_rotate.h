// The lossless turns of the current JPEG file (commands 5014, 5020, 5021): which rotation code a
// command asks for and when the commands are offered. The file itself is rewritten by the common
// save with the lossless format (save_pipeline.h, LosslessTurnOptions). Portable.
#pragma once

#include <cstdint>
#include <string>

#include "image/open_image.h"

namespace qv {

// The code after turning an image that already carries `pending` by the quarter turn `turn`
// (kTurn90, kTurn180, kTurn270); -1 when the combination is no single code.
int32_t ComposePendingTurn(int32_t pending, int32_t turn);

// The rotation code relative to the file that the command writes: 5014 makes the pending rotation
// permanent, 5020 and 5021 turn what is shown by 90 degrees clockwise or counter-clockwise.
// -1 for other commands or when the result is no single code.
int32_t LosslessCommandCode(int32_t command, int32_t pending);

// Offered only for a current image decoded from a plain JPEG file.
bool LosslessAvailable(const ImageSession& session);

} // namespace qv
