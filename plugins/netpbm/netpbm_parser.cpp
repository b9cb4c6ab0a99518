#include "netpbm/netpbm_parser.h"

#include <cstring>
#include <string>

namespace qv {

namespace {

constexpr uint32_t kMaxDimension = 0x7FFFFFFF;
constexpr uint32_t kMaxSample = 65535;
constexpr uint64_t kMaxBitmapBytes = 0xFFFFFFFBull; // the host keeps 4 spare bytes within 32 bits

bool IsSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

// Reads the bytes of a header or a plain raster in order.
struct Cursor {
    const uint8_t* data;
    size_t size;
    size_t at;

    bool AtEnd() const { return at >= size; }
    // White space and comments ("#" to the end of the line).
    void SkipSpace() {
        while (at < size) {
            if (data[at] == '#') {
                while (at < size && data[at] != '\n' && data[at] != '\r')
                    ++at;
            } else if (IsSpace(data[at])) {
                ++at;
            } else {
                return;
            }
        }
    }
    // A decimal number no larger than `limit`; larger values are taken as `limit` + 1 so the
    // caller can refuse or clamp them.
    bool Number(uint32_t limit, uint32_t* value) {
        SkipSpace();
        if (at >= size || !IsDigit(data[at])) return false;
        uint64_t v = 0;
        while (at < size && IsDigit(data[at])) {
            v = v * 10 + (data[at] - '0');
            if (v > limit) v = static_cast<uint64_t>(limit) + 1;
            ++at;
        }
        *value = static_cast<uint32_t>(v);
        return true;
    }
};

bool ReadPnmHeader(const uint8_t* data, size_t size, NetpbmHeader* h) {
    char type = static_cast<char>(data[1]);
    h->plain = type <= '3';
    h->kind = (type == '1' || type == '4')   ? NetpbmKind::Bitmap
              : (type == '2' || type == '5') ? NetpbmKind::Graymap
                                             : NetpbmKind::Pixmap;
    h->depth = h->kind == NetpbmKind::Pixmap ? 3 : 1;
    Cursor c{data, size, 2};
    if (!c.Number(kMaxDimension, &h->width) || !c.Number(kMaxDimension, &h->height)) return false;
    if (h->width == 0 || h->height == 0 || h->width > kMaxDimension || h->height > kMaxDimension) return false;
    h->maxval = 1;
    if (h->kind != NetpbmKind::Bitmap) {
        if (!c.Number(kMaxSample, &h->maxval) || h->maxval == 0 || h->maxval > kMaxSample) return false;
    }
    // one white-space byte separates the header from a raw raster
    if (c.AtEnd() || !IsSpace(data[c.at])) return false;
    h->rasterOffset = h->plain ? c.at : c.at + 1;
    return true;
}

// The rest of a PAM header line after its keyword, without surrounding white space.
std::string LineValue(const uint8_t* data, size_t from, size_t to) {
    while (from < to && IsSpace(data[from]))
        ++from;
    while (to > from && IsSpace(data[to - 1]))
        --to;
    return std::string(reinterpret_cast<const char*>(data + from), to - from);
}

bool PositiveValue(const std::string& text, uint32_t limit, uint32_t* value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char ch : text) {
        if (!IsDigit(static_cast<uint8_t>(ch))) return false;
        v = v * 10 + static_cast<uint64_t>(ch - '0');
    }
    if (v == 0 || v > limit) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

bool ReadPamHeader(const uint8_t* data, size_t size, NetpbmHeader* h) {
    h->kind = NetpbmKind::ArbitraryMap;
    h->plain = false;
    std::string tupleType;
    bool haveWidth = false, haveHeight = false, haveDepth = false, haveMaxval = false;
    size_t at = 3; // after "P7" and its line end
    while (at < size) {
        size_t end = at;
        while (end < size && data[end] != '\n')
            ++end;
        if (end >= size) return false; // the header ends with a line
        size_t word = at;
        while (word < end && IsSpace(data[word]))
            ++word;
        size_t wordEnd = word;
        while (wordEnd < end && !IsSpace(data[wordEnd]))
            ++wordEnd;
        std::string keyword(reinterpret_cast<const char*>(data + word), wordEnd - word);
        std::string value = LineValue(data, wordEnd, end);
        at = end + 1;
        if (keyword.empty() || keyword[0] == '#') continue;
        if (keyword == "ENDHDR") {
            if (!haveWidth || !haveHeight || !haveDepth || !haveMaxval) return false;
            if (h->depth > 4) return false;
            bool alphaType = tupleType.size() > 6 && tupleType.compare(tupleType.size() - 6, 6, "_ALPHA") == 0;
            h->alpha = alphaType || (tupleType.empty() && (h->depth == 2 || h->depth == 4));
            // grey with opacity is two samples, colour with opacity four
            if (h->alpha && h->depth != 2 && h->depth != 4) return false;
            h->rasterOffset = at;
            return true;
        }
        if (keyword == "WIDTH") {
            haveWidth = PositiveValue(value, kMaxDimension, &h->width);
            if (!haveWidth) return false;
        } else if (keyword == "HEIGHT") {
            haveHeight = PositiveValue(value, kMaxDimension, &h->height);
            if (!haveHeight) return false;
        } else if (keyword == "DEPTH") {
            haveDepth = PositiveValue(value, 64, &h->depth);
            if (!haveDepth) return false;
        } else if (keyword == "MAXVAL") {
            haveMaxval = PositiveValue(value, kMaxSample, &h->maxval);
            if (!haveMaxval) return false;
        } else if (keyword == "TUPLTYPE") {
            // repeated lines add words to the type
            if (!tupleType.empty()) tupleType += ' ';
            tupleType += value;
        }
        // other keywords carry nothing this reader needs
    }
    return false;
}

// Reads samples in file order, plain or raw, and reduces them to 8 bits.
struct SampleReader {
    Cursor cursor;
    bool plain;
    bool wide; // two bytes per raw sample
    uint32_t maxval;
    std::vector<uint8_t> scale;

    bool Next(uint8_t* out) {
        uint32_t v = 0;
        if (plain) {
            if (!cursor.Number(kMaxSample, &v)) return false;
        } else {
            size_t bytes = wide ? 2 : 1;
            if (cursor.size - cursor.at < bytes) return false;
            v = wide ? (cursor.data[cursor.at] << 8) | cursor.data[cursor.at + 1] : cursor.data[cursor.at];
            cursor.at += bytes;
        }
        *out = scale[v > maxval ? maxval : v]; // a sample above the maximum is taken as the maximum
        return true;
    }
};

uint8_t OverWhite(uint8_t value, uint8_t alpha) {
    return static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

uint64_t DibStride(uint32_t width, uint32_t bitCount) {
    return ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
}

bool DecodeBitmapRows(const NetpbmHeader& h, const uint8_t* data, size_t size, uint64_t stride, NetpbmImage* image) {
    size_t rowBytes = (static_cast<size_t>(h.width) + 7) / 8;
    Cursor c{data, size, h.rasterOffset};
    for (uint32_t y = 0; y < h.height; ++y) {
        uint8_t* row = image->bits.data() + stride * (h.height - 1 - y);
        if (!h.plain) {
            std::memcpy(row, data + c.at, rowBytes);
            c.at += rowBytes;
            continue;
        }
        for (uint32_t x = 0; x < h.width; ++x) {
            c.SkipSpace();
            if (c.AtEnd() || (data[c.at] != '0' && data[c.at] != '1')) return false;
            if (data[c.at] == '1') row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            ++c.at;
        }
    }
    return true;
}

bool DecodeSampleRows(const NetpbmHeader& h, const uint8_t* data, size_t size, uint64_t stride, NetpbmImage* image) {
    SampleReader reader{Cursor{data, size, h.rasterOffset}, h.plain, h.maxval > 255, h.maxval, {}};
    reader.scale.resize(static_cast<size_t>(h.maxval) + 1);
    for (uint32_t v = 0; v <= h.maxval; ++v)
        reader.scale[v] = static_cast<uint8_t>((v * 255u + h.maxval / 2) / h.maxval);
    bool colour = h.depth >= 3;
    for (uint32_t y = 0; y < h.height; ++y) {
        uint8_t* row = image->bits.data() + stride * (h.height - 1 - y);
        for (uint32_t x = 0; x < h.width; ++x) {
            uint8_t s[4] = {0, 0, 0, 255};
            for (uint32_t i = 0; i < h.depth; ++i) {
                if (!reader.Next(&s[i])) return false;
            }
            if (colour) {
                uint8_t alpha = h.alpha ? s[3] : 255;
                row[x * 3] = h.alpha ? OverWhite(s[2], alpha) : s[2];
                row[x * 3 + 1] = h.alpha ? OverWhite(s[1], alpha) : s[1];
                row[x * 3 + 2] = h.alpha ? OverWhite(s[0], alpha) : s[0];
            } else {
                row[x] = h.alpha ? OverWhite(s[0], s[1]) : s[0];
            }
        }
    }
    return true;
}

} // namespace

bool LooksLikeNetpbm(const uint8_t* data, size_t size) {
    if (!data || size < 3 || data[0] != 'P') return false;
    if (data[1] >= '1' && data[1] <= '6') return IsSpace(data[2]);
    return data[1] == '7' && data[2] == '\n';
}

bool ReadNetpbmHeader(const uint8_t* data, size_t size, NetpbmHeader* header) {
    *header = NetpbmHeader{};
    if (!LooksLikeNetpbm(data, size)) return false;
    return data[1] == '7' ? ReadPamHeader(data, size, header) : ReadPnmHeader(data, size, header);
}

bool DecodeNetpbm(const uint8_t* data, size_t size, NetpbmImage* image) {
    *image = NetpbmImage{};
    NetpbmHeader h;
    if (!ReadNetpbmHeader(data, size, &h)) return false;
    bool bitmap = h.kind == NetpbmKind::Bitmap;
    uint32_t bitCount = bitmap ? 1 : h.depth >= 3 ? 24 : 8;

    // Every sample must be there before the bitmap is allocated: raw samples take their exact
    // size, plain ones at least a character each.
    uint64_t samples = static_cast<uint64_t>(h.width) * h.height * h.depth;
    uint64_t needed = h.plain  ? samples
                      : bitmap ? (static_cast<uint64_t>(h.width) + 7) / 8 * h.height
                               : samples * (h.maxval > 255 ? 2 : 1);
    if (h.rasterOffset > size || size - h.rasterOffset < needed) return false;
    uint64_t stride = DibStride(h.width, bitCount);
    if (stride * h.height > kMaxBitmapBytes) return false;

    image->width = h.width;
    image->height = h.height;
    image->bitCount = static_cast<uint16_t>(bitCount);
    image->sourceDepth = static_cast<uint16_t>(bitmap ? 1 : h.depth * (h.maxval > 255 ? 16 : 8));
    if (bitmap) {
        image->palette = {255, 255, 255, 0, 0, 0, 0, 0}; // a set bit is black
    } else if (bitCount == 8) {
        image->palette.resize(256 * 4);
        for (uint32_t i = 0; i < 256; ++i)
            std::memset(image->palette.data() + i * 4, static_cast<int>(i), 3);
    }
    image->bits.assign(static_cast<size_t>(stride * h.height), 0);
    bool ok = bitmap ? DecodeBitmapRows(h, data, size, stride, image) : DecodeSampleRows(h, data, size, stride, image);
    if (!ok) *image = NetpbmImage{};
    return ok;
}

} // namespace qv
