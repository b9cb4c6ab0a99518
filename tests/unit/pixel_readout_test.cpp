#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/external_programs.h"
#include "viewer/pixel_readout.h"

namespace qv {
namespace {

// A 3 x 2 image whose block is filled by the test; rows bottom-up, padded to 4 bytes.
struct TestImage {
    ImageBuffer image{};
    std::vector<uint8_t> block;
    TestImage(int32_t w, int32_t h, uint16_t bits) {
        image.header.biWidth = w;
        image.header.biHeight = h;
        image.header.biBitCount = bits;
        block.assign(ImageStride(static_cast<uint32_t>(w), bits) * static_cast<size_t>(h) + 4, 0);
        image.pixels = block.data();
    }
    uint8_t* StoredRow(int32_t bottomUpIndex) {
        return block.data() + static_cast<size_t>(bottomUpIndex) * ImageStride(&image);
    }
};

TEST(PixelReadoutTest, TwentyFourBitRowsAreBottomUpAndBlueGreenRed) {
    TestImage t(3, 2, 24); // stride 12: 9 bytes + 3 padding
    // the top row of the picture is the last stored row
    uint8_t* top = t.StoredRow(1);
    top[6] = 30, top[7] = 20, top[8] = 10; // pixel (2, 0): blue 30, green 20, red 10
    uint8_t* bottom = t.StoredRow(0);
    bottom[0] = 3, bottom[1] = 2, bottom[2] = 1;
    PixelColour c;
    ASSERT_TRUE(ReadPixelColour(t.image, 2, 0, &c));
    EXPECT_EQ(c.red, 10);
    EXPECT_EQ(c.green, 20);
    EXPECT_EQ(c.blue, 30);
    ASSERT_TRUE(ReadPixelColour(t.image, 0, 1, &c));
    EXPECT_EQ(c.red, 1);
    EXPECT_EQ(c.blue, 3);
    EXPECT_FALSE(ReadPixelColour(t.image, 3, 0, &c));
    EXPECT_FALSE(ReadPixelColour(t.image, 0, 2, &c));
    EXPECT_FALSE(ReadPixelColour(t.image, -1, 0, &c));
}

TEST(PixelReadoutTest, EightBitPixelsReadThePaletteThroughPaddedRows) {
    TestImage t(5, 2, 8);                           // stride 8
    t.image.palette[7] = RGBQUAD{200, 150, 100, 0}; // blue, green, red, reserved
    t.StoredRow(1)[4] = 7;                          // pixel (4, 0)
    PixelColour c;
    ASSERT_TRUE(ReadPixelColour(t.image, 4, 0, &c));
    EXPECT_EQ(c.red, 100);
    EXPECT_EQ(c.green, 150);
    EXPECT_EQ(c.blue, 200);
    ASSERT_TRUE(ReadPixelColour(t.image, 4, 1, &c)); // index 0 in the other row
    EXPECT_EQ(c.red, t.image.palette[0].rgbRed);
}

TEST(PixelReadoutTest, OtherDepthsAndMissingPixelsHaveNoColour) {
    TestImage t(2, 2, 32);
    PixelColour c;
    EXPECT_FALSE(ReadPixelColour(t.image, 0, 0, &c));
    ImageBuffer empty{};
    empty.header.biWidth = 4;
    empty.header.biHeight = 4;
    empty.header.biBitCount = 24;
    EXPECT_FALSE(ReadPixelColour(empty, 0, 0, &c));
}

TEST(PixelReadoutTest, TitleTextFollowsThePointerOnAndOffTheImage) {
    TestImage t(4, 4, 24);
    uint8_t* top = t.StoredRow(3);
    top[3] = 0, top[4] = 128, top[5] = 255; // pixel (1, 0)
    // the image twice as large, drawn from client (10, 10)
    ViewGeometry g;
    SetViewImage(&g, 4, 4, DisplayMode::SubWindow, ViewSize{1920, 1080});
    SetViewClient(&g, 28, 28);
    g.zoom = 2.0;
    ScaleView(&g);
    LayoutView(&g);
    ASSERT_EQ(g.displayLeft, 10);
    ASSERT_EQ(g.displayTop, 10);
    auto readout = [&](ViewPoint p) {
        PixelColour c;
        return PixelReadoutText(PixelUnderPoint(t.image, g, p, &c) ? &c : nullptr);
    };
    EXPECT_EQ(readout(ViewPoint{13, 11}), L"r:255  g:128  b:0"); // image pixel (1, 0)
    EXPECT_EQ(readout(ViewPoint{10, 10}), L"r:0  g:0  b:0");
    EXPECT_EQ(readout(ViewPoint{9, 12}), L"r:-  g:-  b:-");
    EXPECT_EQ(readout(ViewPoint{18, 18}), L"r:-  g:-  b:-"); // past the drawn 8 x 8
}

TEST(ExternalProgramTest, MenuTextIsTheNameCutOrTheFileName) {
    EXPECT_EQ(ExternalProgramMenuText(L"C:\\Tools\\paint.exe", L"Paint"), L"Paint");
    EXPECT_EQ(ExternalProgramMenuText(L"C:\\Tools\\paint.exe", L""), L"paint.exe");
    EXPECT_EQ(ExternalProgramMenuText(L"paint.exe", L""), L"paint.exe");
    EXPECT_EQ(ExternalProgramMenuText(L"x.exe", std::wstring(40, L'n')).size(), kExternalProgramNameChars);
}

TEST(ExternalProgramTest, ParametersQuoteThePathAndAddTheKeyForTheArchiveViewer) {
    ExternalProgramTarget t;
    t.isExecutable = true;
    t.currentPath = L"C:\\My Pictures\\a.png";
    EXPECT_EQ(ExternalProgramParameters(L"C:\\Tools\\paint.exe", t), L"\"C:\\My Pictures\\a.png\"");
    t.currentPath = L"C:\\p\\set.zip";
    t.fromArchive = true;
    t.memberKey = 1234;
    EXPECT_EQ(ExternalProgramParameters(L"C:\\Tools\\paint.exe", t), L"\"C:\\p\\set.zip\"");
    EXPECT_EQ(ExternalProgramParameters(L"C:\\Tools\\tovakrin.EXE", t), L"/z1234 \"C:\\p\\set.zip\"");
    // a document is opened without parameters, and nothing is handed without a current file
    t.isExecutable = false;
    EXPECT_EQ(ExternalProgramParameters(L"C:\\notes.txt", t), L"");
    t.isExecutable = true;
    t.currentPath.clear();
    EXPECT_EQ(ExternalProgramParameters(L"C:\\Tools\\paint.exe", t), L"");
}

} // namespace
} // namespace qv
