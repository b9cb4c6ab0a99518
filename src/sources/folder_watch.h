// The folder change watch of the file list: armed on the listed folder, polled without waiting
// when the application becomes active. Only file-name changes count (files created, deleted or
// renamed), not writes to a file, and not subfolders.
#pragma once

#include <memory>
#include <string>

namespace qv {

class FolderWatch {
public:
    virtual ~FolderWatch() = default;
    virtual bool Arm(const std::wstring& folder) = 0; // replaces any earlier watch
    virtual bool Fired() = 0;                         // never waits
    virtual void Close() = 0;
};

// Windows: a change notification handle (folder_watch_win.cpp). Native: a poll of the folder's
// modification time, which creating, deleting and renaming files changes (folder_watch_posix.cpp).
std::unique_ptr<FolderWatch> CreateFolderWatch();

} // namespace qv
