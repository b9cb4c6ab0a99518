#include "tar/tar_parser.h"

#include <cstring>

namespace qv {

namespace {

// GNU long names and pax records larger than this are taken for damage, not names.
constexpr uint64_t kMaxExtensionBytes = 1u << 20;

// Offsets in a header block.
constexpr size_t kNameAt = 0, kNameBytes = 100;
constexpr size_t kSizeAt = 124, kSizeBytes = 12;
constexpr size_t kMtimeAt = 136, kMtimeBytes = 12;
constexpr size_t kChecksumAt = 148, kChecksumBytes = 8;
constexpr size_t kTypeAt = 156;
constexpr size_t kMagicAt = 257;
constexpr size_t kPrefixAt = 345, kPrefixBytes = 155;
constexpr size_t kSparseExtendedAt = 482; // GNU 'S' header: more of the map follows
constexpr size_t kSparseMoreAt = 504;     // the same flag in each extra map block

bool AllZero(const uint8_t* block) {
    for (uint32_t i = 0; i < kTarBlock; ++i) {
        if (block[i]) return false;
    }
    return true;
}

std::string FieldText(const uint8_t* field, size_t size) {
    const void* end = std::memchr(field, 0, size);
    size_t length = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - field) : size;
    return std::string(reinterpret_cast<const char*>(field), length);
}

// An octal field (leading spaces, digits, then a space or 0 byte), or GNU's base-256 form for
// values that octal cannot hold (top bit of the first byte set; negative values are refused).
bool ParseNumber(const uint8_t* field, size_t size, uint64_t* value) {
    *value = 0;
    if (field[0] & 0x80) {
        if (field[0] & 0x40) return false;
        uint64_t v = field[0] & 0x3F;
        for (size_t i = 1; i < size; ++i) {
            if (v >> 55) return false;
            v = (v << 8) | field[i];
        }
        *value = v;
        return true;
    }
    size_t i = 0;
    while (i < size && field[i] == ' ')
        ++i;
    uint64_t v = 0;
    for (; i < size && field[i] >= '0' && field[i] <= '7'; ++i) {
        if (v >> 60) return false;
        v = v * 8 + (field[i] - '0');
    }
    if (i < size && field[i] != ' ' && field[i] != 0) return false;
    *value = v;
    return true;
}

bool ParseDecimal(const std::string& text, uint64_t* value) {
    // writers may pad with zeros well past the 19 digits a 64-bit value needs
    size_t first = text.find_first_not_of('0');
    std::string digits = first == std::string::npos ? std::string("0") : text.substr(first);
    if (text.empty() || digits.size() > 19) return false;
    uint64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    *value = v;
    return true;
}

// The whole seconds of a pax time ("1350244992.023960108", possibly negative).
bool ParsePaxTime(const std::string& text, int64_t* seconds) {
    bool negative = !text.empty() && text[0] == '-';
    size_t start = negative ? 1 : 0;
    size_t dot = text.find('.', start);
    std::string whole = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    uint64_t v = 0;
    if (!ParseDecimal(whole, &v) || v > static_cast<uint64_t>(INT64_MAX)) return false;
    *seconds = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return true;
}

// What extension headers say about the member that follows them.
struct Pending {
    std::string longName;
    bool haveLongName = false;
    std::string paxPath;
    bool havePaxPath = false;
    uint64_t paxSize = 0;
    bool havePaxSize = false;
    int64_t paxTime = 0;
    bool havePaxTime = false;
    bool sparse = false;
};

// "LENGTH key=value\n" records; false when one is malformed.
bool ParsePaxRecords(const std::string& data, Pending* p) {
    size_t at = 0;
    while (at < data.size()) {
        if (data[at] == 0) break; // padding some writers leave
        size_t space = data.find(' ', at);
        uint64_t length = 0;
        if (space == std::string::npos || !ParseDecimal(data.substr(at, space - at), &length)) return false;
        if (length <= space - at + 1 || length > data.size() - at || data[at + length - 1] != '\n') return false;
        std::string record = data.substr(space + 1, at + length - 1 - (space + 1));
        size_t equals = record.find('=');
        if (equals == std::string::npos) return false;
        std::string key = record.substr(0, equals), value = record.substr(equals + 1);
        if (key == "path") {
            // a path stops at a 0 byte, as the name fields do
            p->paxPath = value.substr(0, value.find('\0'));
            p->havePaxPath = true;
        } else if (key == "size") {
            if (!ParseDecimal(value, &p->paxSize)) return false;
            p->havePaxSize = true;
        } else if (key == "mtime") {
            p->havePaxTime = ParsePaxTime(value, &p->paxTime);
        } else if (key.compare(0, 11, "GNU.sparse.") == 0) {
            p->sparse = true;
        }
        at += length;
    }
    return true;
}

bool ReadExtension(const TarSource& source, uint64_t offset, uint64_t size, std::string* out) {
    if (size > kMaxExtensionBytes) return false;
    out->assign(static_cast<size_t>(size), '\0');
    return size == 0 || source.read(offset, out->data(), static_cast<uint32_t>(size));
}

enum class Step { Entry, End, Damaged };

struct Entry {
    TarMember member;
    bool regular = false;
    uint64_t next = 0; // the header after this entry's data
};

// Reads the entry starting at `offset`: any extension headers, then the header they describe.
Step ReadEntry(const TarSource& source, uint64_t offset, Entry* entry) {
    Pending pending;
    *entry = Entry{};
    entry->member.headerOffset = offset;
    uint8_t block[kTarBlock];
    for (;;) {
        if (offset > source.size || source.size - offset < kTarBlock) return Step::End;
        if (!source.read(offset, block, kTarBlock)) return Step::Damaged;
        if (AllZero(block)) return Step::End;
        if (!IsTarHeader(block)) return Step::Damaged;
        uint64_t size = 0, mtime = 0;
        if (!ParseNumber(block + kSizeAt, kSizeBytes, &size)) return Step::Damaged;
        ParseNumber(block + kMtimeAt, kMtimeBytes, &mtime); // a time that does not parse is no reason to refuse
        char type = static_cast<char>(block[kTypeAt]);
        // 'X' is the extended header of older Solaris tar, read like pax's 'x'
        bool extension = type == 'L' || type == 'K' || type == 'x' || type == 'X' || type == 'g';
        if (!extension && pending.havePaxSize) size = pending.paxSize;
        // links, devices, folders and fifos have no data whatever their size field says
        if (type >= '1' && type <= '6') size = 0;
        uint64_t data = offset + kTarBlock;
        // an old GNU sparse file whose map did not fit its header continues it in extra blocks
        // before the data, each with a flag saying whether another follows
        for (bool more = type == 'S' && block[kSparseExtendedAt] != 0; more; data += kTarBlock) {
            uint8_t map[kTarBlock];
            if (source.size - data < kTarBlock || !source.read(data, map, kTarBlock)) return Step::Damaged;
            more = map[kSparseMoreAt] != 0;
        }
        if (size > source.size - data) return Step::Damaged; // data past the end: the archive is cut short
        uint64_t padded = (size + kTarBlock - 1) / kTarBlock * kTarBlock;
        uint64_t next = padded > source.size - data ? source.size : data + padded;

        if (extension) {
            std::string text;
            if (type == 'L') {
                if (!ReadExtension(source, data, size, &text)) return Step::Damaged;
                pending.longName = FieldText(reinterpret_cast<const uint8_t*>(text.data()), text.size());
                pending.haveLongName = true;
            } else if (type == 'x' || type == 'X') {
                if (!ReadExtension(source, data, size, &text) || !ParsePaxRecords(text, &pending)) return Step::Damaged;
            }
            offset = next;
            continue;
        }

        TarMember& m = entry->member;
        if (pending.havePaxPath) {
            m.name = pending.paxPath;
        } else if (pending.haveLongName) {
            m.name = pending.longName;
        } else {
            m.name = FieldText(block + kNameAt, kNameBytes);
            // POSIX ustar keeps the start of a long path in the prefix field; GNU uses that room
            // for other things and has "ustar  " as its magic
            if (std::memcmp(block + kMagicAt, "ustar\0", 6) == 0) {
                std::string prefix = FieldText(block + kPrefixAt, kPrefixBytes);
                if (!prefix.empty()) m.name = prefix + "/" + m.name;
            }
        }
        m.dataOffset = data;
        m.size = size;
        m.mtime = pending.havePaxTime ? pending.paxTime : static_cast<int64_t>(mtime);
        bool fileType = type == '0' || type == '\0' || type == '7';
        // old archives mark folders by a trailing slash only
        entry->regular = fileType && !pending.sparse && !m.name.empty() && m.name.back() != '/';
        entry->next = next;
        return Step::Entry;
    }
}

} // namespace

TarSource TarMemorySource(const uint8_t* data, size_t size) {
    TarSource source;
    source.size = data ? size : 0;
    source.read = [data, size](uint64_t offset, void* buffer, uint32_t length) {
        if (!data || offset > size || length > size - offset) return false;
        std::memcpy(buffer, data + offset, length);
        return true;
    };
    return source;
}

bool IsTarHeader(const uint8_t* block) {
    uint64_t stored = 0;
    if (!ParseNumber(block + kChecksumAt, kChecksumBytes, &stored)) return false;
    // the checksum counts its own field as spaces; old writers summed signed bytes
    uint64_t unsignedSum = 0;
    int64_t signedSum = 0;
    for (uint32_t i = 0; i < kTarBlock; ++i) {
        bool inField = i >= kChecksumAt && i < kChecksumAt + kChecksumBytes;
        uint8_t b = inField ? ' ' : block[i];
        unsignedSum += b;
        signedSum += static_cast<int8_t>(b);
    }
    return stored == unsignedSum || static_cast<int64_t>(stored) == signedSum;
}

bool WalkTar(const TarSource& source, const std::function<bool(const TarMember&)>& visit) {
    uint64_t offset = 0;
    bool first = true;
    for (;;) {
        Entry entry;
        Step step = ReadEntry(source, offset, &entry);
        if (step != Step::Entry) return !first;
        first = false;
        if (entry.regular && !visit(entry.member)) return true;
        if (entry.next <= offset) return true;
        offset = entry.next;
    }
}

bool SplitTarName(const std::string& name, std::string* folder, std::string* file) {
    size_t start = 0;
    for (;;) {
        if (name.compare(start, 2, "./") == 0) {
            start += 2;
        } else if (start < name.size() && name[start] == '/') {
            ++start;
        } else {
            break;
        }
    }
    size_t slash = name.find_last_of('/');
    if (slash == std::string::npos || slash < start) {
        folder->clear();
        *file = name.substr(start);
    } else {
        *folder = name.substr(start, slash + 1 - start);
        *file = name.substr(slash + 1);
    }
    return !file->empty();
}

bool ReadTarMemberAt(const TarSource& source, uint64_t offset, TarMember* member) {
    if (offset % kTarBlock != 0) return false;
    Entry entry;
    if (ReadEntry(source, offset, &entry) != Step::Entry || !entry.regular) return false;
    *member = entry.member;
    return true;
}

} // namespace qv
