// Starting an external program on the current file. Full screen and always-on-top are given up
// first so that the program's window can come to the front.
#include "app/external_programs_win.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "app/external_programs.h"
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

void LeaveTopMost() {
    if (!g_settings.Top) return;
    g_settings.Top = false;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(ViewWindowHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (CurrentDisplayMode() == DisplayMode::SubWindow && SubWindowHandle())
        SetWindowPos(SubWindowHandle(), HWND_TOP, 0, 0, 0, 0, flags);
}

ExternalProgramTarget CurrentTarget(const std::wstring& program) {
    ExternalProgramTarget t;
    DWORD binaryType = 0;
    t.isExecutable = !program.empty() && GetBinaryTypeW(program.c_str(), &binaryType);
    const ImageSession& session = g_session;
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
    if (CurrentDisplayMode() == DisplayMode::FullScreen) LeaveFullScreen();
    LeaveTopMost();
    const std::wstring& program = g_settings.APP[n];
    std::wstring parameters = ExternalProgramParameters(program, CurrentTarget(program));
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = CurrentMainWindow();
    info.lpFile = program.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOW;
    if (program.empty() || !ShellExecuteExW(&info)) ErrorBox(CurrentMainWindow(), kStrProgramNotStarted);
    return true;
}

} // namespace qv
