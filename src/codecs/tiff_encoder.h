// TIFF writer: an ImageBuffer as one uncompressed little-endian strip at 1, 4, 8 (grey or palette)
// or 24 bits, with a fixed tag set so that every offset in the file follows from the depth alone.
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"

namespace qv {

// The save options of the TIFF format ("TifDepth", "TifGray" and the dither flag).
struct TiffWriteOptions {
    uint32_t depth = 24; // 1, 4, 8 or 24
    bool grey = false;   // depth 8 as grey levels instead of a 256-colour palette
    bool dither = false; // error diffusion when colours are reduced
};

// Where the parts of a file of one depth go; see TiffLayoutFor.
struct TiffLayout {
    uint16_t photometric = 0;
    uint16_t entries = 0;         // IFD entries: 11 or 12
    uint32_t bitsAt = 0;          // the three BitsPerSample SHORTs of RGB, else 0
    uint32_t xResolutionAt = 0;   // RATIONAL
    uint32_t yResolutionAt = 0;   // RATIONAL
    uint32_t colourMapAt = 0;     // 0 without a colour map
    uint32_t colourMapValues = 0; // 48 or 768
    uint32_t dataAt = 0;
    uint32_t rowBytes = 0; // bytes of one packed file row
    uint32_t dataBytes = 0;
};

// The layout of a `width` x `height` image at `depth`; false when the depth is not one the
// writer knows or the data does not fit in 32 bits.
bool TiffLayoutFor(uint32_t width, uint32_t height, uint32_t depth, bool grey, TiffLayout* layout);

// Writes `image` (8 or 24 bits) to `path`, creating or replacing the file. Statuses: 50001 no
// memory, 50005 the file cannot be created or written or the depth is unknown, 50006 the image
// cannot be converted to the depth.
bool WriteTiffFile(const wchar_t* path, const ImageBuffer& image, const TiffWriteOptions& options, CodecStatus* status);

} // namespace qv
