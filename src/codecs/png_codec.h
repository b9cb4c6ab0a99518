// The PNG writer and the comment operations. The reader is ReadPngMemory in codecs/decoders.h.
#pragma once

#include <cstdint>
#include <string>

#include "model/codec_status.h"
#include "model/image_buffer.h"

namespace qv {

// What the save pipeline hands the writer (the PngDepth, PngGray, Level, Filter, interlace,
// transparent-colour, gamma, resolution and comment settings).
struct PngWriteOptions {
    uint32_t depth = 24;    // 1, 2, 4, 8 (palette or grey) or 24 (RGB)
    bool grey = false;      // write grey instead of a palette (8 bits only)
    int32_t level = 6;      // deflate level 0-9
    uint32_t filter = 0;    // 0 adaptive per row, 1 None, 2 Sub, 3 Up, 4 Average, 5 Paeth
    bool interlace = false; // Adam7
    bool dither = false;    // Floyd-Steinberg when the colour reduction builds a palette
    bool transparent = false;
    uint32_t transparentColour = 0; // COLORREF
    uint32_t gamma = 0;             // x 1000; 0 writes no gAMA chunk
    int32_t xResolution = 0;        // pixels per metre; pHYs only when both are above 0
    int32_t yResolution = 0;
    const char* comment = nullptr; // ANSI text, NUL-terminated; null for none
    // Called with true before the one deflate call and false after it; the program shows
    // "compress..." in the progress window's title meanwhile.
    void (*progress)(void* context, bool compressing) = nullptr;
    void* progressContext = nullptr;
};

// Filter choices as the Filter setting numbers them.
enum PngFilterChoice : uint32_t {
    kPngFilterAdaptive = 0,
    kPngFilterChoiceNone = 1,
    kPngFilterChoiceSub = 2,
    kPngFilterChoiceUp = 3,
    kPngFilterChoiceAverage = 4,
    kPngFilterChoicePaeth = 5,
};

// Encodes `image` (8 or 24 bits) as a whole PNG file in memory.
CodecStatus EncodePngMemory(const ImageBuffer& image, const PngWriteOptions& options, std::string* out);
// The same into a file (created or truncated); 50005 when it cannot be created or written.
CodecStatus WritePngFile(const wchar_t* path, const ImageBuffer& image, const PngWriteOptions& options);

// The filter type (0-4) the adaptive choice takes for `row` given the previous row.
uint8_t ChooseAdaptiveFilter(const uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp);

// ---- the "Comment" text ---------------------------------------------------------------------

// Text of the first "Comment" tEXt chunk with a matching CRC (at most 4096 bytes of text);
// empty when there is none or the bytes are not a PNG file.
std::string ReadPngCommentMemory(const uint8_t* data, uint32_t size);
std::string ReadPngComment(const wchar_t* path);

// Result of replacing the comment: `delta` is +1 when a comment was added, 0 when one was
// replaced (or nothing was to be done), -1 when one was removed; `wrote` is false when there was
// nothing to do (no new text and no old comment), and then no target is written.
struct PngCommentChange {
    int delta = 0;
    bool wrote = false;
};

// Builds in `out` a copy of the PNG at `data` with its comment replaced by `text` (null or empty
// removes it). Fails with 50007 when the chunk list is damaged before a comment or IEND is found.
CodecStatus ReplacePngCommentMemory(const uint8_t* data, uint32_t size, const char* text, std::string* out,
                                    PngCommentChange* change);
// File form: maps `source`, writes `target`. Mapping or creation failure is 50005.
CodecStatus ReplacePngComment(const wchar_t* source, const wchar_t* target, const char* text, PngCommentChange* change);

// The tEXt "Comment" chunk as written: carriage returns removed, at most 4095 bytes of text.
void AppendPngCommentChunk(const char* text, std::string* out);
// One whole chunk (length, type, data, CRC) appended to `out`.
void AppendPngChunk(uint32_t type, const uint8_t* data, uint32_t length, std::string* out);

// Chunk lengths are 31-bit numbers; readers refuse a length with the top bit set.
constexpr uint32_t kPngMaxChunkLength = 0x7FFFFFFF;
// The compressed image data as consecutive IDAT chunks of at most `pieceLength` bytes (the
// encoder uses kPngMaxChunkLength, so only 2 GiB of compressed data and more is split).
void AppendIdatChunks(const uint8_t* data, uint64_t length, uint32_t pieceLength, std::string* out);

} // namespace qv
