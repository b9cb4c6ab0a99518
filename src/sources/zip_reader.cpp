#include "sources/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "codecs/whole_deflate.h"
#include "platform/checked_math.h"
#include "platform/crc32.h"

namespace qv {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kEndSize = 22;
constexpr uint32_t kCentralSize = 46;
constexpr uint32_t kLocalSize = 30;
constexpr uint32_t kLargestComment = 65535;
constexpr uint32_t kLongestName = 259; // bytes; longer names are left out rather than cut
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
// Deflate cannot expand data by more than about 1032:1; a larger declared size is a lie.
constexpr uint64_t kDeflateMaxRatio = 1032;

void AppendCodePoint(std::wstring* out, uint32_t c) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        c -= 0x10000;
        *out += static_cast<wchar_t>(0xD800 + (c >> 10));
        *out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        *out += static_cast<wchar_t>(c);
    }
}

// Strict UTF-8: overlong forms, surrogates and truncated sequences fail.
bool DecodeUtf8(const uint8_t* p, size_t n, std::wstring* out) {
    out->clear();
    size_t i = 0;
    while (i < n) {
        uint8_t b = p[i];
        uint32_t c;
        size_t extra;
        uint32_t least;
        if (b < 0x80) {
            c = b, extra = 0, least = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F, extra = 1, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F, extra = 2, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07, extra = 3, least = 0x10000;
        } else {
            return false;
        }
        if (extra > n - i - 1) return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        AppendCodePoint(out, c);
        i += extra + 1;
    }
    return true;
}

} // namespace

// A member name must stay inside the archive: no absolute paths, no drive letters, no "." or ".."
// parts, no empty parts, no characters that Windows file names cannot hold.
bool MemberNameIsSound(const std::wstring& name) {
    if (name.empty() || name[0] == L'\\') return false;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size()) {
            wchar_t c = name[i];
            if (c < 0x20 || c == 0x7F || std::wcschr(L"<>:\"|?*", c)) return false;
            if (c != L'\\') continue;
        } else if (start == i) {
            break; // a trailing backslash marks a directory
        }
        size_t part = i - start;
        if (part == 0) return false;
        if (part <= 2 && name.compare(start, part, L"..", part) == 0) return false;
        start = i + 1;
    }
    return true;
}

namespace {

struct Directory {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    uint32_t start = 0; // absolute offset of the first central record
    uint32_t end = 0;   // absolute offset of the end record: the directory lies before it
    uint32_t count = 0;
    uint32_t base = 0; // bytes in front of the archive (self-extractors, prefixed archives)
};

struct CentralEntry {
    uint16_t flags, method, dosTime, dosDate;
    uint32_t crc, compressedSize, size;
    uint32_t local; // absolute offset of the local header
    const uint8_t* name;
    uint16_t nameLength;
    uint32_t recordLength;
};

bool SignatureAt(const Directory& d, uint32_t offset, uint32_t signature, uint32_t length) {
    return RangeInside(offset, length, d.size) && ReadLE32(d.data + offset) == signature;
}

// Tries one end record candidate at `pos`.
bool AcceptEnd(const uint8_t* data, uint32_t size, uint32_t pos, Directory* d) {
    const uint8_t* e = data + pos;
    uint32_t comment = ReadLE16(e + 20);
    if (!RangeInside(pos + kEndSize, comment, size)) return false;
    uint32_t count = ReadLE16(e + 8);
    uint32_t dirSize = ReadLE32(e + 12);
    uint32_t dirOffset = ReadLE32(e + 16);
    if (count == 0 || count == 0xFFFF || dirOffset == 0xFFFFFFFF) return false; // empty, or ZIP64
    d->data = data;
    d->size = size;
    d->end = pos;
    d->count = count;
    if (dirOffset < pos && SignatureAt(*d, dirOffset, kCentralSignature, kCentralSize)) {
        d->start = dirOffset;
        d->base = 0;
        return true;
    }
    // Bytes in front of the archive shift every offset: the directory then ends where the end
    // record begins.
    if (dirSize <= pos && pos - dirSize > dirOffset) {
        uint32_t start = pos - dirSize;
        if (SignatureAt(*d, start, kCentralSignature, kCentralSize)) {
            d->start = start;
            d->base = start - dirOffset;
            return true;
        }
    }
    return false;
}

bool FindDirectory(const uint8_t* data, uint32_t size, Directory* d) {
    if (!data || size < kEndSize) return false;
    uint32_t pos = size - kEndSize;
    if (ReadLE32(data + pos) == kEndSignature && AcceptEnd(data, size, pos, d)) return true;
    // A comment follows the record: search backwards through the last 22 + 65535 bytes.
    uint32_t lowest = size > kEndSize + kLargestComment ? size - kEndSize - kLargestComment : 0;
    while (pos > lowest) {
        --pos;
        if (ReadLE32(data + pos) == kEndSignature && AcceptEnd(data, size, pos, d)) return true;
    }
    return false;
}

// Reads the central record at `pos`; false when it is truncated or not a central record.
bool ReadCentral(const Directory& d, uint32_t pos, CentralEntry* c) {
    if (!SignatureAt(d, pos, kCentralSignature, kCentralSize)) return false;
    const uint8_t* p = d.data + pos;
    c->flags = ReadLE16(p + 8);
    c->method = ReadLE16(p + 10);
    c->dosTime = ReadLE16(p + 12);
    c->dosDate = ReadLE16(p + 14);
    c->crc = ReadLE32(p + 16);
    c->compressedSize = ReadLE32(p + 20);
    c->size = ReadLE32(p + 24);
    c->nameLength = ReadLE16(p + 28);
    uint64_t variable = static_cast<uint64_t>(c->nameLength) + ReadLE16(p + 30) + ReadLE16(p + 32);
    if (!RangeInside(pos + kCentralSize, variable, d.size)) return false;
    c->name = p + kCentralSize;
    c->recordLength = static_cast<uint32_t>(kCentralSize + variable);
    uint64_t local = static_cast<uint64_t>(ReadLE32(p + 42)) + d.base;
    c->local = local > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(local);
    if (ReadLE32(p + 42) == 0xFFFFFFFF) c->local = UINT32_MAX;
    return true;
}

// The checks that need only the central record: supported method, sizes that fit 32 bits with
// the spare bytes, data that can lie between its local header and the directory, a plausible
// ratio, and a sound name.
bool MemberIsSound(const Directory& d, const CentralEntry& c, std::wstring* decodedName) {
    if (c.method != kMethodStored && c.method != kMethodDeflated) return false;
    if (c.size == UINT32_MAX || c.compressedSize == UINT32_MAX || c.local == UINT32_MAX) return false; // ZIP64
    if (c.size > UINT32_MAX - 4) return false;
    if (c.method == kMethodStored && c.compressedSize != c.size) return false;
    if (c.method == kMethodDeflated && c.size > static_cast<uint64_t>(c.compressedSize) * kDeflateMaxRatio + 1024)
        return false;
    uint64_t least = static_cast<uint64_t>(c.local) + kLocalSize + c.compressedSize;
    if (c.local < d.base || least > d.start) return false;
    if (c.nameLength == 0 || c.nameLength > kLongestName) return false;
    std::wstring name;
    if (c.flags & kFlagUtf8) {
        if (!DecodeUtf8(c.name, c.nameLength, &name)) return false;
    } else {
        name = AnsiToWide(c.name, c.nameLength);
    }
    std::replace(name.begin(), name.end(), L'/', L'\\');
    if (!MemberNameIsSound(name)) return false;
    *decodedName = std::move(name);
    return true;
}

} // namespace

// 100-ns ticks from 1601-01-01 to the given civil date (proleptic Gregorian).
static uint64_t TicksOfDate(int year, int month, int day) {
    // days from 1970-01-01, Howard Hinnant's civil algorithm
    year -= month <= 2;
    int era = (year >= 0 ? year : year - 399) / 400;
    unsigned yoe = static_cast<unsigned>(year - era * 400);
    unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468;
    return static_cast<uint64_t>((days + 134774) * 864000000000LL);
}

FILETIME DosTimeToUtc(uint16_t date, uint16_t time) {
    uint64_t ticks = 0;
    if (!DosDateTimeToTicks(date, time, &ticks)) return FILETIME{};
    // The DOS fields are local time: let the C library find the offset in force on that date.
    // mktime re-reads the zone on every call, so the offset of the last date and hour is kept:
    // the members of one archive mostly share a handful of them.
    static uint32_t cachedHour = UINT32_MAX;
    static int64_t cachedOffset = 0; // local minus UTC, in seconds
    uint32_t hourKey = static_cast<uint32_t>(date) << 5 | (time >> 11);
    if (hourKey != cachedHour) {
        std::tm tm{};
        tm.tm_year = 1980 + (date >> 9) - 1900;
        tm.tm_mon = ((date >> 5) & 15) - 1;
        tm.tm_mday = date & 31;
        tm.tm_hour = time >> 11;
        tm.tm_isdst = -1;
        std::time_t utc = std::mktime(&tm);
        if (utc == static_cast<std::time_t>(-1))
            return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        uint64_t localHourTicks = 0;
        DosDateTimeToTicks(date, static_cast<uint16_t>(time & 0xF800), &localHourTicks);
        int64_t utcTicks = 116444736000000000LL + static_cast<int64_t>(utc) * 10000000LL;
        cachedOffset = (static_cast<int64_t>(localHourTicks) - utcTicks) / 10000000LL;
        cachedHour = hourKey;
    }
    ticks = static_cast<uint64_t>(static_cast<int64_t>(ticks) - cachedOffset * 10000000LL);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

namespace {

void* ZlibAlloc(void*, unsigned items, unsigned size) {
    uint32_t bytes;
    if (!CheckedMul32(items, size, &bytes)) return nullptr;
    return PrivateAlloc(bytes);
}
void ZlibFree(void*, void* block) {
    PrivateFree(block);
}

// Inflates exactly `expected` bytes of raw deflate data; the stream must end there. libdeflate
// does it in one call when it can; whatever it refuses is judged by zlib, as it always was.
bool InflateRaw(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t expected) {
    if (InflateWholeRaw(in, inLength, out, expected)) return true;
    z_stream z{};
    z.zalloc = ZlibAlloc;
    z.zfree = ZlibFree;
    if (inflateInit2_(&z, -15, "1.2.7", static_cast<int>(sizeof(z_stream))) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = inLength;
    z.next_out = out;
    // The 4 spare bytes are offered too, so that a stream producing more than declared shows.
    z.avail_out = expected + 4;
    int result = inflate(&z, Z_NO_FLUSH);
    bool ok = result == Z_STREAM_END && z.total_out == expected;
    inflateEnd(&z);
    return ok;
}

} // namespace

bool DosDateTimeToTicks(uint16_t date, uint16_t time, uint64_t* ticks) {
    int month = (date >> 5) & 15, day = date & 31;
    int hour = time >> 11, minute = (time >> 5) & 63, second = (time & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return false;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 1980 + (date >> 9);
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] || (month == 2 && day == 29 && !leap)) return false;
    *ticks = TicksOfDate(year, month, day) + ((hour * 60 + minute) * 60 + second) * 10000000ULL;
    return true;
}

bool ListZipMemory(const uint8_t* data, uint32_t size, ArchiveListing* out) {
    Directory d;
    if (!FindDirectory(data, size, &d)) return false;
    ArchiveListing listing;
    if (!listing.Allocate(d.count)) return false;
    struct Span {
        uint64_t begin, end;
        uint32_t index;
    };
    std::vector<Span> spans;
    spans.reserve(d.count);
    uint32_t pos = d.start;
    for (uint32_t i = 0; i < d.count; ++i) {
        CentralEntry c;
        if (!ReadCentral(d, pos, &c)) return false; // a broken directory lists nothing
        pos += c.recordLength;
        std::wstring name;
        if (!MemberIsSound(d, c, &name)) continue;
        FileEntry& e = listing.entries[listing.count];
        size_t slash = name.find_last_of(L'\\');
        bool ok = true;
        if (slash == std::wstring::npos) {
            ok = e.name.Set(name);
        } else if (slash + 1 < name.size()) {
            ok = e.innerFolder.Set(name.substr(0, slash + 1)) && e.name.Set(name.substr(slash + 1));
        } // a directory keeps an empty name and folder
        if (!ok) return false;
        e.key = static_cast<int32_t>(c.local);
        e.time = DosTimeToUtc(c.dosDate, c.dosTime);
        e.size = static_cast<int32_t>(c.size);
        spans.push_back(
            {c.local, static_cast<uint64_t>(c.local) + kLocalSize + c.nameLength + c.compressedSize, listing.count});
        ++listing.count;
    }
    // Members whose bytes overlap another's (or share a local header) are not sound: drop every
    // member involved.
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
    std::vector<bool> drop(listing.count, false);
    uint64_t reach = 0;
    size_t reachOwner = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (i > 0 && spans[i].begin < reach) {
            drop[spans[i].index] = true;
            drop[spans[reachOwner].index] = true;
        }
        if (spans[i].end > reach) reach = spans[i].end, reachOwner = i;
    }
    uint32_t kept = 0;
    for (uint32_t i = 0; i < listing.count; ++i) {
        if (drop[i]) continue;
        if (kept != i) listing.entries[kept] = std::move(listing.entries[i]);
        ++kept;
    }
    for (uint32_t i = kept; i < listing.count; ++i)
        listing.entries[i] = FileEntry{};
    listing.count = kept;
    if (listing.count == 0) return false;
    FILETIME archiveTime = out->archiveTime;
    *out = std::move(listing);
    out->archiveTime = archiveTime;
    return true;
}

bool ListZipArchive(const wchar_t* path, ArchiveListing* out) {
    MappedFile map;
    if (!MapWholeFile(path, MapMode::ReadOnly, &map)) return false;
    out->archiveTime = map.lastWrite;
    return ListZipMemory(map.view, map.size, out);
}

bool ExtractZipMemory(const uint8_t* data, uint32_t size, int32_t key, LargeBlock* out, uint32_t* length,
                      CodecStatus* status) {
    out->reset();
    *length = 0;
    auto refuse = [status](CodecStatus why) {
        if (status) *status = why;
        return false;
    };
    Directory d;
    if (!FindDirectory(data, size, &d)) return refuse(kCodecBadData);
    // The central record is the authority on method and sizes; find the sound one for this key.
    uint32_t local = static_cast<uint32_t>(key);
    CentralEntry c{};
    bool found = false;
    uint32_t pos = d.start;
    for (uint32_t i = 0; i < d.count && !found; ++i) {
        if (!ReadCentral(d, pos, &c)) return refuse(kCodecBadData);
        pos += c.recordLength;
        std::wstring name;
        found = c.local == local && MemberIsSound(d, c, &name);
    }
    if (!found || (c.flags & kFlagEncrypted)) return refuse(kCodecBadData);
    // The ratio check lets a few megabytes of zeros declare gigabytes: a member above the ceiling
    // is refused before its block is committed and inflated on the GUI thread.
    if (c.size > kMaxArchiveMemberBytes) return refuse(kCodecNotSupported);
    if (!SignatureAt(d, local, kLocalSignature, kLocalSize)) return refuse(kCodecBadData);
    const uint8_t* h = data + local;
    uint16_t flags = ReadLE16(h + 6);
    if (ReadLE16(h + 8) != c.method || (flags & kFlagEncrypted)) return refuse(kCodecBadData);
    // Without a data descriptor the local header repeats the sizes; disagreement is a lie.
    if (!(flags & kFlagDescriptor) &&
        (ReadLE32(h + 14) != c.crc || ReadLE32(h + 18) != c.compressedSize || ReadLE32(h + 22) != c.size))
        return refuse(kCodecBadData);
    uint64_t dataStart = static_cast<uint64_t>(local) + kLocalSize + ReadLE16(h + 26) + ReadLE16(h + 28);
    if (dataStart > d.start || c.compressedSize > d.start - dataStart) return refuse(kCodecBadData);
    const uint8_t* in = data + dataStart;

    uint32_t blockSize;
    if (!CheckedAdd32(c.size, 4, &blockSize)) return refuse(kCodecNotSupported);
    LargeBlock block(static_cast<uint8_t*>(AllocLargeBlock(blockSize)));
    if (!block) return refuse(kCodecOutOfMemory);
    if (c.method == kMethodStored) {
        std::memcpy(block.get(), in, c.size);
    } else if (!InflateRaw(in, c.compressedSize, block.get(), c.size)) {
        return refuse(kCodecBadData);
    }
    if (Crc32Update(0, block.get(), c.size) != c.crc) return refuse(kCodecBadData);
    *out = std::move(block);
    *length = c.size;
    if (status) *status = kCodecOk;
    return true;
}

bool ExtractZipMember(const wchar_t* path, int32_t key, LargeBlock* out, uint32_t* length, CodecStatus* status) {
    MappedFile map;
    if (!MapWholeFile(path, MapMode::ReadOnly, &map)) {
        out->reset();
        *length = 0;
        if (status) *status = kCodecCannotOpen;
        return false;
    }
    return ExtractZipMemory(map.view, map.size, key, out, length, status);
}

} // namespace qv
