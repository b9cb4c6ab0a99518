// Every PngSuite image decodes to the pixels libpng gives under the same transformations (8 bits
// per channel, no gamma, transparency blended onto a fixed background through the BlendTable);
// every damaged file fails with a status.
#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/decoders.h"
#include "image/blend_table.h"
#include "test_support.h"

#ifdef QV_HAVE_LIBPNG
#include <png.h>
#endif

namespace qv {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SuiteFiles() {
    std::vector<fs::path> files;
    std::wstring root = qvtest::CorpusDir();
    if (root.empty()) return files;
    for (const wchar_t* name : {L"pngsuite", L"pngsuitefull"}) {
        fs::path dir = fs::path(root) / name;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
            if (entry.is_regular_file() && entry.path().extension() == ".png") files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// Our result as top-down RGB.
std::vector<Rgb> ToRgb(const ImageBuffer& image) {
    uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    std::vector<Rgb> out(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = ImageRowFromTop(&image, y);
        for (uint32_t x = 0; x < w; ++x) {
            if (image.header.biBitCount == 8) {
                const RGBQUAD& q = image.palette[row[x]];
                out[y * w + x] = {q.rgbRed, q.rgbGreen, q.rgbBlue};
            } else {
                out[y * w + x] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            }
        }
    }
    return out;
}

#ifdef QV_HAVE_LIBPNG
struct MemoryReader {
    const uint8_t* data;
    size_t size, pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* m = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (m->size - m->pos < length) png_error(png, "read past end");
    std::memcpy(out, m->data + m->pos, length);
    m->pos += length;
}

[[noreturn]] void QuietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void QuietWarning(png_structp, png_const_charp) {}

struct Reference {
    uint32_t width = 0, height = 0;
    int colourType = 0, interlace = 0, bitDepth = 0;
    std::vector<uint8_t> rgba; // top-down, 4 bytes a pixel
};

// libpng's decode expanded to 8-bit RGBA: palette and low depths expanded, tRNS turned into
// alpha, 16-bit samples reduced to their high byte, grey copied to all three channels.
bool DecodeWithLibpng(const std::string& bytes, Reference* ref) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    ref->width = png_get_image_width(png, info);
    ref->height = png_get_image_height(png, info);
    ref->colourType = png_get_color_type(png, info);
    ref->interlace = png_get_interlace_type(png, info);
    ref->bitDepth = png_get_bit_depth(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    ref->rgba.assign(static_cast<size_t>(ref->width) * ref->height * 4, 0);
    rows.resize(ref->height);
    for (uint32_t y = 0; y < ref->height; ++y)
        rows[y] = ref->rgba.data() + static_cast<size_t>(y) * ref->width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// The same pixels after our transparency rule: grey with alpha blends onto the background's red.
std::vector<Rgb> ExpectedPixels(const Reference& ref, bool blend, Rgb bg) {
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
        Reference ref;
        bool referenceOk = DecodeWithLibpng(bytes, &ref);
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
            std::vector<Rgb> ours = ToRgb(image);
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
