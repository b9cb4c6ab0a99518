// libtiff's own test images against our reader: every uncompressed file of a layout we read must
// give libtiff's pixels, every other file must be refused with a status, and none may crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codecs/decoders.h"
#include "corpus_support.h"
#include "platform/platform.h"
#include "test_support.h"

#include <tiffio.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> TiffFiles() {
    return qvtest::CorpusFiles({"tiffimages"}, {".tif", ".tiff"});
}

TEST(TiffCorpusTest, EveryFileDecodesOrIsRefusedWithAStatus) {
    std::vector<fs::path> files = TiffFiles();
    ASSERT_FALSE(files.empty()) << "no tiffimages corpus under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    int decoded = 0;
    for (const fs::path& file : files) {
        std::string bytes = qvtest::ReadFileBytes(file.wstring());
        std::vector<uint8_t> data(bytes.begin(), bytes.end());
        ImageBuffer image{};
        LoadInfo info;
        CodecStatus status = kCodecOk;
        bool ok = ReadTiffMemory(data.data(), static_cast<uint32_t>(data.size()), &image, &info, &status);
        if (ok) {
            ++decoded;
            EXPECT_EQ(status, kCodecOk) << file;
            EXPECT_NE(image.pixels, nullptr) << file;
        } else {
            EXPECT_NE(status, kCodecOk) << file;
            EXPECT_EQ(image.pixels, nullptr) << file;
        }
        FreeImagePixels(&image);
    }
    EXPECT_GE(decoded, 8);
}

void Quiet(const char*, const char*, va_list) {}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

// Whether the file's first directory is one of the layouts this program reads.
bool Readable(TIFF* tif) {
    uint16_t compression = 0, photometric = 0, bits = 0, spp = 0, planar = 0, format = 1, fill = 1;
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fill);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
    if (compression != COMPRESSION_NONE || TIFFIsTiled(tif) || extraCount != 0 || format != SAMPLEFORMAT_UINT ||
        fill != FILLORDER_MSB2LSB)
        return false;
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_PALETTE: return spp == 1 && (bits == 1 || bits == 4 || bits == 8);
    case PHOTOMETRIC_RGB: return spp == 3 && planar == PLANARCONFIG_CONTIG && (bits == 8 || bits == 16);
    default: return false;
    }
}

// The picture as libtiff reads it, one blue | green << 8 | red << 16 value per pixel, top row
// first. 16-bit samples are reduced to their high byte from the scanlines, because the RGBA
// interface rounds them differently.
bool ReferencePixels(TIFF* tif, uint32_t* width, uint32_t* height, std::vector<uint32_t>* pixels) {
    uint16_t bits = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    pixels->assign(size_t{*width} * *height, 0);
    if (bits == 16) {
        std::vector<uint16_t> line(TIFFScanlineSize(tif) / 2 + 3);
        for (uint32_t y = 0; y < *height; ++y) {
            if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return false;
            for (uint32_t x = 0; x < *width; ++x) {
                uint32_t r = line[3 * x] >> 8, g = line[3 * x + 1] >> 8, b = line[3 * x + 2] >> 8;
                (*pixels)[size_t{y} * *width + x] = b | g << 8 | r << 16;
            }
        }
        return true;
    }
    std::vector<uint32_t> rgba(pixels->size());
    if (!TIFFReadRGBAImageOriented(tif, *width, *height, rgba.data(), ORIENTATION_TOPLEFT, 0)) return false;
    for (size_t i = 0; i < rgba.size(); ++i)
        (*pixels)[i] = TIFFGetB(rgba[i]) | TIFFGetG(rgba[i]) << 8 | TIFFGetR(rgba[i]) << 16;
    return true;
}

TEST(TiffCorpusTest, ReadableFilesMatchLibtiffAndTheRestAreRefused) {
    std::vector<fs::path> files = TiffFiles();
    ASSERT_FALSE(files.empty()) << "no tiffimages corpus under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    TIFFSetWarningHandler(Quiet);
    TIFFSetErrorHandler(Quiet);
    int compared = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(file.string().c_str(), "r"));
        bool readable = tif && Readable(tif.get());

        std::string bytes = qvtest::ReadFileBytes(file.wstring());
        std::vector<uint8_t> data(bytes.begin(), bytes.end());
        ImageBuffer image{};
        LoadInfo info;
        CodecStatus status = kCodecOk;
        bool ok = ReadTiffMemory(data.data(), static_cast<uint32_t>(data.size()), &image, &info, &status);
        EXPECT_EQ(ok, readable) << CodecStatusText(status);
        if (ok && readable) {
            uint32_t width = 0, height = 0;
            std::vector<uint32_t> expected;
            ASSERT_TRUE(ReferencePixels(tif.get(), &width, &height, &expected));
            ASSERT_EQ(image.header.biWidth, static_cast<LONG>(width));
            ASSERT_EQ(image.header.biHeight, static_cast<LONG>(height));
            int mismatches = 0;
            for (uint32_t y = 0; y < height && mismatches < 5; ++y) {
                const uint8_t* row = ImageRowFromTop(&image, y);
                for (uint32_t x = 0; x < width && mismatches < 5; ++x) {
                    uint32_t ours;
                    if (image.header.biBitCount == 8) {
                        const RGBQUAD& c = image.palette[row[x]];
                        ours = c.rgbBlue | c.rgbGreen << 8 | c.rgbRed << 16;
                    } else {
                        ours = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
                    }
                    if (ours != expected[size_t{y} * width + x]) {
                        ++mismatches;
                        ADD_FAILURE() << "pixel " << x << "," << y << ": ours " << std::hex << ours << " libtiff "
                                      << expected[size_t{y} * width + x];
                    }
                }
            }
            ++compared;
        }
        FreeImagePixels(&image);
    }
    EXPECT_GE(compared, 8);
}

} // namespace
} // namespace qv
