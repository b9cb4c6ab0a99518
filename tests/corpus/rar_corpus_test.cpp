// Our unrar64 library (plugins/unrar, over libarchive) against the RAR test archives of Debian's
// libarchive source package: every member name and every byte must be what `bsdtar` gives for
// the same archive; volume sets, encrypted archives and damaged ones behave as the interface
// documents; and RAR access lists and extracts through it.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus_support.h"
#include "sources/rar_access.h"
#include "test_support.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

// libarchive's test folder inside the unpacked source (its folder name carries the version).
fs::path RarDir() {
    fs::path root = fs::path(qvtest::CorpusDir()) / "rarlibarchive";
    std::error_code ec;
    for (const auto& d : fs::directory_iterator(root, ec))
        if (fs::exists(d.path() / "libarchive" / "test" / "test_read_format_rar.rar"))
            return d.path() / "libarchive" / "test";
    return root / "missing";
}

std::u16string Wide16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

std::string Utf8Of(const RarChar* name) {
    std::wstring w;
    for (; *name; ++name)
        w += static_cast<wchar_t>(*name);
    return WideToUtf8(w);
}

struct Collected {
    std::string bytes;
    std::vector<uint32_t> messages;
    int passwordRequests = 0;
    int volumeAsks = 0;
};

int QV_RAR_CALL Collect(uint32_t message, intptr_t user, intptr_t p1, intptr_t p2) {
    auto* c = reinterpret_cast<Collected*>(user);
    c->messages.push_back(message);
    if (message == kRarMsgProcessData) c->bytes.append(reinterpret_cast<const char*>(p1), static_cast<size_t>(p2));
    if (message == kRarMsgNeedPasswordW) return ++c->passwordRequests, -1;
    if (message == kRarMsgChangeVolumeW && p2 == kRarVolumeAsk) return ++c->volumeAsks, -1;
    return 0;
}

class RarCorpusTest : public ::testing::Test {
protected:
    void SetUp() override {
        // libarchive converts names through the C library's locale, as bsdtar has it
        std::setlocale(LC_CTYPE, "C.UTF-8");
        ASSERT_TRUE(fs::exists(RarDir())) << "no RAR corpus (scripts/fetch-corpus)";
        ASSERT_TRUE(LoadRarLibraryFrom(QV_UNRAR_LIBRARY, &library_));
    }
    // Opens `path`; the open result and flags are reported.
    void* Open(const fs::path& path, uint32_t mode, Collected* c, uint32_t* result, uint32_t* flags = nullptr) {
        std::u16string name = Wide16(path.string());
        RarOpenData d;
        std::memset(&d, 0, sizeof d);
        d.arcNameW = reinterpret_cast<RarChar*>(name.data());
        d.openMode = mode;
        d.callback = Collect;
        d.userData = reinterpret_cast<intptr_t>(c);
        void* h = library_.functions.open(&d);
        *result = d.openResult;
        if (flags) *flags = d.flags;
        return h;
    }
    // Every member's name (directories end in "/") and, when testing, the bytes of all files in
    // order; the result of the last read or process call.
    int Walk(const fs::path& path, bool test, std::vector<std::string>* names, Collected* c) {
        uint32_t result = 0;
        void* h = Open(path, test ? kRarOpenExtract : kRarOpenList, c, &result);
        if (!h) return static_cast<int>(result);
        auto header = std::make_unique<RarHeaderData>();
        int r = 0;
        while ((r = library_.functions.readHeader(h, header.get())) == 0) {
            bool dir = header->flags & kRarMemberDirectory;
            names->push_back(Utf8Of(header->fileNameW) + (dir ? "/" : ""));
            r = library_.functions.process(h, test && !dir ? kRarTest : kRarSkip, nullptr, nullptr);
            if (r != 0) break;
        }
        library_.functions.close(h);
        return r;
    }
    RarLibrary library_;
};

// Archives libarchive reads in full, by bsdtar's own account.
std::vector<fs::path> ReadableArchives() {
    std::vector<fs::path> out;
    for (const auto& f : fs::directory_iterator(RarDir())) {
        std::string n = f.path().filename().string();
        if (f.path().extension() != ".rar" || n.find(".part") != std::string::npos) continue;
        std::string ignored;
        // a few are libarchive's own regression files, on which it reports an error or spins
        if (!qvtest::RunCommandOutput(
                "timeout 5 bsdtar -xOf " + qvtest::ShellQuoted(f.path().string()) + " >/dev/null 2>&1", &ignored))
            continue;
        out.push_back(f.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(RarCorpusTest, NamesAndBytesMatchBsdtar) {
    auto archives = ReadableArchives();
    ASSERT_GE(archives.size(), 12u);
    for (const fs::path& path : archives) {
        SCOPED_TRACE(path.filename().string());
        std::string listing, bytes;
        ASSERT_TRUE(qvtest::RunCommandOutput("bsdtar -tf " + qvtest::ShellQuoted(path.string()), &listing));
        std::string verbose;
        ASSERT_TRUE(qvtest::RunCommandOutput("bsdtar -tvf " + qvtest::ShellQuoted(path.string()), &verbose));
        // bsdtar -O writes a symbolic link's stored target bytes too, and on a hard link it can
        // write the linked file's bytes without end; our library streams no data for a link (it
        // is no file to show), so such archives are compared by name only
        bool links = verbose[0] == 'l' || verbose.find("\nl") != std::string::npos ||
                     verbose.find(" link to ") != std::string::npos;
        if (!links) {
            ASSERT_TRUE(qvtest::RunCommandOutput("bsdtar -xOf " + qvtest::ShellQuoted(path.string()), &bytes));
        }
        std::vector<std::string> want;
        for (size_t at = 0, nl; (nl = listing.find('\n', at)) != std::string::npos; at = nl + 1)
            want.push_back(listing.substr(at, nl - at));
        std::vector<std::string> listed, tested;
        Collected quiet, data;
        EXPECT_EQ(Walk(path, false, &listed, &quiet), static_cast<int>(kRarEndArchive));
        EXPECT_EQ(Walk(path, true, &tested, &data), static_cast<int>(kRarEndArchive));
        auto strip = [](std::vector<std::string> v) {
            for (auto& s : v)
                if (!s.empty() && s.back() == '/') s.pop_back();
            return v;
        };
        EXPECT_EQ(strip(listed), strip(want));
        EXPECT_EQ(tested, listed);
        if (!links) {
            EXPECT_TRUE(data.bytes == bytes) << data.bytes.size() << " bytes against bsdtar's " << bytes.size();
        }
    }
}

TEST_F(RarCorpusTest, VolumeSetsReadFromTheirFirstVolume) {
    struct Set {
        const char* first;
        const char* later;
        bool dataReadable; // libarchive 3.6.2 fails the first member of this RAR 4 set (CRC error)
    };
    for (Set s :
         {Set{"test_read_format_rar_multivolume.part0001.rar", "test_read_format_rar_multivolume.part0003.rar", false},
          Set{"test_read_format_rar5_multiarchive.part01.rar", "test_read_format_rar5_multiarchive.part04.rar", true},
          Set{"test_read_format_rar5_multiarchive_solid.part01.rar",
              "test_read_format_rar5_multiarchive_solid.part03.rar", true}}) {
        SCOPED_TRACE(s.first);
        Collected c;
        uint32_t result = 0, flags = 0;
        void* h = Open(RarDir() / s.first, kRarOpenList, &c, &result, &flags);
        ASSERT_NE(h, nullptr);
        library_.functions.close(h);
        EXPECT_EQ(ClassifyRarVolume(flags), kRarFirstNewVolume);
        h = Open(RarDir() / s.later, kRarOpenList, &c, &result, &flags);
        ASSERT_NE(h, nullptr);
        library_.functions.close(h);
        EXPECT_EQ(ClassifyRarVolume(flags), kRarLaterVolume);

        // RAR access lists the set from the later volume and extracts members whole
        ArchiveListing fromLater, fromFirst;
        std::wstring later = (RarDir() / s.later).wstring(), first = (RarDir() / s.first).wstring();
        ASSERT_TRUE(ListRarWith(library_.functions, later.c_str(), &fromLater));
        ASSERT_TRUE(ListRarWith(library_.functions, first.c_str(), &fromFirst));
        ASSERT_EQ(fromLater.count, fromFirst.count);
        ASSERT_GE(fromFirst.count, 1u);
        std::vector<std::string> names;
        Collected all;
        if (s.dataReadable) {
            ASSERT_EQ(Walk(RarDir() / s.first, true, &names, &all), static_cast<int>(kRarEndArchive));
        }
        size_t offset = 0;
        int extracted = 0;
        for (uint32_t i = 0; i < fromLater.count; ++i) {
            const FileEntry& e = fromLater.entries[i];
            LargeBlock block;
            uint32_t length = 0;
            if (e.name.empty()) continue;
            bool ok = ExtractRarWith(library_.functions, later.c_str(), e.key, &block, &length);
            if (!s.dataReadable) {
                if (ok) {
                    ++extracted;
                    EXPECT_EQ(length, static_cast<uint32_t>(e.size));
                }
                continue;
            }
            ASSERT_TRUE(ok) << i;
            EXPECT_EQ(length, static_cast<uint32_t>(e.size));
            EXPECT_EQ(all.bytes.compare(offset, length, reinterpret_cast<char*>(block.get()), length), 0) << i;
            offset += length;
            ++extracted;
        }
        EXPECT_GE(extracted, 1);
    }
}

TEST_F(RarCorpusTest, DamagedAndEncryptedArchivesFailCleanly) {
    qvtest::ScratchDir scratch;
    fs::path dir(scratch.path());
    // a missing middle volume: the library asks for it, is told no, and the walk fails
    for (int part : {1, 2, 4})
        fs::copy_file(RarDir() / ("test_read_format_rar_multivolume.part000" + std::to_string(part) + ".rar"),
                      dir / ("set.part000" + std::to_string(part) + ".rar"));
    std::vector<std::string> names;
    Collected gap;
    EXPECT_NE(Walk(dir / "set.part0001.rar", true, &names, &gap), static_cast<int>(kRarEndArchive));
    EXPECT_EQ(gap.volumeAsks, 1);
    ArchiveListing listing;
    std::wstring first = (dir / "set.part0001.rar").wstring();
    EXPECT_FALSE(ListRarWith(library_.functions, first.c_str(), &listing));

    // encrypted headers: the password is asked at the open, which then fails
    Collected locked;
    uint32_t result = 0;
    EXPECT_EQ(Open(RarDir() / "test_read_format_rar_encryption_header.rar", kRarOpenList, &locked, &result), nullptr);
    EXPECT_EQ(locked.passwordRequests, 1);
    EXPECT_NE(result, kRarSuccess);
    // encrypted data: listed, and testing a member asks and fails
    Collected data;
    names.clear();
    EXPECT_NE(Walk(RarDir() / "test_read_format_rar_encryption_data.rar", true, &names, &data),
              static_cast<int>(kRarEndArchive));
    EXPECT_EQ(data.passwordRequests, 1);

    // cuts of an archive: no crash, and never bytes the whole archive does not have
    std::string whole = qvtest::ReadFileBytes((RarDir() / "test_read_format_rar5_solid.rar").wstring());
    Collected all;
    ASSERT_EQ(Walk(RarDir() / "test_read_format_rar5_solid.rar", true, &names, &all), static_cast<int>(kRarEndArchive));
    for (size_t cut = 0; cut < whole.size(); cut += 1 + whole.size() / 40) {
        fs::path cutPath = dir / "cut.rar";
        ASSERT_TRUE(qvtest::WriteFileBytes(cutPath.wstring(), whole.substr(0, cut)));
        std::vector<std::string> n;
        Collected c;
        // a cut between members reads as a shorter archive; any other fails
        Walk(cutPath, true, &n, &c);
        EXPECT_LE(c.bytes.size(), all.bytes.size());
        EXPECT_EQ(all.bytes.compare(0, c.bytes.size(), c.bytes), 0) << cut;
        EXPECT_FALSE(ListRarWith(library_.functions, cutPath.wstring().c_str(), &listing) && listing.count > n.size())
            << cut;
    }
}

} // namespace
} // namespace qv
