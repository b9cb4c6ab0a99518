// Stepping through a folder and through a ZIP archive in the real Quorvel.exe: the keys and
// commands for first, last, previous and next, the sort orders, member keys on the command line
// and a folder that changes while the program runs.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "settings/settings_file.h"
#include "shown_image_win.h"
#include "sources/file_list.h"
#include "zip_builder.h"

namespace qvtest {
namespace {

constexpr DWORD kStepTimeoutMs = 10000;

// Name order a1, a2, a10 (the plain character order would be a1, a10, a2); size order a2, a1, a10.
struct FolderImage {
    const wchar_t* name;
    int side;
    COLORREF colour;
};
constexpr FolderImage kFolderImages[] = {
    {L"a2.bmp", 8, RGB(200, 30, 30)},   // 1 KiB
    {L"a10.bmp", 40, RGB(30, 200, 30)}, // 5 KiB
    {L"a1.bmp", 24, RGB(30, 30, 200)},  // 2 KiB
};

class NavigationTest : public ::testing::Test {
protected:
    // Only this test's program is closed: other sessions may share the display. One that does not
    // close is terminated by its owner.
    void TearDown() override {
        if (process_.valid() && !process_.HasExited() && view_) CloseAndWait(view_, process_);
    }

    void WriteFolderImages() {
        for (const FolderImage& image : kFolderImages)
            ASSERT_TRUE(WriteFileBytes(images_.File(image.name), SolidBmpBytes(image.side, image.side, image.colour)));
    }

    // Starts the program on `args` and waits for the title to name `firstShown`.
    HWND Start(const std::vector<SlotValue>& slots, const std::vector<std::wstring>& args,
               const std::wstring& firstShown) {
        if (!program_.Create(slots)) return nullptr;
        process_ = Launch(program_.exePath(), args);
        HWND view = WaitForProcessWindow(process_, kViewWindowClass);
        view_ = view;
        if (!view) return nullptr;
        EXPECT_TRUE(WaitForShown(view, firstShown, kStartTimeoutMs));
        return view;
    }

    int32_t StoredSortOrder() {
        qv::SettingsReader reader;
        if (!reader.Open(program_.settingsPath())) return -1;
        return reader.ReadInt(qv::kSlotSortOrder, -1);
    }

    ScratchDir images_;
    ProgramFolder program_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

std::vector<SlotValue> SettingsWithSortOrder(int32_t order) {
    std::vector<SlotValue> slots = QuietSettings();
    slots.push_back(IntSlot(qv::kSlotSortOrder, order));
    return slots;
}

// ---- a folder -----------------------------------------------------------------------------------

TEST_F(NavigationTest, KeysStepThroughTheFolderInNameOrderWithoutWrappingAround) {
    WriteFolderImages();
    HWND view = Start(QuietSettings(), {images_.File(L"a2.bmp")}, L"a2.bmp");
    ASSERT_NE(view, nullptr);

    ASSERT_TRUE(PostKey(view, VK_DOWN)); // next
    EXPECT_TRUE(WaitForShown(view, L"a10.bmp"));
    ASSERT_TRUE(PostKey(view, VK_UP)); // previous
    EXPECT_TRUE(WaitForShown(view, L"a2.bmp"));
    ASSERT_TRUE(PostKey(view, VK_LEFT)); // first
    EXPECT_TRUE(WaitForShown(view, L"a1.bmp"));
    // previous on the first entry stays there: the next step lands on the second entry
    ASSERT_TRUE(PostKey(view, VK_UP));
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"a2.bmp"));
    ASSERT_TRUE(PostKey(view, VK_RIGHT)); // last
    EXPECT_TRUE(WaitForShown(view, L"a10.bmp"));
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    ASSERT_TRUE(PostKey(view, VK_UP));
    EXPECT_TRUE(WaitForShown(view, L"a2.bmp"));
    // last, then last again, then previous: the repeated command is not a step
    ASSERT_TRUE(PostKey(view, VK_RIGHT));
    ASSERT_TRUE(PostKey(view, VK_RIGHT));
    ASSERT_TRUE(PostKey(view, VK_UP));
    EXPECT_TRUE(WaitForShown(view, L"a2.bmp"));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(NavigationTest, CommandsStepAndTheSizeOrderChangesWhatComesNext) {
    WriteFolderImages();
    HWND view = Start(QuietSettings(), {images_.File(L"a2.bmp")}, L"a2.bmp");
    ASSERT_NE(view, nullptr);

    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForShown(view, L"a10.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdFirstImage));
    EXPECT_TRUE(WaitForShown(view, L"a1.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdLastImage));
    EXPECT_TRUE(WaitForShown(view, L"a10.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdPreviousImage));
    EXPECT_TRUE(WaitForShown(view, L"a2.bmp"));

    // by size the list is a2, a1, a10 and a2 stays current
    ASSERT_TRUE(PostCommand(view, qv::kCmdSortBySize));
    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForShown(view, L"a1.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdLastImage));
    EXPECT_TRUE(WaitForShown(view, L"a10.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdFirstImage));
    EXPECT_TRUE(WaitForShown(view, L"a2.bmp"));
    EXPECT_TRUE(CloseAndWait(view, process_));
    EXPECT_EQ(StoredSortOrder(), qv::kSortBySize);
}

TEST_F(NavigationTest, TheStoredSortOrderOrdersTheFirstListAndChangesKeepTheCurrentImage) {
    WriteFolderImages();
    HWND view = Start(SettingsWithSortOrder(qv::kSortBySize), {images_.File(L"a2.bmp")}, L"a2.bmp");
    ASSERT_NE(view, nullptr);

    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForShown(view, L"a1.bmp"));
    // back to names: a1, a2, a10 with a1 still current
    ASSERT_TRUE(PostCommand(view, qv::kCmdSortByName));
    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForShown(view, L"a2.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForShown(view, L"a10.bmp"));
    EXPECT_TRUE(CloseAndWait(view, process_));
    EXPECT_EQ(StoredSortOrder(), qv::kSortByName);
}

TEST_F(NavigationTest, AFileAddedWhileRunningIsListedAfterReactivation) {
    WriteFolderImages();
    HWND view = Start(QuietSettings(), {images_.File(L"a2.bmp")}, L"a2.bmp");
    ASSERT_NE(view, nullptr);
    // the list is built after the first picture is up; a step proves it exists before the change
    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    ASSERT_TRUE(WaitForShown(view, L"a10.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdPreviousImage));
    ASSERT_TRUE(WaitForShown(view, L"a2.bmp"));

    ASSERT_TRUE(WriteFileBytes(images_.File(L"a3.bmp"), SolidBmpBytes(4, 4, RGB(90, 90, 90))));
    // The change notification arrives when the system gets to it, and an activation only looks
    // whether it has: activate and step until the new file shows up next (until then the step
    // lands on a10 and goes back).
    bool listed = WaitUntil(kStepTimeoutMs, [&] {
        PostMessageW(view, WM_ACTIVATEAPP, TRUE, 0);
        PostCommand(view, qv::kCmdNextImage);
        if (!WaitUntil(kStepTimeoutMs, [&] { return ShownName(view) == L"a3.bmp" || ShownName(view) == L"a10.bmp"; }))
            return false;
        if (ShownName(view) == L"a3.bmp") return true;
        PostCommand(view, qv::kCmdPreviousImage);
        WaitForShown(view, L"a2.bmp");
        return false;
    });
    EXPECT_TRUE(listed) << "a3.bmp was not listed after reactivation: " << qv::WideToUtf8(WindowTitle(view));
    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForShown(view, L"a10.bmp"));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

// ---- a ZIP archive ------------------------------------------------------------------------------

// Listed in name order: the root members one.bmp, three.bmp, then sub\two.bmp; notes.txt is no image.
std::vector<ZipMember> ArchiveMembers() {
    return {
        {"sub/two.bmp", SolidBmpBytes(12, 12, RGB(30, 200, 30)), true},
        {"notes.txt", "not an image"},
        {"three.bmp", SolidBmpBytes(16, 16, RGB(30, 30, 200)), true},
        {"one.bmp", SolidBmpBytes(10, 10, RGB(200, 30, 30)), false},
    };
}

class ArchiveTest : public NavigationTest {
protected:
    void SetUp() override {
        members_ = ArchiveMembers();
        offsets_ = ZipMemberOffsets(members_);
        ASSERT_TRUE(WriteFileBytes(images_.File(L"x.zip"), BuildZip(members_)));
    }

    std::wstring KeyOption(uint32_t key) const { return L"/vz" + std::to_wstring(key); }

    std::vector<ZipMember> members_;
    std::vector<uint32_t> offsets_;
};

TEST_F(ArchiveTest, OpensOnTheFirstMemberAndStepsThroughTheImages) {
    HWND view = Start(QuietSettings(), {images_.File(L"x.zip")}, L"x.zip::one.bmp");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(WaitForCentreColour(view, RGB(200, 30, 30))) << "the stored member's pixels";

    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"x.zip::three.bmp"));
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"x.zip::sub\\two.bmp"));
    // the text member is not listed: two is the last entry
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    ASSERT_TRUE(PostKey(view, VK_UP));
    EXPECT_TRUE(WaitForShown(view, L"x.zip::three.bmp"));
    ASSERT_TRUE(PostKey(view, VK_LEFT));
    EXPECT_TRUE(WaitForShown(view, L"x.zip::one.bmp"));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(ArchiveTest, AMemberKeySelectsThatMember) {
    HWND view = Start(QuietSettings(), {KeyOption(offsets_[2]), images_.File(L"x.zip")}, L"x.zip::three.bmp");
    ASSERT_NE(view, nullptr);
    // stepping goes on from the selected member
    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForShown(view, L"x.zip::sub\\two.bmp"));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(ArchiveTest, ADeflatedMemberInAFolderLoadsByKey) {
    HWND view = Start(QuietSettings(), {KeyOption(offsets_[0]), images_.File(L"x.zip")}, L"x.zip::sub\\two.bmp");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(WaitForCentreColour(view, RGB(30, 200, 30))) << "the inflated member's pixels";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(ArchiveTest, AKeyNoMemberHasSelectsTheFirst) {
    // 1 is inside the first local header; the text member's key is not an image entry either
    for (uint32_t key : {1u, offsets_[1]}) {
        SCOPED_TRACE(key);
        HWND view = Start(QuietSettings(), {KeyOption(key), images_.File(L"x.zip")}, L"x.zip::one.bmp");
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(CloseAndWait(view, process_));
    }
}

} // namespace
} // namespace qvtest
