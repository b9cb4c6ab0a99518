// GIF reader: the logical screen, colour tables, extensions and images of 87a and 89a files; the
// first image composed on a screen-size block and, for files marked as animations, up to 256
// fully composed frames.
#include <cstring>
#include <new>
#include <utility>

#include "codecs/decoders.h"
#include "codecs/gif_codec.h"
#include "codecs/gif_lzw.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

// A block from the large-block allocator that only grows; its contents are scratch.
struct ScratchBlock {
    LargeBlock block;
    size_t capacity = 0;
    uint8_t* data() { return block.get(); }
    bool Reserve(size_t bytes) {
        if (bytes <= capacity) return true;
        block.reset(static_cast<uint8_t*>(AllocLargeBlock(bytes)));
        capacity = block ? bytes : 0;
        return block != nullptr;
    }
};

struct GifImageRecord {
    uint32_t left = 0, top = 0, width = 0, height = 0;
    bool transparent = false;
    uint8_t transparentIndex = 0;
    uint32_t disposal = 0;
    bool interlaced = false;
    uint32_t produced = 0; // indices the data actually gave, in file row order
};

// Calls visit(y, indices, count) for each row of the image that the data reached, y counted from
// the image's top; interlaced images give their rows in four passes.
template <typename Visit> void VisitRows(const GifImageRecord& image, Visit visit, const uint8_t* rectIndices) {
    static constexpr uint32_t kPassStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kPassStep[4] = {8, 8, 4, 2};
    const uint32_t w = image.width;
    if (w == 0) return;
    const uint32_t fullRows = image.produced / w;
    const uint32_t lastRowPart = image.produced % w;
    uint32_t fileRow = 0;
    const int passes = image.interlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const uint32_t first = image.interlaced ? kPassStart[pass] : 0;
        const uint32_t step = image.interlaced ? kPassStep[pass] : 1;
        for (uint32_t y = first; y < image.height; y += step, ++fileRow) {
            if (fileRow >= fullRows && (fileRow > fullRows || lastRowPart == 0)) return;
            visit(y, rectIndices + static_cast<size_t>(fileRow) * w, fileRow < fullRows ? w : lastRowPart);
        }
    }
}

struct GifDecoder : CodecContext {
    const LoadOptions* options = nullptr;
    bool wantFrames = false;
    LoadInfo* info = nullptr;

    uint32_t screenWidth = 0, screenHeight = 0, stride = 0, planeBytes = 0, frameBlockBytes = 0;
    uint8_t backgroundIndex = 0;
    uint8_t globalTable[768] = {};
    uint32_t globalBits = 0; // 0: no global table
    uint32_t sourceBitDepth = 0;

    // graphic control for the coming image
    bool gceTransparent = false;
    uint8_t gceIndex = 0;
    uint32_t gceDisposal = 0;
    uint32_t gceDelay = 0;

    uint32_t interlacedImages = 0;
    uint32_t transparentImages = 0;
    bool commentSeen = false;
    bool animated = false; // a NETSCAPE2.0 block was seen
    uint32_t loopCount = 0;

    int imageCount = 0;
    bool stopped = false; // no further frames fit in memory
    uint64_t frameBytesTotal = 0;
    AnimationFrames* frames = nullptr; // working record, attached on success
    uint8_t* firstBlock = nullptr;
    RGBQUAD firstPalette[256] = {};

    ScratchBlock indices, previousIndices;
    ScratchBlock savedUnder; // the picture under the last image, for disposal 3
    GifImageRecord previous;

    ~GifDecoder() {
        if (frames) {
            for (int i = 0; i < kMaxAnimationFrames; ++i)
                if (frames->frames[i] != firstBlock) FreeLargeBlock(frames->frames[i]);
            frames->~AnimationFrames();
            PrivateFree(frames);
        }
        FreeLargeBlock(firstBlock);
    }

    bool Run();
    bool ReadExtension();
    bool ReadImage();
    bool SkipSubBlocks();
    bool Finish();
    bool ArrangeInPlace(uint32_t produced);
    void BuildPalette(const uint8_t* table, uint32_t entries, const GifImageRecord& image, RGBQUAD* palette) const;
    void Draw(uint8_t* block, const GifImageRecord& image, const uint8_t* rectIndices, bool keepTransparent) const;
};

inline uint8_t* ScreenRow(uint8_t* block, uint32_t stride, uint32_t screenHeight, uint32_t y) {
    return block + static_cast<size_t>(screenHeight - 1 - y) * stride;
}

bool GifDecoder::SkipSubBlocks() {
    for (;;) {
        if (pos >= end) return Fail(kCodecBadData);
        uint32_t n = *pos++;
        if (n == 0) return true;
        if (Remaining() < n) return Fail(kCodecBadData);
        pos += n;
    }
}

bool GifDecoder::Run() {
    if (Remaining() < 13 || std::memcmp(pos, "GIF", 3) != 0 ||
        (std::memcmp(pos + 3, "87a", 3) != 0 && std::memcmp(pos + 3, "89a", 3) != 0))
        return Fail(kCodecBadData);
    screenWidth = ReadLE16(pos + 6);
    screenHeight = ReadLE16(pos + 8);
    uint8_t packed = pos[10];
    backgroundIndex = pos[11];
    pos += 13;
    if (screenWidth == 0 || screenHeight == 0) return Fail(kCodecNotSupported);
    // Refused before anything is allocated: the screen block and every frame are this large.
    if (static_cast<uint64_t>(screenWidth) * screenHeight > kGifMaxScreenPixels) return Fail(kCodecNotSupported);
    stride = ImageStride(screenWidth, 8);
    planeBytes = stride * screenHeight; // below 2^28 + 3 * 2^16 by the check above
    frameBlockBytes = planeBytes + kGifFramePaletteBytes + 4;
    if (packed & 0x80) {
        uint32_t entries = 2u << (packed & 7);
        if (Remaining() < entries * 3) return Fail(kCodecBadData);
        std::memcpy(globalTable, pos, entries * 3);
        pos += entries * 3;
        globalBits = (packed & 7) + 1;
        sourceBitDepth = globalBits;
    }

    for (;;) {
        bool ok = true;
        if (pos >= end) {
            // a file cut short after a complete image keeps what it showed
            if (imageCount > 0) return Finish();
            return Fail(kCodecBadData);
        }
        uint8_t kind = *pos++;
        if (kind == 0x21) {
            ok = ReadExtension();
        } else if (kind == 0x2C) {
            ok = ReadImage();
            if (ok && (stopped || !wantFrames || !animated || imageCount >= kMaxAnimationFrames)) return Finish();
        } else if (kind == 0x3B) {
            if (imageCount > 0) return Finish();
            return Fail(kCodecBadData);
        } else {
            ok = Fail(kCodecCannotOpen);
        }
        // Damage after the first complete image ends the animation there instead of losing it.
        if (!ok) return imageCount > 0 ? Finish() : false;
    }
}

bool GifDecoder::ReadExtension() {
    if (pos >= end) return Fail(kCodecBadData);
    uint8_t label = *pos++;
    switch (label) {
    case 0xF9: {
        if (pos < end && *pos >= 4 && Remaining() >= 5u) {
            uint8_t packed = pos[1];
            gceTransparent = (packed & 1) != 0;
            gceDisposal = (packed >> 2) & 7;
            gceDelay = ReadLE16(pos + 2);
            gceIndex = pos[4];
            if (gceTransparent) ++transparentImages;
        }
        return SkipSubBlocks();
    }
    case 0xFE: commentSeen = true; return SkipSubBlocks();
    case 0xFF: {
        if (wantFrames && !animated && Remaining() >= 12 && pos[0] == 11 &&
            (std::memcmp(pos + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(pos + 1, "ANIMEXTS1.0", 11) == 0)) {
            pos += 12;
            // the loop sub-block: 03 01 lo hi
            if (Remaining() >= 4 && pos[0] >= 3 && pos[1] == 1) loopCount = ReadLE16(pos + 2);
            animated = true;
        }
        return SkipSubBlocks();
    }
    // Plain text, and labels we do not know: the format makes every extension a chain of
    // sub-blocks, so they are stepped over and the images after them still show.
    default: return SkipSubBlocks();
    }
}

void GifDecoder::BuildPalette(const uint8_t* table, uint32_t entries, const GifImageRecord& image,
                              RGBQUAD* palette) const {
    std::memset(palette, 0, 256 * sizeof(RGBQUAD));
    for (uint32_t i = 0; i < entries; ++i) {
        palette[i].rgbRed = table[i * 3];
        palette[i].rgbGreen = table[i * 3 + 1];
        palette[i].rgbBlue = table[i * 3 + 2];
    }
    if (options->alpha && image.transparent) {
        uint32_t colour = options->background;
        if (options->fileBackground && globalBits != 0 && backgroundIndex < (1u << globalBits)) {
            const uint8_t* c = globalTable + backgroundIndex * 3;
            colour = c[0] | (c[1] << 8) | (c[2] << 16);
        }
        RGBQUAD& entry = palette[image.transparentIndex];
        entry.rgbRed = static_cast<uint8_t>(colour);
        entry.rgbGreen = static_cast<uint8_t>(colour >> 8);
        entry.rgbBlue = static_cast<uint8_t>(colour >> 16);
        entry.rgbReserved = 0;
    }
}

// Copies the image's decoded indices into its rectangle of a screen block. Indices the data did
// not give leave the block as it is.
void GifDecoder::Draw(uint8_t* block, const GifImageRecord& image, const uint8_t* rectIndices,
                      bool keepTransparent) const {
    VisitRows(
        image,
        [&](uint32_t y, const uint8_t* src, uint32_t count) {
            uint8_t* dst = ScreenRow(block, stride, screenHeight, image.top + y) + image.left;
            if (!keepTransparent) {
                std::memcpy(dst, src, count);
                return;
            }
            const uint8_t t = image.transparentIndex;
            for (uint32_t x = 0; x < count; ++x)
                if (src[x] != t) dst[x] = src[x];
        },
        rectIndices);
}

bool GifDecoder::ReadImage() {
    if (Remaining() < 9) return Fail(kCodecBadData);
    GifImageRecord image;
    image.left = ReadLE16(pos);
    image.top = ReadLE16(pos + 2);
    image.width = ReadLE16(pos + 4);
    image.height = ReadLE16(pos + 6);
    uint8_t packed = pos[8];
    pos += 9;
    image.transparent = gceTransparent;
    image.transparentIndex = gceIndex;
    image.disposal = gceDisposal;
    uint32_t delay = gceDelay;
    // a graphic control block applies to the one image that follows it
    gceTransparent = false;
    gceDisposal = 0;
    gceDelay = 0;

    if (image.left + image.width > screenWidth || image.top + image.height > screenHeight) return Fail(kCodecBadData);
    image.interlaced = (packed & 0x40) != 0;
    const uint8_t* table = globalTable;
    uint32_t entries = globalBits ? 1u << globalBits : 0;
    if (packed & 0x80) {
        entries = 2u << (packed & 7);
        if (Remaining() < entries * 3) return Fail(kCodecBadData);
        table = pos;
        pos += entries * 3;
        if (imageCount == 0 && globalBits == 0) sourceBitDepth = (packed & 7) + 1;
    }
    if (entries == 0) return Fail(kCodecBadData);
    if (pos >= end) return Fail(kCodecBadData);
    uint32_t minCodeSize = *pos++;
    if (minCodeSize < 2 || minCodeSize > 8) return Fail(kCodecBadData);

    // The data is decoded straight from its sub-blocks, so there is no gathering buffer that a
    // file with more compressed data than expected could overrun. Walk the chain once first:
    // it must end inside the file and hold some data.
    const uint8_t* data = pos;
    uint64_t total = 0;
    for (;;) {
        if (pos >= end) return Fail(kCodecBadData);
        uint32_t n = *pos++;
        if (n == 0) break;
        if (Remaining() < n) return Fail(kCodecBadData);
        pos += n;
        total += n;
    }
    if (total == 0) return Fail(kCodecBadData);

    const uint32_t rectPixels = image.width * image.height; // inside the screen, so below 2^28
    if (rectPixels == 0 && imageCount == 0) return Fail(kCodecBadData);
    const bool keepFrames = wantFrames && animated;
    // A still image that fills the screen is decoded in place in its own block.
    const bool inPlace = imageCount == 0 && !keepFrames && !image.interlaced && image.width == screenWidth &&
                         image.height == screenHeight;
    GifLzwResult lzw;
    if (inPlace) {
        firstBlock = static_cast<uint8_t*>(AllocLargeBlock(frameBlockBytes));
        if (!firstBlock) return Fail(kCodecOutOfMemory);
        if (backgroundIndex != 0) std::memset(firstBlock, backgroundIndex, planeBytes);
        lzw = DecodeGifLzw(data, pos, minCodeSize, firstBlock, rectPixels); // the palette room is the slack
    } else {
        if (!indices.Reserve(static_cast<size_t>(rectPixels) + kGifLzwOutputSlack)) return Fail(kCodecOutOfMemory);
        lzw = DecodeGifLzw(data, pos, minCodeSize, indices.data(), rectPixels);
    }
    image.produced = lzw.produced;
    if (rectPixels > 0 && lzw.produced == 0) return Fail(kCodecBadData);

    if (inPlace) {
        if (!ArrangeInPlace(image.produced)) return Fail(kCodecOutOfMemory);
        BuildPalette(table, entries, image, firstPalette);
        std::memcpy(firstBlock + planeBytes, firstPalette, kGifFramePaletteBytes);
    } else if (imageCount == 0) {
        firstBlock = static_cast<uint8_t*>(AllocLargeBlock(frameBlockBytes));
        if (!firstBlock) return Fail(kCodecOutOfMemory);
        if (backgroundIndex != 0) std::memset(firstBlock, backgroundIndex, planeBytes);
        if (keepFrames && image.disposal == 3) {
            // restoring under the first image gives back the background
            if (!savedUnder.Reserve(rectPixels + 1)) return Fail(kCodecOutOfMemory);
            std::memset(savedUnder.data(), backgroundIndex, rectPixels);
        }
        // Indices are copied as they are; the blend rule shows the transparent one as background.
        Draw(firstBlock, image, indices.data(), false);
        BuildPalette(table, entries, image, firstPalette);
        std::memcpy(firstBlock + planeBytes, firstPalette, kGifFramePaletteBytes);
        frameBytesTotal = frameBlockBytes;
        if (keepFrames) {
            void* record = PrivateAlloc(sizeof(AnimationFrames));
            if (!record) return Fail(kCodecOutOfMemory);
            frames = new (record) AnimationFrames;
            frames->frames[0] = firstBlock;
            frames->palettes[0] = reinterpret_cast<RGBQUAD*>(firstBlock + planeBytes);
            frames->delays[0] = delay;
            frames->frameCount = 1;
        }
    } else {
        if (frameBytesTotal + frameBlockBytes > kGifMaxAnimationBytes) {
            stopped = true; // the frames so far stay; this image and the rest are dropped
            return true;
        }
        const int k = frames->frameCount;
        LargeBlock owned(static_cast<uint8_t*>(AllocLargeBlock(frameBlockBytes)));
        if (!owned) return Fail(kCodecOutOfMemory);
        uint8_t* block = owned.get();
        std::memcpy(block, frames->frames[k - 1], planeBytes);
        // the picture as the previous image's disposal leaves it
        const GifImageRecord& p = previous;
        if (p.disposal == 2) {
            if (!p.transparent) {
                for (uint32_t y = 0; y < p.height; ++y)
                    std::memset(ScreenRow(block, stride, screenHeight, p.top + y) + p.left, backgroundIndex, p.width);
            } else {
                // only where the previous image was opaque
                const uint8_t* prevIndices = previousIndices.data();
                VisitRows(
                    p,
                    [&](uint32_t y, const uint8_t* src, uint32_t count) {
                        uint8_t* row = ScreenRow(block, stride, screenHeight, p.top + y) + p.left;
                        for (uint32_t x = 0; x < count; ++x)
                            if (src[x] != p.transparentIndex) row[x] = backgroundIndex;
                    },
                    prevIndices);
            }
        } else if (p.disposal == 3) {
            for (uint32_t y = 0; y < p.height; ++y)
                std::memcpy(ScreenRow(block, stride, screenHeight, p.top + y) + p.left,
                            savedUnder.data() + static_cast<size_t>(y) * p.width, p.width);
        }
        if (image.disposal == 3) {
            if (!savedUnder.Reserve(rectPixels + 1)) return Fail(kCodecOutOfMemory);
            for (uint32_t y = 0; y < image.height; ++y)
                std::memcpy(savedUnder.data() + static_cast<size_t>(y) * image.width,
                            ScreenRow(block, stride, screenHeight, image.top + y) + image.left, image.width);
        }
        Draw(block, image, indices.data(), image.transparent);
        RGBQUAD* palette = reinterpret_cast<RGBQUAD*>(block + planeBytes);
        BuildPalette(table, entries, image, palette);
        frames->frames[k] = owned.release();
        frames->palettes[k] = palette;
        frames->delays[k] = delay;
        frames->frameCount = k + 1;
        frameBytesTotal += frameBlockBytes;
    }
    if (keepFrames) {
        previous = image;
        std::swap(indices, previousIndices);
    }
    if (image.interlaced) ++interlacedImages;
    ++imageCount;
    return true;
}

// The first image was decoded into its block as top-down rows of screenWidth bytes: spread the
// rows to the stride and turn them bottom-up. Indices the data did not give stay background.
bool GifDecoder::ArrangeInPlace(uint32_t produced) {
    const uint32_t w = screenWidth, h = screenHeight;
    uint8_t* block = firstBlock;
    if (produced < w * h) {
        // the last string copy may have run up to 15 bytes past what it produced
        uint32_t stop = w * h - produced < kGifLzwOutputSlack ? w * h : produced + kGifLzwOutputSlack;
        std::memset(block + produced, backgroundIndex, stop - produced);
    }
    if (stride != w) {
        // from the last row back: a row's new place never covers a row not yet moved
        for (uint32_t y = h; y-- > 1;)
            std::memmove(block + static_cast<size_t>(y) * stride, block + static_cast<size_t>(y) * w, w);
    }
    if (!indices.Reserve(w)) return false;
    uint8_t* spare = indices.data();
    for (uint32_t y = 0; y < h / 2; ++y) {
        uint8_t* a = block + static_cast<size_t>(y) * stride;
        uint8_t* b = block + static_cast<size_t>(h - 1 - y) * stride;
        std::memcpy(spare, a, w);
        std::memcpy(a, b, w);
        std::memcpy(b, spare, w);
    }
    return true;
}

bool GifDecoder::Finish() {
    ImageBuffer* target = image;
    std::memset(&target->header, 0, sizeof target->header);
    target->header.biSize = 40;
    target->header.biWidth = static_cast<LONG>(screenWidth);
    target->header.biHeight = static_cast<LONG>(screenHeight);
    target->header.biPlanes = 1;
    target->header.biBitCount = 8;
    target->header.biCompression = BI_RGB;
    std::memcpy(target->palette, firstPalette, sizeof firstPalette);
    target->sourceFormat = kFormatGif;
    target->sourceBitDepth = sourceBitDepth;
    target->pixels = firstBlock;
    firstBlock = nullptr;
    if (frames && frames->frameCount >= 2) {
        frames->loopCount = loopCount;
        target->animation = frames;
        frames = nullptr;
    } else if (frames) {
        frames->frames[0] = nullptr; // now the image's own block
    }
    info->interlaced = interlacedImages > 0;
    info->transparency = transparentImages > 0;
    info->commentPresent = commentSeen ? 1 : 0;
    return true;
}

} // namespace

bool ReadGifMemory(const uint8_t* data, uint32_t size, const LoadOptions& options, bool wantFrames, ImageBuffer* target,
                   LoadInfo* info, CodecStatus* status) {
    FreeImagePixels(target);
    std::memset(target->palette, 0, sizeof target->palette);
    target->fileSize = size;
    LoadInfo scratchInfo;
    GifDecoder decoder;
    decoder.start = decoder.pos = data;
    decoder.end = data + size;
    decoder.image = target;
    decoder.options = &options;
    decoder.wantFrames = wantFrames;
    decoder.info = info ? info : &scratchInfo;
    bool ok = decoder.Run();
    *status = ok ? kCodecOk : decoder.status;
    return ok;
}

} // namespace qv
