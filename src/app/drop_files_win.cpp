// Dropped files: one question about unsaved changes for the whole drop, the first file here and
// one new process per further file, as several paths on the command line give.
#include "app/drop_files_win.h"

#include <string>
#include <vector>

#include "app/startup_win.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "sources/extension_class.h"
#include "viewer/file_commands_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

std::vector<std::wstring> DroppedPaths(HDROP drop) {
    std::vector<std::wstring> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(std::move(path));
    }
    return paths;
}

// The file a dropped path stands for: a shortcut's target; empty for a folder, a missing file or
// a shortcut that leads nowhere, which are not opened.
std::wstring OpenableFile(const std::wstring& dropped) {
    std::wstring path = FullPathOf(dropped);
    if (EndsWithIgnoreAsciiCase(path, L".lnk") && !ResolveShortcutTarget(FullPathOf(dropped), &path)) return {};
    if (!PathExists(path.c_str()) || IsDirectory(path.c_str())) return {};
    return FullPathOf(path);
}

} // namespace

void OpenDroppedFiles(HDROP drop) {
    std::vector<std::wstring> paths = DroppedPaths(drop);
    DragFinish(drop);
    // A modal dialog (save, About, history) has the main window disabled; a drop that reached the
    // list window would change the image under it, as a forwarded request would.
    HWND main = CurrentMainWindow();
    if (main && !IsWindowEnabled(main)) return;
    if (paths.empty() || !AskUnsavedChanges()) return;
    SetForegroundWindow(CurrentMainWindow());
    std::wstring first = OpenableFile(paths.front());
    if (!first.empty()) OpenImageFromPath(first, nullptr);
    // a folder among the others would only open an empty window
    std::vector<std::wstring> others;
    for (size_t i = 1; i < paths.size(); ++i)
        if (!IsDirectory(paths[i].c_str())) others.push_back(FullPathOf(paths[i]));
    StartViewerProcesses(others);
}

} // namespace qv
