#include "rar_volume_header.h"

#include <cstring>

namespace qvrar {

namespace {

constexpr uint32_t kVolume = 0x0001, kSolid = 0x0008, kNewNumbering = 0x0010, kEncryptedHeaders = 0x0080,
                   kFirstVolume = 0x0100;

// RAR 5 variable-length integers: 7 bits a byte, low bits first, at most 10 bytes.
bool ReadVint(const uint8_t* data, size_t size, size_t* pos, uint64_t* value) {
    uint64_t v = 0;
    for (int shift = 0; shift < 70; shift += 7) {
        if (*pos >= size) return false;
        uint8_t b = data[(*pos)++];
        v |= static_cast<uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return (*value = v, true);
    }
    return false;
}

bool ReadRar5(const uint8_t* data, size_t size, uint32_t* flags) {
    size_t pos = 8 + 4; // signature, header CRC
    uint64_t headerSize, type, headerFlags, archiveFlags, skip;
    if (!ReadVint(data, size, &pos, &headerSize) || !ReadVint(data, size, &pos, &type)) return false;
    if (type == 4) return (*flags = kEncryptedHeaders, true); // an encryption header comes first
    if (type != 1 || !ReadVint(data, size, &pos, &headerFlags)) return false;
    if ((headerFlags & 1) && !ReadVint(data, size, &pos, &skip)) return false; // extra area size
    if ((headerFlags & 2) && !ReadVint(data, size, &pos, &skip)) return false; // data size
    if (!ReadVint(data, size, &pos, &archiveFlags)) return false;
    uint64_t number = 0;
    if ((archiveFlags & 2) && !ReadVint(data, size, &pos, &number)) return false;
    uint32_t out = kNewNumbering;
    if (archiveFlags & 1) out |= kVolume | (number == 0 ? kFirstVolume : 0);
    if (archiveFlags & 4) out |= kSolid;
    *flags = out;
    return true;
}

// RAR 4: the main header (type 0x73) follows the 7-byte marker; its 16-bit flags are the
// interface's archive flags bit for bit.
bool ReadRar4(const uint8_t* data, size_t size, uint32_t* flags) {
    if (size < 7 + 7) return false;
    const uint8_t* h = data + 7;
    if (h[2] != 0x73) return false;
    *flags = static_cast<uint32_t>(h[3] | h[4] << 8) & 0x01FF;
    return true;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

bool ReadArchiveFlags(const uint8_t* data, size_t size, uint32_t* flags) {
    static const uint8_t kRar4[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
    static const uint8_t kRar5[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
    if (size >= 8 && std::memcmp(data, kRar5, 8) == 0) return ReadRar5(data, size, flags);
    if (size >= 7 && std::memcmp(data, kRar4, 7) == 0) return ReadRar4(data, size, flags);
    return false;
}

bool VolumeContinues(const uint8_t* tail, size_t size) {
    // RAR 4: type 0x7B, flags bit 0 "next volume", the 16-bit header size reaching the end
    for (size_t p = 0; p + 7 <= size; ++p) {
        if (tail[p + 2] != 0x7B) continue;
        size_t length = tail[p + 5] | tail[p + 6] << 8;
        if (length >= 7 && p + length == size) return (tail[p + 3] & 1) != 0;
    }
    // RAR 5: CRC32, a one-byte size, type 5, header flags, end flags with bit 0 "not last"
    for (size_t p = 0; p + 8 <= size; ++p) {
        if (tail[p + 5] != 5 || p + 5 + tail[p + 4] != size || tail[p + 4] < 3) continue;
        size_t pos = p + 6;
        uint64_t headerFlags = 0, endFlags = 0;
        if (!ReadVint(tail, size, &pos, &headerFlags)) continue;
        if ((headerFlags & 1) && !ReadVint(tail, size, &pos, &endFlags)) continue; // extra area size
        if (!ReadVint(tail, size, &pos, &endFlags)) continue;
        return (endFlags & 1) != 0;
    }
    return false;
}

std::u16string NextVolumeName(const std::u16string& name, bool newNumbering) {
    size_t base = name.find_last_of(u"\\/");
    base = base == std::u16string::npos ? 0 : base + 1;
    size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string::npos || dot < base) return {};
    std::u16string next = name;
    if (newNumbering) {
        // the last run of digits before the extension: "part07" -> "part08", carrying leftwards
        size_t end = dot;
        while (end > base && !IsDigit(next[end - 1]))
            --end;
        if (end == base) return {};
        size_t i = end;
        for (;;) {
            if (i == base || !IsDigit(next[i - 1])) {
                next.insert(i, 1, u'1'); // 99 -> 100
                break;
            }
            --i;
            if (next[i] != u'9') {
                ++next[i];
                break;
            }
            next[i] = u'0';
        }
        return next;
    }
    std::u16string ext = next.substr(dot + 1);
    if (ext.size() == 3 && (ext[0] == u'r' || ext[0] == u'R') && (ext[1] == u'a' || ext[1] == u'A'))
        return next.substr(0, dot + 1) + (ext[0] == u'R' ? u"R00" : u"r00");
    if (ext.size() == 3 && IsDigit(ext[1]) && IsDigit(ext[2])) {
        int n = (ext[1] - u'0') * 10 + (ext[2] - u'0') + 1;
        if (n > 99) return {};
        next[dot + 2] = static_cast<char16_t>(u'0' + n / 10);
        next[dot + 3] = static_cast<char16_t>(u'0' + n % 10);
        return next;
    }
    return {};
}

} // namespace qvrar
