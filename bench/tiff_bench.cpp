// Decode throughput of a large uncompressed RGB TIFF: our reader against memcpy of the same
// pixel bytes and against libtiff reading the same file, in one run. Throughput counts the file's
// pixel bytes; each figure is the best of several runs.
// usage: tiff_bench [WIDTH HEIGHT [RUNS]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "codecs/decoders.h"
#include "codecs/tiff_encoder.h"
#include "platform/platform.h"

#ifdef QV_HAVE_LIBTIFF
#include <tiffio.h>
#endif

namespace {

using qvbench::BestSeconds;

void Report(const char* name, double bytes, double seconds, double ours) {
    std::printf("  %-40s %8.1f MB/s", name, bytes / seconds / 1e6);
    if (ours > 0) std::printf("   ours / this = %.2f", seconds / ours);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    uint32_t width = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[1])) : 6000;
    uint32_t height = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 4000;
    int runs = argc > 3 ? std::atoi(argv[3]) : 10;

    // the test picture: a gradient with some noise, written by our own writer (one strip)
    qv::ImageBuffer source{};
    qv::CodecStatus status;
    if (!qv::PrepareImage(&source, width, height, 24, &status)) return 1;
    uint32_t seed = 1;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = qv::ImageRowFromTop(&source, y);
        for (uint32_t x = 0; x < width * 3; ++x) {
            seed = seed * 1103515245 + 12345;
            row[x] = static_cast<uint8_t>(x + y + (seed >> 28));
        }
    }
    std::wstring path;
    if (!qv::CreateTempFile(std::wstring(), &path)) return 1;
    if (!qv::WriteTiffFile(path.c_str(), source, {24, false, false}, &status)) {
        std::fprintf(stderr, "tiff_bench: cannot write the test file (%u)\n", status);
        return 1;
    }
    qv::FreeImagePixels(&source);

    std::string file;
    qv::ReadWholeFile(path.c_str(), &file);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    uint32_t size = static_cast<uint32_t>(file.size());
    double pixelBytes = double(width) * height * 3;
    std::printf("TIFF decode, %ux%u RGB 8-bit, one strip, %.1f MB of pixels, best of %d runs\n", width, height,
                pixelBytes / 1e6, runs);

    double ours = BestSeconds(runs, [&] {
        qv::ImageBuffer image{};
        qv::CodecStatus s;
        bool ok = qv::ReadTiffMemory(bytes, size, &image, nullptr, &s);
        qv::FreeImagePixels(&image);
        return ok;
    });
    Report("ours, from memory", pixelBytes, ours, 0);

    double oursMapped = BestSeconds(runs, [&] {
        qv::MappedFile mapped;
        if (!qv::MapWholeFile(path.c_str(), qv::MapMode::ReadOnly, &mapped)) return false;
        qv::ImageBuffer image{};
        qv::CodecStatus s;
        bool ok = qv::ReadTiffMemory(mapped.view, mapped.size, &image, nullptr, &s);
        qv::FreeImagePixels(&image);
        return ok;
    });
    Report("ours, from a mapped file", pixelBytes, oursMapped, ours);

    // Every decoder of a viewer writes into a block it has just allocated, whose pages the system
    // still has to supply; the references run both that way and into a block already in use.
    size_t blockBytes = static_cast<size_t>(pixelBytes);
    const uint8_t* pixels = bytes + 180;
    std::vector<uint8_t> warm(blockBytes);
    std::memset(warm.data(), 1, warm.size());
    auto fresh = [&](const std::function<bool(uint8_t*)>& job) {
        return [&, job] {
            uint8_t* block = static_cast<uint8_t*>(qv::AllocLargeBlock(blockBytes + 4));
            bool ok = block && job(block);
            qv::FreeLargeBlock(block);
            return ok;
        };
    };
    auto copy = [&](uint8_t* out) {
        std::memcpy(out, pixels, blockBytes);
        return true;
    };
    std::printf(" into a freshly allocated block, as a decoder does:\n");
    Report("memcpy of the pixel bytes", pixelBytes, BestSeconds(runs, fresh(copy)), ours);

#ifdef QV_HAVE_LIBTIFF
    TIFFSetWarningHandler(nullptr);
    std::string narrow = qv::WideToUtf8(path);
    auto scanlines = [&](uint8_t* out) {
        TIFF* tif = TIFFOpen(narrow.c_str(), "r");
        if (!tif) return false;
        bool ok = true;
        for (uint32_t y = 0; y < height && ok; ++y)
            ok = TIFFReadScanline(tif, out + size_t{y} * width * 3, y, 0) >= 0;
        TIFFClose(tif);
        return ok;
    };
    // the RGBA raster is a third larger than the pixels; it gets its own fresh block
    auto rgba = [&] {
        uint32_t* raster = static_cast<uint32_t*>(qv::AllocLargeBlock(size_t{width} * height * 4));
        TIFF* tif = raster ? TIFFOpen(narrow.c_str(), "r") : nullptr;
        bool ok = tif && TIFFReadRGBAImageOriented(tif, width, height, raster, ORIENTATION_TOPLEFT, 0);
        if (tif) TIFFClose(tif);
        qv::FreeLargeBlock(raster);
        return ok;
    };
    Report("libtiff TIFFReadScanline (raw RGB rows)", pixelBytes, BestSeconds(runs, fresh(scanlines)), ours);
    Report("libtiff TIFFReadRGBAImage (converted)", pixelBytes, BestSeconds(runs, rgba), ours);
#else
    std::printf("  libtiff not available\n");
#endif

    std::printf(" into a block already in use (no page supply):\n");
    Report("memcpy of the pixel bytes", pixelBytes, BestSeconds(runs, [&] { return copy(warm.data()); }), ours);
#ifdef QV_HAVE_LIBTIFF
    Report("libtiff TIFFReadScanline (raw RGB rows)", pixelBytes,
           BestSeconds(runs, [&] { return scanlines(warm.data()); }), ours);
#endif
    qv::DeleteFilePath(path.c_str());
    return 0;
}
