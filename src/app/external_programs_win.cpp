// Starting an external program on the current file. Full screen and always-on-top are given up
// first so that the program's window can come to the front.
#include "app/external_programs_win.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "app/app_state_win.h"
#include "app/external_programs.h"
#include "model/command_ids.h"
#include "ui/language_module_win.h"
#include "viewer/display_modes_win.h"

namespace qv {

namespace {

constexpr uint32_t kErrorProgramNotStarted = 30009;

void LeaveTopMost() {
    if (!g_app.settings.Top) return;
    g_app.settings.Top = false;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(g_app.viewWindow, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (g_app.displayMode == DisplayMode::SubWindow && g_app.subWindow)
        SetWindowPos(g_app.subWindow, HWND_TOP, 0, 0, 0, 0, flags);
}

ExternalProgramTarget CurrentTarget(const std::wstring& program) {
    ExternalProgramTarget t;
    DWORD binaryType = 0;
    t.isExecutable = !program.empty() && GetBinaryTypeW(program.c_str(), &binaryType);
    const ImageSession& session = g_app.session;
    if (!HasCurrentImage(session)) return t;
    const FileList& list = session.list;
    t.currentPath = list.currentPath;
    t.fromArchive = list.sourceKind != kSourceFolder;
    if (t.fromArchive && HasList(list) && list.current < list.count) t.memberKey = list.entries[list.current].key;
    return t;
}

} // namespace

bool HandleExternalProgramCommand(int32_t command) {
    int32_t n = command - kCmdExternalProgramFirst;
    if (n < 0 || n >= kExternalProgramCount) return false;
    if (g_app.displayMode == DisplayMode::FullScreen) LeaveFullScreen();
    LeaveTopMost();
    const std::wstring& program = g_app.settings.APP[n];
    std::wstring parameters = ExternalProgramParameters(program, CurrentTarget(program));
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = CurrentMainWindow();
    info.lpFile = program.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOW;
    if (program.empty() || !ShellExecuteExW(&info)) ErrorBox(CurrentMainWindow(), kErrorProgramNotStarted);
    return true;
}

} // namespace qv
