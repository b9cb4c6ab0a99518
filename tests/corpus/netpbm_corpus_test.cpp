// Pillow's Netpbm test images (plain and raw, 1, 8 and 16 bits, a broken header): the Netpbm
// plug-in's parser must give what Netpbm's own pamdepth gives when it reduces them to 8 bits, and
// refuse what pamdepth refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "corpus_support.h"
#include "netpbm/netpbm_parser.h"
#include "test_support.h"

namespace qv {
namespace {

// pamdepth's 8-bit output: a raw P5 or P6 header and samples.
struct Reference {
    uint32_t width = 0, height = 0, channels = 0;
    std::string samples;
};

bool ReadReference(const std::string& bytes, Reference* ref) {
    std::istringstream in(bytes);
    std::string magic;
    uint32_t maxval = 0;
    if (!(in >> magic >> ref->width >> ref->height >> maxval) || maxval != 255) return false;
    ref->channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    in.get(); // the one white-space byte before the samples
    ref->samples = bytes.substr(static_cast<size_t>(in.tellg()));
    return ref->channels != 0 && ref->samples.size() == size_t{ref->width} * ref->height * ref->channels;
}

// Red, green and blue of our pixel (x, y from the top).
void OurPixel(const NetpbmImage& image, uint32_t x, uint32_t y, uint8_t rgb[3]) {
    uint32_t stride = ((image.width * image.bitCount + 31) / 32) * 4;
    const uint8_t* row = image.bits.data() + static_cast<size_t>(stride) * (image.height - 1 - y);
    const uint8_t* bgr = row + x * 3;
    if (image.bitCount != 24) {
        uint32_t index = image.bitCount == 8 ? row[x] : (row[x >> 3] >> (7 - (x & 7))) & 1;
        bgr = image.palette.data() + index * 4;
    }
    rgb[0] = bgr[2], rgb[1] = bgr[1], rgb[2] = bgr[0];
}

TEST(NetpbmCorpusTest, DecodesAsPamdepthReducesAndRefusesWhatItRefuses) {
    auto files = qvtest::CorpusFiles({"netpbmpillow"}, {".pbm", ".pgm", ".ppm", ".pnm"});
    if (files.empty()) GTEST_SKIP() << "no Netpbm corpus";
    int compared = 0, refused = 0;
    for (const auto& path : files) {
        std::string bytes = qvtest::ReadFileBytes(path.wstring());
        NetpbmImage image;
        bool ours = DecodeNetpbm(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image);
        std::string out;
        Reference ref;
        bool theirs =
            qvtest::RunCommandOutput("pamdepth 255 " + qvtest::ShellQuoted(path.string()) + " 2>/dev/null", &out) &&
            ReadReference(out, &ref);
        SCOPED_TRACE(path.filename().string());
        ASSERT_EQ(ours, theirs);
        if (!ours) {
            ++refused;
            continue;
        }
        ASSERT_EQ(image.width, ref.width);
        ASSERT_EQ(image.height, ref.height);
        int differing = 0;
        for (uint32_t y = 0; y < ref.height; ++y) {
            for (uint32_t x = 0; x < ref.width; ++x) {
                uint8_t rgb[3];
                OurPixel(image, x, y, rgb);
                const char* s = ref.samples.data() + (size_t{y} * ref.width + x) * ref.channels;
                for (int c = 0; c < 3; ++c)
                    differing += rgb[c] != static_cast<uint8_t>(s[ref.channels == 3 ? c : 0]);
            }
        }
        EXPECT_EQ(differing, 0);
        ++compared;
    }
    EXPECT_GE(compared, 10);
    EXPECT_GE(refused, 2); // a font file with another magic, a negative size
}

} // namespace
} // namespace qv
