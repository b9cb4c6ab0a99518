// The modified mark: the edit history's position against the one of the last save, through
// edits, undo, redo, saves and a cut-off redo part.
#include <gtest/gtest.h>

#include "image/edit_position.h"
#include "image/open_image.h"
#include "test_support.h"

namespace qv {
namespace {

TEST(EditPositionTest, ALoadedImageIsUnmodifiedUntilEdited) {
    EditPosition p;
    EXPECT_FALSE(IsModified(p));
    RecordUneditedImage(&p); // the first edit first keeps the image as it was
    EXPECT_FALSE(IsModified(p));
    RecordEdit(&p);
    EXPECT_TRUE(IsModified(p));
    // undoing back to the unedited image is the file as it is on disk
    ASSERT_TRUE(MoveEditPosition(&p, 0));
    EXPECT_FALSE(IsModified(p));
    ASSERT_TRUE(MoveEditPosition(&p, 1));
    EXPECT_TRUE(IsModified(p));
    EXPECT_FALSE(MoveEditPosition(&p, 2));
    EXPECT_FALSE(MoveEditPosition(&p, -1));
    EXPECT_EQ(p.current, 1);
}

TEST(EditPositionTest, ASaveMovesTheCleanPosition) {
    EditPosition p;
    RecordUneditedImage(&p);
    RecordEdit(&p);
    RecordEdit(&p); // position 2
    MarkSaved(&p);
    EXPECT_FALSE(IsModified(p));
    ASSERT_TRUE(MoveEditPosition(&p, 0));
    EXPECT_TRUE(IsModified(p)); // the file on disk now holds edit 2, not the original
    ASSERT_TRUE(MoveEditPosition(&p, 2));
    EXPECT_FALSE(IsModified(p));
}

TEST(EditPositionTest, AnEditAfterUndoingPastTheSaveNeverLooksSavedAgain) {
    EditPosition p;
    RecordUneditedImage(&p);
    RecordEdit(&p);
    RecordEdit(&p);
    RecordEdit(&p); // position 3, saved
    MarkSaved(&p);
    ASSERT_TRUE(MoveEditPosition(&p, 1));
    RecordEdit(&p); // drops 2 and 3: position 2 is a new image
    RecordEdit(&p); // position 3 again, but not the saved picture
    EXPECT_EQ(p.count, 4);
    EXPECT_TRUE(IsModified(p));
    for (int32_t k = 0; k < p.count; ++k) {
        ASSERT_TRUE(MoveEditPosition(&p, k));
        EXPECT_TRUE(IsModified(p)) << k;
    }
    // an edit below a save that is still reachable keeps it reachable
    MarkSaved(&p); // at 3
    ASSERT_TRUE(MoveEditPosition(&p, 3));
    RecordEdit(&p);
    ASSERT_TRUE(MoveEditPosition(&p, 3));
    EXPECT_FALSE(IsModified(p));
}

TEST(EditPositionTest, ANewHistoryStartsUnmodified) {
    // edited, and then another image: the history starts over
    EditPosition p;
    RecordEdit(&p); // an edit recorded without the unedited snapshot (it could not be written)
    EXPECT_TRUE(IsModified(p));
    ResetEditPosition(&p);
    EXPECT_FALSE(IsModified(p));
    EXPECT_EQ(p.count, 0);
    // the unedited snapshot is taken only into an empty history
    RecordUneditedImage(&p);
    RecordEdit(&p);
    RecordUneditedImage(&p);
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.current, 1);
}

TEST(EditPositionTest, OpeningAnImageClearsTheModifiedMark) {
    qvtest::ScratchDir dir;
    ImageSession session;
    RecordEdit(&session.edits);
    ASSERT_TRUE(IsModified(session.edits));
    OpenImageOptions options;
    OpenImage(&session, dir.File(L"missing.bmp"), nullptr, options, ImageSessionHooks{});
    EXPECT_FALSE(IsModified(session.edits)); // a failed load empties the view: nothing to save
    FreeImageSession(&session);
}

} // namespace
} // namespace qv
