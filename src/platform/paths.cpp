#include "platform/paths.h"

namespace qv {

namespace {
size_t LastSeparator(const std::wstring& path) {
    return path.find_last_of(L"\\/");
}
} // namespace

std::wstring FolderOf(const std::wstring& path) {
    size_t cut = LastSeparator(path);
    if (cut == std::wstring::npos) {
        // "C:name" is relative to drive C's current folder; keep the drive
        if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
        return L"";
    }
    bool root = cut == 0 || (cut == 2 && path[1] == L':');
    return path.substr(0, root ? cut + 1 : cut);
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t cut = LastSeparator(path);
    if (cut == std::wstring::npos) {
        if (path.size() >= 2 && path[1] == L':') return path.substr(2);
        return path;
    }
    return path.substr(cut + 1);
}

std::wstring ExtensionOf(const std::wstring& path) {
    std::wstring name = FileNameOf(path);
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

std::wstring StemOf(const std::wstring& path) {
    std::wstring name = FileNameOf(path);
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

bool IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    if (path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/'))
        return true; // UNC
#ifndef _WIN32
    if (!path.empty() && path[0] == L'/') return true;
#endif
    return false;
}

} // namespace qv
