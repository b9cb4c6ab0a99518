// Where the edit history stands against the last successful save. The image counts as modified
// while the two differ; the title's "*" and the unsaved-changes question ask this. Portable.
#pragma once

#include <cstdint>

namespace qv {

struct EditPosition {
    int32_t current = -1; // -1: no snapshot yet, the image as loaded
    int32_t saved = -1;   // the position at the last save; kSavedStateGone once it cannot come back
    int32_t count = 0;    // snapshots in the history
};

// No position ever equals this one: the saved state was cut off with the redo part.
constexpr int32_t kSavedStateGone = INT32_MIN;

inline bool IsModified(const EditPosition& p) {
    return p.current != p.saved;
}

// A new image (or a failed load): empty history, nothing to save.
void ResetEditPosition(EditPosition* p);
// A successful save of the image at the current position.
void MarkSaved(EditPosition* p);
// The unedited image becomes snapshot 0 of an empty history (before the first edit is recorded).
void RecordUneditedImage(EditPosition* p);
// An edit was committed: the redo part is dropped and the new snapshot becomes current.
void RecordEdit(EditPosition* p);
// Undo, redo and the history window: false (nothing moves) outside 0 .. count - 1.
bool MoveEditPosition(EditPosition* p, int32_t target);

} // namespace qv
