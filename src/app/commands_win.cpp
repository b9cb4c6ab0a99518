// Routing of command numbers to the subsystem that owns them.
#include "app/app_state_win.h"
#include "app/exif_dialog_win.h"
#include "app/external_programs_win.h"
#include "app/help_about_win.h"
#include "app/key_config_dialog_win.h"
#include "app/lossless_commands_win.h"
#include "model/command_ids.h"
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
    case kCmdClose: PostMessageW(g_app.viewWindow, WM_CLOSE, 0, 0); return true;
    case kCmdMinimise: {
        HWND main = CurrentMainWindow();
        ShowWindow(main, IsIconic(main) ? SW_RESTORE : SW_MINIMIZE);
        return true;
    }
    default: return false;
    }
}

// The viewer's zoom commands on the current surface.
bool HandleZoomCommand(int32_t command) {
    ViewGeometry& g = g_app.geometry;
    if (g.imageWidth <= 0) return false;
    const ViewSettings s = ViewSettingsFrom(g_app.settings);
    HWND window = BeginSurfaceFit(); // a pane's scroll bars must not shrink what Fit fits into
    SurfaceMetrics m = MeasureSurface(window, g_app.displayMode, s);
    if (!ApplyZoomCommand(&g, command, FitArea(g, s, m))) return false;
    if (g_app.displayMode == DisplayMode::ViewWindow && s.FitWin && !IsZoomed(window)) {
        ViewSize client;
        ViewRect r = FitWindowRect(g, s, m, &client);
        SetWindowPos(window, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        RECT c;
        GetClientRect(window, &c);
        SetViewClient(&g, c.right, c.bottom);
    }
    LayoutView(&g);
    UpdateMainWindowTitle();
    RepaintView();
    return true;
}

// Handlers in the order they are asked.
// clang-format off
// One handler per line, so that each subsystem's line stands alone.
// clang-format off
const CommandHandler kHandlers[] = {
    HandleDisplayCommand,
    HandleShellCommand,
    HandleFileCommand,
    HandleSaveCommand,
    HandleZoomCommand,
    HandleBackgroundCommand,
    HandleExifInfoCommand,
    HandleLosslessCommand,
    HandleListCommand,
    HandleKeyConfigCommand,
    HandleArrangeCommand,
    HandleExternalProgramCommand,
    HandleHelpCommand,
    HandleWindowStyleCommand,
    HandleHistoryCommand,
};
// clang-format on

} // namespace

int32_t MouseActionCommand(int32_t action) {
    switch (action) {
    case 0: return kCmdClose;
    case 1: return kCmdSubWindow;
    case 2: return kCmdFullScreen;
    case 3: return kCmdMinimise;
    default: return 0;
    }
}

HWND CurrentMainWindow() {
    return g_app.displayMode == DisplayMode::SubWindow && g_app.subWindow ? g_app.subWindow : g_app.viewWindow;
}

bool RunCommand(int32_t command, CommandSource source) {
    if (g_app.mouseDragging) return false;
    if (source == CommandSource::Accelerator && command != kCmdMinimise && g_app.viewWindow &&
        IsIconic(g_app.viewWindow))
        return false;
    for (CommandHandler handler : kHandlers)
        if (handler(command)) return true;
    return false;
}

bool RunCommandMessage(WPARAM wParam) {
    return RunCommand(LOWORD(wParam), HIWORD(wParam) == 1 ? CommandSource::Accelerator : CommandSource::Program);
}

} // namespace qv
