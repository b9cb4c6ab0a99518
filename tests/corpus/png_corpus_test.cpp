// Every PngSuite image decodes to the pixels libpng gives under the same transformations (8 bits
// per channel, no gamma, transparency blended onto a fixed background by the blend table's
// definition, computed here apart from the product); every damaged file fails with a status.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/png_text_list.h"
#include "corpus_support.h"
#include "test_support.h"

#include <png.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SuiteFiles() {
    return qvtest::CorpusFiles({"pngsuite", "pngsuitefull"}, {".png"});
}

using qvtest::Rgb;

// libpng's pixels after our transparency rule, each channel T[a][c] + T[255 - a][background];
// grey with alpha blends onto the background's red.
std::vector<Rgb> ExpectedPixels(const qvtest::PngReference& ref, bool blend, Rgb bg) {
    auto over = [](uint8_t a, uint8_t c, uint8_t b) {
        return static_cast<uint8_t>(qvtest::DefinedBlendValue(a, c) + qvtest::DefinedBlendValue(255 - a, b));
    };
    std::vector<Rgb> out(static_cast<size_t>(ref.width) * ref.height);
    if (ref.colourType == PNG_COLOR_TYPE_GRAY_ALPHA) bg = {bg.r, bg.r, bg.r};
    for (size_t i = 0; i < out.size(); ++i) {
        const uint8_t* p = &ref.rgba[4 * i];
        uint8_t a = blend ? p[3] : 255;
        out[i] = {over(a, p[0], bg.r), over(a, p[1], bg.g), over(a, p[2], bg.b)};
    }
    return out;
}

TEST(PngCorpusTest, DamagedFilesFailWithAStatus) {
    std::vector<fs::path> files = SuiteFiles();
    ASSERT_FALSE(files.empty()) << "no PngSuite under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
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
    EXPECT_GE(damaged, 10) << "PngSuite's damaged files (names starting with x) are missing";
}

TEST(PngCorpusTest, ValidFilesMatchLibpngWithAndWithoutBlending) {
    std::vector<fs::path> files = SuiteFiles();
    ASSERT_FALSE(files.empty()) << "no PngSuite under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
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

// The text information dialog lists what libpng keeps of the uncompressed text chunks.
TEST(PngCorpusTest, TextListMatchesLibpngTexts) {
    std::vector<fs::path> files = SuiteFiles();
    if (files.empty()) GTEST_SKIP() << "no PngSuite in the corpus";
    int withText = 0;
    for (const fs::path& file : files) {
        std::string bytes = qvtest::ReadFileBytes(file.wstring());
        std::vector<std::pair<std::string, std::string>> expected;
        if (!qvtest::ReadPngReferenceTexts(bytes, &expected)) continue;
        std::vector<PngTextEntry> entries;
        CodecStatus status = ReadPngTextListMemory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                   static_cast<uint32_t>(bytes.size()), &entries);
        if (expected.empty()) {
            EXPECT_NE(status, kCodecOk) << file;
            continue;
        }
        ++withText;
        ASSERT_EQ(status, kCodecOk) << file;
        ASSERT_EQ(entries.size(), std::min(expected.size(), kPngTextListMax)) << file;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].keyword, expected[i].first) << file;
            EXPECT_EQ(entries[i].text, expected[i].second.substr(0, kPngTextValueMax)) << file;
        }
    }
    EXPECT_GT(withText, 0);
}

} // namespace
} // namespace qv
