// Facts of the PNG file format shared by the reader, the writer and the comment rewriter:
// the signature, chunk names, the chunk walk with its CRC check, and the Adam7 pass layout.
#pragma once

#include <cstdint>

#include "platform/checked_math.h"
#include "platform/crc32.h"

namespace qv {

inline constexpr uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
// Signature (8) + IHDR chunk (4 length + 4 type + 13 data + 4 CRC): where the chunk walk of the
// comment operations starts.
inline constexpr uint32_t kPngAfterHeader = 33;

constexpr uint32_t PngChunkName(char a, char b, char c, char d) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(d));
}
inline constexpr uint32_t kChunkIHDR = PngChunkName('I', 'H', 'D', 'R');
inline constexpr uint32_t kChunkPLTE = PngChunkName('P', 'L', 'T', 'E');
inline constexpr uint32_t kChunkIDAT = PngChunkName('I', 'D', 'A', 'T');
inline constexpr uint32_t kChunkIEND = PngChunkName('I', 'E', 'N', 'D');
inline constexpr uint32_t kChunkGAMA = PngChunkName('g', 'A', 'M', 'A');
inline constexpr uint32_t kChunkBKGD = PngChunkName('b', 'K', 'G', 'D');
inline constexpr uint32_t kChunkTRNS = PngChunkName('t', 'R', 'N', 'S');
inline constexpr uint32_t kChunkPHYS = PngChunkName('p', 'H', 'Y', 's');
inline constexpr uint32_t kChunkTEXT = PngChunkName('t', 'E', 'X', 't');

inline constexpr char kPngCommentKeyword[] = "Comment"; // 7 bytes, then the NUL separator

enum PngColourType : uint8_t {
    kPngGrey = 0,
    kPngRgb = 2,
    kPngPalette = 3,
    kPngGreyAlpha = 4,
    kPngRgbAlpha = 6,
};

enum PngFilter : uint8_t { kFilterNone = 0, kFilterSub = 1, kFilterUp = 2, kFilterAverage = 3, kFilterPaeth = 4 };

// One chunk as it lies in memory. `data` points at the data, `next` at the following chunk.
struct PngChunk {
    uint32_t length = 0;
    uint32_t type = 0;
    const uint8_t* data = nullptr;
    const uint8_t* next = nullptr;
};

enum class ChunkRead {
    Ok,
    LengthTopBit, // a length of 2^31 or more, which the format forbids
    PastEnd,      // the chunk (or its length and type) runs past the end of the data
};

inline ChunkRead ReadPngChunk(const uint8_t* pos, const uint8_t* end, PngChunk* chunk) {
    if (end - pos < 8) return ChunkRead::PastEnd;
    uint32_t length = ReadBE32(pos);
    if (length & 0x80000000u) return ChunkRead::LengthTopBit;
    // 12 = length + type + CRC around the data
    if (static_cast<uint64_t>(end - pos) < static_cast<uint64_t>(length) + 12) return ChunkRead::PastEnd;
    chunk->length = length;
    chunk->type = ReadBE32(pos + 4);
    chunk->data = pos + 8;
    chunk->next = pos + 12 + length;
    return ChunkRead::Ok;
}

// The CRC covers the type and the data.
inline bool PngChunkCrcMatches(const PngChunk& chunk) {
    return Crc32Update(0, chunk.data - 4, static_cast<size_t>(chunk.length) + 4) == ReadBE32(chunk.data + chunk.length);
}

// True for a tEXt chunk whose keyword is exactly "Comment".
inline bool IsPngCommentChunk(const PngChunk& chunk) {
    if (chunk.type != kChunkTEXT || chunk.length < 8) return false;
    for (int i = 0; i < 7; ++i) {
        if (chunk.data[i] != static_cast<uint8_t>(kPngCommentKeyword[i])) return false;
    }
    return chunk.data[7] == 0;
}

// Adam7: pass origins and steps.
inline constexpr uint8_t kAdam7X0[7] = {0, 4, 0, 2, 0, 1, 0};
inline constexpr uint8_t kAdam7Y0[7] = {0, 0, 4, 0, 2, 0, 1};
inline constexpr uint8_t kAdam7DX[7] = {8, 8, 4, 4, 2, 2, 1};
inline constexpr uint8_t kAdam7DY[7] = {8, 8, 8, 4, 4, 2, 2};

// Pixels of a pass along one axis of `size` pixels.
inline uint32_t Adam7Extent(uint32_t size, uint32_t origin, uint32_t step) {
    return size > origin ? (size - origin + step - 1) / step : 0;
}

// Bytes of one packed row of `width` pixels at `bitsPerPixel`, without the filter byte.
inline uint64_t PngRowBytes(uint32_t width, uint32_t bitsPerPixel) {
    return (static_cast<uint64_t>(width) * bitsPerPixel + 7) / 8;
}

} // namespace qv
