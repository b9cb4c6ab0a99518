// The TAR test archives of Go's and Python's source packages: the TAR plug-in's parser must list
// the regular files GNU tar lists, with their sizes and times, and give the bytes `tar -xO` gives.
// Sparse files are passed over by design (their stored data is not the file). Every archive, the
// broken ones included, is walked without reading outside it.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "corpus_support.h"
#include "tar/tar_parser.h"
#include "test_support.h"

namespace qv {
namespace {

struct Listed {
    std::string name;
    uint64_t size = 0;
    int64_t mtime = 0;
};

// GNU tar's regular files: "-rw-r--r-- 1000/1000 5 2011-09-08 15:42:15 name"; contiguous files
// ("C") hold plain data too.
std::vector<Listed> TarListing(const std::string& archive) {
    std::string out;
    qvtest::RunCommandOutput("TZ=UTC tar -tvf " + qvtest::ShellQuoted(archive) +
                                 " --full-time --numeric-owner --quoting-style=literal 2>/dev/null",
                             &out);
    std::vector<Listed> files;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || (line[0] != '-' && line[0] != 'C')) continue;
        std::istringstream fields(line);
        std::string mode, owner, date, time;
        Listed l;
        fields >> mode >> owner >> l.size >> date >> time;
        std::getline(fields, l.name);
        l.name.erase(0, l.name.find_first_not_of(' '));
        std::tm tm{};
        if (sscanf(date.c_str(), "%d-%d-%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday) != 3) continue;
        sscanf(time.c_str(), "%d:%d:%d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec);
        tm.tm_year -= 1900;
        tm.tm_mon -= 1;
        l.mtime = static_cast<int64_t>(timegm(&tm));
        if (l.name.find("sparse") == std::string::npos) files.push_back(l);
    }
    return files;
}

// Both listings without leading "./" and "/", which the two readers treat differently.
std::string Normalised(const std::string& name) {
    std::string folder, file;
    SplitTarName(name, &folder, &file);
    return folder + file;
}

std::vector<TarMember> OurMembers(const std::string& bytes) {
    std::vector<TarMember> members;
    TarSource source = TarMemorySource(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    WalkTar(source, [&](const TarMember& m) {
        EXPECT_LE(m.dataOffset + m.size, bytes.size());
        TarMember again;
        EXPECT_TRUE(ReadTarMemberAt(source, m.headerOffset, &again));
        EXPECT_EQ(again.dataOffset, m.dataOffset);
        members.push_back(m);
        return true;
    });
    return members;
}

TEST(TarCorpusTest, RegularFilesMatchGnuTarAndExtractTheSameBytes) {
    auto files = qvtest::CorpusFiles({"targo", "tarpython"}, {".tar"});
    if (files.empty()) GTEST_SKIP() << "no TAR corpus";
    // Archives GNU tar reads without complaint and that hold no sparse files.
    const std::set<std::string> sound = {"file-and-dir.tar",
                                         "gnu-incremental.tar",
                                         "gnu-long-nul.tar",
                                         "gnu-multi-hdrs.tar",
                                         "gnu-not-utf8.tar",
                                         "gnu-utf8.tar",
                                         "gnu.tar",
                                         "hardlink.tar",
                                         "invalid-go17.tar",
                                         "nil-uid.tar",
                                         "pax-multi-hdrs.tar",
                                         "pax-nul-path.tar",
                                         "pax-path-hdr.tar",
                                         "pax-pos-size-file.tar",
                                         "pax.tar",
                                         "star.tar",
                                         "trailing-slash.tar",
                                         "ustar-file-devs.tar",
                                         "ustar-file-reg.tar",
                                         "ustar.tar",
                                         "v7.tar",
                                         "writer.tar",
                                         "xattrs.tar",
                                         "testtar.tar"};
    int compared = 0, members = 0;
    for (const auto& path : files) {
        std::string bytes = qvtest::ReadFileBytes(path.wstring());
        std::vector<TarMember> ours = OurMembers(bytes);
        std::string name = path.filename().string();
        if (!sound.count(name)) continue;
        SCOPED_TRACE(name);
        std::vector<Listed> theirs = TarListing(path.string());
        std::vector<TarMember> kept;
        for (const TarMember& m : ours)
            if (m.name.find("sparse") == std::string::npos) kept.push_back(m);
        ASSERT_EQ(kept.size(), theirs.size());
        std::map<std::string, int> seen;
        for (size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(Normalised(kept[i].name), Normalised(theirs[i].name));
            EXPECT_EQ(kept[i].size, theirs[i].size);
            EXPECT_EQ(kept[i].mtime, theirs[i].mtime);
            std::string data;
            int occurrence = ++seen[theirs[i].name];
            qvtest::RunCommandOutput("tar -xOf " + qvtest::ShellQuoted(path.string()) +
                                         " --occurrence=" + std::to_string(occurrence) + " " +
                                         qvtest::ShellQuoted(theirs[i].name) + " 2>/dev/null",
                                     &data);
            EXPECT_EQ(bytes.substr(static_cast<size_t>(kept[i].dataOffset), static_cast<size_t>(kept[i].size)), data)
                << theirs[i].name;
            ++members;
        }
        ++compared;
    }
    EXPECT_GE(compared, 20);
    EXPECT_GE(members, 40);
}

} // namespace
} // namespace qv
