// The area-selection tool's own undo list: one temporary file ("tmp..." in the temporary folder)
// per mask state, holding the mask bytes and nothing else (width x height, the mask's own layout),
// and the position of the state on show. Undo and redo act on it while the tool is open; the files
// go when the list is cleared or destroyed, that is when the tool closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

constexpr uint32_t kStrMaskStateNotWritten = 30012;
constexpr uint32_t kStrMaskStateNotRead = 30013;

struct MaskUndoList {
    std::wstring folder; // where the state files go; empty: the system temporary folder
    size_t bytes = 0;    // every state is this many bytes
    std::vector<std::wstring> files;
    int32_t position = -1; // the state the mask shows; -1 before the first push

    MaskUndoList() = default;
    MaskUndoList(const MaskUndoList&) = delete;
    MaskUndoList& operator=(const MaskUndoList&) = delete;
    ~MaskUndoList();
};

// Deletes every state file and empties the list for masks of `bytes` bytes.
void ResetMaskUndoList(MaskUndoList* list, size_t bytes);

// Records `mask` as the new current state, dropping the states after the current one first.
// False (message 30012) when its file cannot be created or written; the list then stays as it was
// after the drop and no half-written file is left.
bool PushMaskState(MaskUndoList* list, const uint8_t* mask);

enum class MaskStepResult {
    Moved,      // `mask` holds the state at the new position
    NoState,    // nothing that way; nothing changed
    Unreadable, // message 30013: the file is missing, short or unreadable; nothing changed
};

// Undo (step -1) and redo (step +1). Only a complete read reaches `mask`.
MaskStepResult StepMaskState(MaskUndoList* list, int32_t step, uint8_t* mask);

} // namespace qv
