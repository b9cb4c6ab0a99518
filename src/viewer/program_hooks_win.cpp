#include "viewer/program_hooks_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

ProgramHooks g_hooks;

} // namespace

void SetProgramHooks(const ProgramHooks& hooks) {
    g_hooks = hooks;
}

bool RunCommand(int32_t command, CommandSource source) {
    return g_hooks.runCommand && g_hooks.runCommand(command, source);
}

bool RunCommandMessage(WPARAM wParam) {
    return RunCommand(LOWORD(wParam), HIWORD(wParam) == 1 ? CommandSource::Accelerator : CommandSource::Program);
}

bool ProgramWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    return g_hooks.windowMessage && g_hooks.windowMessage(window, message, wParam, lParam, result);
}

HMENU ProgramMenuPopup(int32_t number) {
    return g_hooks.menuPopup ? g_hooks.menuPopup(number) : nullptr;
}

void ShowZoomPresetMenu(HWND owner, POINT screen) {
    if (g_hooks.zoomPresetMenu) g_hooks.zoomPresetMenu(owner, screen);
}

} // namespace qv
