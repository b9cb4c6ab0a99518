// PNG decode and encode speed against libpng (and libspng where installed), on files this
// benchmark makes at its start with libpng: a photographic RGB picture, an RGBA one, a palette
// one and an interlaced RGB one (6000 x 4000 unless `png_bench W H [runs]` says otherwise).
// Decodes are timed in interleaved pairs against libpng (median, min and max of the ratios);
// the peak memory of each of our decodes is reported against its pixel block. Saving is timed
// at the default level against the same filtered rows deflated by zlib at that level.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <zlib.h>

#include "codecs/decoders.h"
#include "codecs/png_codec.h"
#include "paired_runs.h"
#include "platform/platform.h"

#ifdef QV_HAVE_LIBPNG
#include <png.h>
#endif
#ifdef QV_HAVE_LIBSPNG
#include <spng.h>
#endif

namespace {

uint32_t kWidth = 6000, kHeight = 4000;
int kRuns = 11;

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

#ifdef QV_HAVE_LIBPNG
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
#endif

#ifdef QV_HAVE_LIBSPNG
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
#endif

// Peak resident memory of the process in bytes, as the kernel counts it.
double PeakResidentBytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss * 1024.0;
}

void DecodeCase(const char* name, const std::string& bytes, bool palette) {
    qv::LoadOptions options;
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status;
    auto ours = [&] {
        bool ok = qv::ReadPngMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                                    options, &image, &info, &status);
        qv::FreeImagePixels(&image);
        return ok;
    };
    std::printf("%-22s %6.1f MB file\n", name, bytes.size() / 1e6);
#ifdef QV_HAVE_LIBPNG
    // each decoder gets a fresh zero-filled page block per run, as ours does
    qvbench::PairedFigures f = qvbench::RunPaired(kRuns, ours, [&] {
        qv::LargeBlock ref;
        return LibpngDecode(bytes, &ref);
    });
    qvbench::PrintPaired("  against libpng", "libpng", f);
#endif
#ifdef QV_HAVE_LIBSPNG
    qvbench::PairedFigures g = qvbench::RunPaired(kRuns, ours, [&] {
        qv::LargeBlock sp;
        return SpngDecode(bytes, palette, &sp);
    });
    qvbench::PrintPaired("  against libspng", "libspng", g);
#endif
}

// Our peak memory while decoding, above what the process held before: run in a child process
// of its own so that the reference decoders' peaks do not count.
void MemoryCase(const char* name, const std::string& bytes) {
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        double before = PeakResidentBytes();
        qv::ImageBuffer image{};
        qv::LoadInfo info;
        qv::CodecStatus status;
        bool ok = qv::ReadPngMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                                    qv::LoadOptions{}, &image, &info, &status);
        double block = ok ? double(qv::ImageStride(&image)) * kHeight : 0;
        double peak = PeakResidentBytes() - before;
        std::printf("%-22s peak memory of the decode %.1f MB = %.2f x the pixel block (%.1f MB)\n", name, peak / 1e6,
                    peak / block, block / 1e6);
        std::fflush(stdout);
        _exit(ok ? 0 : 1);
    }
    int rc = 0;
    waitpid(child, &rc, 0);
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // lines show as they come, also into a file
    // `png_bench only N`: decode case N (0-3) with our reader alone, N + 4 with libpng, for a profiler
    int only = argc > 2 && std::strcmp(argv[1], "only") == 0 ? std::atoi(argv[2]) : -1;
    if (only < 0 && argc > 2) {
        kWidth = static_cast<uint32_t>(std::atoi(argv[1]));
        kHeight = static_cast<uint32_t>(std::atoi(argv[2]));
        if (argc > 3) kRuns = std::atoi(argv[3]);
    }
    std::vector<uint8_t> rgb = MakePixels(3), rgba = MakePixels(4), indices(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = rgb[3 * i] & 0xF0 ? rgb[3 * i] : rgb[3 * i + 1];
    std::printf("PNG benchmark, %ux%u, CPU time, median of %d interleaved pairs (ratio = reference / ours, above 1:"
                " ours is faster)\n",
                kWidth, kHeight, kRuns);
#ifdef QV_HAVE_LIBPNG
    std::string rgbFile = LibpngEncode(rgb, PNG_COLOR_TYPE_RGB, 3, false);
    std::string rgbaFile = LibpngEncode(rgba, PNG_COLOR_TYPE_RGB_ALPHA, 4, false);
    std::string paletteFile = LibpngEncode(indices, PNG_COLOR_TYPE_PALETTE, 1, false);
    std::string interlacedFile = LibpngEncode(rgb, PNG_COLOR_TYPE_RGB, 3, true);
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
    MemoryCase("decode RGB", rgbFile);
    MemoryCase("decode RGBA (blended)", rgbaFile);
    MemoryCase("decode palette", paletteFile);
    MemoryCase("decode RGB interlaced", interlacedFile);

    // Saving the RGB picture at the default level (9): our writer against the same rows deflated
    // by zlib at that level with the strategy the writer gave zlib, in one call, as before.
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status;
    qv::ReadPngMemory(reinterpret_cast<const uint8_t*>(rgbFile.data()), static_cast<uint32_t>(rgbFile.size()),
                      qv::LoadOptions{}, &image, &info, &status);
    const int level = 9;
    std::string ours;
    qv::PngWriteOptions options;
    options.level = level;
    // the rows our writer filters, from its own file read back
    std::string filtered;
    {
        z_stream z{};
        qv::EncodePngMemory(image, options, &ours);
        const uint8_t* p = reinterpret_cast<const uint8_t*>(ours.data()) + 8;
        const uint8_t* end = p + ours.size() - 8;
        std::string idat;
        while (end - p >= 12) {
            uint32_t length = (p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
            if (std::memcmp(p + 4, "IDAT", 4) == 0) idat.append(reinterpret_cast<const char*>(p + 8), length);
            p += 12 + length;
        }
        filtered.resize(static_cast<size_t>(kWidth * 3 + 1) * kHeight);
        inflateInit(&z);
        z.next_in = reinterpret_cast<Bytef*>(idat.data());
        z.avail_in = static_cast<uInt>(idat.size());
        z.next_out = reinterpret_cast<Bytef*>(filtered.data());
        z.avail_out = static_cast<uInt>(filtered.size());
        inflate(&z, Z_FINISH);
        inflateEnd(&z);
    }
    std::string zlibOut;
    size_t zlibBytes = 0;
    qvbench::PairedFigures f = qvbench::RunPaired(
        kRuns < 5 ? kRuns : 5, [&] { return qv::EncodePngMemory(image, options, &ours) == qv::kCodecOk; },
        [&] {
            z_stream z{};
            if (deflateInit2(&z, level, Z_DEFLATED, 15, 8, Z_FILTERED) != Z_OK) return false;
            zlibOut.resize(deflateBound(&z, filtered.size()));
            z.next_in = reinterpret_cast<Bytef*>(filtered.data());
            z.avail_in = static_cast<uInt>(filtered.size());
            z.next_out = reinterpret_cast<Bytef*>(zlibOut.data());
            z.avail_out = static_cast<uInt>(zlibOut.size());
            bool ok = deflate(&z, Z_FINISH) == Z_STREAM_END;
            zlibBytes = z.total_out;
            deflateEnd(&z);
            return ok;
        });
    std::printf("encode RGB level %d: our whole save %zu bytes, zlib deflate alone %zu bytes (size ratio %.4f)\n",
                level, ours.size(), zlibBytes, double(ours.size()) / zlibBytes);
    qvbench::PrintPaired("  our save against zlib's deflate", "zlib level 9", f);
    qv::FreeImagePixels(&image);
#else
    std::printf("libpng not found: nothing to compare against\n");
#endif
    return 0;
}
