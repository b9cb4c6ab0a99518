#include "viewer/file_commands_win.h"

#include <commdlg.h>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "sources/rar_access.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/animation_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/hover_win.h"
#include "viewer/open_filter.h"
#include "viewer/save_commands_win.h"
#include "viewer/sub_hooks_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

void BeginLoad(void*) {
    SetWindowTextW(CurrentMainWindow(), UiText(kStrLoadingTitle).c_str());
    SetCursor(Ui().waitCursor);
}

void StopAnimation(void*) {
    StopAnimationTimer();
}

void EndLoad(void*) {
    ShowLoadedImage();
    RestartAnimation();
    FileList& list = g_session.list;
    // the open dialog starts where the last shown file (or its archive) lies
    if (HasCurrentImage(g_session) && !list.currentPath.empty()) {
        std::wstring folder = FolderOf(list.currentPath);
        if (!folder.empty()) g_settings.Open = folder;
    }
    // listed after the picture is up, so a large folder does not hold it back
    if (list.rebuildAfterDisplay) {
        list.rebuildAfterDisplay = false;
        RebuildFromFolder(&list);
        SyncListWindow();
    }
    SetCursor(Ui().arrowCursor);
}

bool StepTo(Navigate where) {
    uint32_t index = 0;
    if (!NavigationTarget(g_session.list, where, &index)) return true;
    if (!AskUnsavedChanges()) return true;
    OpenImageIndex(index);
    if (CurrentDisplayMode() == DisplayMode::FullScreen) HideCursorAfterStep();
    return true;
}

} // namespace

bool ShowOpenDialog(std::wstring* chosen) {
    std::wstring filter =
        BuildOpenFilter(UiText, RarLibraryPresent(),
                        GetSourceHooks().pluginPatterns ? GetSourceHooks().pluginPatterns(kPluginPatternsAll)
                                                        : std::vector<std::wstring>{});
    wchar_t file[MAX_PATH] = {};
    const std::wstring& folder = IsDirectory(g_settings.Open.c_str()) ? g_settings.Open : Ui().documentsFolder;
    OPENFILENAMEW ofn{sizeof ofn};
    ofn.hwndOwner = CurrentMainWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return false;
    *chosen = FullPathOf(file);
    return true;
}

const ImageSessionHooks& WindowSessionHooks() {
    static ImageSessionHooks hooks = [] {
        ImageSessionHooks h;
        h.beginLoad = BeginLoad;
        h.stopAnimation = StopAnimation;
        h.endLoad = EndLoad;
        return h;
    }();
    return hooks;
}

OpenImageOptions CurrentOpenOptions() {
    OpenImageOptions o;
    o.load = LoadOptionsFrom(g_settings);
    o.saveFormat = &g_settings.Format;
    return o;
}

void OpenImageFromPath(const std::wstring& path, const int32_t* key) {
    CancelOpenTool(); // its working copy belongs to the image that goes
    OpenImage(&g_session, path, key, CurrentOpenOptions(), WindowSessionHooks());
}

void OpenImageIndex(uint32_t index) {
    CancelOpenTool();
    OpenImageAt(&g_session, index, CurrentOpenOptions(), WindowSessionHooks());
}

bool AskUnsavedChanges() {
    if (CurrentDisplayMode() != DisplayMode::SubWindow && g_settings.AskSaveOnlyInSubWindow) return true;
    if (!IsModified(g_session.edits)) return true;
    const std::wstring& name = g_session.list.currentName;
    int answer = MessageBoxW(CurrentMainWindow(), UiText(kStrUnsavedChanges).c_str(),
                             name.empty() ? L"Quorvel" : name.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return false;
    if (answer == IDYES) return RunSaveAsDialog();
    return true;
}

void PollFolderOnActivation() {
    Activation activation = OnActivation(&g_session.list, HasCurrentImage(g_session));
    SyncListWindow(); // a changed folder was listed again
    if (activation != Activation::AskReload) return;
    const std::wstring& name = g_session.list.currentName;
    if (MessageBoxW(CurrentMainWindow(), UiText(kStrReloadQuestion).c_str(), name.c_str(),
                    MB_YESNO | MB_ICONQUESTION) == IDYES)
        RunCommand(kCmdReload);
}

bool HandleFileCommand(int32_t command) {
    switch (command) {
    case kCmdOpen: {
        if (!AskUnsavedChanges()) return true;
        std::wstring path;
        if (ShowOpenDialog(&path)) OpenImageFromPath(path, nullptr);
        return true;
    }
    case kCmdReload: {
        FileList& list = g_session.list;
        if (list.currentPath.empty() || !AskUnsavedChanges()) return true;
        if (list.sourceKind != kSourceFolder && HasList(list))
            OpenImageIndex(list.current);
        else
            OpenImageFromPath(list.currentPath, nullptr);
        return true;
    }
    case kCmdFirstImage: return StepTo(Navigate::First);
    case kCmdLastImage: return StepTo(Navigate::Last);
    case kCmdPreviousImage: return StepTo(Navigate::Previous);
    case kCmdNextImage: return StepTo(Navigate::Next);
    default: return false;
    }
}

} // namespace qv
