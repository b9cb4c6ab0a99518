// GIF reading limits, frame timing and the GIF writer. The reader itself is ReadGifMemory
// (codecs/decoders.h).
#pragma once

#include <cstdint>
#include <vector>

#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "platform/win32_types.h"

namespace qv {

// ---- reading limits: every block is sized against these before it is allocated -------------
// A logical screen larger than this (in pixels) is refused with kCodecNotSupported: a few bytes
// of file can claim a 65535 x 65535 screen, and one frame of it would be 4 GiB.
constexpr uint64_t kGifMaxScreenPixels = uint64_t{1} << 28;
// All frame blocks of one animation together (256 full-HD frames fit); frames beyond it are
// dropped and the animation keeps the frames decoded so far.
constexpr uint64_t kGifMaxAnimationBytes = uint64_t{512} << 20;
// Bytes of palette kept after the pixels of every frame block.
constexpr uint32_t kGifFramePaletteBytes = 256 * 4;

// The delay the viewer waits before showing the next frame, in hundredths of a second, for a
// frame whose file delay is `fileDelay`. Many files carry 0 or 1, meaning "as fast as possible";
// browsers show those for 10 hundredths, and people expect a GIF to run here as it does there.
// AnimationFrames.delays keep the file's own values.
constexpr uint32_t kGifMinimumFastDelay = 2;
constexpr uint32_t kGifFastDelayReplacement = 10;
inline uint32_t GifPlaybackDelay(uint32_t fileDelay) {
    return fileDelay < kGifMinimumFastDelay ? kGifFastDelayReplacement : fileDelay;
}

// ---- writing ------------------------------------------------------------------------------
struct GifWriteOptions {
    uint32_t depth = 8; // bits per pixel, 1-8
    bool dither = false;
    bool interlace = false;
    bool transparent = false;
    uint32_t transparentColour = 0; // COLORREF: red | green << 8 | blue << 16
};

// One index byte per pixel, `rows` top-down (row y at rows + y * stride), values below
// 1 << depth. The palette has 1 << depth entries.
struct GifIndexPlane {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 8;
    const uint8_t* rows = nullptr;
    intptr_t stride = 0; // may be negative to walk a bottom-up block from its top row
    const RGBQUAD* palette = nullptr;
    uint32_t paletteUsed = 0;      // entries the pixels use: the transparent colour is sought among these
    int32_t transparentIndex = -1; // -1: none
    bool interlace = false;
};

// The first of the `used` entries equal to `colour`, else the nearest by the sum of squared
// channel differences (first on ties).
uint32_t NearestPaletteEntry(const RGBQUAD* palette, uint32_t used, uint32_t colour);

// A whole GIF89a file for one image. Returns false for sizes beyond 65535 or a depth outside 1-8.
bool EncodeGif(const GifIndexPlane& plane, std::vector<uint8_t>* out);

// Converts `image` (8 or 24 bits) to the chosen depth and writes it to `path`. Returns a status:
// 50005 when the size is beyond 65535 or the file cannot be written, 50006 when the conversion
// fails, 50001 without memory.
CodecStatus WriteGifFile(const wchar_t* path, const ImageBuffer& image, const GifWriteOptions& options);

} // namespace qv
