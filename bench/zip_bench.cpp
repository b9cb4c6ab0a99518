// ZIP member extraction: our reader (whole-member inflate, CRC check, into a fresh block) against
// zlib inflating the same raw deflate data into a block allocated beforehand and zlib's CRC-32,
// on 24-bit pictures of 6000 x 4000 (a photograph, a screenshot), each stored as one deflated
// member. Ratio = zlib time / ours, median of interleaved pairs.
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "paired_runs.h"
#include "platform/platform.h"
#include "sources/zip_reader.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes* b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

Bytes Picture(uint32_t w, uint32_t h) {
    Bytes px(static_cast<size_t>(w) * h * 3);
    uint32_t seed = 3;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = static_cast<int>((seed >> 24) & 7) - 3;
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<uint8_t>(128 + 90 * std::sin(x / 300.0) * std::cos(y / 200.0) + noise);
            p[1] = static_cast<uint8_t>(128 + 80 * std::sin(x / 430.0 + y / 200.0) + noise);
            p[2] = static_cast<uint8_t>(100 + 60 * std::cos(x / 300.0 - y / 150.0) + noise);
        }
    return px;
}

// Flat panels and rows of small marks, as in a screenshot: deflate finds long matches here.
Bytes Screenshot(uint32_t w, uint32_t h) {
    Bytes px(static_cast<size_t>(w) * h * 3);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 3];
            uint8_t v = x < 250 ? 225 : 240;
            if ((y % 18) > 4 && (y % 18) < 14 && ((x * 7 + (y / 18) * 13) % 11) < 3 && (x % 90) < 70) v = 20;
            p[0] = p[1] = p[2] = v;
            if (y < 30) p[0] = 160, p[1] = 80, p[2] = static_cast<uint8_t>(40 + x * 100 / w);
        }
    return px;
}

Bytes RawDeflate(const Bytes& in) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, in.size()));
    z.next_in = const_cast<uint8_t*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// One member "photo.bmp", deflated, with its local header, central entry and end record.
Bytes MakeZip(const Bytes& member, const Bytes& packed) {
    const char name[] = "photo.bmp";
    const uint32_t nameLength = sizeof name - 1;
    const uint32_t crc = static_cast<uint32_t>(crc32(0, member.data(), static_cast<uInt>(member.size())));
    Bytes z;
    auto header = [&](bool central) {
        if (central) Put16(&z, 20); // made by
        Put16(&z, 20);              // needed
        Put16(&z, 0);               // flags
        Put16(&z, 8);               // deflated
        Put16(&z, 0);
        Put16(&z, 0x21);
        Put32(&z, crc);
        Put32(&z, static_cast<uint32_t>(packed.size()));
        Put32(&z, static_cast<uint32_t>(member.size()));
        Put16(&z, nameLength);
        Put16(&z, 0);
    };
    Put32(&z, 0x04034b50);
    header(false);
    z.insert(z.end(), name, name + nameLength);
    z.insert(z.end(), packed.begin(), packed.end());
    const uint32_t central = static_cast<uint32_t>(z.size());
    Put32(&z, 0x02014b50);
    header(true);
    Put16(&z, 0); // comment
    Put16(&z, 0); // disk
    Put16(&z, 0);
    Put32(&z, 0);
    Put32(&z, 0); // local header offset
    z.insert(z.end(), name, name + nameLength);
    const uint32_t centralSize = static_cast<uint32_t>(z.size()) - central;
    Put32(&z, 0x06054b50);
    Put16(&z, 0);
    Put16(&z, 0);
    Put16(&z, 1);
    Put16(&z, 1);
    Put32(&z, centralSize);
    Put32(&z, central);
    Put16(&z, 0);
    return z;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // lines show as they come, also into a file
    int runs = argc > 1 ? std::atoi(argv[1]) : 11;
    for (int kind = 0; kind < 2; ++kind) {
        Bytes member = kind == 0 ? Picture(6000, 4000) : Screenshot(6000, 4000);
        Bytes packed = RawDeflate(member);
        Bytes zip = MakeZip(member, packed);
        std::printf("ZIP extraction of a %zu-byte %s (%zu bytes deflated), CPU time, median of %d interleaved"
                    " pairs\n",
                    member.size(), kind == 0 ? "photograph" : "screenshot", packed.size(), runs);
        const uLong expectedCrc = crc32(0, member.data(), static_cast<uInt>(member.size()));
        qv::LargeBlock preallocated(static_cast<uint8_t*>(qv::AllocLargeBlock(member.size() + 4)));
        std::memset(preallocated.get(), 1, member.size() + 4); // pages touched once, as a reused block is
        qvbench::PairedFigures f = qvbench::RunPaired(
            runs,
            [&] {
                qv::LargeBlock out;
                uint32_t length = 0;
                return qv::ExtractZipMemory(zip.data(), static_cast<uint32_t>(zip.size()), 0, &out, &length) &&
                       length == member.size();
            },
            [&] {
                z_stream z{};
                if (inflateInit2(&z, -15) != Z_OK) return false;
                z.next_in = packed.data();
                z.avail_in = static_cast<uInt>(packed.size());
                z.next_out = preallocated.get();
                z.avail_out = static_cast<uInt>(member.size() + 4);
                int result = inflate(&z, Z_NO_FLUSH);
                inflateEnd(&z);
                return result == Z_STREAM_END &&
                       crc32(0, preallocated.get(), static_cast<uInt>(member.size())) == expectedCrc;
            });
        qvbench::PrintPaired("  extract deflated member", "zlib inflate + crc32", f);
    }
    return 0;
}
