// The window side of an edit and of a step through the edit history: the message when a snapshot
// cannot be written or read, the wait cursor, and the image shown again as after a load (geometry,
// zoom field, title with its "*"). The tools' Apply, the immediate operations, undo, redo and the
// history window all come through here. Windows only.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"

namespace qv {

// Commits `result` as the edit of command `label` (also its history label's string number).
// False after showing 30012 when the history could not record it; the image is unchanged then.
// `newMask` (the area selection's Apply) becomes the selection mask with the edit.
bool CommitAndShowEdit(ImageBuffer* result, int32_t label, bool sizeChanged, int32_t pendingRotation,
                       const uint8_t* newMask = nullptr);

// Undo, redo and the history window: makes step `target` the current image. Shows 30013 when the
// step cannot be read back (everything stays as it was). Nothing while a tool is open.
void StepEditHistory(int32_t target);

} // namespace qv
