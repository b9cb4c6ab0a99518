#include "image/edit_commit.h"

#include <cstring>
#include <utility>

#include "image/result_image.h"
#include "model/ui_strings.h"

namespace qv {

namespace {

bool MaskFits(const SelectionMask& mask, const ImageBuffer& image) {
    return HasSelectionMask(mask) && mask.width == image.header.biWidth && mask.height == image.header.biHeight;
}

} // namespace

uint32_t CommitRecordedEdit(ImageSession* s, ImageBuffer* result, const RecordedEdit& edit,
                            const ImageSessionHooks& hooks, int32_t* saveFormat) {
    if (!HasCurrentImage(*s) || !result->pixels) return 0;
    const SelectionMask& mask = s->mask;
    LargeBlock newMask;
    uint32_t maskBytes = 0;
    if (edit.newMask) {
        if (SelectionMaskBytes(result->header.biWidth, result->header.biHeight, &maskBytes))
            newMask.reset(static_cast<uint8_t*>(AllocLargeBlock(maskBytes)));
        if (!newMask) return kStrOutOfMemory;
        std::memcpy(newMask.get(), edit.newMask, maskBytes - 4);
    }
    std::wstring before, after;
    if (s->history.nodes.empty() && !WriteNewSnapshot(s->history, s->current, s->pendingRotation,
                                                      MaskFits(mask, s->current) ? mask.bytes.get() : nullptr, &before))
        return kStrHistoryNotWritten;
    const uint8_t* keptMask = !edit.sizeChanged && MaskFits(mask, *result) ? mask.bytes.get() : nullptr;
    if (newMask) keptMask = newMask.get();
    if (!WriteNewSnapshot(s->history, *result, edit.pendingRotation, keptMask, &after)) {
        if (!before.empty()) DeleteFilePath(before.c_str());
        return kStrHistoryNotWritten;
    }
    if (!before.empty()) AppendHistoryStep(&s->history, &s->edits, std::move(before), edit.uneditedLabel);
    AppendHistoryStep(&s->history, &s->edits, std::move(after), edit.label);
    CommitImage(s, result, edit.sizeChanged || newMask, hooks, saveFormat);
    DiscardResult(s);
    s->pendingRotation = edit.pendingRotation;
    // a mask the view cannot show is no mask (SetSelectionMask drops it)
    if (newMask) SetSelectionMask(&s->mask, std::move(newMask), s->current);
    return 0;
}

EditStep RestoreEditStep(ImageSession* s, int32_t target, const ImageSessionHooks& hooks, int32_t* saveFormat) {
    if (!HasCurrentImage(*s) || target < 0 || target >= static_cast<int32_t>(s->history.nodes.size()))
        return EditStep::None;
    RestoredSnapshot restored;
    if (ReadSnapshotFile(s->history.nodes[static_cast<size_t>(target)].path, s->current, &restored) !=
        SnapshotStatus::Ok)
        return EditStep::Unreadable;
    MoveEditPosition(&s->edits, target);
    s->pendingRotation = restored.header.pendingRotation;
    s->info = LoadInfo{};
    // the step brings its own mask, or none: the current one never survives a restore
    CommitImage(s, &restored.image, true, hooks, saveFormat);
    DiscardResult(s);
    if (restored.mask) SetSelectionMask(&s->mask, std::move(restored.mask), s->current);
    return EditStep::Restored;
}

} // namespace qv
