// The immediate turns and flips (commands 5150-5154): no window and no preview. The command
// handler calls ImmediateTurn on the GUI thread and commits the result through the common commit
// path with the size-changed flag and the command as the history label.
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"

namespace qv {

// The turn or flip code (image_turn.h) of commands 5150-5154; kTurnNone for any other command.
int32_t ImmediateTurnCode(int32_t command);

// Turns or flips `current` (8-bit kept 8-bit with its palette, or 24-bit) by `command` into
// `result`, described as an edit result (tool_result.h), its resolution turned with its axes.
// `*pendingRotation` follows the lossless rotation table; when no single code expresses the
// combination it stays as it was and the result no longer counts as a JPEG (sourceFormat BMP).
// Otherwise a JPEG stays a JPEG, so the lossless save can still undo the turn. False with
// `*status` on an unknown command, no memory or a size that does not fit; then `result` holds no
// pixels and `*pendingRotation` is unchanged.
bool ImmediateTurn(const ImageBuffer& current, int32_t command, int32_t* pendingRotation, ImageBuffer* result,
                   CodecStatus* status);

} // namespace qv
