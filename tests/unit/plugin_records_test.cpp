// What the program makes of plug-ins' answers: the kind, the pattern lists with built-in formats
// and duplicates left out, the options page's joined descriptions, the header offered to
// "IsSupported", the archive records and the extracted member.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "sources/plugin_records.h"
#include "test_support.h"

namespace qv {
namespace {

std::wstring Latin1(const uint8_t* bytes, size_t length) {
    return std::wstring(bytes, bytes + length);
}

TEST(PluginRecords, KindComesFromTheFirstFourCharacters) {
    EXPECT_EQ(PluginKindOf("00IN", 4), kPluginImage);
    EXPECT_EQ(PluginKindOf("00AMxyz", 7), kPluginArchive);
    EXPECT_EQ(PluginKindOf("00IN", 3), kPluginNotAPlugin); // only three written
    EXPECT_EQ(PluginKindOf("00XX", 4), kPluginNotAPlugin);
    EXPECT_EQ(PluginKindOf("01IN", 4), kPluginNotAPlugin);
    EXPECT_TRUE(KindInMask(kPluginImage, kPluginPatternsImage));
    EXPECT_FALSE(KindInMask(kPluginArchive, kPluginPatternsImage));
    EXPECT_TRUE(KindInMask(kPluginArchive, kPluginPatternsAll));
    EXPECT_FALSE(KindInMask(kPluginNotAPlugin, kPluginPatternsAll));
    // an answer is read up to its 0 and never past the count or the buffer
    char buffer[8] = {'a', 'b', 0, 'c', 'd', 'e', 'f', 'g'};
    EXPECT_EQ(PluginInfoText(buffer, 5, 8), "ab");
    EXPECT_EQ(PluginInfoText(buffer + 3, 99, 5), "cdefg");
    EXPECT_EQ(PluginInfoText(buffer, 0, 8), "");
    EXPECT_EQ(PluginInfoText(buffer, -1, 8), "");
}

TEST(PluginRecords, PatternsLeaveBuiltInFormatsAndDuplicatesOut) {
    std::vector<std::wstring> patterns;
    AppendPluginPatterns(L"*.jpg;*.pic;;*.JPEG", &patterns);
    AppendPluginPatterns(L"*.PIC; *.pcx ;*.tiff;*.a.gif", &patterns);
    AppendPluginPatterns(L"*.xjpg", &patterns);
    EXPECT_EQ(patterns, (std::vector<std::wstring>{L"*.pic", L"*.pcx", L"*.xjpg"}));
}

TEST(PluginRecords, DescriptionsJoinPairByPairWithinTheLimit) {
    std::map<int, std::string> answers = {
        {2, "*.a"},  {3, "A files"}, {4, "*.b;*.c"}, {5, "B files"}, {6, std::string(250, 'p')},
        {7, "long"}, {8, "*.d"},     {9, "D"}};
    auto info = [&](int n) { return answers.count(n) ? answers[n] : std::string(); };
    std::string patterns, descriptions;
    ASSERT_TRUE(JoinPluginDescriptions(info, &patterns, &descriptions));
    // the third pair would pass 259 bytes: it and everything after it stay out
    EXPECT_EQ(patterns, "*.a;*.b;*.c");
    EXPECT_EQ(descriptions, "A files/B files");
    answers.erase(5); // a pair with one answer missing ends the texts
    ASSERT_TRUE(JoinPluginDescriptions(info, &patterns, &descriptions));
    EXPECT_EQ(patterns, "*.a");
    answers.erase(3);
    EXPECT_FALSE(JoinPluginDescriptions(info, &patterns, &descriptions));
    // a plug-in that never stops answering is cut off
    int calls = 0;
    ASSERT_TRUE(JoinPluginDescriptions([&](int) { return ++calls, std::string("x"); }, &patterns, &descriptions));
    EXPECT_LE(patterns.size(), 259u);
    EXPECT_LT(calls, 600);
}

TEST(PluginRecords, HeaderIsZeroFilledAfterShortDataAndFilesOutsideTheLimitsAreNotOffered) {
    uint8_t header[kPluginHeaderBytes];
    std::memset(header, 0xEE, sizeof header);
    FillPluginHeader(reinterpret_cast<const uint8_t*>("P5 1"), 4, header);
    EXPECT_EQ(header[3], '1');
    EXPECT_EQ(header[4], 0);
    EXPECT_EQ(header[kPluginHeaderBytes - 1], 0);

    qvtest::ScratchDir dir;
    FILETIME time{};
    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"empty.x"), ""));
    EXPECT_FALSE(ReadPluginHeader(dir.File(L"empty.x").c_str(), header, &time));
    EXPECT_FALSE(ReadPluginHeader(dir.File(L"missing.x").c_str(), header, &time));
    EXPECT_FALSE(ReadPluginHeader(dir.path().c_str(), header, &time));
    std::string data(3000, 'a');
    data[2175] = 'z';
    data[2176] = 'y';
    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"long.x"), data));
    ASSERT_TRUE(ReadPluginHeader(dir.File(L"long.x").c_str(), header, &time));
    EXPECT_EQ(header[2175], 'z');
    EXPECT_NE(time.dwHighDateTime, 0u);
}

PluginArchiveRecord Record(const char* path, const char* name, uint64_t position, uint64_t size, int64_t time) {
    PluginArchiveRecord r{};
    std::memcpy(r.method, "tar", 3);
    std::strncpy(r.path, path, sizeof r.path);
    std::strncpy(r.fileName, name, sizeof r.fileName);
    r.position = position;
    r.fileSize = size;
    r.timestamp = time;
    return r;
}

std::string Bytes(const std::vector<PluginArchiveRecord>& records) {
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(PluginArchiveRecord));
}

bool List(const std::string& bytes, ArchiveListing* listing) {
    FILETIME archiveTime{1, 2};
    return ListPluginRecords(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), archiveTime, Latin1,
                             listing);
}

TEST(PluginRecords, RecordsBecomeEntriesUpToTheEndRecord) {
    PluginArchiveRecord full = Record("", "", 7, 9, 0);
    std::memset(full.fileName, 'n', sizeof full.fileName); // a name that fills its field
    std::vector<PluginArchiveRecord> records = {
        Record("photos\\2012\\", "a.pgm", 512, 1234, 1000000000),
        Record("", "huge.pgm", 1024, 5ull << 30, 0), // 4 GiB or more: cannot be loaded
        Record("", "far.pgm", 6ull << 30, 10, 0),    // a key cannot reach it
        Record("", "old.pgm", 0xFFFFF000u, 10, -1),  // a key above 2 GiB stays its low 32 bits
        full,
        PluginArchiveRecord{}, // the end of the list
        Record("", "after-end.pgm", 1, 1, 0),
    };
    ArchiveListing listing;
    ASSERT_TRUE(List(Bytes(records) + std::string(100, 'x'), &listing));
    ASSERT_EQ(listing.count, 3u);
    EXPECT_EQ(listing.archiveTime.dwLowDateTime, 1u);
    EXPECT_EQ(listing.entries[0].innerFolder.str(), L"photos\\2012\\");
    EXPECT_EQ(listing.entries[0].name.str(), L"a.pgm");
    EXPECT_EQ(listing.entries[0].key, 512);
    EXPECT_EQ(listing.entries[0].size, 1234);
    FILETIME t = listing.entries[0].time; // 2001-09-09 01:46:40 UTC
    EXPECT_EQ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime, 126444736000000000ull);
    EXPECT_EQ(static_cast<uint32_t>(listing.entries[1].key), 0xFFFFF000u);
    EXPECT_EQ(listing.entries[2].name.str(), std::wstring(200, L'n'));
    // a block too short for one whole record, and one whose first record ends the list
    EXPECT_FALSE(List(Bytes({records[0]}).substr(0, 443), &listing));
    EXPECT_FALSE(List(Bytes({PluginArchiveRecord{}, records[0]}), &listing));
}

TEST(PluginRecords, RecordTimesUseTheLowThirtyTwoBitsAsASignedValue) {
    FILETIME t = PluginRecordTime(-1); // 1969-12-31 23:59:59
    EXPECT_EQ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime, 116444735990000000ull);
    t = PluginRecordTime((1ll << 32) + 5);
    EXPECT_EQ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime, 116444736050000000ull);
}

TEST(PluginRecords, MembersAreCopiedWithSpareBytesAndEmptyOrHugeOnesRefused) {
    LargeBlock block;
    uint32_t length = 99;
    ASSERT_TRUE(CopyPluginMember(reinterpret_cast<const uint8_t*>("abc"), 3, &block, &length));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(std::memcmp(block.get(), "abc\0\0\0\0", 7), 0);
    uint8_t one = 0;
    EXPECT_FALSE(CopyPluginMember(&one, 0, &block, &length));
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(length, 0u);
    // the size is refused before anything is read from the block
    EXPECT_FALSE(CopyPluginMember(&one, 4ull << 30, &block, &length));
    EXPECT_FALSE(CopyPluginMember(&one, UINT32_MAX - 3, &block, &length));
}

} // namespace
} // namespace qv
