// The area-selection tool's editing state while it is open: the mask being edited, the plane a
// finished shape is classed into, whether the tool has a mask of its own, and its undo list. The
// tool window owns one and calls:
//   open            OpenSelectionSession (with the current SelectionMask, if any)
//   shape released  Fill...Shape / FillSimilarColour into `shape`, then FinishShape
//   brush           StartBrushStroke on press, StampBrushLine on moves, EndBrushStroke on release
//   mode list 3, 4  RunModeAction;  invert  InvertSelection;  smooth edges OK  FeatherSelection
//   5115 / 5116     UndoSelection / RedoSelection
//   apply           SelectionApplyLabel(ownMask): non-zero makes `mask` the SelectionMask
// and after each change rebuilds the display copy (BuildMaskDisplay) and repaints. The functions
// return 0 or the number of the message to show; the change itself stays either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "tools/mask_undo_list.h"
#include "tools/selection_kernel.h"

namespace qv {

constexpr uint32_t kStrSelectionNoMemory = 30001;   // no temporary plane for feathering
constexpr uint32_t kStrSelectionCannotOpen = 30003; // no memory for the tool's planes

struct SelectionSession {
    int32_t width = 0;
    int32_t height = 0;
    LargeBlock mask;            // the mask being edited, width x height
    LargeBlock shape;           // the inside plane of the shape being finished
    bool hadMask = false;       // a mask was current when the tool opened
    bool ownMask = false;       // the tool has drawn, loaded or redone a mask of its own
    bool openingStored = false; // the undo list's first state is the mask as the tool found it
    MaskUndoList undo;
};

inline size_t MaskBytes(const SelectionSession& s) {
    return static_cast<size_t>(static_cast<uint32_t>(s.width)) * static_cast<uint32_t>(s.height);
}
// What the combine table calls "a mask exists".
inline bool MaskExists(const SelectionSession& s) {
    return s.hadMask || s.ownMask;
}

// Copies `currentMask` (null: no mask yet, an all-editable plane) and records it as the first
// state. 30003 when the planes cannot be allocated (nothing is kept); 30012 when the first state
// cannot be written (the tool still opens, and undo then stops at the first shape).
uint32_t OpenSelectionSession(SelectionSession* s, int32_t width, int32_t height, const uint8_t* currentMask,
                              const std::wstring& undoFolder = L"");

// Combines `shape` with the mask in `mode`; the tool then has a mask of its own. 0 or 30012.
uint32_t FinishShape(SelectionSession* s, int32_t mode);

// The value the brush paints; resets the mask as the combine table says for a new stroke.
uint8_t StartBrushStroke(SelectionSession* s, int32_t mode);
uint32_t EndBrushStroke(SelectionSession* s);

// Entries 3 (all editable) and 4 (all protected) of the mode list; other entries do nothing.
uint32_t RunModeAction(SelectionSession* s, int32_t entry);

// Invert counts as a mask of the tool's own, so Apply keeps it: without a mask it protects all.
uint32_t InvertSelection(SelectionSession* s);

// Feathers with AreSmooth `smooth`; without any mask there is nothing to soften and nothing
// happens. 30001 (mask unchanged) when the temporary plane cannot be allocated, or 30012.
uint32_t FeatherSelection(SelectionSession* s, int32_t smooth, int threads = 1);

// Undo back to the mask as the tool found it also forgets the tool's own mask; redo regains it.
// Unreadable leaves the mask and the position as they were (message 30013).
MaskStepResult UndoSelection(SelectionSession* s);
MaskStepResult RedoSelection(SelectionSession* s);

} // namespace qv
