#include "sources/plugin_records.h"

#include <algorithm>
#include <cstring>

#include "platform/ascii_case.h"
#include "sources/extension_class.h"

namespace qv {

namespace {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr uint64_t kTicksPerSecond = 10000000;

std::wstring Trimmed(const std::wstring& text) {
    size_t start = text.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return {};
    size_t end = text.find_last_not_of(L" \t");
    return text.substr(start, end - start + 1);
}

bool Listed(const std::vector<std::wstring>& patterns, const std::wstring& pattern) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::wstring& p) { return EqualsIgnoreAsciiCase(p, pattern); });
}

// A record's text field, which the plug-in may fill to the last byte without a terminating 0.
std::wstring FieldText(const char* field, size_t size, PluginTextDecoder decode) {
    const void* end = std::memchr(field, 0, size);
    size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : size;
    return decode(reinterpret_cast<const uint8_t*>(field), length);
}

} // namespace

PluginKind PluginKindOf(const char* text, int written) {
    if (written < 4) return kPluginNotAPlugin;
    if (text[0] != '0' || text[1] != '0') return kPluginNotAPlugin;
    if (text[2] == 'I' && text[3] == 'N') return kPluginImage;
    if (text[2] == 'A' && text[3] == 'M') return kPluginArchive;
    return kPluginNotAPlugin;
}

std::string PluginInfoText(const char* buffer, int written, int bufferLength) {
    if (written <= 0 || bufferLength <= 0) return {};
    size_t limit = static_cast<size_t>(std::min(written, bufferLength));
    const void* end = std::memchr(buffer, 0, limit);
    return std::string(buffer, end ? static_cast<size_t>(static_cast<const char*>(end) - buffer) : limit);
}

void AppendPluginPatterns(const std::wstring& list, std::vector<std::wstring>* patterns) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(L';', start);
        if (end == std::wstring::npos) end = list.size();
        std::wstring piece = Trimmed(list.substr(start, end - start));
        if (!piece.empty() && ClassifyExtension(piece) == kExtensionOther && !Listed(*patterns, piece))
            patterns->push_back(piece);
        start = end + 1;
    }
}

bool JoinPluginDescriptions(const std::function<std::string(int)>& info, std::string* patterns,
                            std::string* descriptions) {
    patterns->clear();
    descriptions->clear();
    std::string firstPatterns = info(2), firstDescription = info(3);
    if (firstPatterns.empty() || firstDescription.empty()) return false;
    *patterns = firstPatterns.substr(0, kPluginTextLimit);
    *descriptions = firstDescription.substr(0, kPluginTextLimit);
    for (int n = 4; n < 2 * kPluginMaxPatternLists; n += 2) {
        std::string p = info(n), d = info(n + 1);
        if (p.empty() || d.empty()) break;
        if (patterns->size() + 1 + p.size() > kPluginTextLimit) break;
        if (descriptions->size() + 1 + d.size() > kPluginTextLimit) break;
        *patterns += ';' + p;
        *descriptions += '/' + d;
    }
    return true;
}

void FillPluginHeader(const uint8_t* data, uint64_t size, uint8_t* header) {
    std::memset(header, 0, kPluginHeaderBytes);
    if (data) std::memcpy(header, data, static_cast<size_t>(std::min<uint64_t>(size, kPluginHeaderBytes)));
}

bool ReadPluginHeader(const wchar_t* path, uint8_t* header, FILETIME* lastWrite) {
    std::memset(header, 0, kPluginHeaderBytes);
    uint64_t size = 0;
    if (!GetFileFacts(path, &size, lastWrite) || size == 0 || size > UINT32_MAX) return false;
    RandomAccessFile file;
    uint32_t got = 0;
    if (!file.OpenReadShared(path)) return false;
    return file.ReadAt(0, header, kPluginHeaderBytes, &got) && got > 0;
}

FILETIME PluginRecordTime(int64_t seconds) {
    int64_t low = static_cast<int32_t>(static_cast<uint32_t>(seconds));
    // at least 1901, so the sum is never negative
    uint64_t ticks = static_cast<uint64_t>(low + kSecondsFrom1601To1970) * kTicksPerSecond;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

bool ListPluginRecords(const uint8_t* records, uint64_t size, const FILETIME& archiveTime, PluginTextDecoder decode,
                       ArchiveListing* out) {
    out->count = 0;
    if (!records || size > UINT32_MAX) return false;
    uint32_t total = static_cast<uint32_t>(size / sizeof(PluginArchiveRecord));
    uint32_t used = 0;
    while (used < total && records[static_cast<size_t>(used) * sizeof(PluginArchiveRecord)] != 0)
        ++used;
    if (used == 0 || !out->Allocate(used)) return false;
    out->archiveTime = archiveTime;
    for (uint32_t i = 0; i < used; ++i) {
        PluginArchiveRecord r;
        std::memcpy(&r, records + static_cast<size_t>(i) * sizeof r, sizeof r);
        if (r.position > UINT32_MAX || r.fileSize > UINT32_MAX) continue;
        FileEntry& e = out->entries[out->count];
        if (!e.name.Set(FieldText(r.fileName, sizeof r.fileName, decode)) ||
            !e.innerFolder.Set(FieldText(r.path, sizeof r.path, decode)))
            continue;
        e.key = static_cast<int32_t>(static_cast<uint32_t>(r.position));
        e.size = static_cast<int32_t>(static_cast<uint32_t>(r.fileSize));
        e.time = PluginRecordTime(r.timestamp);
        ++out->count;
    }
    return out->count > 0;
}

bool CopyPluginMember(const uint8_t* data, uint64_t size, LargeBlock* out, uint32_t* length) {
    out->reset();
    *length = 0;
    if (!data || size == 0 || size > UINT32_MAX - 4) return false;
    out->reset(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(size) + 4)));
    if (!*out) return false;
    std::memcpy(out->get(), data, static_cast<size_t>(size));
    *length = static_cast<uint32_t>(size);
    return true;
}

} // namespace qv
