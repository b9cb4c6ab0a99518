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
#include "platform/platform.h"
#include "test_support.h"

#ifdef QV_HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace qv {
namespace {

#ifdef QV_HAVE_GIFLIB

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

std::vector<std::wstring> CorpusGifs() {
    std::vector<std::wstring> paths;
    std::wstring dir = qvtest::CorpusDir();
    if (dir.empty()) return paths;
    std::wstring pic = JoinPath(JoinPath(JoinPath(dir, L"gifpics"), L"giflib-5.2.1"), L"pic");
    ListDirectory(pic, [&](const DirEntry& e) {
        if (e.name.size() > 4 && e.name.substr(e.name.size() - 4) == L".gif") paths.push_back(JoinPath(pic, e.name));
    });
    return paths;
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
    if (paths.empty()) GTEST_SKIP() << "QV_CORPUS_DIR/gifpics not found";
    int animated = 0;
    for (const std::wstring& path : paths)
        animated += MatchesGiflib(path) ? 1 : 0;
    EXPECT_GE(animated, 2) << "the corpus has two animations";
}

// Disposal to background and to previous, small frames at offsets and a transparent frame, as
// another program writes them.
TEST(GifCorpusTest, AnimationMadeByImageMagickMatchesGiflib) {
    const char* convert = "/usr/bin/convert";
    if (!PathExists(L"/usr/bin/convert")) GTEST_SKIP() << "ImageMagick not installed";
    qvtest::ScratchDir dir;
    std::string out = WideToUtf8(dir.File(L"made.gif"));
    std::string command = std::string(convert) +
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

#else
TEST(GifCorpusTest, NeedsGiflib) {
    GTEST_SKIP() << "built without giflib";
}
#endif

} // namespace
} // namespace qv
