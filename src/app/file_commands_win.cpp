#include "app/file_commands_win.h"

#include <commdlg.h>

#include "app/app_state.h"
#include "app/command_ids.h"
#include "app/language_module.h"
#include "app/open_filter.h"
#include "app/ui_strings.h"
#include "image/save_commands_win.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "viewer/animation_win.h"
#include "viewer/display_modes.h"
#include "viewer/hover_win.h"
#include "viewer/view_window.h"

namespace qv {

namespace {

void BeginLoad(void*) {
    // a preview belongs to the image it was made from: a new image must never be saved from it
    DiscardPreview(&g_app.preview);
    FreeImagePixels(&g_app.session.result);
    SetWindowTextW(CurrentMainWindow(), UiText(kStrLoadingTitle).c_str());
    SetCursor(g_app.waitCursor);
}

void StopAnimation(void*) {
    StopAnimationTimer();
}

void EndLoad(void*) {
    ShowLoadedImage();
    RestartAnimation();
    FileList& list = g_app.session.list;
    // the open dialog starts where the last shown file (or its archive) lies
    if (HasCurrentImage(g_app.session) && !list.currentPath.empty()) {
        std::wstring folder = FolderOf(list.currentPath);
        if (!folder.empty()) g_app.settings.Open = folder;
    }
    // listed after the picture is up, so a large folder does not hold it back
    if (list.rebuildAfterDisplay) {
        list.rebuildAfterDisplay = false;
        RebuildFromFolder(&list);
        SyncListWindow();
    }
    SetCursor(g_app.arrowCursor);
}

bool ShowOpenDialog(std::wstring* chosen) {
    std::wstring filter = BuildOpenFilter(UiText, GetSourceHooks().listRar != nullptr,
                                          GetSourceHooks().pluginPatterns ? GetSourceHooks().pluginPatterns()
                                                                          : std::vector<std::wstring>{});
    wchar_t file[MAX_PATH] = {};
    const std::wstring& folder = IsDirectory(g_app.settings.Open.c_str()) ? g_app.settings.Open : g_app.documentsFolder;
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

bool StepTo(Navigate where) {
    uint32_t index = 0;
    if (!NavigationTarget(g_app.session.list, where, &index)) return true;
    if (!AskUnsavedChanges()) return true;
    OpenImageIndex(index);
    if (g_app.displayMode == DisplayMode::FullScreen) HideCursorAfterStep();
    return true;
}

} // namespace

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
    const Settings& s = g_app.settings;
    OpenImageOptions o;
    o.load.gamma = s.Gamma;
    o.load.displayGamma = s.DispGam;
    o.load.alpha = s.Alpha;
    o.load.fileBackground = s.FBG;
    o.load.background = s.BGColor;
    o.load.autoRotate = s.AutoRot;
    o.saveFormat = &g_app.settings.Format;
    return o;
}

void OpenImageFromPath(const std::wstring& path, const int32_t* key) {
    OpenImage(&g_app.session, path, key, CurrentOpenOptions(), WindowSessionHooks());
}

void OpenImageIndex(uint32_t index) {
    OpenImageAt(&g_app.session, index, CurrentOpenOptions(), WindowSessionHooks());
}

bool AskUnsavedChanges() {
    if (g_app.displayMode != DisplayMode::SubWindow && g_app.settings.AskSaveOnlyInSubWindow) return true;
    if (!IsModified(g_app.session.edits)) return true;
    const std::wstring& name = g_app.session.list.currentName;
    int answer = MessageBoxW(CurrentMainWindow(), UiText(kStrUnsavedChanges).c_str(),
                             name.empty() ? L"Quorvel" : name.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return false;
    if (answer == IDYES) return RunSaveAsDialog();
    return true;
}

void PollFolderOnActivation() {
    Activation activation = OnActivation(&g_app.session.list, HasCurrentImage(g_app.session));
    SyncListWindow(); // a changed folder was listed again
    if (activation != Activation::AskReload) return;
    const std::wstring& name = g_app.session.list.currentName;
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
        FileList& list = g_app.session.list;
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
