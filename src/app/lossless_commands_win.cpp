#include "app/lossless_commands_win.h"

#include "app/app_state.h"
#include "app/command_ids.h"
#include "app/file_commands_win.h"
#include "app/language_module.h"
#include "app/ui_strings.h"
#include "image/lossless_rotate.h"
#include "viewer/view_window.h"

namespace qv {

namespace {

constexpr uint32_t kMsgNotTransformed = 30004;

} // namespace

bool HandleLosslessCommand(int32_t command) {
    if (command != kCmdLosslessPending && command != kCmdLosslessTurnRight && command != kCmdLosslessTurnLeft)
        return false;
    ImageSession& s = g_app.session;
    if (!LosslessAvailable(s)) return true; // the command is disabled then
    HWND owner = CurrentMainWindow();
    const int32_t code = LosslessCommandCode(command, s.pendingRotation);
    if (code < 0) {
        ErrorBox(owner, kMsgNotTransformed);
        return true;
    }
    // The file is reloaded afterwards, which would drop any edits.
    if (!AskUnsavedChanges()) return true;
    const std::wstring path = s.list.currentPath;
    // Windows refuses to replace a read-only file; refuse it here too, before anything is written,
    // so that the outcome does not depend on who runs the program.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ErrorBox(owner, kMsgNotTransformed);
        return true;
    }
    SetWindowTextW(owner, UiText(kStrSavingTitle).c_str());
    SetCursor(g_app.waitCursor);
    const uint32_t message = LosslessRotateFile(path, s.list.storedTime, code);
    SetCursor(g_app.arrowCursor);
    if (message != 0) {
        UpdateMainWindowTitle();
        ErrorBox(owner, message);
        return true;
    }
    OpenImageFromPath(path, nullptr);
    return true;
}

} // namespace qv
