// Overflow-checked size arithmetic shared by every codec and archive reader. Each helper returns
// false instead of wrapping, so a size is known to fit before anything is allocated from it.
#pragma once

#include <cstdint>

namespace qv {

inline bool CheckedMul32(uint32_t a, uint32_t b, uint32_t* out) {
    uint64_t r = static_cast<uint64_t>(a) * b;
    if (r > UINT32_MAX) return false;
    *out = static_cast<uint32_t>(r);
    return true;
}

inline bool CheckedAdd32(uint32_t a, uint32_t b, uint32_t* out) {
    uint64_t r = static_cast<uint64_t>(a) + b;
    if (r > UINT32_MAX) return false;
    *out = static_cast<uint32_t>(r);
    return true;
}

// Bytes in a row of `width` pixels at `bitsPerPixel`, padded to 4 bytes (the DIB rule).
inline bool DibStride(uint32_t width, uint32_t bitsPerPixel, uint32_t* out) {
    uint64_t bits = static_cast<uint64_t>(width) * bitsPerPixel;
    uint64_t stride = ((bits + 31) / 32) * 4;
    if (stride > UINT32_MAX) return false;
    *out = static_cast<uint32_t>(stride);
    return true;
}

// True when [offset, offset + length) lies inside a block of `size` bytes.
inline bool RangeInside(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

inline uint16_t ReadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline uint16_t ReadBE16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t ReadBE32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline void WriteLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void WriteBE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

} // namespace qv
