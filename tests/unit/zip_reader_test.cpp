#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sources/zip_reader.h"
#include "zip_builder.h"

namespace qv {
namespace {

using qvtest::BuildZip;
using Member = qvtest::ZipMember;

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

// Listed full names ("folder\\name"), in listing order.
std::vector<std::string> Listed(const std::string& zip) {
    ArchiveListing listing;
    std::vector<std::string> out;
    if (!ListZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), &listing)) return {"<refused>"};
    for (uint32_t i = 0; i < listing.count; ++i) {
        std::wstring w = listing.entries[i].innerFolder.str() + listing.entries[i].name.str();
        out.emplace_back(w.begin(), w.end());
    }
    return out;
}

bool Extract(const std::string& zip, int32_t key, std::string* data) {
    LargeBlock block;
    uint32_t length = 0;
    if (!ExtractZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), key, &block, &length)) return false;
    data->assign(reinterpret_cast<const char*>(block.get()), length);
    return true;
}

std::string Pattern(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>((i * 7 + i / 13) & 0xFF));
    return s;
}

TEST(ZipReaderTest, StoredAndDeflatedMembersListAndExtractByteIdentical) {
    std::string big = Pattern(70000);
    std::string zip = BuildZip({{"a.jpg", "stored bytes"}, {"pics/deep/b.png", big, true}});
    ArchiveListing listing;
    ASSERT_TRUE(ListZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), &listing));
    ASSERT_EQ(listing.count, 2u);
    EXPECT_EQ(listing.entries[0].name.str(), L"a.jpg");
    EXPECT_TRUE(listing.entries[0].innerFolder.empty());
    EXPECT_EQ(listing.entries[0].key, 0);
    EXPECT_EQ(listing.entries[1].name.str(), L"b.png");
    EXPECT_EQ(listing.entries[1].innerFolder.str(), L"pics\\deep\\");
    EXPECT_EQ(listing.entries[1].size, 70000);
    std::string out;
    ASSERT_TRUE(Extract(zip, listing.entries[0].key, &out));
    EXPECT_EQ(out, "stored bytes");
    ASSERT_TRUE(Extract(zip, listing.entries[1].key, &out));
    EXPECT_EQ(out, big);
    EXPECT_FALSE(Extract(zip, 12345, &out));
}

TEST(ZipReaderTest, DamagedArchivesAreRefused) {
    std::string zip = BuildZip({{"a.jpg", Pattern(500), true}});
    for (size_t cut : {size_t(0), size_t(10), zip.size() / 2, zip.size() - 1})
        EXPECT_EQ(Listed(zip.substr(0, cut)), std::vector<std::string>{"<refused>"}) << cut;
    EXPECT_EQ(Listed(std::string(300, 'Z')), std::vector<std::string>{"<refused>"});
    // central directory offset pointing past the end
    std::string far = zip;
    far[far.size() - 6] = '\x7f';
    EXPECT_EQ(Listed(far), std::vector<std::string>{"<refused>"});
}

TEST(ZipReaderTest, UnsafeNamesAndEncryptedMembersAreLeftOut) {
    std::string zip = BuildZip({{"../up.jpg", "x"},
                                {"/abs.jpg", "x"},
                                {"a/../../b.jpg", "x"},
                                {"c:evil.jpg", "x"},
                                {"secret.jpg", "x", false, 1},
                                {"ok.jpg", "fine"}});
    // the encrypted member is listed (the user sees it) but refuses to extract
    EXPECT_EQ(Listed(zip), (std::vector<std::string>{"secret.jpg", "ok.jpg"}));
    ArchiveListing listing;
    ASSERT_TRUE(ListZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), &listing));
    ASSERT_EQ(listing.count, 2u);
    std::string out;
    EXPECT_FALSE(Extract(zip, listing.entries[0].key, &out));
    ASSERT_TRUE(Extract(zip, listing.entries[1].key, &out));
    EXPECT_EQ(out, "fine");
    EXPECT_FALSE(Extract(zip, 0, &out)); // the "../up.jpg" header
}

TEST(ZipReaderTest, LyingSizesAndShortOrLongDeflateStreamsFail) {
    std::string data = Pattern(4000);
    // a size one byte off either way is listed (only the inflate can tell), and does not extract
    for (int32_t delta : {-1, 1}) {
        std::string zip = BuildZip({{"a.jpg", data, true, 0, delta}});
        ArchiveListing listing;
        std::string out;
        ASSERT_TRUE(ListZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), &listing)) << delta;
        ASSERT_EQ(listing.count, 1u) << delta;
        EXPECT_EQ(listing.entries[0].size, static_cast<int32_t>(data.size()) + delta);
        EXPECT_FALSE(Extract(zip, listing.entries[0].key, &out)) << delta;
    }
    // a size deflate could never reach from so few packed bytes is a lie: not even listed
    std::string bomb = BuildZip({{"a.jpg", data, true, 0, 100000000}, {"b.jpg", "fine"}});
    EXPECT_EQ(Listed(bomb), std::vector<std::string>{"b.jpg"});
    std::string out;
    EXPECT_FALSE(Extract(bomb, 0, &out));
    // a stored member claiming more bytes than the file holds
    std::string stored = BuildZip({{"s.jpg", data, false, 0, 50}});
    EXPECT_FALSE(Extract(stored, 0, &out));
}

TEST(ZipReaderTest, BytesPrependedToTheArchive) {
    std::string zip = std::string(64, 'P') + BuildZip({{"a.jpg", "abc"}});
    std::vector<std::string> listed = Listed(zip);
    std::string out;
    // either refused outright or, when listed, never extracting wrong bytes
    if (listed != std::vector<std::string>{"<refused>"} && !listed.empty()) {
        ArchiveListing listing;
        ASSERT_TRUE(ListZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), &listing));
        if (Extract(zip, listing.entries[0].key, &out)) {
            EXPECT_EQ(out, "abc");
        }
    }
}

// ---- archives damaged in ways a writer would never produce ------------------------------------

constexpr uint32_t kEndSize = 22;
constexpr uint32_t kCentralSize = 46;

uint32_t Get32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 | static_cast<uint8_t>(s[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}
void Set32(std::string* s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        (*s)[at + i] = static_cast<char>(v >> (8 * i));
}

// Where the central record of member `index` starts (an archive without comment).
size_t CentralRecord(const std::string& zip, size_t index) {
    size_t at = Get32(zip, zip.size() - kEndSize + 16);
    for (size_t i = 0; i < index; ++i)
        at += kCentralSize + (static_cast<uint8_t>(zip[at + 28]) | static_cast<uint8_t>(zip[at + 29]) << 8);
    return at;
}

TEST(ZipReaderTest, ArchiveCommentsAreSkippedEvenWhenTheyHoldAFakeEndRecord) {
    std::string fake = std::string("PK\x05\x06", 4) + std::string(18, '\x01');
    for (const std::string& comment : {std::string("written by hand"), "x" + fake + "tail", std::string(65535, 'c')}) {
        std::string zip = BuildZip({{"a.jpg", "abc"}}, comment);
        EXPECT_EQ(Listed(zip), std::vector<std::string>{"a.jpg"}) << comment.size();
        std::string out;
        ASSERT_TRUE(Extract(zip, 0, &out)) << comment.size();
        EXPECT_EQ(out, "abc");
    }
}

TEST(ZipReaderTest, OnlyStoredAndDeflatedMembersAreListed) {
    Member bzip2{"b.jpg", "x"}, lzma{"l.jpg", "x"}, shrunk{"s.jpg", "x"};
    bzip2.method = 12;
    lzma.method = 14;
    shrunk.method = 1;
    EXPECT_EQ(Listed(BuildZip({bzip2, {"ok.jpg", "fine", true}, lzma, shrunk})), std::vector<std::string>{"ok.jpg"});
    EXPECT_EQ(Listed(BuildZip({bzip2, lzma})), std::vector<std::string>{"<refused>"});
}

TEST(ZipReaderTest, DataDescriptorMembersTakeTheirSizesFromTheDirectory) {
    std::string data = Pattern(3000);
    std::vector<Member> members{{"d.png", data, true, qvtest::kZipFlagDescriptor},
                                {"s.png", "plain", false, qvtest::kZipFlagDescriptor}};
    std::string zip = BuildZip(members);
    std::vector<uint32_t> keys = qvtest::ZipMemberOffsets(members);
    ASSERT_EQ(Listed(zip), (std::vector<std::string>{"d.png", "s.png"}));
    std::string out;
    ASSERT_TRUE(Extract(zip, static_cast<int32_t>(keys[0]), &out));
    EXPECT_EQ(out, data);
    ASSERT_TRUE(Extract(zip, static_cast<int32_t>(keys[1]), &out));
    EXPECT_EQ(out, "plain");
}

TEST(ZipReaderTest, DamagedMemberDataFailsItsCheckAndLeavesTheOthersLoadable) {
    std::string data = Pattern(2000);
    std::vector<Member> members{{"s.jpg", data}, {"d.jpg", data, true}, {"ok.jpg", "fine"}};
    std::vector<uint32_t> keys = qvtest::ZipMemberOffsets(members);
    std::string zip = BuildZip(members);
    zip[keys[0] + 30 + 5 + 100] ^= 0x40; // a stored byte: only the CRC can tell
    zip[keys[1] + 30 + 5 + 40] ^= 0x10;  // inside the deflate stream
    EXPECT_EQ(Listed(zip).size(), 3u);   // listing reads only the directory
    std::string out;
    EXPECT_FALSE(Extract(zip, static_cast<int32_t>(keys[0]), &out));
    EXPECT_FALSE(Extract(zip, static_cast<int32_t>(keys[1]), &out));
    ASSERT_TRUE(Extract(zip, static_cast<int32_t>(keys[2]), &out));
    EXPECT_EQ(out, "fine");
}

TEST(ZipReaderTest, ADeflateStreamCutShortDoesNotExtract) {
    std::string data = Pattern(20000);
    for (uint32_t cut : {1u, 50u}) {
        Member m{"a.jpg", data, true};
        m.cutPacked = cut;
        std::string zip = BuildZip({m});
        std::string out;
        EXPECT_FALSE(Extract(zip, 0, &out)) << cut;
    }
}

TEST(ZipReaderTest, NamesWithCharactersNoFileNameHoldsAreLeftOut) {
    std::vector<Member> members;
    for (const char* bad : {"a<b.jpg", "a>b.jpg", "a|b.jpg", "a?b.jpg", "a*b.jpg", "a\"b.jpg", "tab\t.jpg",
                            "del\x7f.jpg", "nul\x01.jpg", "dir//x.jpg", "./x.jpg", "dir\\..\\x.jpg"})
        members.push_back({bad, "x"});
    members.push_back({"kept.jpg", "x"});
    EXPECT_EQ(Listed(BuildZip(members)), std::vector<std::string>{"kept.jpg"});
}

TEST(ZipReaderTest, NamesAreUtf8OnlyWithTheFlag) {
    // "é" as UTF-8 with the flag, as Windows-1252 without it; a broken UTF-8 sequence is left out
    std::string zip = BuildZip({{"caf\xC3\xA9.jpg", "1", false, qvtest::kZipFlagUtf8},
                                {"caf\xE9.jpg", "2"},
                                {"bad\xC3.jpg", "3", false, qvtest::kZipFlagUtf8},
                                {"\x80uro.jpg", "4"}});
    ArchiveListing listing;
    ASSERT_TRUE(ListZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), &listing));
    ASSERT_EQ(listing.count, 3u);
    EXPECT_EQ(listing.entries[0].name.str(), L"caf\u00e9.jpg");
    EXPECT_EQ(listing.entries[1].name.str(), L"caf\u00e9.jpg");
    // the native build's ANSI page is Windows-1252 (not Latin-1): 0x80 is the euro sign
    EXPECT_EQ(listing.entries[2].name.str(), L"\u20acuro.jpg");
}

// A few hundred kilobytes may declare half a gigabyte and more: such a member is listed, and its
// extraction is refused with a status before a block is committed or anything inflated.
TEST(ZipReaderTest, AMemberAboveTheCeilingIsRefusedBeforeInflating) {
    std::string packed(600000, '\0'); // noise: deflate cannot shrink it
    uint32_t seed = 1;
    for (char& c : packed)
        c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    Member bomb{"bomb.bmp", packed, true};
    const uint32_t compressed = static_cast<uint32_t>(qvtest::RawDeflate(packed).size());
    ASSERT_GT(uint64_t{compressed} * 1032, uint64_t{kMaxArchiveMemberBytes}); // within the ratio
    bomb.sizeDelta = static_cast<int32_t>(kMaxArchiveMemberBytes + 1 - packed.size());
    std::string zip = BuildZip({bomb, {"ok.bmp", "x"}});
    EXPECT_EQ(Listed(zip), (std::vector<std::string>{"bomb.bmp", "ok.bmp"}));
    LargeBlock block;
    uint32_t length = 0;
    CodecStatus status = kCodecOk;
    EXPECT_FALSE(ExtractZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), 0, &block, &length, &status));
    EXPECT_EQ(status, kCodecNotSupported);
    EXPECT_EQ(block.get(), nullptr);
}

TEST(ZipReaderTest, SizesOfFourGibibytesAreNotListed) {
    // 0xFFFFFFFF marks ZIP64 sizes; one below leaves no room for the spare bytes
    for (uint32_t size : {0xFFFFFFFFu, 0xFFFFFFFDu}) {
        for (bool deflate : {false, true}) {
            Member huge{"huge.jpg", Pattern(100), deflate};
            huge.sizeDelta = static_cast<int32_t>(size - 100u);
            EXPECT_EQ(Listed(BuildZip({huge, {"ok.jpg", "x"}})), std::vector<std::string>{"ok.jpg"}) << size;
        }
    }
}

TEST(ZipReaderTest, ABadCentralSignatureRefusesTheWholeArchive) {
    std::string zip = BuildZip({{"a.jpg", "1"}, {"b.jpg", "2"}, {"c.jpg", "3"}});
    zip[CentralRecord(zip, 1)] = 'Q';
    EXPECT_EQ(Listed(zip), std::vector<std::string>{"<refused>"});
}

TEST(ZipReaderTest, OverlappingOrOutsideMembersAreLeftOut) {
    std::vector<Member> members{{"a.jpg", Pattern(300)}, {"b.jpg", Pattern(300)}, {"c.jpg", "ok"}};
    std::vector<uint32_t> keys = qvtest::ZipMemberOffsets(members);
    std::string zip = BuildZip(members);
    // two members sharing one local header: both go
    std::string shared = zip;
    Set32(&shared, CentralRecord(shared, 1) + 42, keys[0]);
    EXPECT_EQ(Listed(shared), std::vector<std::string>{"c.jpg"});
    // a member starting inside another's data: both go
    std::string inside = zip;
    Set32(&inside, CentralRecord(inside, 1) + 42, keys[0] + 100);
    EXPECT_EQ(Listed(inside), std::vector<std::string>{"c.jpg"});
    // a local header past the central directory, or past the end of the file
    for (uint32_t far : {static_cast<uint32_t>(zip.size() - 30), static_cast<uint32_t>(zip.size() + 1000)}) {
        std::string outside = zip;
        Set32(&outside, CentralRecord(outside, 0) + 42, far);
        EXPECT_EQ(Listed(outside), (std::vector<std::string>{"b.jpg", "c.jpg"})) << far;
        std::string out;
        EXPECT_FALSE(Extract(outside, static_cast<int32_t>(far), &out));
    }
    // a compressed size reaching into the central directory
    std::string reaching = zip;
    size_t c = CentralRecord(reaching, 2);
    Set32(&reaching, c + 20, 5000);
    Set32(&reaching, c + 24, 5000);
    EXPECT_EQ(Listed(reaching), (std::vector<std::string>{"a.jpg", "b.jpg"}));
}

} // namespace
} // namespace qv
