#include "tools/selection_session.h"

#include <cstring>

#include "tools/mask_feather.h"
#include "tools/selection_outline.h"

namespace qv {

namespace {
// A change the tool made: it now has a mask of its own, and the state goes on the undo list.
uint32_t RecordChange(SelectionSession* s) {
    s->ownMask = true;
    return PushMaskState(&s->undo, s->mask.get()) ? 0 : kStrMaskStateNotWritten;
}
} // namespace

uint32_t OpenSelectionSession(SelectionSession* s, int32_t width, int32_t height, const uint8_t* currentMask,
                              const std::wstring& undoFolder) {
    s->width = width;
    s->height = height;
    size_t bytes = MaskBytes(*s);
    s->mask.reset(static_cast<uint8_t*>(AllocLargeBlock(bytes)));
    s->shape.reset(static_cast<uint8_t*>(AllocLargeBlock(bytes)));
    if (!s->mask || !s->shape) {
        s->mask.reset();
        s->shape.reset();
        return kStrSelectionCannotOpen;
    }
    if (currentMask != nullptr) std::memcpy(s->mask.get(), currentMask, bytes); // the block is zero-filled otherwise
    s->hadMask = currentMask != nullptr;
    s->ownMask = false;
    s->undo.folder = undoFolder;
    ResetMaskUndoList(&s->undo, bytes);
    s->openingStored = PushMaskState(&s->undo, s->mask.get());
    return s->openingStored ? 0 : kStrMaskStateNotWritten;
}

uint32_t FinishShape(SelectionSession* s, int32_t mode) {
    CombineShape(s->mask.get(), s->shape.get(), MaskBytes(*s), CombineRuleFor(mode, MaskExists(*s)));
    return RecordChange(s);
}

uint8_t StartBrushStroke(SelectionSession* s, int32_t mode) {
    return BeginBrushStroke(s->mask.get(), MaskBytes(*s), mode, MaskExists(*s));
}

uint32_t EndBrushStroke(SelectionSession* s) {
    return RecordChange(s);
}

uint32_t RunModeAction(SelectionSession* s, int32_t entry) {
    if (!IsModeAction(entry)) return 0;
    ApplyMaskOp(s->mask.get(), MaskBytes(*s),
                entry == kSelectAllProtected ? MaskOp::SetProtected : MaskOp::SetEditable);
    return RecordChange(s);
}

uint32_t InvertSelection(SelectionSession* s) {
    InvertMask(s->mask.get(), MaskBytes(*s));
    return RecordChange(s);
}

uint32_t FeatherSelection(SelectionSession* s, int32_t smooth, int threads) {
    if (!MaskExists(*s)) return 0;
    if (!FeatherMask(s->mask.get(), s->width, s->height, smooth, threads)) return kStrSelectionNoMemory;
    return RecordChange(s);
}

MaskStepResult UndoSelection(SelectionSession* s) {
    MaskStepResult r = StepMaskState(&s->undo, -1, s->mask.get());
    if (r == MaskStepResult::Moved && s->undo.position == 0 && s->openingStored) s->ownMask = false;
    return r;
}

MaskStepResult RedoSelection(SelectionSession* s) {
    MaskStepResult r = StepMaskState(&s->undo, +1, s->mask.get());
    if (r == MaskStepResult::Moved) s->ownMask = true;
    return r;
}

} // namespace qv
