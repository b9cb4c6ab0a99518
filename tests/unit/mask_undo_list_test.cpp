// The area-selection tool's undo list of mask states in temporary files, and the session that
// drives it: stepping, a lost file (30013) and a folder that cannot be written (30012) leaving the
// mask and the position as they were, the files going with the list, and what undo back to the
// opening state means for the combine table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "test_support.h"
#include "tools/mask_undo_list.h"
#include "tools/selection_session.h"

namespace qv {
namespace {

size_t FilesIn(const std::wstring& folder) {
    size_t n = 0;
    ListDirectory(folder, [&](const DirEntry&) { ++n; });
    return n;
}

TEST(MaskUndoListTest, StepsDropsTheRedoPartAndDeletesItsFiles) {
    qvtest::ScratchDir dir;
    uint8_t mask[6] = {};
    {
        MaskUndoList list;
        list.folder = dir.path();
        ResetMaskUndoList(&list, 6);
        for (uint8_t v : {1, 2, 3}) {
            std::memset(mask, v, 6);
            ASSERT_TRUE(PushMaskState(&list, mask));
        }
        EXPECT_EQ(FilesIn(dir.path()), 3u);
        EXPECT_EQ(FileNameOf(list.files[0]).rfind(L"tmp", 0), 0u);
        EXPECT_EQ(StepMaskState(&list, -1, mask), MaskStepResult::Moved);
        EXPECT_EQ(StepMaskState(&list, -1, mask), MaskStepResult::Moved);
        EXPECT_EQ(mask[5], 1);
        EXPECT_EQ(StepMaskState(&list, -1, mask), MaskStepResult::NoState);
        EXPECT_EQ(StepMaskState(&list, +1, mask), MaskStepResult::Moved);
        EXPECT_EQ(mask[0], 2);
        std::memset(mask, 9, 6);
        ASSERT_TRUE(PushMaskState(&list, mask)); // drops state 3
        EXPECT_EQ(list.files.size(), 3u);
        EXPECT_EQ(StepMaskState(&list, +1, mask), MaskStepResult::NoState);
        EXPECT_EQ(FilesIn(dir.path()), 3u);
    }
    EXPECT_EQ(FilesIn(dir.path()), 0u); // the list took its files with it
}

TEST(MaskUndoListTest, LostOrShortFileAndUnwritableFolderChangeNothing) {
    qvtest::ScratchDir dir;
    MaskUndoList list;
    list.folder = dir.path();
    ResetMaskUndoList(&list, 4);
    uint8_t a[4] = {1, 1, 1, 1}, b[4] = {2, 2, 2, 2}, c[4] = {3, 3, 3, 3};
    ASSERT_TRUE(PushMaskState(&list, a));
    ASSERT_TRUE(PushMaskState(&list, b));
    ASSERT_TRUE(PushMaskState(&list, c));
    ASSERT_TRUE(DeleteFilePath(list.files[1].c_str()));
    uint8_t shown[4] = {3, 3, 3, 3};
    EXPECT_EQ(StepMaskState(&list, -1, shown), MaskStepResult::Unreadable);
    EXPECT_EQ(list.position, 2);
    EXPECT_EQ(shown[0], 3);
    ASSERT_TRUE(qvtest::WriteFileBytes(list.files[1], "\x02\x02")); // cut short
    EXPECT_EQ(StepMaskState(&list, -1, shown), MaskStepResult::Unreadable);
    EXPECT_EQ(shown[0], 3);

    // The folder goes away (root may write anywhere, so a read-only folder would prove nothing).
    list.folder = dir.File(L"gone");
    list.position = 1; // as after an undo: the push drops state 2 first
    EXPECT_FALSE(PushMaskState(&list, a));
    EXPECT_EQ(list.position, 1);
    EXPECT_EQ(list.files.size(), 2u);
}

TEST(MaskUndoListTest, UndoToTheOpeningStateForgetsTheToolsOwnMask) {
    qvtest::ScratchDir dir;
    SelectionSession s;
    ASSERT_EQ(OpenSelectionSession(&s, 4, 1, nullptr, dir.path()), 0u);
    EXPECT_FALSE(MaskExists(s));
    const uint8_t first[4] = {1, 1, 0, 0}, second[4] = {0, 0, 0, 1};
    std::memcpy(s.shape.get(), first, 4);
    ASSERT_EQ(FinishShape(&s, kSelectAdd), 0u); // no mask yet: outside becomes protected
    EXPECT_EQ(s.mask.get()[3], 255);
    EXPECT_TRUE(s.ownMask);
    EXPECT_EQ(UndoSelection(&s), MaskStepResult::Moved);
    EXPECT_FALSE(s.ownMask);
    EXPECT_EQ(s.mask.get()[3], 0);
    EXPECT_EQ(FeatherSelection(&s, 5), 0u); // nothing to soften: no state pushed
    EXPECT_EQ(s.undo.files.size(), 2u);
    EXPECT_EQ(RedoSelection(&s), MaskStepResult::Moved);
    EXPECT_TRUE(s.ownMask);
    ASSERT_EQ(UndoSelection(&s), MaskStepResult::Moved);
    std::memcpy(s.shape.get(), second, 4);
    ASSERT_EQ(FinishShape(&s, kSelectAdd), 0u); // the no-mask row again, not "add to nothing"
    const uint8_t onlySecond[4] = {255, 255, 255, 0};
    EXPECT_EQ(0, std::memcmp(s.mask.get(), onlySecond, 4));
    EXPECT_EQ(SelectionApplyLabel(s.ownMask), 5130);

    // An existing mask stays one through undo: add keeps what was outside.
    const uint8_t current[4] = {0, 255, 128, 255};
    ASSERT_EQ(OpenSelectionSession(&s, 4, 1, current, dir.path()), 0u);
    std::memcpy(s.shape.get(), second, 4);
    ASSERT_EQ(FinishShape(&s, kSelectAdd), 0u);
    const uint8_t added[4] = {0, 255, 128, 0};
    EXPECT_EQ(0, std::memcmp(s.mask.get(), added, 4));
    ASSERT_EQ(InvertSelection(&s), 0u);
    EXPECT_EQ(s.mask.get()[2], 127);
    EXPECT_EQ(UndoSelection(&s), MaskStepResult::Moved);
    EXPECT_EQ(UndoSelection(&s), MaskStepResult::Moved);
    EXPECT_FALSE(s.ownMask);
    EXPECT_TRUE(MaskExists(s));
    EXPECT_EQ(SelectionApplyLabel(s.ownMask), 0);
    ASSERT_EQ(RunModeAction(&s, kSelectAllProtected), 0u);
    EXPECT_EQ(s.mask.get()[0], 255);
    EXPECT_EQ(s.undo.files.size(), 2u); // the redo part went
}

} // namespace
} // namespace qv
