// Decode speed of a large uncompressed RGB TIFF (one strip, written by our writer): our reader
// against libtiff reading the same bytes, from memory against memory and from the file against
// the file, and against memcpy of the pixel bytes. Every side writes into a freshly allocated
// block, as a decoder of a viewer does, so all pay for the new pages alike.
// usage: tiff_bench [WIDTH HEIGHT [RUNS]]
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_timing.h"
#include "codecs/decoders.h"
#include "codecs/tiff_encoder.h"
#include "platform/platform.h"

namespace {

// libtiff reading from a block in memory: the client procedures of a read-only stream.
struct MemoryStream {
    const uint8_t* data;
    toff_t size, pos;
};

tsize_t StreamRead(thandle_t h, tdata_t out, tsize_t n) {
    auto* s = static_cast<MemoryStream*>(h);
    toff_t take = s->pos < s->size ? std::min<toff_t>(static_cast<toff_t>(n), s->size - s->pos) : 0;
    std::memcpy(out, s->data + s->pos, take);
    s->pos += take;
    return static_cast<tsize_t>(take);
}
tsize_t StreamWrite(thandle_t, tdata_t, tsize_t) {
    return 0;
}
toff_t StreamSeek(thandle_t h, toff_t offset, int whence) {
    auto* s = static_cast<MemoryStream*>(h);
    toff_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->size : 0;
    s->pos = base + offset;
    return s->pos;
}
int StreamClose(thandle_t) {
    return 0;
}
toff_t StreamSize(thandle_t h) {
    return static_cast<MemoryStream*>(h)->size;
}

// `mode` "r", or "rc" to see the strips as the file has them (libtiff otherwise chops a large
// uncompressed strip into small ones while reading).
TIFF* OpenFromMemory(MemoryStream* stream, const char* mode = "r") {
    stream->pos = 0;
    return TIFFClientOpen("memory", mode, stream, StreamRead, StreamWrite, StreamSeek, StreamClose, StreamSize, nullptr,
                          nullptr);
}

// The rows of an open file into `out`, top row first.
bool ReadScanlines(TIFF* tif, uint8_t* out, uint32_t width, uint32_t height) {
    bool ok = tif != nullptr;
    for (uint32_t y = 0; y < height && ok; ++y)
        ok = TIFFReadScanline(tif, out + size_t{y} * width * 3, y, 0) >= 0;
    if (tif) TIFFClose(tif);
    return ok;
}

// Runs `fill` on a fresh block of `bytes` (and 4 spare bytes, as our pixel blocks have).
template <typename Fill> bool IntoFreshBlock(size_t bytes, Fill fill) {
    uint8_t* block = static_cast<uint8_t*>(qv::AllocLargeBlock(bytes + 4));
    bool ok = block && fill(block);
    qv::FreeLargeBlock(block);
    return ok;
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
    if (!qv::ReadWholeFile(path.c_str(), &file)) return 1;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    uint32_t size = static_cast<uint32_t>(file.size());
    const size_t pixelBytes = size_t{width} * height * 3;
    MemoryStream stream{bytes, size, 0};

    // where the one strip lies, as the file says (the memcpy reference copies exactly those bytes)
    TIFFSetWarningHandler(nullptr);
    uint64_t stripOffset = 0;
    {
        TIFF* tif = OpenFromMemory(&stream, "rc");
        uint64_t* offsets = nullptr;
        bool found = tif && TIFFNumberOfStrips(tif) == 1 && TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets);
        if (found) stripOffset = offsets[0];
        if (tif) TIFFClose(tif);
        if (!found || stripOffset + pixelBytes > size) {
            std::fprintf(stderr, "tiff_bench: libtiff does not find one whole strip in the test file\n");
            return 1;
        }
    }
    const uint8_t* pixels = bytes + stripOffset;

    std::printf("TIFF decode, %ux%u RGB 8-bit, one strip, %.1f MB of pixels\n", width, height, pixelBytes / 1e6);
    qvbench::PrintRatioNote();
    const double megabytes = pixelBytes / 1e6;

    qvbench::Job oursMemory{"ReadTiffMemory", [&] {
                                qv::ImageBuffer image{};
                                qv::CodecStatus s;
                                bool ok = qv::ReadTiffMemory(bytes, size, &image, nullptr, &s);
                                qv::FreeImagePixels(&image);
                                return ok;
                            }};
    qvbench::Job libtiffMemory{"libtiff TIFFReadScanline", [&] {
                                   return IntoFreshBlock(pixelBytes, [&](uint8_t* out) {
                                       return ReadScanlines(OpenFromMemory(&stream), out, width, height);
                                   });
                               }};
    qvbench::Job copy{"memcpy of the strip", [&] {
                          return IntoFreshBlock(pixelBytes, [&](uint8_t* out) {
                              std::memcpy(out, pixels, pixelBytes);
                              return true;
                          });
                      }};
    qvbench::Report("tiff", "from memory", qvbench::Compare(runs, oursMemory, {libtiffMemory, copy}), megabytes,
                    "MB/s");

    std::string narrow = qv::WideToUtf8(path);
    qvbench::Job oursFile{"MapWholeFile + ReadTiffMemory", [&] {
                              qv::MappedFile mapped;
                              if (!qv::MapWholeFile(path.c_str(), qv::MapMode::ReadOnly, &mapped)) return false;
                              qv::ImageBuffer image{};
                              qv::CodecStatus s;
                              bool ok = qv::ReadTiffMemory(mapped.view, mapped.size, &image, nullptr, &s);
                              qv::FreeImagePixels(&image);
                              return ok;
                          }};
    qvbench::Job libtiffFile{"libtiff TIFFOpen + TIFFReadScanline", [&] {
                                 return IntoFreshBlock(pixelBytes, [&](uint8_t* out) {
                                     return ReadScanlines(TIFFOpen(narrow.c_str(), "r"), out, width, height);
                                 });
                             }};
    qvbench::Report("tiff", "from the file", qvbench::Compare(runs, oursFile, libtiffFile), megabytes, "MB/s");
    qv::DeleteFilePath(path.c_str());
    return 0;
}
