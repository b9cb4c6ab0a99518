#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/exif.h"
#include "platform/checked_math.h"

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

// Little TIFF writer: entries are given with their raw values (already in the block's order).
struct Tiff {
    bool le;
    Bytes b;
    explicit Tiff(bool littleEndian) : le(littleEndian), b(8) {
        b[0] = b[1] = le ? 'I' : 'M';
        Put16(2, 42);
        Put32(4, 8);
    }
    void Put16(uint32_t at, uint16_t v) {
        if (b.size() < at + 2) b.resize(at + 2);
        b[at] = le ? v & 0xFF : v >> 8;
        b[at + 1] = le ? v >> 8 : v & 0xFF;
    }
    void Put32(uint32_t at, uint32_t v) {
        if (b.size() < at + 4) b.resize(at + 4);
        if (le)
            WriteLE32(&b[at], v);
        else
            WriteBE32(&b[at], v);
    }
    // Writes an IFD at the end: entries (tag, type, count, value-or-offset), next offset.
    struct E {
        uint16_t tag, type;
        uint32_t count, value;
        bool shortValue = false; // SHORT stored in the first two bytes
    };
    uint32_t Ifd(const std::vector<E>& entries, uint32_t next = 0) {
        uint32_t at = static_cast<uint32_t>(b.size());
        Put16(at, static_cast<uint16_t>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            uint32_t e = at + 2 + 12 * static_cast<uint32_t>(i);
            Put16(e, entries[i].tag);
            Put16(e + 2, entries[i].type);
            Put32(e + 4, entries[i].count);
            if (entries[i].shortValue) {
                Put32(e + 8, 0);
                Put16(e + 8, static_cast<uint16_t>(entries[i].value));
            } else {
                Put32(e + 8, entries[i].value);
            }
        }
        Put32(at + 2 + 12 * static_cast<uint32_t>(entries.size()), next);
        return at;
    }
    uint32_t Rational(uint32_t n, uint32_t d) {
        uint32_t at = static_cast<uint32_t>(b.size());
        Put32(at, n);
        Put32(at + 4, d);
        return at;
    }
    uint32_t Text(const char* s) {
        uint32_t at = static_cast<uint32_t>(b.size());
        b.insert(b.end(), s, s + std::strlen(s) + 1);
        return at;
    }
};

using E = Tiff::E;
E Short(uint16_t tag, uint16_t v) {
    return {tag, 3, 1, v, true};
}

Bytes Jpeg(const Bytes& tiff) {
    Bytes j(12 + tiff.size());
    const uint8_t head[12] = {0xFF, 0xD8, 0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    std::copy(head, head + 12, j.begin());
    std::copy(tiff.begin(), tiff.end(), j.begin() + 12);
    uint32_t len = static_cast<uint32_t>(tiff.size()) + 8;
    j[4] = static_cast<uint8_t>(len >> 8);
    j[5] = static_cast<uint8_t>(len);
    Bytes tail = {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9};
    j.insert(j.end(), tail.begin(), tail.end());
    return j;
}
uint32_t Size(const Bytes& b) {
    return static_cast<uint32_t>(b.size());
}

// IFD0 with an orientation and an EXIF IFD pointer; the EXIF IFD entries come from `exif`.
Bytes Block(bool le, uint16_t orientation, const std::vector<E>& exifEntries, Tiff* t) {
    // IFD0 goes first at 8 with two entries; the EXIF IFD follows it.
    uint32_t exifAt = 8 + 2 + 2 * 12 + 4;
    t->Ifd({Short(274, orientation), {34665, 4, 1, exifAt}});
    t->Ifd(exifEntries);
    return t->b;
}

TEST(ExifOrientationTest, ReadsOnlyTheUprightingValuesInBothByteOrders) {
    for (bool le : {true, false}) {
        for (uint16_t v : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
            Tiff t(le);
            Bytes j = Jpeg(Block(le, v, {}, &t));
            int32_t expected = (v == 3 || v == 6 || v == 8) ? v : 1;
            EXPECT_EQ(ReadExifOrientation(j.data(), Size(j)), expected) << le << " " << v;
        }
    }
    Bytes none = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_EQ(ReadExifOrientation(none.data(), Size(none)), 1);
}

TEST(ExifOrientationTest, ResetWritesTheLowByteOnly) {
    for (bool le : {true, false}) {
        Tiff t(le);
        Bytes j = Jpeg(Block(le, 6, {}, &t));
        ASSERT_TRUE(ResetExifOrientation(j.data(), Size(j)));
        EXPECT_EQ(ReadExifOrientation(j.data(), Size(j)), 1);
        // The 16-bit value is now exactly 1.
        uint32_t entry = 12 + 8 + 2;
        EXPECT_EQ(le ? ReadLE16(&j[entry + 8]) : ReadBE16(&j[entry + 8]), 1);
    }
}

TEST(ExifSizePatchTest, RewritesPixelDimensionsAsLongInBothOrders) {
    for (bool le : {true, false}) {
        Tiff t(le);
        Bytes tiff = Block(le, 1, {Short(40962, 4000), Short(40963, 3000)}, &t);
        ASSERT_TRUE(PatchExifImageSize(tiff.data(), Size(tiff), 640, 480));
        Bytes j = Jpeg(tiff);
        ExifInfo info;
        ASSERT_TRUE(ReadExifInfo(j.data(), Size(j), &info, nullptr));
        EXPECT_EQ(info.items[44].value, L"640, 480");
        uint32_t entry = 8 + 2 + 2 * 12 + 4 + 2;
        EXPECT_EQ(le ? ReadLE16(&tiff[entry + 2]) : ReadBE16(&tiff[entry + 2]), 4); // LONG now
    }
}

TEST(ExifSizePatchTest, PointerWithUpperBitsOrForeignMagicLeavesTheBlockUnchanged) {
    Tiff t(true);
    Bytes tiff = Block(true, 1, {Short(40962, 4000)}, &t);
    WriteLE32(&tiff[8 + 2 + 12 + 8], 0x00010000 | ReadLE32(&tiff[8 + 2 + 12 + 8]));
    Bytes before = tiff;
    EXPECT_FALSE(PatchExifImageSize(tiff.data(), Size(tiff), 1, 1));
    EXPECT_EQ(tiff, before);
    tiff[2] = 43;
    EXPECT_FALSE(PatchExifImageSize(tiff.data(), Size(tiff), 1, 1));
    EXPECT_FALSE(PatchExifImageSize(tiff.data(), 11, 1, 1));
}

TEST(ExifInfoTest, FormatsExposureIsoAndRationalsByTruncation) {
    Tiff t(true);
    uint32_t exifAt = 8 + 2 + 2 * 12 + 4;
    const int n = 12;
    uint32_t values = exifAt + 2 + n * 12 + 4;
    // Values after the EXIF IFD, laid out by hand.
    t.Ifd({Short(274, 6), {34665, 4, 1, exifAt}});
    t.Ifd({
        {33434, 5, 1, values},       // ExposureTime 1/250
        {33437, 5, 1, values + 8},   // FNumber 28/10
        {34855, 3, 1, 65535, true},  // ISO saturated
        {34864, 3, 1, 2, true},      // SensitivityType 2: REI
        {34866, 4, 1, 12800},        // RecommendedExposureIndex
        {37380, 10, 1, values + 16}, // ExposureBias -2/3
        {37385, 3, 1, 0x59, true},   // fired, return detected, red-eye
        {37386, 5, 1, values + 24},  // FocalLength 187/10
        {41989, 3, 1, 28, true},
        {37382, 5, 1, values + 32}, // SubjectDistance with a zero denominator
        {40961, 3, 1, 1, true},
        {42240, 5, 1, values + 40}, // Gamma 22/10
    });
    t.Rational(1, 250);
    t.Rational(28, 10);
    t.Rational(static_cast<uint32_t>(-2), 3);
    t.Rational(187, 10);
    t.Rational(5, 0);
    t.Rational(22, 10);
    Bytes j = Jpeg(t.b);
    ExifInfo info;
    ASSERT_TRUE(ReadExifInfo(j.data(), Size(j), &info, nullptr));
    EXPECT_EQ(info.items[9].value, L"Rotated 90 CW");
    EXPECT_EQ(info.items[10].value, L"1/250 sec");
    EXPECT_EQ(info.items[11].value, L"F2.8");
    EXPECT_EQ(info.items[22].value, L"12800 (REI)");
    EXPECT_EQ(info.items[15].value, L"-0.66 Ev");
    EXPECT_EQ(info.items[25].value, L"Fired, return light detected, red-eye reduction");
    EXPECT_EQ(info.items[27].value, L"18.7 mm (35 mm equivalent: 28 mm)");
    EXPECT_FALSE(info.items[29].present);
    EXPECT_EQ(info.items[39].value, L"sRGB");
    EXPECT_EQ(info.items[40].value, L"2.200");
    EXPECT_FALSE(info.items[61].present);
}

TEST(ExifInfoTest, ExposureOfTwoAndAHalfSecondsAndUnknownEnumValues) {
    Tiff t(false);
    uint32_t exifAt = 8 + 2 + 2 * 12 + 4;
    uint32_t values = exifAt + 2 + 3 * 12 + 4;
    t.Ifd({Short(274, 9), {34665, 4, 1, exifAt}}, 0x1234);
    t.Ifd({{33434, 5, 1, values}, Short(37383, 7), Short(37383 + 0, 255)});
    t.Rational(25, 10);
    Bytes j = Jpeg(t.b);
    ExifInfo info;
    ASSERT_TRUE(ReadExifInfo(j.data(), Size(j), &info, nullptr));
    EXPECT_EQ(info.items[10].value, L"2.5 sec");
    EXPECT_FALSE(info.items[9].present); // orientation 9 is not a listed value
    EXPECT_EQ(info.items[23].value, L"Other");
    EXPECT_EQ(info.items[61].value, L"0x00001234");
}

TEST(ExifInfoTest, HostileOffsetsCountsAndLoopsStayInside) {
    Tiff t(true);
    uint32_t exifAt = 8 + 2 + 4 * 12 + 4;
    t.Ifd({{271, 2, 0xFFFFFFF0u, 0x10}, // Make with a count far past the end
           {272, 2, 8, 0x7FFFFFFF},     // Model offset outside
           {34665, 4, 1, exifAt},
           {305, 2, 400, 8}}); // Software: a long text inside the data is cut to 259 bytes
    // The EXIF IFD points back at IFD0 and claims more entries than there are bytes.
    t.Ifd({{34665, 4, 1, 8}, {33434, 5, 1, 0xFFFFFFF8u}});
    t.Put16(exifAt, 500);
    t.b.resize(t.b.size() + 400, 'A');
    Bytes j = Jpeg(t.b);
    ExifInfo info;
    EXPECT_TRUE(ReadExifInfo(j.data(), Size(j), &info, nullptr));
    EXPECT_FALSE(info.items[0].present);
    EXPECT_FALSE(info.items[1].present);
    EXPECT_FALSE(info.items[10].present);
    ASSERT_TRUE(info.items[5].present);
    EXPECT_LE(info.items[5].value.size(), 259u);

    // Cut the file at every length (an exact copy, so that ASan sees a read past it): the
    // orientation stays the default, and a cut file never shows an item the whole one lacks, nor a
    // longer text.
    for (uint32_t cut = 0; cut < Size(j); ++cut) {
        Bytes part(j.begin(), j.begin() + cut);
        ExifInfo partial;
        ReadExifInfo(part.data(), cut, &partial, nullptr);
        for (int i = 0; i < kExifInfoItems; ++i) {
            if (!partial.items[i].present) continue;
            ASSERT_TRUE(info.items[i].present) << "item " << i << " cut at " << cut;
            ASSERT_LE(partial.items[i].value.size(), info.items[i].value.size()) << "item " << i << " cut at " << cut;
        }
        ASSERT_EQ(ReadExifOrientation(part.data(), cut), 1) << cut;
    }
}

TEST(ExifInfoTest, NoExifPointerOrNoBlockIsReported) {
    Tiff t(true);
    t.Ifd({Short(274, 1)});
    Bytes j = Jpeg(t.b);
    ExifInfo info;
    EXPECT_FALSE(ReadExifInfo(j.data(), Size(j), &info, nullptr));
    Bytes plain = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_FALSE(ReadExifInfo(plain.data(), Size(plain), &info, nullptr));
}

TEST(ExifMarkerWalkTest, BadSegmentLengthStopsWith50004AndCountsComments) {
    Bytes j = {0xFF, 0xD8, 0xFF, 0xFE, 0, 3, 'x', 0xFF, 0xFE, 0, 2, 0xFF, 0xDB, 0, 1, 0xFF, 0xD9};
    MarkerWalkResult r = WalkJpegMarkers(j.data(), Size(j), false);
    EXPECT_EQ(r.commentCount, 2);
    EXPECT_EQ(r.status, kCodecCannotOpen);
    EXPECT_FALSE(r.exif.found);
}

TEST(ExifThumbnailTest, NoIfd1MeansNoThumbnail) {
    Tiff t(true);
    Bytes j = Jpeg(Block(true, 1, {}, &t));
    ExifThumbnail thumb;
    CodecStatus status = kCodecOk;
    EXPECT_FALSE(FindExifThumbnail(j.data(), Size(j), &thumb, &status));
}

TEST(ExifThumbnailTest, FindsSizeAndReplacesWithinTheSegment) {
    Tiff t(false);
    uint32_t ifd1 = 8 + 2 + 12 + 4;
    t.Ifd({Short(274, 1)}, ifd1);
    uint32_t thumbAt = ifd1 + 2 + 2 * 12 + 4;
    Bytes thumbJpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 90, 0, 120, 1, 1, 0x11, 0, 0xFF, 0xD9};
    t.Ifd({{513, 4, 1, thumbAt}, {514, 4, 1, static_cast<uint32_t>(thumbJpeg.size())}});
    t.b.insert(t.b.end(), thumbJpeg.begin(), thumbJpeg.end());
    Bytes j = Jpeg(t.b);
    ExifThumbnail thumb;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(FindExifThumbnail(j.data(), Size(j), &thumb, &status));
    EXPECT_EQ(thumb.width, 120u);
    EXPECT_EQ(thumb.height, 90u);
    EXPECT_EQ(thumb.offset, thumbAt);
    EXPECT_EQ(thumb.freeRoom, 65527u - thumbAt);

    Bytes bigger = thumbJpeg;
    bigger[7] = 0;
    bigger[8] = 45; // height 45
    bigger.insert(bigger.end() - 2, 10, 0x00);
    std::string out;
    ASSERT_TRUE(ReplaceExifThumbnailMemory(std::string(j.begin(), j.end()), thumb, bigger.data(), Size(bigger), &out));
    Bytes k(out.begin(), out.end());
    ASSERT_TRUE(FindExifThumbnail(k.data(), Size(k), &thumb, &status));
    EXPECT_EQ(thumb.length, bigger.size());
    EXPECT_EQ(thumb.height, 45u);
    EXPECT_EQ(ReadBE16(&k[4]), thumbAt + bigger.size() + 8);
    EXPECT_EQ(k[k.size() - 1], 0xD9); // the rest of the file follows the segment
    // A thumbnail larger than the room left is refused.
    Bytes huge(thumb.freeRoom + 1, 0);
    EXPECT_FALSE(ReplaceExifThumbnailMemory(out, thumb, huge.data(), Size(huge), &out));
}

} // namespace
} // namespace qv
