#include <windows.h>

#include "sources/folder_watch.h"

namespace qv {

namespace {

class ChangeNotificationWatch : public FolderWatch {
public:
    ~ChangeNotificationWatch() override { Close(); }
    bool Arm(const std::wstring& folder) override {
        Close();
        handle_ = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
        return handle_ != INVALID_HANDLE_VALUE;
    }
    bool Fired() override {
        return handle_ != INVALID_HANDLE_VALUE && WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0;
    }
    void Close() override {
        if (handle_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

} // namespace

std::unique_ptr<FolderWatch> CreateFolderWatch() {
    return std::make_unique<ChangeNotificationWatch>();
}

} // namespace qv
