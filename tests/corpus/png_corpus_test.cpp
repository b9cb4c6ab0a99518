// Every PngSuite image decodes to the pixels libpng gives under the same transformations (8 bits
// per channel, no gamma, transparency blended onto a fixed background through the BlendTable);
// every damaged file fails with a status.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/decoders.h"
#include "corpus_support.h"
#include "model/blend_table.h"
#include "test_support.h"

#ifdef QV_HAVE_LIBPNG
#include <png.h>
#endif

namespace qv {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SuiteFiles() {
    return qvtest::CorpusFiles({"pngsuite", "pngsuitefull"}, {".png"});
}

using qvtest::Rgb;

#ifdef QV_HAVE_LIBPNG
// The same pixels after our transparency rule: grey with alpha blends onto the background's red.
std::vector<Rgb> ExpectedPixels(const qvtest::PngReference& ref, bool blend, Rgb bg) {
    const BlendTable& t = GetBlendTable();
    std::vector<Rgb> out(static_cast<size_t>(ref.width) * ref.height);
    if (ref.colourType == PNG_COLOR_TYPE_GRAY_ALPHA) bg = {bg.r, bg.r, bg.r};
    for (size_t i = 0; i < out.size(); ++i) {
        const uint8_t* p = &ref.rgba[4 * i];
        uint8_t a = blend ? p[3] : 255;
        out[i] = {BlendChannel(t, a, p[0], bg.r), BlendChannel(t, a, p[1], bg.g), BlendChannel(t, a, p[2], bg.b)};
    }
    return out;
}
#endif

TEST(PngCorpusTest, DamagedFilesFailWithAStatus) {
    std::vector<fs::path> files = SuiteFiles();
    if (files.empty()) GTEST_SKIP() << "no PngSuite under QV_CORPUS_DIR";
    int damaged = 0;
    for (const fs::path& file : files) {
        std::string name = file.filename().string();
        if (name[0] != 'x') continue;
        ++damaged;
        std::string bytes = qvtest::ReadFileBytes(file.wstring());
        ImageBuffer image{};
        LoadInfo info;
        CodecStatus status = kCodecOk;
        EXPECT_FALSE(ReadPngMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                                   LoadOptions{}, &image, &info, &status))
            << name;
        EXPECT_NE(status, kCodecOk) << name;
        EXPECT_EQ(image.pixels, nullptr) << name;
    }
    if (damaged == 0) GTEST_SKIP() << "this PngSuite copy has no damaged files";
}

#ifdef QV_HAVE_LIBPNG
TEST(PngCorpusTest, ValidFilesMatchLibpngWithAndWithoutBlending) {
    std::vector<fs::path> files = SuiteFiles();
    if (files.empty()) GTEST_SKIP() << "no PngSuite under QV_CORPUS_DIR";
    const Rgb bg = {0x99, 0x66, 0x33};
    int compared = 0;
    for (const fs::path& file : files) {
        std::string name = file.filename().string();
        if (name[0] == 'x') continue;
        std::string bytes = qvtest::ReadFileBytes(file.wstring());
        qvtest::PngReference ref;
        bool referenceOk = qvtest::DecodePngReference(bytes, &ref);
        for (bool blend : {true, false}) {
            LoadOptions options;
            options.gamma = false;
            options.alpha = blend;
            options.fileBackground = false;
            options.background = bg.r | (bg.g << 8) | (bg.b << 16);
            ImageBuffer image{};
            LoadInfo info;
            CodecStatus status = kCodecOk;
            bool ok = ReadPngMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                                    options, &image, &info, &status);
            if (!referenceOk) {
                // files libpng refuses (Apple's CgBI variant) are not PNG to us either
                EXPECT_FALSE(ok) << name;
                FreeImagePixels(&image);
                continue;
            }
            ASSERT_TRUE(ok) << name << " status " << status;
            EXPECT_EQ(static_cast<uint32_t>(image.header.biWidth), ref.width) << name;
            EXPECT_EQ(static_cast<uint32_t>(image.header.biHeight), ref.height) << name;
            EXPECT_EQ(info.interlaced, ref.interlace == PNG_INTERLACE_ADAM7) << name;
            bool trueColour = (ref.colourType & PNG_COLOR_MASK_COLOR) && ref.colourType != PNG_COLOR_TYPE_PALETTE;
            EXPECT_EQ(image.header.biBitCount, trueColour ? 24 : 8) << name;
            EXPECT_EQ(image.sourceBitDepth, static_cast<uint32_t>(trueColour ? ref.bitDepth * 3 : ref.bitDepth))
                << name;
            std::vector<Rgb> ours = qvtest::ImageRgb(image);
            std::vector<Rgb> expected = ExpectedPixels(ref, blend, bg);
            size_t mismatches = 0, first = 0;
            for (size_t i = 0; i < ours.size(); ++i) {
                if (!(ours[i] == expected[i]) && mismatches++ == 0) first = i;
            }
            EXPECT_EQ(mismatches, 0u) << name << (blend ? " blended" : " unblended") << ", first at pixel " << first;
            FreeImagePixels(&image);
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
    std::printf("compared %d decodes\n", compared);
}
#endif

} // namespace
} // namespace qv
