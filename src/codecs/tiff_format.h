// Numbers of the TIFF format shared by the TIFF reader and writer: tags, field types and the
// values of the fields they interpret.
#pragma once

#include <cstdint>

namespace qv {

constexpr uint16_t kTiffMagic = 42;

enum TiffTag : uint16_t {
    kTagImageWidth = 256,
    kTagImageLength = 257,
    kTagBitsPerSample = 258,
    kTagCompression = 259,
    kTagPhotometric = 262,
    kTagFillOrder = 266,
    kTagImageDescription = 270,
    kTagStripOffsets = 273,
    kTagSamplesPerPixel = 277,
    kTagRowsPerStrip = 278,
    kTagStripByteCounts = 279,
    kTagXResolution = 282,
    kTagYResolution = 283,
    kTagPlanarConfiguration = 284,
    kTagResolutionUnit = 296,
    kTagColorMap = 320,
    kTagTileWidth = 322,
    kTagTileLength = 323,
    kTagTileOffsets = 324,
    kTagTileByteCounts = 325,
    kTagExtraSamples = 338,
    kTagSampleFormat = 339,
};

enum TiffType : uint16_t {
    kTiffByte = 1,
    kTiffAscii = 2,
    kTiffShort = 3,
    kTiffLong = 4,
    kTiffRational = 5,
};

// Bytes of one value of a field type (0 for types this program never reads).
inline uint32_t TiffTypeSize(uint16_t type) {
    switch (type) {
    case kTiffByte:
    case kTiffAscii: return 1;
    case kTiffShort: return 2;
    case kTiffLong: return 4;
    case kTiffRational: return 8;
    default: return 0;
    }
}

constexpr uint32_t kTiffNoCompression = 1;
constexpr uint32_t kTiffPhotometricWhiteIsZero = 0;
constexpr uint32_t kTiffPhotometricBlackIsZero = 1;
constexpr uint32_t kTiffPhotometricRgb = 2;
constexpr uint32_t kTiffPhotometricPalette = 3;
constexpr uint32_t kTiffPhotometricNone = 4; // what a file without the tag gets: unsupported
constexpr uint32_t kTiffResolutionInch = 2;
constexpr uint32_t kTiffResolutionCentimetre = 3;
constexpr uint32_t kTiffSampleUnsigned = 1;
constexpr uint32_t kTiffMaxStrips = 1u << 30;

} // namespace qv
