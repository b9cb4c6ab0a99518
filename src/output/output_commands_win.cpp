#include "output/output_commands_win.h"

#include <windows.h>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "output/clipboard_win.h"
#include "output/colour_count.h"
#include "output/file_delete.h"
#include "output/print_dialog_win.h"
#include "output/wallpaper_win.h"
#include "ui/language_module_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

std::wstring g_settingsFolder;

bool AskUnsaved(void*) {
    return AskUnsavedChanges();
}

RecycleResult RecycleWithQuestion(void*, const std::wstring& path) {
    return RecycleFile(path.c_str(), DeleteRecycleUi(g_settings.NoRecycMsg),
                       reinterpret_cast<intptr_t>(CurrentMainWindow()));
}

void DeleteFileCommand() {
    DeleteHooks hooks;
    hooks.askUnsavedChanges = AskUnsaved;
    hooks.recycle = RecycleWithQuestion;
    DeleteOutcome outcome = DeleteCurrentFile(&g_session, hooks, CurrentOpenOptions(), WindowSessionHooks());
    // the list window follows the list: one row fewer, the shown entry selected (or none)
    if (outcome == DeleteOutcome::OpenedNext || outcome == DeleteOutcome::Emptied) SyncListWindow();
}

void CountColoursCommand() {
    const ImageSession& session = g_session;
    if (!HasCurrentImage(session)) return;
    uint32_t count = CountImageColours(session.current);
    if (count == 0) {
        ErrorBox(CurrentMainWindow(), kStrCannotRead);
        return;
    }
    const std::wstring& name = session.list.currentName;
    std::wstring text = ColourCountText(UiText(kStrColourCount), count);
    MessageBoxW(CurrentMainWindow(), text.c_str(), name.empty() ? L"Quorvel" : name.c_str(), MB_ICONINFORMATION);
}

} // namespace

void SetOutputSettingsFolder(const std::wstring& folder) {
    g_settingsFolder = folder;
}

bool HandleOutputCommand(int32_t command) {
    switch (command) {
    case kCmdCopy: CopyImage(); return true;
    case kCmdCopyDisplayed: CopyView(); return true;
    case kCmdPaste: PasteImage(); return true;
    case kCmdFileOperation: DeleteFileCommand(); return true;
    case kCmdWallpaper: SetWallpaper(g_settingsFolder); return true;
    case kCmdPrint: PrintCommand(); return true;
    case kCmdCountColours: CountColoursCommand(); return true;
    default: return false;
    }
}

} // namespace qv
