// The window title: name, unsaved mark, flag letters in their order, size and KiB with one
// truncated decimal.
#include <gtest/gtest.h>

#include "viewer/window_title.h"

namespace qv {
namespace {

TitleFacts Plain() {
    TitleFacts f;
    f.hasImage = true;
    f.fileName = L"photo.bmp";
    f.sourceFormat = kFormatBmp;
    f.width = 800;
    f.height = 600;
    f.bitsPerPixel = 24;
    f.fileSize = 1536;
    return f;
}

TEST(WindowTitle, NameMarkSizeAndKilobytes) {
    EXPECT_EQ(ComposeWindowTitle(TitleFacts{}), L"Quorvel");
    TitleFacts f = Plain();
    f.modified = true;
    EXPECT_EQ(ComposeWindowTitle(f), L"photo.bmp*  ( 800x600  24bit  1.5KB )");
    f.modified = false;
    f.fileSize = 1023; // 0.99 KiB truncates to 0.9
    EXPECT_EQ(ComposeWindowTitle(f), L"photo.bmp  ( 800x600  24bit  0.9KB )");
    f.fileName = L"set.zip";
    f.memberPath = L"inner\\a.png";
    f.fileSize = 0;
    EXPECT_EQ(ComposeWindowTitle(f), L"set.zip::inner\\a.png  ( 800x600  24bit  0.0KB )");
}

TEST(WindowTitle, LettersFollowTheFormatAndTheirOrder) {
    TitleFacts f = Plain();
    f.info.interlaced = f.info.transparency = true;
    f.info.textPresent = 2;
    f.info.commentPresent = 1;
    f.info.orientation = 6;
    f.sourceFormat = kFormatPng;
    EXPECT_EQ(FormatLetters(f), L"IAT");
    f.sourceFormat = kFormatGif;
    EXPECT_EQ(FormatLetters(f), L"IAC");
    f.sourceFormat = kFormatTiff;
    EXPECT_EQ(FormatLetters(f), L"C");
    f.sourceFormat = kFormatJpeg;
    f.info.exifPresent = true;
    EXPECT_EQ(FormatLetters(f), L"PCER");
    f.autoRotate = false;
    EXPECT_EQ(FormatLetters(f), L"PCE");
    f.sourceFormat = kFormatBmp;
    EXPECT_EQ(FormatLetters(f), L"");
    f.sourceFormat = kFormatPng;
    f.info = LoadInfo{};
    f.info.transparency = true;
    EXPECT_EQ(ComposeWindowTitle(f), L"photo.bmp  ( A  800x600  24bit  1.5KB )");
}

} // namespace
} // namespace qv
