#include "tools/mask_undo_list.h"

#include <cstring>

#include "platform/platform.h"

namespace qv {

MaskUndoList::~MaskUndoList() {
    ResetMaskUndoList(this, 0);
}

namespace {
void DropStatesAfter(MaskUndoList* list, int32_t position) {
    while (static_cast<int32_t>(list->files.size()) > position + 1) {
        DeleteFilePath(list->files.back().c_str());
        list->files.pop_back();
    }
}
} // namespace

void ResetMaskUndoList(MaskUndoList* list, size_t bytes) {
    DropStatesAfter(list, -1);
    list->position = -1;
    list->bytes = bytes;
}

bool PushMaskState(MaskUndoList* list, const uint8_t* mask) {
    DropStatesAfter(list, list->position);
    std::wstring path;
    if (!CreateTempFile(list->folder, &path)) return false;
    OutputFile out;
    bool written = out.Create(path.c_str()) && out.Write(mask, list->bytes);
    if (!out.Close() || !written) {
        DeleteFilePath(path.c_str());
        return false;
    }
    list->files.push_back(path);
    list->position = static_cast<int32_t>(list->files.size()) - 1;
    return true;
}

MaskStepResult StepMaskState(MaskUndoList* list, int32_t step, uint8_t* mask) {
    int64_t target = int64_t{list->position} + step;
    if (list->position < 0 || target < 0 || target >= static_cast<int64_t>(list->files.size()))
        return MaskStepResult::NoState;
    MappedFile file;
    if (!MapWholeFile(list->files[static_cast<size_t>(target)].c_str(), MapMode::ReadOnly, &file) ||
        file.size != list->bytes)
        return MaskStepResult::Unreadable;
    std::memcpy(mask, file.view, list->bytes);
    list->position = static_cast<int32_t>(target);
    return MaskStepResult::Moved;
}

} // namespace qv
