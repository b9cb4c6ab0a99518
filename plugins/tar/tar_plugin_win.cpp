// The TAR archive plug-in: lists the regular files of ustar, GNU and pax archives with their
// folders, sizes and times, and extracts one member into memory. Walking the headers is
// tar_parser.cpp; this file answers the calls and writes the member records.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "common/plugin_support_win.h"
#include "tar/tar_parser.h"

using namespace qv;

namespace {

constexpr const char* kInfoTexts[] = {"00AM", "TAR archive reader for Quorvel", "*.tar", "TAR archive"};
constexpr uint32_t kCopyChunk = 1u << 20;
constexpr uint64_t kMaxMemberBytes = 0xFFFFFFFBull; // the viewer keeps 4 spare bytes within 32 bits

// A TAR source over the file or memory block a call names, counted from `start`.
struct ArchiveAccess {
    PluginFileReader file;
    TarSource source;

    int Open(const char* archive, intptr_t offsetOrLength, unsigned int flags, uint64_t start) {
        if (!archive || offsetOrLength < 0) return kPluginCannotRead;
        if ((flags & kPluginSourceMask) == kPluginFromMemory) {
            auto* data = reinterpret_cast<const uint8_t*>(archive);
            size_t size = static_cast<size_t>(offsetOrLength);
            if (start > size) return kPluginCannotRead;
            source = TarMemorySource(data + start, size - static_cast<size_t>(start));
            return kPluginOk;
        }
        if ((flags & kPluginSourceMask) != kPluginFromFile) return kPluginUnsupportedCall;
        if (!file.Open(archive) || start > file.size()) return kPluginCannotRead;
        source.size = file.size() - start;
        source.read = [this, start](uint64_t offset, void* buffer, uint32_t length) {
            return file.ReadAt(start + offset, buffer, length);
        };
        return kPluginOk;
    }
};

// Archive names are UTF-8 today; older archives hold the bytes of whatever system made them,
// which are taken to be this system's ANSI code page.
std::wstring NameToWide(const std::string& bytes) {
    if (bytes.empty()) return {};
    int n =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    UINT page = n > 0 ? CP_UTF8 : CP_ACP;
    DWORD strict = n > 0 ? MB_ERR_INVALID_CHARS : 0;
    n = MultiByteToWideChar(page, strict, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(page, strict, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return wide;
}

// Writes `wide` in the ANSI code page into a record field; false when it does not fit.
bool PutField(const std::wstring& wide, char* field, size_t size) {
    std::memset(field, 0, size);
    if (wide.empty()) return true;
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0 || static_cast<size_t>(n) >= size) return false;
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), field, n, nullptr, nullptr);
    return true;
}

// The record of a member; false for one whose folder or name does not fit its field.
bool MemberRecord(const TarMember& m, PluginArchiveRecord* r) {
    std::memset(r, 0, sizeof *r);
    std::string folder, file;
    if (!SplitTarName(m.name, &folder, &file)) return false;
    std::wstring wideFolder = NameToWide(folder);
    for (wchar_t& c : wideFolder) {
        if (c == L'/') c = L'\\';
    }
    if (!PutField(wideFolder, r->path, sizeof r->path) || !PutField(NameToWide(file), r->fileName, sizeof r->fileName))
        return false;
    std::memcpy(r->method, "tar", 3);
    r->position = m.headerOffset;
    r->compressedSize = m.size;
    r->fileSize = m.size;
    r->timestamp = m.mtime;
    return true;
}

} // namespace

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL GetPluginInfo(int infoNumber, char* buffer, int bufferLength) {
    if (infoNumber < 0 || infoNumber >= static_cast<int>(std::size(kInfoTexts))) return 0;
    return CopyPluginText(kInfoTexts[infoNumber], buffer, bufferLength);
}

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL IsSupported(const char*, void* header) {
    return header && IsTarHeader(static_cast<const uint8_t*>(header)) ? 1 : 0;
}

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL GetArchiveInfo(const char* archive, intptr_t offset, unsigned int flags,
                                                   void** records) {
    if (!records) return kPluginUnsupportedCall;
    *records = nullptr;
    try {
        ArchiveAccess access;
        // from memory the second argument is the length and the archive starts at the block
        bool memory = (flags & kPluginSourceMask) == kPluginFromMemory;
        if (int result = access.Open(archive, offset, flags, memory ? 0 : static_cast<uint64_t>(offset))) return result;
        std::vector<PluginArchiveRecord> list;
        bool isTar = WalkTar(access.source, [&](const TarMember& m) {
            PluginArchiveRecord r;
            if (MemberRecord(m, &r)) list.push_back(r);
            return true;
        });
        if (!isTar) return kPluginNotMine;
        list.push_back(PluginArchiveRecord{}); // the empty method ends the list
        HLOCAL block = LocalCopy(list.data(), list.size() * sizeof(PluginArchiveRecord));
        if (!block) return kPluginNoMemory;
        *records = block;
        return kPluginOk;
    } catch (const std::bad_alloc&) {
        return kPluginNoMemory; // nothing may be thrown across the interface
    }
}

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL GetFile(const char* archive, intptr_t position, char* destination,
                                            unsigned int flags, PluginProgressCallback progress, intptr_t userValue) {
    // only from a file (a block would come without its length) and only into memory: the viewer
    // never has members written to disk
    if ((flags & kPluginDestinationMask) != kPluginToMemory || (flags & kPluginSourceMask) != kPluginFromFile ||
        !destination || position < 0)
        return kPluginUnsupportedCall;
    auto* out = reinterpret_cast<HLOCAL*>(destination);
    *out = nullptr;
    ArchiveAccess access;
    if (int result = access.Open(archive, 0, flags, 0)) return result;
    TarMember member;
    if (!ReadTarMemberAt(access.source, static_cast<uint64_t>(position), &member)) return kPluginBadData;
    if (member.size == 0 || member.size > kMaxMemberBytes) return kPluginBadData;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(member.size));
    if (!block) return kPluginNoMemory;
    auto* data = static_cast<uint8_t*>(LocalLock(block));
    int result = data ? kPluginOk : kPluginNoMemory;
    for (uint64_t done = 0; result == kPluginOk && done < member.size;) {
        uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(kCopyChunk, member.size - done));
        if (!access.source.read(member.dataOffset + done, data + done, length)) {
            result = kPluginCannotRead;
        } else if (progress && progress(static_cast<int>((done + length) >> 10), static_cast<int>(member.size >> 10),
                                        userValue) != 0) {
            result = kPluginCancelled;
        }
        done += length;
    }
    if (data) LocalUnlock(block);
    if (result != kPluginOk) {
        LocalFree(block);
        return result;
    }
    *out = block;
    return kPluginOk;
}

static_assert(std::is_same_v<decltype(&GetPluginInfo), PluginGetPluginInfoFn>);
static_assert(std::is_same_v<decltype(&IsSupported), PluginIsSupportedFn>);
static_assert(std::is_same_v<decltype(&GetArchiveInfo), PluginGetArchiveInfoFn>);
static_assert(std::is_same_v<decltype(&GetFile), PluginGetFileFn>);
