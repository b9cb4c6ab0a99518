#include "output/file_delete.h"

#include "platform/ascii_case.h"

namespace qv {

namespace {

// The list entry of the deleted file; a list of another folder (or one that no longer holds the
// file) loses nothing.
bool SelectDeletedEntry(FileList* list, const std::wstring& path) {
    if (!HasList(*list) || list->sourceKind != kSourceFolder) return false;
    if (EqualsIgnoreAsciiCase(PathOfEntry(*list, list->current), path)) return true;
    for (uint32_t i = 0; i < list->count; ++i) {
        if (!EqualsIgnoreAsciiCase(PathOfEntry(*list, i), path)) continue;
        list->current = i;
        return true;
    }
    return false;
}

} // namespace

RecycleUi DeleteRecycleUi(bool noQuestion) {
    return noQuestion ? RecycleUi::Errors : RecycleUi::QuestionFirst;
}

DeleteOutcome DeleteCurrentFile(ImageSession* s, const DeleteHooks& hooks, const OpenImageOptions& options,
                                const ImageSessionHooks& sessionHooks) {
    FileList& list = s->list;
    if (list.sourceKind != kSourceFolder || list.currentPath.empty()) return DeleteOutcome::NotApplicable;
    if (hooks.askUnsavedChanges && !hooks.askUnsavedChanges(hooks.context)) return DeleteOutcome::Cancelled;
    const std::wstring path = list.currentPath;
    if (PathExists(path.c_str())) {
        RecycleResult result = hooks.recycle ? hooks.recycle(hooks.context, path) : RecycleFile(path.c_str());
        if (result != RecycleResult::Recycled) return DeleteOutcome::Kept;
    }
    if (SelectDeletedEntry(&list, path) && RemoveCurrent(&list)) {
        OpenImageAt(s, list.current, options, sessionHooks);
        return DeleteOutcome::OpenedNext;
    }
    CloseDeletedImage(s, sessionHooks);
    return DeleteOutcome::Emptied;
}

} // namespace qv
