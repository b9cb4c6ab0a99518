// Deflate for saving: libdeflate's compressor against zlib's (the strategy our PNG writer gives
// zlib: filtered for true colour, default for palettes) at every level the save bar offers, on
// filtered PNG rows of a photograph, a screenshot and a palette picture made here. Prints the
// speed ratio (zlib time / libdeflate time, median of interleaved pairs) and the size ratio
// (libdeflate bytes / zlib bytes): the writer takes libdeflate at the levels where it is faster
// at no more than 1 % larger output.
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/png_format.h"
#include "codecs/png_rows.h"
#include "codecs/whole_deflate.h"
#include "paired_runs.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kWidth = 1600, kHeight = 1200;

// Rows with their filter bytes, as the writer hands them to deflate.
Bytes FilterRows(const Bytes& px, uint32_t bpp, uint8_t filter) {
    const uint32_t rowBytes = kWidth * bpp;
    Bytes out(static_cast<size_t>(rowBytes + 1) * kHeight);
    Bytes zero(rowBytes, 0);
    for (uint32_t y = 0; y < kHeight; ++y) {
        const uint8_t* row = &px[static_cast<size_t>(y) * rowBytes];
        const uint8_t* prev = y ? row - rowBytes : zero.data();
        uint8_t* o = &out[static_cast<size_t>(y) * (rowBytes + 1)];
        o[0] = filter;
        qv::FilterRow(filter, row, prev, rowBytes, bpp, o + 1);
    }
    return out;
}

Bytes Photograph() {
    Bytes px(static_cast<size_t>(kWidth) * kHeight * 3);
    uint32_t seed = 1;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = static_cast<int>((seed >> 24) & 7) - 3;
            double u = x / 300.0, v = y / 200.0;
            int base[3] = {static_cast<int>(128 + 90 * std::sin(u) * std::cos(v)),
                           static_cast<int>(128 + 80 * std::sin(u * 0.7 + v)),
                           static_cast<int>(100 + 60 * std::cos(u - v * 1.3))};
            for (int c = 0; c < 3; ++c) {
                int value = base[c] + noise;
                px[(static_cast<size_t>(y) * kWidth + x) * 3 + c] = static_cast<uint8_t>(value < 0     ? 0
                                                                                         : value > 255 ? 255
                                                                                                       : value);
            }
        }
    return px;
}

// Flat panels, a title bar gradient, and rows of small glyph-like marks: what a screenshot holds.
Bytes Screenshot() {
    Bytes px(static_cast<size_t>(kWidth) * kHeight * 3);
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            uint8_t* p = &px[(static_cast<size_t>(y) * kWidth + x) * 3];
            uint8_t r = 240, g = 240, b = 240;
            if (y < 30) {
                r = static_cast<uint8_t>(40 + x * 100 / kWidth), g = 80, b = 160;
            } else if (x < 250) {
                r = g = b = 225;
            }
            bool glyph = (y % 18) > 4 && (y % 18) < 14 && ((x * 7 + (y / 18) * 13) % 11) < 3 && (x % 90) < 70;
            if (y >= 30 && glyph) r = g = b = 20;
            if (x % 400 == 399 || y % 300 == 299) r = 120, g = 120, b = 130;
            p[0] = r, p[1] = g, p[2] = b;
        }
    return px;
}

Bytes Palette() {
    Bytes px(static_cast<size_t>(kWidth) * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            int v = static_cast<int>(128 + 60 * std::sin(x * 0.01) + 50 * std::cos(y * 0.013));
            px[static_cast<size_t>(y) * kWidth + x] = static_cast<uint8_t>((v / 8) * 8 + ((x / 40 + y / 40) & 1));
        }
    return px;
}

size_t ZlibDeflate(const Bytes& in, int level, int strategy, Bytes* out) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy) != Z_OK) return 0;
    out->resize(deflateBound(&z, in.size()));
    z.next_in = const_cast<uint8_t*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out->data();
    z.avail_out = static_cast<uInt>(out->size());
    int result = deflate(&z, Z_FINISH);
    size_t n = z.total_out;
    deflateEnd(&z);
    return result == Z_STREAM_END ? n : 0;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // lines show as they come, also into a file
    int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    struct Case {
        const char* name;
        Bytes filtered;
        int strategy;
    } cases[] = {
        {"photograph RGB (Paeth)", FilterRows(Photograph(), 3, qv::kFilterPaeth), Z_FILTERED},
        {"screenshot RGB (Up)", FilterRows(Screenshot(), 3, qv::kFilterUp), Z_FILTERED},
        {"palette (None)", FilterRows(Palette(), 1, qv::kFilterNone), Z_DEFAULT_STRATEGY},
    };
    std::printf("Deflate for PNG saving, %ux%u, median of %d interleaved pairs; speed ratio = zlib / libdeflate"
                " time, size ratio = libdeflate / zlib bytes\n",
                kWidth, kHeight, runs);
    for (Case& c : cases) {
        // zlib's levels 0-9 against libdeflate's at the same number, then libdeflate's slower
        // levels 10-12 against zlib's 9, the default
        for (int step = 0; step <= 12; ++step) {
            const int level = step > 9 ? 9 : step, ourLevel = step;
            Bytes ours(qv::DeflateWholeZlibBound(c.filtered.size())), theirs;
            size_t oursBytes = 0, theirBytes = 0;
            qvbench::PairedFigures f = qvbench::RunPaired(
                runs,
                [&] {
                    oursBytes =
                        qv::DeflateWholeZlib(ourLevel, c.filtered.data(), c.filtered.size(), ours.data(), ours.size());
                    return oursBytes != 0;
                },
                [&] {
                    theirBytes = ZlibDeflate(c.filtered, level, c.strategy, &theirs);
                    return theirBytes != 0;
                });
            std::printf("%-24s level %2d/%d  libdeflate %7.1f ms %9zu B  zlib %7.1f ms %9zu B  speed %.2f (%.2f-%.2f)"
                        "  size %.4f\n",
                        c.name, ourLevel, level, f.oursMedian * 1e3, oursBytes, f.referenceMedian * 1e3, theirBytes,
                        f.ratioMedian, f.ratioMin, f.ratioMax, double(oursBytes) / theirBytes);
            std::fflush(stdout);
        }
    }
    return 0;
}
