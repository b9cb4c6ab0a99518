// GIF decode speed, ours against giflib, on a large still image and a long animation that this
// program makes itself: CPU time of interleaved pairs, the median, min and max of the ratios
// (giflib's time / ours; above 1 we are faster).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/gif_codec.h"
#include "paired_runs.h"
#include "platform/platform.h"

#ifdef QV_HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kRuns = 11;

// A photo-like plane: smooth shading plus a little noise, so LZW strings stay short as in photos.
Bytes MakePlane(uint32_t w, uint32_t h, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes plane(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            double v = 128 + 60 * std::sin(x * 0.013 + seed) * std::cos(y * 0.021) + 40 * std::sin((x + y) * 0.004);
            plane[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(static_cast<int>(v + rng() % 6) & 0xFF);
        }
    return plane;
}

void Palette(RGBQUAD* palette) {
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 0};
}

#ifdef QV_HAVE_GIFLIB
struct MemoryReader {
    const Bytes* data;
    size_t pos;
};
int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* r = static_cast<MemoryReader*>(gif->UserData);
    size_t left = r->data->size() - r->pos;
    size_t take = static_cast<size_t>(n) < left ? static_cast<size_t>(n) : left;
    std::memcpy(out, r->data->data() + r->pos, take);
    r->pos += take;
    return static_cast<int>(take);
}
int WriteToMemory(GifFileType* gif, const GifByteType* in, int n) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), in, in + n);
    return n;
}

// 240 frames of 480 x 360: a full first frame, then moving 96 x 72 patches with transparency
// and each disposal method, written by giflib so the file is not only ours.
Bytes MakeAnimation(int frameCount) {
    const int w = 480, h = 360, pw = 96, ph = 72;
    Bytes file;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, WriteToMemory, &error);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i), static_cast<GifByteType>(i * 7)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, w, h, 8, 0, map);
    const GifByteType loopName[] = "NETSCAPE2.0", loop[] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, loopName);
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
    Bytes full = MakePlane(w, h, 1);
    for (int k = 0; k < frameCount; ++k) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = k % 3 + 1;
        gcb.DelayTime = 4;
        gcb.TransparentColor = k == 0 ? NO_TRANSPARENT_COLOR : 0;
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        int fw = k == 0 ? w : pw, fh = k == 0 ? h : ph;
        int left = k == 0 ? 0 : (k * 37) % (w - pw), top = k == 0 ? 0 : (k * 23) % (h - ph);
        EGifPutImageDesc(gif, left, top, fw, fh, false, nullptr);
        Bytes patch = k == 0 ? full : MakePlane(pw, ph, static_cast<uint32_t>(k));
        for (int y = 0; y < fh; ++y)
            EGifPutLine(gif, patch.data() + static_cast<size_t>(y) * fw, fw);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return file;
}
#endif

// What a viewer built on giflib would add to get the same result: every frame composed on a
// full screen-size block from the large-block allocator, with disposal and transparency.
void ComposeWithGiflib(GifFileType* gif) {
    const uint32_t w = gif->SWidth, h = gif->SHeight, stride = (w + 3) & ~3u;
    const size_t bytes = static_cast<size_t>(stride) * h;
    std::vector<uint8_t*> frames;
    Bytes under;
    GraphicsControlBlock previous{};
    const GifImageDesc* previousDesc = nullptr;
    for (int i = 0; i < gif->ImageCount && i < qv::kMaxAnimationFrames; ++i) {
        const SavedImage& s = gif->SavedImages[i];
        const GifImageDesc& d = s.ImageDesc;
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        uint8_t* block = static_cast<uint8_t*>(qv::AllocLargeBlock(bytes + 1028));
        auto row = [&](int y) { return block + static_cast<size_t>(h - 1 - y) * stride; };
        if (i > 0) {
            std::memcpy(block, frames.back(), bytes);
            if (previous.DisposalMode == DISPOSE_BACKGROUND) {
                for (int y = 0; y < previousDesc->Height; ++y)
                    std::memset(row(previousDesc->Top + y) + previousDesc->Left, gif->SBackGroundColor,
                                previousDesc->Width);
            } else if (previous.DisposalMode == DISPOSE_PREVIOUS) {
                for (int y = 0; y < previousDesc->Height; ++y)
                    std::memcpy(row(previousDesc->Top + y) + previousDesc->Left, &under[y * previousDesc->Width],
                                previousDesc->Width);
            }
        }
        if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
            under.resize(static_cast<size_t>(d.Width) * d.Height);
            for (int y = 0; y < d.Height; ++y)
                std::memcpy(&under[y * d.Width], row(d.Top + y) + d.Left, d.Width);
        }
        for (int y = 0; y < d.Height; ++y) {
            const uint8_t* src = s.RasterBits + static_cast<size_t>(y) * d.Width;
            uint8_t* dst = row(d.Top + y) + d.Left;
            for (int x = 0; x < d.Width; ++x)
                if (gcb.TransparentColor == NO_TRANSPARENT_COLOR || src[x] != gcb.TransparentColor) dst[x] = src[x];
        }
        frames.push_back(block);
        previous = gcb;
        previousDesc = &d;
    }
    for (uint8_t* block : frames)
        qv::FreeLargeBlock(block);
}

void Compare(const char* name, const Bytes& file, bool compose = false) {
    auto ours = [&] {
        qv::ImageBuffer image{};
        qv::LoadInfo info;
        qv::CodecStatus status;
        bool ok = qv::ReadGifMemory(file.data(), static_cast<uint32_t>(file.size()), qv::LoadOptions{}, true, &image,
                                    &info, &status);
        qv::FreeImagePixels(&image);
        return ok;
    };
    std::printf("%s, %.1f KiB\n", name, file.size() / 1024.0);
#ifdef QV_HAVE_GIFLIB
    auto giflib = [&](bool composeFrames) {
        MemoryReader reader{&file, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
        bool ok = gif && DGifSlurp(gif) == GIF_OK;
        if (ok && composeFrames) ComposeWithGiflib(gif);
        DGifCloseFile(gif, &error);
        return ok;
    };
    qvbench::PrintPaired("  against DGifSlurp", "giflib",
                         qvbench::RunPaired(kRuns, ours, [&] { return giflib(false); }));
    if (compose)
        qvbench::PrintPaired("  against DGifSlurp + full frames", "giflib + frames",
                             qvbench::RunPaired(kRuns, ours, [&] { return giflib(true); }));
#endif
}

} // namespace

// An argument "still" or "animation" runs only that part (for profiling).
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // lines show as they come, also into a file
    const bool still = argc < 2 || std::strcmp(argv[1], "still") == 0;
    const bool animated = argc < 2 || std::strcmp(argv[1], "animation") == 0;
    const uint32_t w = 4000, h = 3000;
    Bytes plane = MakePlane(w, h, 9);
    RGBQUAD palette[256];
    Palette(palette);
    qv::GifIndexPlane stillPlane{w, h, 8, plane.data(), w, palette, 256, -1, false};
    Bytes stillFile;
    qv::EncodeGif(stillPlane, &stillFile);
    if (still) Compare("still 4000x3000, 8 bit", stillFile);
#ifdef QV_HAVE_GIFLIB
    const int frames = 240;
    Bytes animation = MakeAnimation(frames);
    if (animated)
        std::printf("animation: %d frames of 480x360 (ours composes every full frame; giflib alone only decodes\n"
                    "the rectangles)\n",
                    frames);
    if (animated) Compare("animation 240 frames", animation, true);
#endif
    return 0;
}
