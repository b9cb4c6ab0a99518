// The lossless turn commands and the information record of the current file: the rotation codes
// they write and when they are offered (the rewrite itself is the save pipeline's).
#include <gtest/gtest.h>

#include "codecs/jpeg_codec.h"
#include "image/current_exif.h"
#include "image/lossless_rotate.h"
#include "jpeg_test_files.h"
#include "model/command_ids.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

using qvtest::ScratchDir;
using qvtest::WriteTestJpeg;

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
