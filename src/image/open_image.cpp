#include "image/open_image.h"

#include <cstring>

#include "image/load_pipeline.h"
#include "image/result_image.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "sources/extension_class.h"

namespace qv {

ImageSession g_session;

namespace {

void Call(void (*hook)(void*), const ImageSessionHooks& hooks) {
    if (hook) hook(hooks.context);
}

void ResetLoadInfo(LoadInfo* info) {
    *info = LoadInfo{};
}

// No current image: the empty view's size, no history, no mask.
void EmptyView(ImageSession* s, const ImageSessionHooks& hooks) {
    ClearEditHistory(&s->history, &s->edits);
    DropSelectionMask(&s->mask);
    Call(hooks.stopAnimation, hooks);
    FreeImagePixels(&s->current);
    FreeImagePixels(&s->staging);
    s->emptyWidth = kEmptyViewWidth;
    s->emptyHeight = kEmptyViewHeight;
}

void FailLoad(ImageSession* s, bool plainFile, const ImageSessionHooks& hooks) {
    EmptyView(s, hooks);
    s->lastLoadFailed = true;
    // a vanished file leaves nothing to reload or to step from
    if (plainFile && !s->list.currentPath.empty() && !PathExists(s->list.currentPath.c_str())) {
        s->list.currentPath.clear();
        s->list.currentName.clear();
        if (s->list.watch) s->list.watch->Close();
    }
}

void SucceedLoad(ImageSession* s, const OpenImageOptions& options, const ImageSessionHooks& hooks) {
    CommitImage(s, &s->staging, true, hooks, options.saveFormat);
    ClearEditHistory(&s->history, &s->edits);
    s->lastLoadFailed = false;
    s->pendingRotation = kTurnNone;
    s->emptyWidth = s->emptyHeight = 0;
    if (s->list.sourceKind == kSourceFolder) s->list.storedTime = s->current.fileTime;
    if (!BeginResult(s, ResultState::Rotation)) return;
    int32_t code = AutoRotate(s->current, s->info.orientation, options.load.autoRotate, &s->result);
    if (code != kTurnNone) {
        s->pendingRotation = code;
        CommitImage(s, &s->result, true, hooks, options.saveFormat);
    }
    EndResult(s);
}

} // namespace

void CommitImage(ImageSession* s, ImageBuffer* incoming, bool dropMask, const ImageSessionHooks& hooks,
                 int32_t* saveFormat) {
    ImageBuffer* current = &s->current;
    if (dropMask) DropSelectionMask(&s->mask);
    if (current->animation) Call(hooks.stopAnimation, hooks);
    FreeImagePixels(current);
    if (incoming->header.biBitCount != 24) std::memcpy(current->palette, incoming->palette, sizeof current->palette);
    current->pixels = incoming->pixels;
    incoming->pixels = nullptr;
    current->animation = incoming->animation;
    incoming->animation = nullptr;
    current->header = incoming->header;
    current->sourceBitDepth = incoming->sourceBitDepth;
    current->fileSize = incoming->fileSize;
    current->sourceFormat = incoming->sourceFormat;
    current->fileTime = incoming->fileTime;
    if (!dropMask) RedrawMaskDisplay(&s->mask, *current);
    if (saveFormat && *saveFormat == kSaveFormatJpegLossless && current->sourceFormat != kFormatJpeg)
        *saveFormat = kSaveFormatJpeg;
    s->transparentColour = false;
}

bool LoadFromPath(ImageSession* s, const std::wstring& path, const LoadOptions& options) {
    CodecStatus status = kCodecOk;
    return DecodeFile(path.c_str(), options, true, &s->staging, &s->info, &status);
}

bool LoadFromArchive(ImageSession* s, const LoadOptions& options) {
    LargeBlock bytes;
    uint32_t length = 0;
    if (!ExtractCurrentMember(s->list, &bytes, &length) || !bytes) return false;
    const FileEntry& entry = s->list.entries[s->list.current];
    std::wstring name(entry.name.c_str());
    CodecStatus status = kCodecOk;
    return DecodeMember(name.c_str(), bytes.get(), length, options, true, &s->staging, &s->info, &status);
}

void OpenImage(ImageSession* s, const std::wstring& path, const int32_t* key, const OpenImageOptions& options,
               const ImageSessionHooks& hooks) {
    Call(hooks.beginLoad, hooks);
    // a preview belongs to the image it was made from: a new image must never be saved from it
    DiscardResult(s);
    ResetLoadInfo(&s->info);
    bool ok = false, plainFile = true;
    if (ClassifyExtension(path) == 0 && OpenArchiveOrSelect(&s->list, path, key)) {
        plainFile = false;
        ok = LoadFromArchive(s, options.load);
        s->loadedFromPlainPath = false;
        // the member tried, loaded or not: a failure must not go on naming the previous image
        s->list.currentName = s->list.entries[s->list.current].name.c_str();
    } else {
        if (s->list.sourceKind != kSourceFolder) LeaveArchiveMode(&s->list);
        ok = LoadFromPath(s, path, options.load);
        s->loadedFromPlainPath = true;
        s->list.currentName = FileNameOf(path);
    }
    s->list.currentPath = path;
    if (ok) {
        SucceedLoad(s, options, hooks);
        // the folder is listed once the image is up, so a large folder does not delay the picture
        if (plainFile) s->list.rebuildAfterDisplay = true;
    } else {
        FailLoad(s, plainFile, hooks);
    }
    Call(hooks.endLoad, hooks);
}

void OpenImageAt(ImageSession* s, uint32_t index, const OpenImageOptions& options, const ImageSessionHooks& hooks) {
    if (!HasList(s->list)) return;
    Call(hooks.beginLoad, hooks);
    DiscardResult(s);
    ResetLoadInfo(&s->info);
    SelectIndex(&s->list, index);
    bool plainFile = s->list.sourceKind == kSourceFolder;
    bool ok;
    std::wstring name(s->list.entries[s->list.current].name.c_str());
    if (!plainFile) {
        ok = LoadFromArchive(s, options.load);
    } else {
        s->list.currentPath = PathOfEntry(s->list, s->list.current);
        ok = LoadFromPath(s, s->list.currentPath, options.load);
    }
    s->list.currentName = name;
    s->loadedFromPlainPath = false;
    if (ok)
        SucceedLoad(s, options, hooks);
    else
        FailLoad(s, plainFile, hooks);
    Call(hooks.endLoad, hooks);
}

void OpenPastedImage(ImageSession* s, ImageBuffer* pasted, const OpenImageOptions& options,
                     const ImageSessionHooks& hooks) {
    // the save preview shows the image it was made from: it must never stand in for the pasted one
    DiscardResult(s);
    ResetLoadInfo(&s->info);
    CommitImage(s, pasted, true, hooks, options.saveFormat);
    ClearEditHistory(&s->history, &s->edits);
    if (s->list.sourceKind != kSourceFolder) LeaveArchiveMode(&s->list);
    s->list.currentPath.clear();
    s->list.currentName.clear();
    s->list.rebuildAfterDisplay = false;
    s->loadedFromPlainPath = false;
    s->lastLoadFailed = false;
    s->pendingRotation = kTurnNone;
    s->emptyWidth = s->emptyHeight = 0;
    Call(hooks.endLoad, hooks);
}

void CloseDeletedImage(ImageSession* s, const ImageSessionHooks& hooks) {
    DiscardResult(s);
    ResetLoadInfo(&s->info);
    EmptyView(s, hooks);
    s->list.currentPath.clear();
    s->list.currentName.clear();
    s->loadedFromPlainPath = false;
    s->lastLoadFailed = false;
    s->pendingRotation = kTurnNone;
    Call(hooks.endLoad, hooks);
}

void FreeImageSession(ImageSession* s) {
    ClearEditHistory(&s->history, &s->edits);
    DropSelectionMask(&s->mask);
    FreeImagePixels(&s->staging);
    FreeImagePixels(&s->current);
    DiscardResult(s);
    FreeList(&s->list);
}

} // namespace qv
