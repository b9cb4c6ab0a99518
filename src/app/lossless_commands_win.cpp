#include "app/lossless_commands_win.h"

#include "image/lossless_rotate.h"
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/save_commands_win.h"
#include "viewer/view_window_win.h"

namespace qv {

bool HandleLosslessCommand(int32_t command) {
    if (command != kCmdLosslessPending && command != kCmdLosslessTurnRight && command != kCmdLosslessTurnLeft)
        return false;
    ImageSession& s = g_session;
    if (!LosslessAvailable(s)) return true; // the command is disabled then
    HWND owner = CurrentMainWindow();
    const int32_t code = LosslessCommandCode(command, s.pendingRotation);
    if (code < 0) {
        ErrorBox(owner, kStrNotTransformed);
        return true;
    }
    // The file is reloaded afterwards, which would drop any edits.
    if (!AskUnsavedChanges()) return true;
    const std::wstring path = s.list.currentPath;
    // A read-only file is refused before anything is written: otherwise the Recycle Bin would take
    // it and a writable copy would stand in its place.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ErrorBox(owner, kStrNotTransformed);
        return true;
    }
    // the common save: a fresh file in the temporary folder, the old one to the Recycle Bin
    if (!SaveLosslessTurn(code)) {
        UpdateMainWindowTitle();
        return true;
    }
    if (HasList(s.list))
        OpenImageIndex(s.list.current);
    else
        OpenImageFromPath(path, nullptr);
    return true;
}

} // namespace qv
