// The one road of an edit into the current image, and back out of it: a tool's Apply and the
// immediate operations commit through CommitRecordedEdit, undo, redo and the history window
// through RestoreEditStep. Both record or read the edit history (image/edit_history.h) so that
// the image, the history and the selection mask always agree. Portable; the window layer shows
// the returned message and repaints.
#pragma once

#include <cstdint>
#include <string>

#include "image/open_image.h"

namespace qv {

// What one committed edit records.
struct RecordedEdit {
    std::wstring label;          // the history label: the text of the edit's command
    std::wstring uneditedLabel;  // the label of the first step when the history is empty
    bool sizeChanged = false;    // the selection mask goes with the old size
    int32_t pendingRotation = 0; // the pending lossless rotation after the edit
    // The mask the edit makes current (the area selection's Apply), width x height of the
    // result; null keeps the current one (or drops it with the size). Recorded in the edit's
    // snapshot only: the unedited step keeps the mask it had.
    const uint8_t* newMask = nullptr;
};

// Makes `result` the current image and records it: when the history is empty, first a step of
// the image as it was, then the edit (any redo steps are dropped). Both snapshots are written
// before anything changes, so 30012 (a snapshot could not be written) leaves the image, the
// history and the mask as they were; so does 30001 when a new mask cannot be copied. The save
// preview goes; the result state is None after.
// Returns 0 or the message number.
uint32_t CommitRecordedEdit(ImageSession* session, ImageBuffer* result, const RecordedEdit& edit,
                            const ImageSessionHooks& hooks, int32_t* saveFormat);

enum class EditStep {
    None,       // nothing to do: no image, or the target is outside the history
    Restored,   // the step is the current image now
    Unreadable, // message 30013; everything is as it was
};

// Undo (target current - 1), redo (current + 1) and the history window (its entry k): reads
// step `target` back and commits it with its mask and pending rotation; the load facts are
// cleared, as the image is no longer the one the file described.
EditStep RestoreEditStep(ImageSession* session, int32_t target, const ImageSessionHooks& hooks, int32_t* saveFormat);

} // namespace qv
