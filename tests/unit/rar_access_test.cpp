// RAR access against a scripted stand-in for the library: what the program does with the
// library's answers (volume sets, ordinals, the callback's copy and abort, the password, refused
// names, failures). The real library (our own, over libarchive) is tested in rar_corpus_test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sources/rar_access.h"

namespace qv {
namespace {

struct FakeMember {
    std::u16string name;
    std::string data;
    uint32_t declared = 0; // the unpacked size the header claims
    uint32_t sizeHigh = 0;
    bool directory = false;
};

// One scripted archive; the fake's handle is the script itself.
struct Script {
    uint32_t flags = 0;
    std::vector<FakeMember> members;
    bool passwordAtOpen = false;
    bool failSkipAt = false;
    size_t failSkipIndex = 0;
    size_t chunk = 3;
    // what the fake saw
    std::vector<std::u16string> opened;
    std::vector<uint32_t> modes;
    std::vector<std::u16string> passwords;
    int closes = 0;
    // state of the open handle
    RarCallback callback = nullptr;
    intptr_t user = 0;
    size_t next = 0;
};
Script g_script;

void* QV_RAR_CALL FakeOpen(RarOpenData* d) {
    g_script.opened.push_back(reinterpret_cast<const char16_t*>(d->arcNameW));
    g_script.modes.push_back(d->openMode);
    g_script.callback = d->callback;
    g_script.user = d->userData;
    g_script.next = 0;
    d->flags = g_script.flags;
    d->openResult = 0;
    if (g_script.passwordAtOpen) {
        RarChar buffer[8] = {};
        if (d->callback(kRarMsgNeedPasswordW, d->userData, reinterpret_cast<intptr_t>(buffer), 8) == -1) {
            d->openResult = kRarMissingPassword;
        } else {
            g_script.passwords.push_back(reinterpret_cast<const char16_t*>(buffer));
        }
    }
    return &g_script;
}
int QV_RAR_CALL FakeClose(void*) {
    ++g_script.closes;
    return 0;
}
int QV_RAR_CALL FakeRead(void*, RarHeaderData* h) {
    if (g_script.next >= g_script.members.size()) return kRarEndArchive;
    // copied out first: the record is packed, and a reference to its pointer field would be misaligned
    const char* comment = h->cmtBuf;
    const uint32_t commentSize = h->cmtBufSize;
    EXPECT_EQ(comment, nullptr);
    EXPECT_EQ(commentSize, 0u);
    const FakeMember& m = g_script.members[g_script.next];
    std::memset(h->fileNameW, 0, sizeof h->fileNameW);
    std::memcpy(h->fileNameW, m.name.data(), m.name.size() * 2);
    h->unpSize = m.declared;
    h->unpSizeHigh = m.sizeHigh;
    h->fileTime = (45u << 9 | 3u << 5 | 7u) << 16 | (12u << 11); // 2025-03-07 12:00
    h->flags = m.directory ? kRarMemberDirectory : 0;
    return 0;
}
int QV_RAR_CALL FakeProcess(void*, int operation, RarChar* path, RarChar* name) {
    EXPECT_EQ(path, nullptr);
    EXPECT_EQ(name, nullptr);
    size_t index = g_script.next++;
    if (operation == kRarSkip) return g_script.failSkipAt && index == g_script.failSkipIndex ? kRarBadData : 0;
    const std::string& data = g_script.members[index].data;
    for (size_t at = 0; at < data.size(); at += g_script.chunk) {
        size_t n = std::min(g_script.chunk, data.size() - at);
        if (g_script.callback(kRarMsgProcessData, g_script.user, reinterpret_cast<intptr_t>(data.data() + at),
                              static_cast<intptr_t>(n)) == -1)
            return kRarUnknown;
    }
    return 0;
}

const RarFunctions kFake{FakeOpen, FakeClose, FakeRead, FakeProcess};

FakeMember Member(const char16_t* name, const std::string& data) {
    return FakeMember{name, data, static_cast<uint32_t>(data.size())};
}

std::vector<std::wstring> g_prompts; // what each prompt showed
std::wstring g_answer = L"secret";
bool g_cancel = false;
bool Prompt(std::wstring* password) {
    g_prompts.push_back(*password);
    if (g_cancel) return false;
    *password = g_answer;
    return true;
}

class RarAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_script = Script{};
        g_prompts.clear();
        g_cancel = false;
        ForgetRarPassword();
        SetRarPasswordPrompt(Prompt);
    }
    void TearDown() override { SetRarPasswordPrompt(nullptr); }
};

TEST_F(RarAccessTest, VolumeFlagsAndFirstVolumeName) {
    EXPECT_EQ(ClassifyRarVolume(0), kRarNotVolume);
    EXPECT_EQ(ClassifyRarVolume(kRarArchiveVolume), kRarOldVolume);
    EXPECT_EQ(ClassifyRarVolume(kRarArchiveVolume | kRarArchiveNewNumbering | kRarArchiveFirstVolume),
              kRarFirstNewVolume);
    EXPECT_EQ(ClassifyRarVolume(kRarArchiveVolume | kRarArchiveNewNumbering), kRarLaterVolume);
    EXPECT_EQ(FirstRarVolumeName(L"C:\\a\\set.part3.rar"), L"C:\\a\\set.part1.rar");
    EXPECT_EQ(FirstRarVolumeName(L"/a/x.PART07.rar"), L"/a/x.part01.rar");
    EXPECT_EQ(FirstRarVolumeName(L"/a/x.part0004.rar"), L"/a/x.part0001.rar");
    // no ".partN" part, or a dot only in a folder: the name stays
    EXPECT_EQ(FirstRarVolumeName(L"/a/plain.rar"), L"/a/plain.rar");
    EXPECT_EQ(FirstRarVolumeName(L"/a.part2/plain.rar"), L"/a.part2/plain.rar");
    EXPECT_EQ(FirstRarVolumeName(L"/a/x.partA.rar"), L"/a/x.partA.rar");
}

TEST_F(RarAccessTest, LaterVolumeIsListedAndExtractedFromTheFirst) {
    g_script.flags = kRarArchiveVolume | kRarArchiveNewNumbering;
    g_script.members = {Member(u"a.jpg", "AAAA"), Member(u"b.jpg", "BB")};
    ArchiveListing listing;
    ASSERT_TRUE(ListRarWith(kFake, L"/d/set.part3.rar", &listing));
    // the volume check, then both passes, on the first volume
    ASSERT_EQ(g_script.opened.size(), 3u);
    EXPECT_EQ(g_script.opened[0], u"/d/set.part3.rar");
    EXPECT_EQ(g_script.opened[1], u"/d/set.part1.rar");
    EXPECT_EQ(g_script.opened[2], u"/d/set.part1.rar");
    EXPECT_EQ(g_script.closes, 3);
    LargeBlock block;
    uint32_t length = 0;
    ASSERT_TRUE(ExtractRarWith(kFake, L"/d/set.part3.rar", 1, &block, &length));
    EXPECT_EQ(g_script.opened.back(), u"/d/set.part1.rar");
    EXPECT_EQ(g_script.modes.back(), kRarOpenExtract);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.get()), length), "BB");
}

TEST_F(RarAccessTest, ListingKeysAreOrdinalsAndUnsoundNamesAreLeftOut) {
    g_script.members = {Member(u"top.png", "x"), Member(u"../up.jpg", "x"), Member(u"C:/drive.jpg", "x"),
                        Member(u"sub/dir/in.gif", "xyz"), FakeMember{u"sub", "", 0, 0, true}};
    ArchiveListing listing;
    ASSERT_TRUE(ListRarWith(kFake, L"/d/a.rar", &listing));
    ASSERT_EQ(listing.count, 3u);
    EXPECT_EQ(listing.entries[0].key, 0);
    EXPECT_EQ(std::wstring(listing.entries[0].name.c_str()), L"top.png");
    EXPECT_EQ(listing.entries[1].key, 3);
    EXPECT_EQ(std::wstring(listing.entries[1].innerFolder.c_str()), L"sub\\dir\\");
    EXPECT_EQ(std::wstring(listing.entries[1].name.c_str()), L"in.gif");
    EXPECT_EQ(listing.entries[1].size, 3);
    EXPECT_NE(listing.entries[1].time.dwHighDateTime, 0u);
    EXPECT_EQ(listing.entries[2].key, 4); // a directory keeps an empty name
    EXPECT_EQ(listing.entries[2].name.c_str()[0], 0);
}

TEST_F(RarAccessTest, FailuresYieldNothing) {
    ArchiveListing listing;
    g_script.members = {}; // nothing in it
    EXPECT_FALSE(ListRarWith(kFake, L"/d/a.rar", &listing));
    g_script = Script{};
    g_script.members = {Member(u"a.jpg", "1"), Member(u"b.jpg", "2")};
    g_script.failSkipAt = true;
    g_script.failSkipIndex = 1;
    EXPECT_FALSE(ListRarWith(kFake, L"/d/a.rar", &listing));
    LargeBlock block;
    uint32_t length = 0;
    g_script.failSkipIndex = 0;
    EXPECT_FALSE(ExtractRarWith(kFake, L"/d/a.rar", 1, &block, &length)); // skipping member 0 fails
    EXPECT_FALSE(ExtractRarWith(kFake, L"/d/a.rar", 7, &block, &length)); // no such member
    EXPECT_FALSE(ExtractRarWith(kFake, L"/d/a.rar", -1, &block, &length));
    EXPECT_FALSE(block);
    EXPECT_EQ(g_script.closes + 0, static_cast<int>(g_script.opened.size())); // every open closed
}

TEST_F(RarAccessTest, ExtractionSkipsToMemberAndGuardsTheBlock) {
    g_script.flags = kRarArchiveSolid;
    g_script.members = {Member(u"a.jpg", "first"), Member(u"b.jpg", "second!"), Member(u"c.jpg", "third")};
    LargeBlock block;
    uint32_t length = 0;
    ASSERT_TRUE(ExtractRarWith(kFake, L"/d/s.rar", 2, &block, &length));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.get()), length + 4), std::string("third\0\0\0\0", 9));
    // more data than declared: the callback aborts and nothing comes back
    g_script.members[1].declared = 4;
    block.reset();
    EXPECT_FALSE(ExtractRarWith(kFake, L"/d/s.rar", 1, &block, &length));
    EXPECT_FALSE(block);
    // less data than declared is damage too
    g_script.members[1].declared = 9;
    EXPECT_FALSE(ExtractRarWith(kFake, L"/d/s.rar", 1, &block, &length));
    // 4 GiB or more is refused before anything is allocated or tested
    g_script.members[1].declared = 7;
    g_script.members[1].sizeHigh = 1;
    EXPECT_FALSE(ExtractRarWith(kFake, L"/d/s.rar", 1, &block, &length));
    EXPECT_EQ(g_script.next, 1u); // member 0 was skipped, member 1 never tested
    RarCopyState copy;
    uint8_t room[4];
    copy.cursor = room;
    copy.end = room + 4;
    EXPECT_TRUE(CopyRarChunk(&copy, reinterpret_cast<const uint8_t*>("abc"), 3));
    EXPECT_FALSE(CopyRarChunk(&copy, reinterpret_cast<const uint8_t*>("de"), 2));
    EXPECT_TRUE(CopyRarChunk(&copy, reinterpret_cast<const uint8_t*>("d"), 1));
}

TEST_F(RarAccessTest, PasswordAskedForListingAndAgainPrefilledForExtraction) {
    g_script.passwordAtOpen = true;
    g_script.members = {Member(u"a.jpg", "data")};
    ArchiveListing listing;
    ASSERT_TRUE(ListRarWith(kFake, L"/d/e.rar", &listing));
    // one question for the whole listing, then the same answer handed to every open
    ASSERT_EQ(g_prompts.size(), 1u);
    EXPECT_EQ(g_prompts[0], L"");
    EXPECT_EQ(g_script.passwords, (std::vector<std::u16string>{u"secret", u"secret", u"secret"}));
    LargeBlock block;
    uint32_t length = 0;
    g_answer = L"longer-than-eight";
    ASSERT_TRUE(ExtractRarWith(kFake, L"/d/e.rar", 0, &block, &length));
    ASSERT_EQ(g_prompts.size(), 2u);
    EXPECT_EQ(g_prompts[1], L"secret");               // asked again, the last password filled in
    EXPECT_EQ(g_script.passwords.back(), u"longer-"); // cut to the library's buffer
    // Cancel aborts the operation
    ForgetRarPassword();
    g_cancel = true;
    EXPECT_FALSE(ListRarWith(kFake, L"/d/e.rar", &listing));
    SetRarPasswordPrompt(nullptr);
    EXPECT_FALSE(ListRarWith(kFake, L"/d/e.rar", &listing));
    g_answer = L"secret";
}

TEST_F(RarAccessTest, ManyTinyMembersList) {
    for (int i = 0; i < 70000; ++i)
        g_script.members.push_back(Member(u"m.jpg", "1"));
    ArchiveListing listing;
    ASSERT_TRUE(ListRarWith(kFake, L"/d/many.rar", &listing));
    EXPECT_EQ(listing.count, 70000u);
    EXPECT_EQ(listing.entries[69999].key, 69999);
}

TEST_F(RarAccessTest, LibraryWithoutTheFunctionsIsAbsent) {
    RarLibrary library;
    EXPECT_FALSE(LoadRarLibraryFrom(L"/nonexistent/libunrar64.so", &library));
#ifdef QV_EMPTY_LIBRARY
    // a library of that name that exports nothing: loaded, found wanting, freed by its owner
    RarLibrary empty;
    EXPECT_FALSE(LoadRarLibraryFrom(QV_EMPTY_LIBRARY, &empty));
    EXPECT_EQ(empty.functions.open, nullptr);
#endif
}

} // namespace
} // namespace qv
