// GIF reader and writer against giflib: the test pictures of giflib's own sources decode to the
// same first frame, animations to the same frames, delays and loop count; our files decode in
// giflib to what we wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/gif_codec.h"
#include "corpus_support.h"
#include "platform/platform.h"
#include "test_support.h"

#include <gif_lib.h>

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

struct GiflibFile {
    GifFileType* gif = nullptr;
    explicit GiflibFile(const std::string& path) {
        int error = 0;
        gif = DGifOpenFileName(path.c_str(), &error);
        if (gif && DGifSlurp(gif) != GIF_OK) {
            DGifCloseFile(gif, &error);
            gif = nullptr;
        }
    }
    ~GiflibFile() {
        int error = 0;
        if (gif) DGifCloseFile(gif, &error);
    }
};

// giflib's test pictures, wherever the unpacked source keeps its pic folder.
std::vector<std::wstring> CorpusGifs() {
    std::vector<std::wstring> paths;
    for (const auto& file : qvtest::CorpusFiles({"gifpics"}, {".gif"}))
        paths.push_back(file.wstring());
    return paths;
}

// ImageMagick's convert by its own name: the plain `convert` first on PATH may be another program.
std::string ImageMagickConvert() {
    for (const char* candidate : {"/usr/bin/convert-im6.q16", "/usr/bin/convert", "/usr/bin/magick"}) {
        std::string command = std::string(candidate) + " -version 2>/dev/null | grep -q ImageMagick";
        if (PathExists(Utf8ToWide(candidate).c_str()) && std::system(command.c_str()) == 0) return candidate;
    }
    return {};
}

bool HasLoopBlock(GifFileType* gif, uint32_t* loops) {
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& s = gif->SavedImages[i];
        for (int e = 0; e + 1 < s.ExtensionBlockCount; ++e) {
            const ExtensionBlock& b = s.ExtensionBlocks[e];
            if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0) {
                const ExtensionBlock& data = s.ExtensionBlocks[e + 1];
                *loops = data.ByteCount >= 3 && data.Bytes[0] == 1 ? data.Bytes[1] | (data.Bytes[2] << 8) : 0;
                return true;
            }
        }
        if (i == 0) break; // only a block before the first image marks an animation
    }
    return false;
}

// An independent composition of giflib's rasters: what every frame should show.
std::vector<Bytes> ComposeFrames(GifFileType* gif, int count) {
    const int w = gif->SWidth, h = gif->SHeight;
    const uint8_t bg = static_cast<uint8_t>(gif->SBackGroundColor);
    std::vector<Bytes> frames;
    Bytes canvas(static_cast<size_t>(w) * h, bg), under;
    GraphicsControlBlock previous{};
    const GifImageDesc* previousDesc = nullptr;
    const uint8_t* previousRaster = nullptr;
    for (int i = 0; i < count; ++i) {
        const SavedImage& s = gif->SavedImages[i];
        const GifImageDesc& d = s.ImageDesc;
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        if (i > 0 && previous.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = 0; y < previousDesc->Height; ++y)
                for (int x = 0; x < previousDesc->Width; ++x) {
                    uint8_t v = previousRaster[y * previousDesc->Width + x];
                    if (previous.TransparentColor == NO_TRANSPARENT_COLOR || v != previous.TransparentColor)
                        canvas[(previousDesc->Top + y) * w + previousDesc->Left + x] = bg;
                }
        } else if (i > 0 && previous.DisposalMode == DISPOSE_PREVIOUS) {
            for (int y = 0; y < previousDesc->Height; ++y)
                std::memcpy(&canvas[(previousDesc->Top + y) * w + previousDesc->Left], &under[y * previousDesc->Width],
                            previousDesc->Width);
        }
        if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
            under.assign(static_cast<size_t>(d.Width) * d.Height, 0);
            for (int y = 0; y < d.Height; ++y)
                std::memcpy(&under[y * d.Width], &canvas[(d.Top + y) * w + d.Left], d.Width);
        }
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                uint8_t v = s.RasterBits[y * d.Width + x];
                // the first image is copied as it is; later ones keep what shows through
                if (i == 0 || gcb.TransparentColor == NO_TRANSPARENT_COLOR || v != gcb.TransparentColor)
                    canvas[(d.Top + y) * w + d.Left + x] = v;
            }
        frames.push_back(canvas);
        previous = gcb;
        previousDesc = &d;
        previousRaster = s.RasterBits;
    }
    return frames;
}

// Decodes `path` with both and compares every frame; returns whether it is an animation.
bool MatchesGiflib(const std::wstring& path) {
    {
        SCOPED_TRACE(WideToUtf8(path));
        GiflibFile ref(WideToUtf8(path));
        EXPECT_NE(ref.gif, nullptr);
        std::string bytes;
        if (!ref.gif || !ReadWholeFile(path.c_str(), &bytes)) return false;
        LoadOptions options;
        options.alpha = false; // compare indices and palettes as the file has them
        ImageBuffer image{};
        LoadInfo info;
        CodecStatus status = kCodecOk;
        bool ok = ReadGifMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                                options, true, &image, &info, &status);
        EXPECT_TRUE(ok) << CodecStatusText(status);
        if (!ok) return false;
        GifFileType* gif = ref.gif;
        struct Release {
            ImageBuffer* image;
            ~Release() { FreeImagePixels(image); }
        } release{&image};
        EXPECT_EQ(image.header.biWidth, gif->SWidth);
        EXPECT_EQ(image.header.biHeight, gif->SHeight);
        if (image.header.biWidth != gif->SWidth || image.header.biHeight != gif->SHeight) return false;
        uint32_t loops = 0;
        bool isAnimation = HasLoopBlock(gif, &loops) && gif->ImageCount > 1;
        int frameCount = isAnimation ? std::min(gif->ImageCount, kMaxAnimationFrames) : 1;
        if (isAnimation) {
            EXPECT_NE(image.animation, nullptr);
            if (!image.animation) return false;
            EXPECT_EQ(image.animation->frameCount, frameCount);
            EXPECT_EQ(image.animation->loopCount, loops);
        } else {
            EXPECT_EQ(image.animation, nullptr);
        }
        std::vector<Bytes> expected = ComposeFrames(gif, frameCount);
        const uint32_t stride = ImageStride(&image);
        for (int k = 0; k < frameCount; ++k) {
            const uint8_t* block = k == 0 ? image.pixels : image.animation->frames[k];
            const RGBQUAD* palette = k == 0 ? image.palette : image.animation->palettes[k];
            for (int y = 0; y < gif->SHeight; ++y) {
                const uint8_t* row = block + static_cast<size_t>(gif->SHeight - 1 - y) * stride;
                EXPECT_EQ(0, std::memcmp(row, &expected[k][static_cast<size_t>(y) * gif->SWidth], gif->SWidth))
                    << "frame " << k << " row " << y;
                if (::testing::Test::HasFailure()) return isAnimation;
            }
            const SavedImage& s = gif->SavedImages[k];
            const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
            for (int i = 0; i < map->ColorCount; ++i) {
                EXPECT_TRUE(palette[i].rgbRed == map->Colors[i].Red && palette[i].rgbGreen == map->Colors[i].Green &&
                            palette[i].rgbBlue == map->Colors[i].Blue)
                    << "frame " << k << " entry " << i;
            }
            if (isAnimation) {
                GraphicsControlBlock gcb{};
                DGifSavedExtensionToGCB(gif, k, &gcb);
                EXPECT_EQ(image.animation->delays[k], static_cast<uint32_t>(gcb.DelayTime)) << "frame " << k;
            }
        }
        EXPECT_EQ(info.interlaced, gif->SavedImages[0].ImageDesc.Interlace);
        return isAnimation;
    }
}

TEST(GifCorpusTest, FramesDelaysAndLoopsMatchGiflib) {
    std::vector<std::wstring> paths = CorpusGifs();
    ASSERT_GE(paths.size(), 5u) << "giflib's pictures are missing under QV_CORPUS_DIR/gifpics (scripts/fetch-corpus)";
    int animated = 0;
    for (const std::wstring& path : paths)
        animated += MatchesGiflib(path) ? 1 : 0;
    EXPECT_GE(animated, 2) << "the corpus has two animations";
}

// Disposal to background and to previous, small frames at offsets and a transparent frame, as
// another program writes them.
TEST(GifCorpusTest, AnimationMadeByImageMagickMatchesGiflib) {
    const std::string convert = ImageMagickConvert();
    ASSERT_FALSE(convert.empty()) << "ImageMagick (installed by scripts/setup-deps) not found";
    qvtest::ScratchDir dir;
    std::string out = WideToUtf8(dir.File(L"made.gif"));
    std::string command = convert +
                          " -delay 0 -loop 4 -dispose none -size 40x30 xc:red"
                          " -dispose previous \\( -size 10x10 xc:blue -repage +5+5 \\)"
                          " -dispose background \\( -size 8x8 xc:green -repage +20+10 \\)"
                          " -dispose none \\( -size 6x6 xc:yellow -repage +2+2 \\)"
                          " -delay 1 \\( -size 40x30 xc:none -fill black -draw \"rectangle 30,20 35,25\" \\) " +
                          out + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(MatchesGiflib(dir.File(L"made.gif")));
}

TEST(GifCorpusTest, EveryDepthWeWriteDecodesInGiflib) {
    std::mt19937 rng(11);
    qvtest::ScratchDir dir;
    for (uint32_t depth = 1; depth <= 8; ++depth) {
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << " interlace " << interlace);
            const uint32_t w = 301, h = 77;
            Bytes rows(w * h);
            for (uint32_t i = 0; i < rows.size(); ++i) // runs and noise: long strings and table resets
                rows[i] = static_cast<uint8_t>(((i / 50) % 3 == 0 ? rng() : i / 9) % (1u << depth));
            RGBQUAD palette[256];
            for (int i = 0; i < 256; ++i)
                palette[i] = {static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 0};
            GifIndexPlane plane{w, h, depth, rows.data(), w, palette, 1u << depth, depth > 1 ? 1 : -1, interlace};
            Bytes file;
            ASSERT_TRUE(EncodeGif(plane, &file));
            std::wstring path = dir.File(L"out.gif");
            ASSERT_TRUE(qvtest::WriteFileBytes(path, std::string(file.begin(), file.end())));
            GiflibFile ref(WideToUtf8(path));
            ASSERT_NE(ref.gif, nullptr);
            ASSERT_EQ(ref.gif->ImageCount, 1);
            const SavedImage& s = ref.gif->SavedImages[0];
            EXPECT_EQ(s.ImageDesc.Interlace, interlace);
            ASSERT_EQ(0, std::memcmp(s.RasterBits, rows.data(), rows.size()));
            ASSERT_EQ(ref.gif->SColorMap->ColorCount, 1 << depth);
            EXPECT_EQ(ref.gif->SColorMap->Colors[(1 << depth) - 1].Blue, palette[(1 << depth) - 1].rgbBlue);
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(ref.gif, 0, &gcb);
            EXPECT_EQ(gcb.TransparentColor, depth > 1 ? 1 : NO_TRANSPARENT_COLOR);
        }
    }
}

} // namespace
} // namespace qv
