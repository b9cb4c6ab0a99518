#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "sources/zip_reader.h"

namespace qv {
namespace {

struct Member {
    std::string name;
    std::string data;
    bool deflate = false;
    uint16_t flags = 0;
    int32_t sizeDelta = 0; // added to the declared uncompressed size
};

void Put16(std::string* s, uint32_t v) {
    s->push_back(static_cast<char>(v & 0xFF));
    s->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string RawDeflate(const std::string& in) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, in.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string BuildZip(const std::vector<Member>& members) {
    std::string body, central;
    for (const Member& m : members) {
        std::string packed = m.deflate ? RawDeflate(m.data) : m.data;
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()));
        uint32_t offset = static_cast<uint32_t>(body.size());
        auto common = [&](std::string* s) {
            Put16(s, 20);
            Put16(s, m.flags);
            Put16(s, m.deflate ? 8 : 0);
            Put16(s, 0x6000); // 12:00
            Put16(s, (44 << 9) | (3 << 5) | 15);
            Put32(s, crc);
            Put32(s, static_cast<uint32_t>(packed.size()));
            Put32(s, static_cast<uint32_t>(m.data.size() + m.sizeDelta));
            Put16(s, static_cast<uint32_t>(m.name.size()));
            Put16(s, 0);
        };
        Put32(&body, 0x04034b50);
        common(&body);
        body += m.name + packed;
        Put32(&central, 0x02014b50);
        Put16(&central, 20);
        common(&central);
        Put16(&central, 0);
        Put16(&central, 0);
        Put16(&central, 0);
        Put32(&central, 0);
        Put32(&central, offset);
        central += m.name;
    }
    std::string eocd;
    Put32(&eocd, 0x06054b50);
    Put32(&eocd, 0);
    Put16(&eocd, static_cast<uint32_t>(members.size()));
    Put16(&eocd, static_cast<uint32_t>(members.size()));
    Put32(&eocd, static_cast<uint32_t>(central.size()));
    Put32(&eocd, static_cast<uint32_t>(body.size()));
    Put16(&eocd, 0);
    return body + central + eocd;
}

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
    for (int32_t delta : {-1, 1, 100000}) {
        std::string zip = BuildZip({{"a.jpg", data, true, 0, delta}});
        ArchiveListing listing;
        std::string out;
        if (ListZipMemory(Bytes(zip), static_cast<uint32_t>(zip.size()), &listing) && listing.count == 1)
            EXPECT_FALSE(Extract(zip, listing.entries[0].key, &out)) << delta;
    }
    // a stored member claiming more bytes than the file holds
    std::string stored = BuildZip({{"s.jpg", data, false, 0, 50}});
    std::string out;
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
        if (Extract(zip, listing.entries[0].key, &out)) EXPECT_EQ(out, "abc");
    }
}

} // namespace
} // namespace qv
