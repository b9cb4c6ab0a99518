// PNG decode and encode speed against libpng and libspng, on files this benchmark makes at its
// start with libpng: a photographic RGB picture, an RGBA one, a palette one and an interlaced RGB
// one. Medians of interleaved rounds with megapixels a second (bench_timing.h).
#include <png.h>
#include <spng.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "codecs/decoders.h"
#include "codecs/png_codec.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kWidth = 2400, kHeight = 1600;
constexpr int kRuns = 7;

// A smooth scene with fine noise, like a photograph: deflate cannot do much better than 2:1.
std::vector<uint8_t> MakePixels(uint32_t channels) {
    std::vector<uint8_t> px(static_cast<size_t>(kWidth) * kHeight * channels);
    uint32_t seed = 1;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = static_cast<int>((seed >> 24) & 7) - 3;
            double u = x / 300.0, v = y / 200.0;
            int base[4] = {static_cast<int>(128 + 90 * std::sin(u) * std::cos(v)),
                           static_cast<int>(128 + 80 * std::sin(u * 0.7 + v)),
                           static_cast<int>(100 + 60 * std::cos(u - v * 1.3)),
                           static_cast<int>(x % 600 < 300 ? 255 : (x + y) % 256)};
            uint8_t* p = &px[(static_cast<size_t>(y) * kWidth + x) * channels];
            for (uint32_t c = 0; c < channels; ++c) {
                int value = base[c] + (c < 3 ? noise : 0);
                p[c] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
            }
        }
    }
    return px;
}

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}
void NoFlush(png_structp) {}

// libpng writes the test files, and is the reference encoder.
std::string LibpngEncode(const std::vector<uint8_t>& px, int colourType, uint32_t channels, bool interlace,
                         int level = 6) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendToString, NoFlush);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, kWidth, kHeight, 8, colourType, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[256];
        for (int i = 0; i < 256; ++i)
            palette[i] = {static_cast<png_byte>(i), static_cast<png_byte>(255 - i), static_cast<png_byte>(i * 7)};
        png_set_PLTE(png, info, palette, 256);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rows(kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)
        rows[y] = const_cast<png_bytep>(&px[static_cast<size_t>(y) * kWidth * channels]);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct Reader {
    const std::string* bytes;
    size_t pos;
};
void ReadFromString(png_structp png, png_bytep out, png_size_t length) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (r->bytes->size() - r->pos < length) png_error(png, "short");
    std::memcpy(out, r->bytes->data() + r->pos, length);
    r->pos += length;
}

// libpng's decode to the same output: indices for palette files, RGB with alpha composed onto
// white for the others.
bool LibpngDecode(const std::string& bytes, qv::LargeBlock* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Reader reader{&bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromString);
    png_read_info(png, info);
    int type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_RGB_ALPHA) {
        png_color_16 white{0, 255, 255, 255, 255};
        png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    out->reset(static_cast<uint8_t*>(qv::AllocLargeBlock(rowBytes * kHeight)));
    std::vector<png_bytep> rows(kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)
        rows[y] = out->get() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool SpngDecode(const std::string& bytes, bool palette, qv::LargeBlock* out) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, bytes.data(), bytes.size());
    int fmt = palette ? SPNG_FMT_PNG : SPNG_FMT_RGB8;
    size_t size = 0;
    bool ok = spng_decoded_image_size(ctx, fmt, &size) == 0;
    if (ok) {
        out->reset(static_cast<uint8_t*>(qv::AllocLargeBlock(size)));
        ok = spng_decode_image(ctx, out->get(), size, fmt, 0) == 0;
    }
    spng_ctx_free(ctx);
    return ok;
}

void DecodeCase(const char* name, const std::string& bytes, bool palette) {
    const double mp = kWidth * double(kHeight) / 1e6;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    qvbench::Job ours{"ReadPngMemory", [&] {
                          qv::ImageBuffer image{};
                          qv::LoadInfo info;
                          qv::CodecStatus status;
                          bool ok = qv::ReadPngMemory(data, static_cast<uint32_t>(bytes.size()), qv::LoadOptions{},
                                                      &image, &info, &status);
                          qv::FreeImagePixels(&image);
                          return ok;
                      }};
    // each decoder gets a fresh zero-filled page block per run, as ours does
    qvbench::Job png{"libpng", [&] {
                         qv::LargeBlock ref;
                         return LibpngDecode(bytes, &ref);
                     }};
    qvbench::Job spng{"libspng", [&] {
                          qv::LargeBlock ref;
                          return SpngDecode(bytes, palette, &ref);
                      }};
    char title[96];
    std::snprintf(title, sizeof title, "%s, %.1f MB file", name, bytes.size() / 1e6);
    qvbench::Report("png", title, qvbench::Compare(kRuns, ours, {png, spng}), mp, "MP/s");
}

} // namespace

int main(int argc, char** argv) {
    // `png_bench only N`: decode case N (0-3) with our reader alone, N + 4 with libpng, for a profiler
    int only = argc > 2 && std::strcmp(argv[1], "only") == 0 ? std::atoi(argv[2]) : -1;
    std::vector<uint8_t> rgb = MakePixels(3), rgba = MakePixels(4), indices(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = rgb[3 * i] & 0xF0 ? rgb[3 * i] : rgb[3 * i + 1];
    std::printf("PNG benchmark, %ux%u\n", kWidth, kHeight);
    qvbench::PrintRatioNote();
    std::string rgbFile = LibpngEncode(rgb, PNG_COLOR_TYPE_RGB, 3, false);
    std::string rgbaFile = LibpngEncode(rgba, PNG_COLOR_TYPE_RGB_ALPHA, 4, false);
    std::string paletteFile = LibpngEncode(indices, PNG_COLOR_TYPE_PALETTE, 1, false);
    std::string interlacedFile = LibpngEncode(rgb, PNG_COLOR_TYPE_RGB, 3, true);
    if (rgbFile.empty() || rgbaFile.empty() || paletteFile.empty() || interlacedFile.empty()) {
        std::fprintf(stderr, "png_bench: libpng could not write the test files\n");
        return 1;
    }
    if (only >= 0) {
        const std::string* files[4] = {&rgbFile, &rgbaFile, &paletteFile, &interlacedFile};
        qv::ImageBuffer image{};
        qv::LoadInfo info;
        qv::CodecStatus status;
        for (int i = 0; i < 300 && only >= 4; ++i) {
            qv::LargeBlock ref;
            LibpngDecode(*files[only & 3], &ref);
        }
        for (int i = 0; i < 300 && only < 4; ++i)
            qv::ReadPngMemory(reinterpret_cast<const uint8_t*>(files[only & 3]->data()),
                              static_cast<uint32_t>(files[only & 3]->size()), qv::LoadOptions{}, &image, &info,
                              &status);
        qv::FreeImagePixels(&image);
        return 0;
    }
    DecodeCase("decode RGB", rgbFile, false);
    DecodeCase("decode RGBA (blended)", rgbaFile, false);
    DecodeCase("decode palette", paletteFile, true);
    DecodeCase("decode RGB interlaced", interlacedFile, false);

    // Encoding the RGB picture at level 6: our adaptive filter choice against libpng's.
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status;
    if (!qv::ReadPngMemory(reinterpret_cast<const uint8_t*>(rgbFile.data()), static_cast<uint32_t>(rgbFile.size()),
                           qv::LoadOptions{}, &image, &info, &status)) {
        std::fprintf(stderr, "png_bench: our reader refused the RGB test file (%u)\n", status);
        return 1;
    }
    const double mp = kWidth * double(kHeight) / 1e6;
    std::string ours, theirs;
    qv::PngWriteOptions options;
    options.level = 6;
    qvbench::Job oursEncode{"EncodePngMemory",
                            [&] { return qv::EncodePngMemory(image, options, &ours) == qv::kCodecOk; }};
    qvbench::Job libpngEncode{"libpng", [&] {
                                  theirs = LibpngEncode(rgb, PNG_COLOR_TYPE_RGB, 3, false, 6);
                                  return !theirs.empty();
                              }};
    qvbench::Report("png", "encode RGB level 6", qvbench::Compare(kRuns, oursEncode, libpngEncode), mp, "MP/s");
    std::printf("    sizes: ours %zu bytes, libpng %zu bytes, ours / libpng %.3f\n", ours.size(), theirs.size(),
                double(ours.size()) / theirs.size());
    qv::FreeImagePixels(&image);
    return 0;
}
