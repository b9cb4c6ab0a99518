// The delete command on a folder's images: which entry is shown next, the empty view after the only
// one, a vanished file still leaving the list, a No to the shell's question changing nothing, and
// the images that have no file of their own.
#include <gtest/gtest.h>

#include "codecs/bmp_codec.h"
#include "output/file_delete.h"
#include "test_support.h"

namespace qv {
namespace {

struct Shell {
    RecycleResult answer = RecycleResult::Recycled;
    int asked = 0;
    std::wstring path;
};

class DeleteTest : public ::testing::Test {
protected:
    void TearDown() override { FreeImageSession(&session); }

    void WriteImage(const wchar_t* name) {
        ImageBuffer image{};
        CodecStatus status = kCodecOk;
        ASSERT_TRUE(PrepareImage(&image, 2, 2, 24, &status));
        ASSERT_TRUE(WriteBmpFile(dir.File(name).c_str(), image, 24, false, &status));
        FreeImagePixels(&image);
    }
    void Show(const wchar_t* name) {
        OpenImage(&session, dir.File(name), nullptr, options, ImageSessionHooks{});
        ASSERT_TRUE(RebuildFromFolder(&session.list));
        ASSERT_EQ(session.list.currentName, name);
    }
    DeleteOutcome Delete() {
        DeleteHooks hooks;
        hooks.context = &shell;
        hooks.recycle = [](void* c, const std::wstring& path) {
            Shell* s = static_cast<Shell*>(c);
            ++s->asked;
            s->path = path;
            // the real one when the user agrees, so that the file really leaves the folder
            return s->answer == RecycleResult::Recycled ? RecycleFile(path.c_str()) : s->answer;
        };
        return DeleteCurrentFile(&session, hooks, options, ImageSessionHooks{});
    }

    qvtest::ScratchDir dir;
    ImageSession session;
    Shell shell;
    int32_t format = 0;
    OpenImageOptions options{LoadOptions{}, &format};
};

TEST_F(DeleteTest, TheLastEntryGoesToTheFirstAndTheOnlyOneLeavesTheEmptyView) {
    WriteImage(L"a.bmp");
    WriteImage(L"b.bmp");
    Show(L"b.bmp");
    EXPECT_EQ(Delete(), DeleteOutcome::OpenedNext);
    EXPECT_EQ(shell.path, dir.File(L"b.bmp"));
    EXPECT_FALSE(PathExists(dir.File(L"b.bmp").c_str()));
    EXPECT_EQ(session.list.count, 1u);
    EXPECT_EQ(session.list.current, 0u);
    EXPECT_EQ(session.list.currentName, L"a.bmp");
    EXPECT_TRUE(HasCurrentImage(session));

    EXPECT_EQ(Delete(), DeleteOutcome::Emptied);
    EXPECT_FALSE(HasCurrentImage(session));
    EXPECT_TRUE(session.list.currentPath.empty());
    EXPECT_FALSE(session.lastLoadFailed);
    // nothing left to delete
    EXPECT_EQ(Delete(), DeleteOutcome::NotApplicable);
    EXPECT_EQ(shell.asked, 2);
}

TEST_F(DeleteTest, AVanishedFileLeavesTheListUnaskedAndANoKeepsEverything) {
    WriteImage(L"a.bmp");
    WriteImage(L"b.bmp");
    WriteImage(L"c.bmp");
    Show(L"a.bmp");
    shell.answer = RecycleResult::Declined;
    EXPECT_EQ(Delete(), DeleteOutcome::Kept);
    EXPECT_TRUE(PathExists(dir.File(L"a.bmp").c_str()));
    EXPECT_EQ(session.list.count, 3u);
    EXPECT_EQ(session.list.currentName, L"a.bmp");
    EXPECT_TRUE(HasCurrentImage(session));

    ASSERT_TRUE(DeleteFilePath(dir.File(L"a.bmp").c_str()));
    shell = Shell{};
    EXPECT_EQ(Delete(), DeleteOutcome::OpenedNext);
    EXPECT_EQ(shell.asked, 0);
    EXPECT_EQ(session.list.count, 2u);
    EXPECT_EQ(session.list.currentName, L"b.bmp");
}

TEST_F(DeleteTest, NothingForAnArchiveMemberOrAPastedImage) {
    WriteImage(L"a.bmp");
    Show(L"a.bmp");
    session.list.sourceKind = kSourceZip;
    EXPECT_EQ(Delete(), DeleteOutcome::NotApplicable);
    session.list.sourceKind = kSourceFolder;
    session.list.currentPath.clear(); // what a paste leaves
    EXPECT_EQ(Delete(), DeleteOutcome::NotApplicable);
    EXPECT_EQ(shell.asked, 0);
    EXPECT_TRUE(PathExists(dir.File(L"a.bmp").c_str()));
    // the shell's flags: the question unless NoRecycMsg is on
    EXPECT_EQ(DeleteRecycleUi(false), RecycleUi::QuestionFirst);
    EXPECT_EQ(DeleteRecycleUi(true), RecycleUi::Errors);
}

} // namespace
} // namespace qv
