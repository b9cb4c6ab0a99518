// Every archive of the ZIP test folders of two Debian source packages: our listing must equal the
// member names `unzip -Z1` gives (directories aside) less the members we refuse on purpose.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "corpus_support.h"
#include "sources/zip_reader.h"
#include "test_support.h"

namespace qv {
namespace {

// The output of an unzip listing or extraction; its status is not ours to judge (unzip warns
// about members it then lists).
std::string RunCommand(const std::string& command) {
    std::string out;
    qvtest::RunCommandOutput(command, &out);
    return out;
}

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w)
        s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return s;
}

TEST(ZipCorpusTest, ListingMatchesUnzipLessRefusedMembers) {
    namespace fs = std::filesystem;
    fs::path root = fs::path(qvtest::CorpusDir());
    ASSERT_TRUE(!qvtest::CorpusDir().empty() && fs::exists(root / "zipgo"))
        << "no ZIP corpus under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    // Members left out by design: ZIP64 sizes and other unsound members.
    const std::map<std::string, std::set<std::string>> refused = {
        {"zip64.zip", {"README"}},   // ZIP64 sizes
        {"zip64-2.zip", {"README"}}, // ZIP64 sizes
    };
    int archives = 0;
    for (const char* set : {"zipgo", "zippython"}) {
        for (const auto& f : fs::recursive_directory_iterator(root / set)) {
            if (f.path().extension() != ".zip") continue;
            ++archives;
            std::string file = f.path().filename().string();
            std::set<std::string> want;
            std::string names = RunCommand("unzip -Z1 " + qvtest::ShellQuoted(f.path().string()) + " 2>/dev/null");
            for (size_t at = 0; at < names.size();) {
                size_t end = names.find('\n', at);
                std::string n = names.substr(at, end - at);
                at = end == std::string::npos ? names.size() : end + 1;
                if (n.empty() || n.back() == '/') continue;
                bool ascii = true;
                for (unsigned char c : n)
                    ascii = ascii && c < 0x80;
                if (!ascii) continue; // non-ASCII names: the decoding is checked in the unit tests
                auto r = refused.find(file);
                if (r != refused.end() && r->second.count(n)) continue;
                want.insert(n);
            }
            std::set<std::string> got;
            ArchiveListing listing;
            if (ListZipArchive(f.path().wstring().c_str(), &listing)) {
                for (uint32_t i = 0; i < listing.count; ++i) {
                    std::string n = Narrow(listing.entries[i].innerFolder.str() + listing.entries[i].name.str());
                    for (char& c : n)
                        if (c == '\\') c = '/';
                    if (n.empty() || n.back() == '/' || n.find('?') != std::string::npos) continue;
                    got.insert(n);
                    // the member's bytes equal what unzip extracts
                    LargeBlock block;
                    uint32_t length = 0;
                    std::string ours;
                    if (ExtractZipMember(f.path().wstring().c_str(), listing.entries[i].key, &block, &length))
                        ours.assign(reinterpret_cast<const char*>(block.get()), length);
                    std::string theirs = RunCommand("unzip -p " + qvtest::ShellQuoted(f.path().string()) + " " +
                                                    qvtest::ShellQuoted(n) + " 2>/dev/null");
                    EXPECT_EQ(ours.size(), theirs.size()) << file << ": " << n;
                    EXPECT_TRUE(ours == theirs) << file << ": " << n;
                }
            }
            EXPECT_EQ(got, want) << file;
        }
    }
    EXPECT_GT(archives, 20);
}

} // namespace
} // namespace qv
