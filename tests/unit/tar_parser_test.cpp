// The TAR archive plug-in's parser: members of the three flavours with their names, sizes, times
// and data, the entries it passes over, and archives that are damaged or cut short.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tar/tar_parser.h"
#include "tar_builder.h"

namespace qv {
namespace {

using qvtest::BuildTar;
using qvtest::TarEntry;
using qvtest::TarFlavour;

std::vector<TarMember> Members(const std::string& tar, bool* isTar = nullptr) {
    std::vector<TarMember> out;
    TarSource source = TarMemorySource(reinterpret_cast<const uint8_t*>(tar.data()), tar.size());
    bool ok = WalkTar(source, [&](const TarMember& m) {
        out.push_back(m);
        return true;
    });
    if (isTar) *isTar = ok;
    return out;
}

std::string DataOf(const std::string& tar, const TarMember& m) {
    return tar.substr(static_cast<size_t>(m.dataOffset), static_cast<size_t>(m.size));
}

const std::string kLongName = std::string(60, 'd') + "/" + std::string(70, 'e') + "/picture.pgm";

TEST(TarParser, EveryFlavourListsNamesSizesTimesAndData) {
    for (TarFlavour flavour : {TarFlavour::Ustar, TarFlavour::Gnu, TarFlavour::Pax}) {
        std::vector<TarEntry> entries = {
            {"a.jpg", "first"}, {"photos/2012/b.pgm", std::string(700, 'x'), 42}, {kLongName, "long"}};
        std::string tar = BuildTar(entries, flavour);
        std::vector<TarMember> m = Members(tar);
        ASSERT_EQ(m.size(), 3u) << static_cast<int>(flavour);
        std::vector<uint64_t> offsets = qvtest::TarHeaderOffsets(entries, flavour);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(m[i].name, entries[i].name);
            EXPECT_EQ(m[i].headerOffset, offsets[i]);
            EXPECT_EQ(DataOf(tar, m[i]), entries[i].data);
            EXPECT_EQ(m[i].mtime, entries[i].mtime);
        }
        // the member is found again from its first header, long-name or pax header included
        TarMember again;
        TarSource source = TarMemorySource(reinterpret_cast<const uint8_t*>(tar.data()), tar.size());
        ASSERT_TRUE(ReadTarMemberAt(source, offsets[2], &again));
        EXPECT_EQ(again.name, kLongName);
        EXPECT_EQ(DataOf(tar, again), "long");
        EXPECT_FALSE(ReadTarMemberAt(source, offsets[2] + 512, &again) && again.name == kLongName);
        EXPECT_FALSE(ReadTarMemberAt(source, offsets[1] + 1, &again));
    }
}

TEST(TarParser, FoldersLinksAndTrailingSlashesAreNotMembers) {
    std::vector<TarEntry> entries = {{"dir/", "", 0, '5'},
                                     {"link.jpg", "", 0, '2'},
                                     {"old-style-dir/", ""},
                                     {"hard.jpg", "", 0, '1'},
                                     {"real.jpg", "data"}};
    std::vector<TarMember> m = Members(BuildTar(entries));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].name, "real.jpg");
}

TEST(TarParser, DamageStopsTheListingAfterTheSoundMembers) {
    bool isTar = false;
    std::vector<TarEntry> entries = {{"a.jpg", "one"}, {"b.jpg", "two", 0, '0', true}, {"c.jpg", "three"}};
    EXPECT_EQ(Members(BuildTar(entries), &isTar).size(), 1u);
    EXPECT_TRUE(isTar);
    // a member whose data runs past the end is not listed
    std::string tar = BuildTar({{"a.jpg", "one"}, {"b.jpg", std::string(2000, 'b')}});
    tar.resize(512 * 3 + 100);
    EXPECT_EQ(Members(tar).size(), 1u);
    // no tar at all
    EXPECT_TRUE(Members(std::string(1024, '\0'), &isTar).empty());
    EXPECT_FALSE(isTar);
    EXPECT_TRUE(Members("short", &isTar).empty());
    EXPECT_FALSE(isTar);
}

TEST(TarParser, BaseTwoFiftySixSizesAndPaxSizesAreRead) {
    std::string tar = BuildTar({{"big.jpg", std::string(600, 'z')}});
    // the size field in GNU's binary form: 0x80 then big-endian bytes
    std::memset(&tar[124], 0, 12);
    tar[124] = static_cast<char>(0x80);
    tar[134] = 0x02, tar[135] = 0x58; // 600
    std::memset(&tar[148], ' ', 8);
    unsigned sum = 0;
    for (int i = 0; i < 512; ++i)
        sum += static_cast<unsigned char>(tar[i]);
    std::snprintf(&tar[148], 8, "%06o", sum);
    std::vector<TarMember> m = Members(tar);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].size, 600u);
    EXPECT_TRUE(IsTarHeader(reinterpret_cast<const uint8_t*>(tar.data())));
    EXPECT_FALSE(IsTarHeader(reinterpret_cast<const uint8_t*>(tar.data() + 512))); // the data
}

TEST(TarParser, NamesSplitIntoFolderAndFile) {
    std::string folder, file;
    ASSERT_TRUE(SplitTarName("./photos/2012/a.jpg", &folder, &file));
    EXPECT_EQ(folder, "photos/2012/");
    EXPECT_EQ(file, "a.jpg");
    ASSERT_TRUE(SplitTarName("/a.jpg", &folder, &file));
    EXPECT_EQ(folder, "");
    EXPECT_EQ(file, "a.jpg");
    EXPECT_FALSE(SplitTarName("./", &folder, &file));
    EXPECT_FALSE(SplitTarName("dir/", &folder, &file));
}

} // namespace
} // namespace qv
