#include "common/plugin_support_win.h"

#include <cstring>

namespace qv {

int CopyPluginText(const char* text, char* buffer, int bufferLength) {
    if (!buffer || bufferLength <= 0) return 0;
    size_t length = std::strlen(text);
    if (length > static_cast<size_t>(bufferLength - 1)) length = static_cast<size_t>(bufferLength - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = 0;
    return static_cast<int>(length);
}

PluginSourceBytes::~PluginSourceBytes() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

int PluginSourceBytes::Open(const char* source, intptr_t offsetOrLength, unsigned int flags) {
    if (!source || offsetOrLength < 0) return kPluginCannotRead;
    if ((flags & kPluginSourceMask) == kPluginFromMemory) {
        data_ = reinterpret_cast<const uint8_t*>(source);
        size_ = static_cast<size_t>(offsetOrLength);
        return kPluginOk;
    }
    if ((flags & kPluginSourceMask) != kPluginFromFile) return kPluginUnsupportedCall;
    file_ = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) return kPluginCannotRead;
    uint64_t total = static_cast<uint64_t>(size.QuadPart), offset = static_cast<uint64_t>(offsetOrLength);
    if (offset >= total) return kPluginCannotRead;
    mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_) return kPluginCannotRead;
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    if (!view_) return kPluginCannotRead;
    data_ = static_cast<const uint8_t*>(view_) + offset;
    size_ = static_cast<size_t>(total - offset);
    return kPluginOk;
}

PluginFileReader::~PluginFileReader() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool PluginFileReader::Open(const char* name) {
    file_ = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) return false;
    size_ = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool PluginFileReader::ReadAt(uint64_t offset, void* buffer, uint32_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return ReadFile(file_, buffer, length, &got, &at) && got == length;
}

HLOCAL LocalCopy(const void* data, size_t size, size_t extra) {
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size + extra);
    if (!block) return nullptr;
    void* p = LocalLock(block);
    if (!p) {
        LocalFree(block);
        return nullptr;
    }
    if (size) std::memcpy(p, data, size);
    LocalUnlock(block);
    return block;
}

} // namespace qv
