// Routing of command numbers to the subsystem that owns them, and the program's share of the main
// windows' messages, both handed to the viewer as its program hooks.
#include "app/commands_win.h"

#include "app/app_state_win.h"
#include "app/comment_dialogs_win.h"
#include "app/drop_files_win.h"
#include "app/exif_dialog_win.h"
#include "app/external_programs_win.h"
#include "app/help_about_win.h"
#include "app/lossless_commands_win.h"
#include "app/menus_win.h"
#include "app/options_dialog_win.h"
#include "app/startup_win.h"
#include "model/command_table.h"
#include "model/instance_request.h"
#include "model/settings.h"
#include "output/output_commands_win.h"
#include "platform/paths.h"
#include "tools/tool_window_win.h"
#include "viewer/arrange_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/hover_win.h"
#include "viewer/list_commands_win.h"
#include "viewer/save_commands_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

bool HandleShellCommand(int32_t command) {
    switch (command) {
    case kCmdClose:
        StopSlideshow();
        PostMessageW(ViewWindowHandle(), WM_CLOSE, 0, 0);
        return true;
    case kCmdMinimise: {
        HWND main = CurrentMainWindow();
        ShowWindow(main, IsIconic(main) ? SW_RESTORE : SW_MINIMIZE);
        return true;
    }
    default: return false;
    }
}

// The handler of each owner of the command table, in the order of CommandOwner; an owner whose
// subsystem has no handler yet stands as null.
// clang-format off
constexpr CommandHandler kOwnerHandlers[kCommandOwnerCount] = {
    nullptr,                      // None
    HandleShellCommand,           // Shell
    HandleDisplayCommand,         // Display
    HandleFileCommand,            // File
    HandleSaveCommand,            // Save
    HandleViewCommand,            // View
    HandleBackgroundCommand,      // Background
    HandleExifInfoCommand,        // ExifInfo
    HandleLosslessCommand,        // Lossless
    HandleListCommand,            // List
    HandleOptionsCommand,         // Options
    HandleArrangeCommand,         // Arrange
    HandleExternalProgramCommand, // External
    HandleHelpCommand,            // Help
    HandleWindowStyleCommand,     // WindowStyle
    HandleHistoryCommand,         // History
    HandleToolCommand,            // Tools
    HandleOutputCommand,          // Output
    HandleCommentCommand,         // Comments
};
// clang-format on

} // namespace

bool RunProgramCommand(int32_t command, CommandSource source) {
    if (ViewMouseDragging()) return false;
    if (source == CommandSource::Accelerator && command != kCmdMinimise && ViewWindowHandle() &&
        IsIconic(ViewWindowHandle()))
        return false;
    const CommandRow* row = FindCommand(command);
    if (!row) return false;
    // loads and other edits wait for the open tool; its own apply, cancel and undo go on
    if ((row->flags & kCommandWaitsForTool) && ToolIsOpen(g_session)) return false;
    CommandHandler handler = kOwnerHandlers[static_cast<int>(row->owner)];
    return handler && handler(command);
}

bool ProgramMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_CONTEXTMENU: OnContextMenuMessage(window, lParam); return true;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return OnAltKeyMessage(window, message, wParam, lParam);
    case WM_INITMENUPOPUP: InitMenuPopup(reinterpret_cast<HMENU>(wParam)); return false; // the default handling goes on
    case WM_MEASUREITEM:
        if (!MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return false;
        *result = TRUE;
        return true;
    case WM_DRAWITEM:
        if (!DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return false;
        *result = TRUE;
        return true;
    case WM_DROPFILES: OpenDroppedFiles(reinterpret_cast<HDROP>(wParam)); return true;
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        InstanceRequest request;
        if (data->dwData == kCopyDataInstanceRequest &&
            DecodeInstanceRequest(static_cast<const uint8_t*>(data->lpData), data->cbData, &request))
            HandleInstanceRequest(request);
        *result = TRUE;
        return true;
    }
    case WM_CLOSE:
        if (ShutDownFromClose(true)) DestroyWindow(window);
        return true;
    case WM_ENDSESSION:
        if (wParam && ShutDownFromClose(false)) DestroyWindow(window);
        return true;
    }
    return false;
}

void InstallProgramHooks() {
    SetOutputSettingsFolder(FolderOf(g_app.settingsPath));
    ProgramHooks hooks;
    hooks.runCommand = RunProgramCommand;
    hooks.windowMessage = ProgramMessage;
    hooks.menuPopup = MenuPopupOf;
    hooks.zoomPresetMenu = TrackZoomPresetMenu;
    SetProgramHooks(hooks);
}

} // namespace qv
