#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sources/file_list.h"
#include "test_support.h"
#include "zip_builder.h"

namespace qv {
namespace {

void Fill(FileList* list, const std::vector<std::wstring>& names, const std::vector<int32_t>& sizes = {},
          const std::vector<uint32_t>& times = {}) {
    list->entries.reset(new FileEntry[names.size()]);
    list->capacity = list->count = static_cast<uint32_t>(names.size());
    list->current = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        FileEntry& e = list->entries[i];
        ASSERT_TRUE(e.name.Set(names[i]));
        e.key = static_cast<int32_t>(100 + i);
        e.size = sizes.empty() ? 1 : sizes[i];
        e.time.dwLowDateTime = times.empty() ? 5 : times[i];
    }
}

std::vector<std::wstring> Names(const FileList& list) {
    std::vector<std::wstring> out;
    for (uint32_t i = 0; i < list.count; ++i)
        out.push_back(list.entries[i].name.str());
    return out;
}

TEST(FileListTest, NameOrderIsLogicalWithStableTieBreaks) {
    FileList list;
    Fill(&list, {L"b10.jpg", L"B2.jpg", L"a01.jpg", L"a1.jpg", L"A1.jpg", L"b2.jpg"});
    list.sortOrder = kSortByName;
    SortEntries(&list);
    // names equal in the logical order keep a fixed order by their plain characters
    std::vector<std::wstring> got = Names(list);
    EXPECT_EQ(got[5], L"b10.jpg");
    EXPECT_EQ(got[3].substr(1), L"2.jpg");
    FileList again;
    Fill(&again, {L"b2.jpg", L"A1.jpg", L"b10.jpg", L"a1.jpg", L"B2.jpg", L"a01.jpg"});
    SortEntries(&again);
    EXPECT_EQ(Names(again), got);
}

TEST(FileListTest, EqualSizesAndDatesFallBackToName) {
    FileList list;
    Fill(&list, {L"c.png", L"a.png", L"b.png", L"d.png"}, {7, 7, 3, 7}, {9, 9, 9, 1});
    list.sortOrder = kSortBySize;
    SortEntries(&list);
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"b.png", L"a.png", L"c.png", L"d.png"}));
    list.sortOrder = kSortByDate;
    SortEntries(&list);
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"d.png", L"a.png", L"b.png", L"c.png"}));
}

TEST(FileListTest, NavigationStopsAtBothEnds) {
    FileList list;
    uint32_t to = 99;
    EXPECT_FALSE(NavigationTarget(list, Navigate::Next, &to));
    Fill(&list, {L"a", L"b", L"c"});
    EXPECT_FALSE(NavigationTarget(list, Navigate::Previous, &to));
    EXPECT_FALSE(NavigationTarget(list, Navigate::First, &to));
    ASSERT_TRUE(NavigationTarget(list, Navigate::Last, &to));
    EXPECT_EQ(to, 2u);
    list.current = 2;
    EXPECT_FALSE(NavigationTarget(list, Navigate::Next, &to));
    ASSERT_TRUE(NavigationTarget(list, Navigate::Previous, &to));
    EXPECT_EQ(to, 1u);
    Fill(&list, {L"only"});
    EXPECT_FALSE(NavigationTarget(list, Navigate::Last, &to));
}

TEST(FileListTest, SelectionFallsBackToFirstEntry) {
    FileList list;
    Fill(&list, {L"a", L"b", L"c"});
    EXPECT_EQ(SelectByKey(&list, 102), 2u);
    EXPECT_EQ(SelectByKey(&list, 7), 0u);
    EXPECT_EQ(list.current, 0u);
    list.current = 1;
    EXPECT_TRUE(SelectIndex(&list, 3));
    EXPECT_EQ(list.current, 0u);
}

TEST(FileListTest, RemovingTheLastEntries) {
    FileList list;
    Fill(&list, {L"a", L"b", L"c"});
    list.current = 2;
    list.currentName = L"c";
    ASSERT_TRUE(RemoveCurrent(&list));
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(list.current, 0u);
    ASSERT_TRUE(RemoveCurrent(&list));
    list.currentPath = L"x/b";
    list.currentName = L"b";
    EXPECT_FALSE(RemoveCurrent(&list));
    EXPECT_FALSE(HasList(list));
    EXPECT_TRUE(list.currentName.empty());
    EXPECT_TRUE(list.currentPath.empty());
}

TEST(FileListTest, FolderScanTakesImageExtensionsWithoutCaseAndSkipsFolders) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() /
                   ("qv_file_list_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub.jpg");
    for (const char* n : {"b.JPG", "a10.png", "a2.gif", "notes.txt", "c.jpeg", "noext"})
        ASSERT_TRUE(qvtest::WriteFileBytes((dir / n).wstring(), std::string(1500, 'x')));
    FileList list;
    list.currentName = L"a10.png";
    ASSERT_TRUE(ScanFolder(&list, dir.wstring()));
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"a2.gif", L"a10.png", L"b.JPG", L"c.jpeg"}));
    EXPECT_EQ(list.current, 1u);
    EXPECT_EQ(list.entries[0].size, 2); // KiB rounded up
    fs::remove_all(dir);
    EXPECT_FALSE(ScanFolder(&list, dir.wstring()));
}

// ---- archives -------------------------------------------------------------------------------------

std::wstring EntryTexts(const FileList& list) {
    std::wstring out;
    for (uint32_t i = 0; i < list.count; ++i)
        out += (i ? L"|" : L"") + EntryText(list, i);
    return out;
}

TEST(FileListTest, ArchivesKeepTheirImageMembersWithRootMembersFirst) {
    qvtest::ScratchDir dir;
    std::vector<qvtest::ZipMember> members{{"a/b.jpg", "ab"},    {"notes.txt", "t"}, {"a/", ""},
                                           {"z.JPG", "z", true}, {"a/10.png", "10"}, {"a/9.png", "9"}};
    std::vector<uint32_t> keys = qvtest::ZipMemberOffsets(members);
    std::wstring path = dir.File(L"set.zip");
    ASSERT_TRUE(qvtest::WriteFileBytes(path, qvtest::BuildZip(members)));

    FileList list;
    int32_t key = static_cast<int32_t>(keys[4]);
    ASSERT_TRUE(OpenArchive(&list, path, &key));
    EXPECT_EQ(list.sourceKind, kSourceZip);
    EXPECT_EQ(EntryTexts(list), L"z.JPG|a\\9.png|a\\10.png|a\\b.jpg");
    EXPECT_EQ(list.current, 2u);
    LargeBlock block;
    uint32_t length = 0;
    ASSERT_TRUE(ExtractCurrentMember(list, &block, &length));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.get()), length), "10");

    // the text member's key is no image entry's: the first entry is shown
    key = static_cast<int32_t>(keys[1]);
    ASSERT_TRUE(OpenArchive(&list, path, &key));
    EXPECT_EQ(list.current, 0u);
    ASSERT_TRUE(ExtractCurrentMember(list, &block, &length));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.get()), length), "z");
}

TEST(FileListTest, ArchivesWithoutImagesOrUnreadableGiveNoList) {
    qvtest::ScratchDir dir;
    FileList list;
    std::wstring text = dir.File(L"text.zip");
    ASSERT_TRUE(qvtest::WriteFileBytes(text, qvtest::BuildZip({{"a.txt", "x"}, {"d/", ""}})));
    EXPECT_FALSE(OpenArchive(&list, text, nullptr));
    EXPECT_FALSE(HasList(list));
    std::wstring garbage = dir.File(L"garbage.zip");
    ASSERT_TRUE(qvtest::WriteFileBytes(garbage, std::string(5000, 'P')));
    EXPECT_FALSE(OpenArchive(&list, garbage, nullptr));
    EXPECT_FALSE(OpenArchive(&list, dir.File(L"missing.zip"), nullptr));
    EXPECT_FALSE(HasList(list));
}

TEST(FileListTest, ReopeningTheShownArchiveOnlySelects) {
    qvtest::ScratchDir dir;
    std::vector<qvtest::ZipMember> members{{"1.bmp", "a"}, {"2.bmp", "b"}, {"3.bmp", "c"}};
    std::vector<uint32_t> keys = qvtest::ZipMemberOffsets(members);
    std::wstring path = dir.File(L"s.zip");
    ASSERT_TRUE(qvtest::WriteFileBytes(path, qvtest::BuildZip(members)));
    FileList list;
    ASSERT_TRUE(OpenArchiveOrSelect(&list, path, nullptr));
    // a file that can no longer be listed, under a name differing in case: success proves the
    // directory was not read again
    ASSERT_TRUE(qvtest::WriteFileBytes(path, "gone"));
    std::wstring other = path;
    for (wchar_t& c : other)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    int32_t key = static_cast<int32_t>(keys[2]);
    ASSERT_TRUE(OpenArchiveOrSelect(&list, other, &key));
    EXPECT_EQ(list.current, 2u);
    ASSERT_TRUE(OpenArchiveOrSelect(&list, path, nullptr));
    EXPECT_EQ(list.current, 0u);
    EXPECT_EQ(list.count, 3u);
    // another path is listed, and fails here
    EXPECT_FALSE(OpenArchiveOrSelect(&list, dir.File(L"t.zip"), &key));
    EXPECT_FALSE(HasList(list));
}

// A watch that has always fired and records the folders it is armed on.
class RecordingWatch : public FolderWatch {
public:
    explicit RecordingWatch(std::vector<std::wstring>* armed) : armed_(armed) {}
    bool Arm(const std::wstring& folder) override {
        armed_->push_back(folder);
        return true;
    }
    bool Fired() override { return true; }
    void Close() override {}

private:
    std::vector<std::wstring>* armed_;
};

// A rescan lists the folder of the current path: a root with its separator ("C:" alone is drive
// C's current folder), and never the working folder when there is no path left.
TEST(FileListTest, RescansTakeTheCurrentFoldersRootAndNeverTheWorkingFolder) {
    std::vector<std::wstring> armed;
    FileList list;
    list.watch = std::make_unique<RecordingWatch>(&armed);
    list.currentPath = L"C:/photo.jpg";
    RebuildFromFolder(&list);
    ASSERT_EQ(armed.size(), 1u);
    EXPECT_EQ(armed[0], L"C:/");
    list.currentPath = L"/photo.jpg";
    RebuildFromFolder(&list);
    ASSERT_EQ(armed.size(), 2u);
    EXPECT_EQ(armed[1], L"/");

    // a failed load of a vanished file cleared the path; the folder watch had fired
    list.currentPath.clear();
    EXPECT_EQ(OnActivation(&list, false), Activation::Nothing);
    list.currentPath = L"photo.jpg";
    EXPECT_FALSE(RebuildFromFolder(&list));
    EXPECT_FALSE(ScanFolder(&list, L""));
    EXPECT_EQ(armed.size(), 2u) << qv::WideToUtf8(armed.back());
}

// The list window refills when this count moves, also when the number of rows stays the same.
TEST(FileListTest, ReorderingOrRelistingChangesTheGeneration) {
    qvtest::ScratchDir one, two;
    for (const wchar_t* name : {L"a.bmp", L"b.bmp"}) {
        ASSERT_TRUE(qvtest::WriteFileBytes(one.File(name), "x"));
        ASSERT_TRUE(qvtest::WriteFileBytes(two.File(name), "x"));
    }
    FileList list;
    ASSERT_TRUE(ScanFolder(&list, one.path()));
    uint32_t seen = list.generation;
    ASSERT_TRUE(SetSortOrder(&list, kSortBySize));
    EXPECT_NE(list.generation, seen);
    seen = list.generation;
    ASSERT_TRUE(ScanFolder(&list, two.path()));
    EXPECT_EQ(list.count, 2u);
    EXPECT_NE(list.generation, seen);
    seen = list.generation;
    SelectIndex(&list, 1); // only the selection moves
    EXPECT_EQ(list.generation, seen);
}

} // namespace
} // namespace qv
