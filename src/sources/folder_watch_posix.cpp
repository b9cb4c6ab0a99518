#include "sources/folder_watch.h"

#include "platform/platform.h"

namespace qv {

namespace {

class PolledFolderWatch : public FolderWatch {
public:
    bool Arm(const std::wstring& folder) override {
        folder_ = folder;
        armed_ = GetFileFacts(folder_.c_str(), nullptr, &stamp_);
        return armed_;
    }
    bool Fired() override {
        if (!armed_) return false;
        FILETIME now{};
        // A folder that vanished has changed as well.
        if (!GetFileFacts(folder_.c_str(), nullptr, &now)) return true;
        return now.dwLowDateTime != stamp_.dwLowDateTime || now.dwHighDateTime != stamp_.dwHighDateTime;
    }
    void Close() override { armed_ = false; }

private:
    std::wstring folder_;
    FILETIME stamp_{};
    bool armed_ = false;
};

} // namespace

std::unique_ptr<FolderWatch> CreateFolderWatch() {
    return std::make_unique<PolledFolderWatch>();
}

} // namespace qv
