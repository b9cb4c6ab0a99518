// Our unrar64.dll: the RAR extraction library's four functions over libarchive's RAR 4 and RAR 5
// readers, so that RAR archives open without the vendor's library. libarchive cannot decrypt
// RAR: an archive with encrypted headers or a member with encrypted data asks for the password
// through the callback, as the interface does, and then fails.
//
// Natively the same file builds libunrar64.so against Debian's libarchive for the tests.
#ifdef _WIN32
#define LIBARCHIVE_STATIC
#include <windows.h>
#endif
#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "sources/rar_abi.h"
#include "unrar/rar_volume_header.h"

#ifdef _WIN32
#define QV_RAR_EXPORT extern "C" __declspec(dllexport)
#else
#define QV_RAR_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace qv;

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr size_t kPasswordChars = 128;

struct Volume {
    std::u16string name;
    FILE* file = nullptr;
    std::vector<uint8_t>* buffer = nullptr;
    struct Archive* owner = nullptr;
    bool last = false;
};

struct Archive {
    struct archive* reader = nullptr;
    RarCallback callback = nullptr;
    intptr_t userData = 0;
    uint32_t flags = 0;
    std::vector<std::unique_ptr<Volume>> volumes;
    std::vector<uint8_t> readBuffer = std::vector<uint8_t>(kChunk); // what libarchive reads from
    std::vector<uint8_t> dataBuffer = std::vector<uint8_t>(kChunk); // what the callback is given
    archive_entry* entry = nullptr;
    bool incomplete = false; // the last volume found says another follows
    bool ranOut = false;     // and its end was reached
    bool failed = false;
    ~Archive() {
        if (reader) archive_read_free(reader);
        for (auto& v : volumes)
            if (v->file) fclose(v->file);
    }
};

FILE* OpenFile(const std::u16string& name) {
#ifdef _WIN32
    return _wfopen(reinterpret_cast<const wchar_t*>(name.c_str()), L"rb");
#else
    std::string utf8;
    for (size_t i = 0; i < name.size(); ++i) {
        uint32_t c = name[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return fopen(utf8.c_str(), "rb");
#endif
}

bool FileExists(const std::u16string& name) {
    FILE* f = OpenFile(name);
    if (f) fclose(f);
    return f != nullptr;
}

int Notify(Archive* a, uint32_t message, intptr_t p1, intptr_t p2) {
    return a->callback ? a->callback(message, a->userData, p1, p2) : 0;
}

// ---- libarchive's client callbacks: one node per volume, switched as libarchive asks --------
int OpenVolume(struct archive*, void* data) {
    Volume* v = static_cast<Volume*>(data);
    if (!v->file) v->file = OpenFile(v->name);
    return v->file ? ARCHIVE_OK : ARCHIVE_FATAL;
}

la_ssize_t ReadVolume(struct archive*, void* data, const void** out) {
    Volume* v = static_cast<Volume*>(data);
    if (!v->file && OpenVolume(nullptr, data) != ARCHIVE_OK) return -1;
    size_t n = fread(v->buffer->data(), 1, v->buffer->size(), v->file);
    if (n == 0 && ferror(v->file)) return -1;
    if (n == 0 && v->last && v->owner->incomplete) v->owner->ranOut = true;
    *out = v->buffer->data();
    return static_cast<la_ssize_t>(n);
}

la_int64_t SeekVolume(struct archive*, void* data, la_int64_t offset, int whence) {
    Volume* v = static_cast<Volume*>(data);
    if (!v->file && OpenVolume(nullptr, data) != ARCHIVE_OK) return ARCHIVE_FATAL;
#ifdef _WIN32
    if (_fseeki64(v->file, offset, whence) != 0) return ARCHIVE_FATAL;
    return _ftelli64(v->file);
#else
    if (fseeko(v->file, offset, whence) != 0) return ARCHIVE_FATAL;
    return ftello(v->file);
#endif
}

la_int64_t SkipVolume(struct archive* a, void* data, la_int64_t request) {
    Volume* v = static_cast<Volume*>(data);
    la_int64_t here = SeekVolume(a, data, 0, SEEK_CUR);
    if (here < 0) return 0;
    la_int64_t end = SeekVolume(a, data, 0, SEEK_END);
    if (end < 0) return 0;
    la_int64_t to = here + request > end ? end : here + request;
    SeekVolume(a, v, to, SEEK_SET);
    return to - here;
}

int CloseVolume(struct archive*, void* data) {
    Volume* v = static_cast<Volume*>(data);
    if (v->file) fclose(v->file);
    v->file = nullptr;
    return ARCHIVE_OK;
}

int SwitchVolume(struct archive* a, void* from, void* to) {
    if (from) CloseVolume(a, from);
    return to ? OpenVolume(a, to) : ARCHIVE_OK;
}

// Asks for a password the way the interface does; false when the caller gave none.
bool AskPassword(Archive* a) {
    RarChar password[kPasswordChars] = {};
    return Notify(a, kRarMsgNeedPasswordW, reinterpret_cast<intptr_t>(password), kPasswordChars) != -1;
}

// The set's volumes from the opened one on, as far as they exist.
void FindVolumes(Archive* a, const std::u16string& first) {
    std::u16string name = first;
    for (int i = 0; i < 10000 && !name.empty(); ++i) {
        auto v = std::make_unique<Volume>();
        v->name = name;
        v->buffer = &a->readBuffer;
        v->owner = a;
        a->volumes.push_back(std::move(v));
        if (!(a->flags & kRarArchiveVolume)) break;
        std::u16string next = qvrar::NextVolumeName(name, a->flags & kRarArchiveNewNumbering);
        if (next.empty() || !FileExists(next)) break;
        name = next;
    }
    Volume& last = *a->volumes.back();
    last.last = true;
    if (!(a->flags & kRarArchiveVolume)) return;
    FILE* f = OpenFile(last.name);
    if (!f) return;
    uint8_t tail[32];
    size_t got = 0;
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) == 0) {
        int64_t size = _ftelli64(f);
        if (_fseeki64(f, size > 32 ? size - 32 : 0, SEEK_SET) == 0) got = fread(tail, 1, sizeof tail, f);
    }
#else
    if (fseeko(f, 0, SEEK_END) == 0) {
        off_t size = ftello(f);
        if (fseeko(f, size > 32 ? size - 32 : 0, SEEK_SET) == 0) got = fread(tail, 1, sizeof tail, f);
    }
#endif
    fclose(f);
    a->incomplete = qvrar::VolumeContinues(tail, got);
}

// After libarchive failed: a set that ran out of volumes names the missing one to the caller.
int FailureCode(Archive* a) {
    a->failed = true;
    if (!a->ranOut) return static_cast<int>(kRarBadData);
    std::u16string next = qvrar::NextVolumeName(a->volumes.back()->name, a->flags & kRarArchiveNewNumbering);
    Notify(a, kRarMsgChangeVolumeW, reinterpret_cast<intptr_t>(next.c_str()), kRarVolumeAsk);
    return static_cast<int>(kRarOpenFailed);
}

void CopyName(const archive_entry* entry, RarChar* out, size_t capacity) {
    std::u16string name;
#ifdef _WIN32
    const wchar_t* wide = archive_entry_pathname_w(const_cast<archive_entry*>(entry));
    if (wide) name.assign(reinterpret_cast<const char16_t*>(wide));
#else
    const char* utf8 = archive_entry_pathname_utf8(const_cast<archive_entry*>(entry));
    if (!utf8) utf8 = archive_entry_pathname(const_cast<archive_entry*>(entry));
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8 ? utf8 : ""); *p;) {
        uint32_t c = *p++;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) c &= 0x3F >> extra;
        for (int k = 0; k < extra && (*p & 0xC0) == 0x80; ++k)
            c = c << 6 | (*p++ & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            name += static_cast<char16_t>(0xD800 + (c >> 10));
            name += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            name += static_cast<char16_t>(c);
        }
    }
#endif
    size_t n = name.size() < capacity - 1 ? name.size() : capacity - 1;
    std::memcpy(out, name.data(), n * sizeof(RarChar));
    out[n] = 0;
}

// A time_t as the DOS date (high 16 bits) and time (low 16 bits) of the local clock.
uint32_t DosTime(time_t t) {
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0) return 0;
#else
    if (!localtime_r(&t, &tm)) return 0;
#endif
    if (tm.tm_year < 80) return (1u << 5 | 1u) << 16; // before 1980: the first DOS day
    uint32_t date = static_cast<uint32_t>((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
    uint32_t time = static_cast<uint32_t>(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    return date << 16 | time;
}

} // namespace

QV_RAR_EXPORT void* QV_RAR_CALL RAROpenArchiveEx(RarOpenData* data) {
    if (!data) return nullptr;
    data->openResult = kRarOpenFailed;
    if (!data->arcNameW) return nullptr;
    std::unique_ptr<Archive> a(new (std::nothrow) Archive);
    if (!a) return (data->openResult = kRarNoMemory, nullptr);
    a->callback = data->callback;
    a->userData = data->userData;
    std::u16string name(reinterpret_cast<const char16_t*>(data->arcNameW));
    FILE* f = OpenFile(name);
    if (!f) return nullptr;
    uint8_t head[64] = {};
    size_t got = fread(head, 1, sizeof head, f);
    fclose(f);
    if (!qvrar::ReadArchiveFlags(head, got, &a->flags)) return (data->openResult = kRarBadArchive, nullptr);
    data->flags = a->flags;
    if (a->flags & kRarArchiveEncryptedHeaders) {
        // the names are encrypted too: ask, as the interface does, but libarchive cannot decrypt
        data->openResult = AskPassword(a.get()) ? kRarBadData : kRarMissingPassword;
        return nullptr;
    }
    FindVolumes(a.get(), name);
    a->reader = archive_read_new();
    if (!a->reader) return (data->openResult = kRarNoMemory, nullptr);
    archive_read_support_format_rar(a->reader);
    archive_read_support_format_rar5(a->reader);
    archive_read_set_open_callback(a->reader, OpenVolume);
    archive_read_set_read_callback(a->reader, ReadVolume);
    archive_read_set_seek_callback(a->reader, SeekVolume);
    archive_read_set_skip_callback(a->reader, SkipVolume);
    archive_read_set_close_callback(a->reader, CloseVolume);
    archive_read_set_switch_callback(a->reader, SwitchVolume);
    for (auto& v : a->volumes)
        if (archive_read_append_callback_data(a->reader, v.get()) != ARCHIVE_OK)
            return (data->openResult = kRarNoMemory, nullptr);
    if (archive_read_open1(a->reader) != ARCHIVE_OK) return (data->openResult = kRarBadArchive, nullptr);
    data->openResult = kRarSuccess;
    return a.release();
}

QV_RAR_EXPORT int QV_RAR_CALL RARCloseArchive(void* handle) {
    delete static_cast<Archive*>(handle);
    return 0;
}

QV_RAR_EXPORT int QV_RAR_CALL RARReadHeaderEx(void* handle, RarHeaderData* header) {
    Archive* a = static_cast<Archive*>(handle);
    if (!a || !header) return static_cast<int>(kRarUnknown);
    if (a->failed) return static_cast<int>(kRarBadData);
    a->entry = nullptr;
    int r = archive_read_next_header(a->reader, &a->entry);
    if (r == ARCHIVE_EOF) return a->ranOut ? FailureCode(a) : static_cast<int>(kRarEndArchive);
    if (r < ARCHIVE_WARN) return FailureCode(a);
    char* cmtBuf = header->cmtBuf;
    uint32_t cmtBufSize = header->cmtBufSize;
    std::memset(header, 0, offsetof(RarHeaderData, cmtBuf));
    header->cmtBuf = cmtBuf;
    header->cmtBufSize = cmtBufSize;
    header->cmtSize = header->cmtState = 0;
    std::memcpy(header->arcNameW, a->volumes.front()->name.c_str(),
                std::min<size_t>(a->volumes.front()->name.size(), 1023) * sizeof(RarChar));
    CopyName(a->entry, header->fileNameW, 1024);
    uint64_t size = archive_entry_size_is_set(a->entry) ? static_cast<uint64_t>(archive_entry_size(a->entry)) : 0;
    header->unpSize = static_cast<uint32_t>(size);
    header->unpSizeHigh = static_cast<uint32_t>(size >> 32);
    header->fileTime = DosTime(archive_entry_mtime(a->entry));
    if (archive_entry_filetype(a->entry) == AE_IFDIR) header->flags |= kRarMemberDirectory;
    if (archive_entry_is_data_encrypted(a->entry)) header->flags |= kRarMemberEncrypted;
    header->hostOS = 2;
    return 0;
}

QV_RAR_EXPORT int QV_RAR_CALL RARProcessFileW(void* handle, int operation, RarChar*, RarChar*) {
    Archive* a = static_cast<Archive*>(handle);
    if (!a || !a->entry) return static_cast<int>(kRarUnknown);
    archive_entry* entry = a->entry;
    a->entry = nullptr;
    if (operation == kRarSkip) return 0;                             // the next header read skips the data
    if (operation != kRarTest) return static_cast<int>(kRarUnknown); // nothing is written to disk
    if (archive_entry_is_data_encrypted(entry))
        return static_cast<int>(AskPassword(a) ? kRarBadData : kRarMissingPassword);
    for (;;) {
        la_ssize_t n = archive_read_data(a->reader, a->dataBuffer.data(), a->dataBuffer.size());
        if (n == 0) return a->ranOut ? FailureCode(a) : 0;
        if (n < 0) return FailureCode(a);
        if (Notify(a, kRarMsgProcessData, reinterpret_cast<intptr_t>(a->dataBuffer.data()), n) == -1)
            return static_cast<int>(kRarUnknown);
    }
}

// The interface's version query, for callers that check it first.
QV_RAR_EXPORT int QV_RAR_CALL RARGetDllVersion() {
    return 8;
}
