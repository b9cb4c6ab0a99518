// The lossless turn commands and the information record of the current file: the rotation codes
// they write, the checks before the file is touched, and that a failure leaves the file alone.
#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "codecs/jpeg_codec.h"
#include "image/current_exif.h"
#include "image/lossless_rotate.h"
#include "jpeg_test_files.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

using qvtest::ReadFileBytes;
using qvtest::ScratchDir;
using qvtest::WriteFileBytes;
using qvtest::WriteTestJpeg;

FILETIME TimeOf(const std::wstring& path) {
    FILETIME t{};
    EXPECT_TRUE(GetFileFacts(path.c_str(), nullptr, &t));
    return t;
}

bool DecodedSize(const std::string& bytes, uint32_t* w, uint32_t* h, int32_t* orientation) {
    ImageBuffer image{};
    JpegContext ctx;
    bool ok =
        DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), &image, &ctx);
    FreeImagePixels(&image);
    *w = ctx.width;
    *h = ctx.height;
    *orientation = ctx.orientation;
    return ok;
}

TEST(LosslessRotateTest, QuarterTurnsComposeByTheDesignTable) {
    // rows: current code 0-5; columns: 90 cw, 180, 90 ccw; -1 where no single code expresses it
    const int32_t expected[6][3] = {{1, 2, 3}, {2, 3, 0}, {3, 0, 1}, {0, 1, 2}, {-1, 5, -1}, {-1, 4, -1}};
    const int32_t turns[3] = {kTurn90, kTurn180, kTurn270};
    for (int32_t current = 0; current < 6; ++current)
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(ComposePendingTurn(current, turns[t]), expected[current][t]) << current << " " << t;
    EXPECT_EQ(ComposePendingTurn(0, kTurnNone), -1);
    EXPECT_EQ(ComposePendingTurn(7, kTurn90), -1);
}

TEST(LosslessRotateTest, CommandsTurnWhatIsShown) {
    // with nothing pending the file turns by the command
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessTurnRight, kTurnNone), kTurn90);
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessTurnLeft, kTurnNone), kTurn270);
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessPending, kTurnNone), kTurnNone);
    // an automatically turned picture (orientation 6 -> pending 90) turns once more from there
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessTurnRight, kTurn90), kTurn180);
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessTurnLeft, kTurn90), kTurnNone);
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessPending, kTurn90), kTurn90);
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessPending, kTurnFlip), kTurnFlip);
    EXPECT_EQ(LosslessCommandCode(kCmdLosslessTurnRight, kTurnMirror), -1);
    EXPECT_EQ(LosslessCommandCode(kCmdReload, kTurnNone), -1);
}

TEST(LosslessRotateTest, OfferedOnlyForAPlainJpegFile) {
    ImageSession s;
    uint8_t pixel[4] = {};
    s.current.pixels = pixel;
    s.current.sourceFormat = kFormatJpeg;
    s.list.currentPath = L"a.jpg";
    EXPECT_TRUE(LosslessAvailable(s));
    s.list.sourceKind = kSourceZip;
    EXPECT_FALSE(LosslessAvailable(s));
    s.list.sourceKind = kSourceFolder;
    s.current.sourceFormat = kFormatBmp; // e.g. after an edit that no code can express
    EXPECT_FALSE(LosslessAvailable(s));
    s.current.sourceFormat = kFormatJpeg;
    s.list.currentPath.clear();
    EXPECT_FALSE(LosslessAvailable(s));
    s.current.pixels = nullptr;
    s.list.currentPath = L"a.jpg";
    EXPECT_FALSE(LosslessAvailable(s));
}

TEST(LosslessRotateTest, TurnsTheFileAndResetsTheOrientation) {
    ScratchDir dir;
    const std::wstring path = dir.File(L"photo.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 48, 32, 6));
    const std::string before = ReadFileBytes(path);
    EXPECT_EQ(LosslessRotateFile(path, TimeOf(path), kTurn90), 0u);
    const std::string after = ReadFileBytes(path);
    EXPECT_NE(after, before);
    uint32_t w = 0, h = 0;
    int32_t orientation = 0;
    ASSERT_TRUE(DecodedSize(after, &w, &h, &orientation));
    EXPECT_EQ(w, 32u);
    EXPECT_EQ(h, 48u);
    EXPECT_EQ(orientation, 1); // the picture itself is upright now
    // no temporary file is left beside it
    int files = 0;
    ListDirectory(dir.path(), [&](const DirEntry&) { ++files; });
    EXPECT_EQ(files, 1);
}

TEST(LosslessRotateTest, RefusesBeforeTouchingTheFile) {
    ScratchDir dir;
    const std::wstring path = dir.File(L"photo.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 40, 24, 0));
    const std::string before = ReadFileBytes(path);

    FILETIME stale = TimeOf(path);
    stale.dwLowDateTime ^= 1;
    EXPECT_EQ(LosslessRotateFile(path, stale, kTurn90), 30005u);
    EXPECT_EQ(ReadFileBytes(path), before);

    EXPECT_EQ(LosslessRotateFile(dir.File(L"gone.jpg"), stale, kTurn90), 30002u);
    EXPECT_EQ(LosslessRotateFile(dir.path(), TimeOf(dir.path()), kTurn90), 30002u);

    // not JPEG data: the transformation fails and the file keeps every byte
    const std::wstring junk = dir.File(L"junk.jpg");
    const std::string junkBytes = std::string("\xFF\xD8\xFF\xC0\x00\x04", 6) + std::string(200, '\x55');
    ASSERT_TRUE(WriteFileBytes(junk, junkBytes));
    EXPECT_EQ(LosslessRotateFile(junk, TimeOf(junk), kTurn90), 30004u);
    EXPECT_EQ(ReadFileBytes(junk), junkBytes);
}

TEST(CurrentExifTest, ListsThePresentItemsOfTheCurrentFile) {
    ScratchDir dir;
    FileList list;
    list.currentPath = dir.File(L"photo.jpg");
    ASSERT_TRUE(WriteTestJpeg(list.currentPath, 40, 24, 6));
    ExifInfo info;
    ASSERT_TRUE(ReadCurrentExifInfo(list, &info, nullptr));
    int rows[kExifInfoItems];
    int n = CollectExifRows(info, rows);
    // orientation, pixel dimensions and EXIF version, in index order
    ASSERT_EQ(n, 3);
    EXPECT_EQ(rows[0], 9);
    EXPECT_EQ(info.items[9].value, ExifEnglishString(50205));
    EXPECT_EQ(rows[1], 44);
    EXPECT_EQ(info.items[44].value, L"40, 24");
    EXPECT_EQ(rows[2], 58);
    EXPECT_EQ(info.items[58].value, L"0231");

    ASSERT_TRUE(WriteTestJpeg(list.currentPath, 40, 24, 0));
    EXPECT_FALSE(ReadCurrentExifInfo(list, &info, nullptr));
    EXPECT_EQ(CollectExifRows(info, rows), 0);
    list.currentPath = dir.File(L"missing.jpg");
    EXPECT_FALSE(ReadCurrentExifInfo(list, &info, nullptr));
}

} // namespace
} // namespace qv
