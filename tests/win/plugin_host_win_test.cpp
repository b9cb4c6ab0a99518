// The plug-in host with real libraries under Wine: the odd test plug-ins for the enumeration, the
// pattern lists, the 128-byte retry, the refused bitmaps and the archive records, and the shipped
// Netpbm and TAR plug-ins end to end. After every operation no library of the folder is loaded,
// no handle is left open and every block a plug-in handed out has been freed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support_win.h"
#include "platform/ascii_case.h"
#include "sources/plugin_host.h"
#include "tar_builder.h"
#include "test_support.h"

namespace qv {
namespace {

using qvtest::ReadFileBytes;
using qvtest::ScratchDir;
using qvtest::WriteFileBytes;

const std::vector<std::wstring> kOddPlugins = {
    L"odd_claims_jpeg.spi",  L"odd_duplicate_a.spi", L"odd_duplicate_b.sph",
    L"odd_after_prefix.spi", L"odd_thirty_two.spi",  L"odd_fails_to_load.spi",
    L"odd_disabled.spi",     L"odd_bad_bitmaps.spi", L"odd_archive.spi"};
const std::vector<std::wstring> kShippedPlugins = {L"netpbm.spi", L"tar.spi"};

std::string Environment(const char* name) {
    char value[4096] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n < sizeof value ? std::string(value, n) : std::string();
}

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("QV_ODD_ASKED", nullptr);
        SetEnvironmentVariableA("QV_ODD_BLOCKS", nullptr);
        ASSERT_TRUE(qvtest::CopyPlugins(qvtest::OddPluginDir(), kOddPlugins, plugins_.path()));
        ASSERT_TRUE(qvtest::CopyPlugins(qvtest::ShippedPluginDir(), kShippedPlugins, plugins_.path()));
        // a library that is no plug-in at all
        ASSERT_TRUE(CopyFileW((qvtest::ProductBinDir() + L"\\English.dll").c_str(),
                              plugins_.File(L"not_a_plugin.spi").c_str(), FALSE));
        folder_.path = plugins_.path();
        folder_.disabled = {L"ODD_DISABLED.SPI"};
    }

    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        std::wstring path = files_.File(name);
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }

    // Runs `operation` twice (the first run may create the system's own lazily made objects) and
    // checks that the second left no handle open, no plug-in loaded and no plug-in block unfreed.
    template <typename Operation>::testing::AssertionResult LeavesNothing(Operation operation) {
        operation();
        SetEnvironmentVariableA("QV_ODD_BLOCKS", nullptr);
        DWORD before = 0, after = 0;
        GetProcessHandleCount(GetCurrentProcess(), &before);
        operation();
        GetProcessHandleCount(GetCurrentProcess(), &after);
        if (after != before) return ::testing::AssertionFailure() << "handles " << before << " -> " << after;
        for (const std::vector<std::wstring>* names : {&kOddPlugins, &kShippedPlugins}) {
            for (const std::wstring& name : *names) {
                if (GetModuleHandleW(name.c_str()))
                    return ::testing::AssertionFailure() << WideToUtf8(name) << " is still loaded";
            }
        }
        std::string blocks = Environment("QV_ODD_BLOCKS");
        for (size_t at = 0; at < blocks.size();) {
            size_t end = blocks.find(';', at);
            void* block = reinterpret_cast<void*>(std::strtoull(blocks.substr(at, end - at).c_str(), nullptr, 16));
            if (LocalFlags(block) != LMEM_INVALID_HANDLE)
                return ::testing::AssertionFailure() << "block " << block << " was not freed";
            at = end + 1;
        }
        return ::testing::AssertionSuccess();
    }

    ScratchDir plugins_, files_;
    PluginFolder folder_;
    ImageBuffer image_{};

    void TearDown() override { FreeImagePixels(&image_); }
};

// The first pixel's blue and green bytes of a decoded image.
uint32_t FirstPixel(const ImageBuffer& image) {
    const uint8_t* p = ImageRowFromTop(&image, 0);
    return p[0] | p[1] << 8;
}

TEST_F(PluginHostTest, PatternsLeaveOutBuiltInsDuplicatesAndSwitchedOffPlugins) {
    std::vector<std::wstring> patterns;
    ASSERT_TRUE(LeavesNothing([&] { patterns = ListPluginPatterns(folder_, kPluginPatternsImage); }));
    auto at = [&](const wchar_t* p) { return std::find(patterns.begin(), patterns.end(), p) - patterns.begin(); };
    auto count = [&](const wchar_t* p) {
        return std::count_if(patterns.begin(), patterns.end(),
                             [&](const std::wstring& q) { return EqualsIgnoreAsciiCase(q, p); });
    };
    // the built-in JPEG extension stays with the program's codec, the pattern both duplicates
    // declare is there once, and the switched-off plug-in's pattern is missing
    EXPECT_EQ(count(L"*.jpg"), 0);
    EXPECT_EQ(count(L"*.odj"), 1);
    EXPECT_EQ(count(L"*.dup"), 1);
    EXPECT_EQ(count(L"*.dis"), 0);
    EXPECT_EQ(count(L"*.oda"), 0); // an archive plug-in: not for the folder scan
    // *.spi before *.sph: the second duplicate's own pattern comes after the first's
    EXPECT_LT(at(L"*.dupa"), at(L"*.dupb"));
    EXPECT_LT(at(L"*.dupb"), static_cast<long long>(patterns.size()));
    EXPECT_EQ(count(L"*.pgm"), 1);
    // the open dialog also offers the archive plug-ins' patterns
    std::vector<std::wstring> all = ListPluginPatterns(folder_, kPluginPatternsAll);
    EXPECT_NE(std::find(all.begin(), all.end(), L"*.tar"), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), L"*.oda"), all.end());
    EXPECT_EQ(Environment("QV_ODD_ASKED"), "");
}

TEST_F(PluginHostTest, ASwitchedOffPluginIsNeverAskedAndOneThatFailsToLoadIsPassedOver) {
    std::wstring path = Write(L"x.dis", "ODDX and more");
    std::string bytes = ReadFileBytes(path);
    auto decode = [&] {
        return DecodeWithPlugins(folder_, path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                                 static_cast<uint32_t>(bytes.size()), true, &image_);
    };
    EXPECT_FALSE(decode());
    EXPECT_EQ(Environment("QV_ODD_ASKED").find('7'), std::string::npos) << Environment("QV_ODD_ASKED");
    EXPECT_NE(Environment("QV_ODD_ASKED"), ""); // the others were asked
    folder_.disabled.clear();
    bool ok = false;
    ASSERT_TRUE(LeavesNothing([&] { ok = decode(); }));
    EXPECT_TRUE(ok);
    EXPECT_NE(Environment("QV_ODD_ASKED").find("7;"), std::string::npos);
    // the plug-in that cannot load never answered anything
    EXPECT_EQ(Environment("QV_ODD_ASKED").find('6'), std::string::npos);
}

TEST_F(PluginHostTest, AFileRecognisedOnlyPastAPrefixIsDecodedWithStartOffset128) {
    std::string bytes = std::string(128, '#') + "ODD!and the rest of the file";
    std::wstring path = Write(L"prefixed.odd", bytes);
    auto data = reinterpret_cast<const uint8_t*>(bytes.data());
    bool ok = false;
    ASSERT_TRUE(LeavesNothing([&] {
        ok = DecodeWithPlugins(folder_, path.c_str(), data, static_cast<uint32_t>(bytes.size()), true, &image_);
    }));
    ASSERT_TRUE(ok);
    EXPECT_EQ(FirstPixel(image_), 128u | kPluginFromFile << 8); // read from the file at 128
    EXPECT_EQ(image_.sourceBitDepth, 12u);                      // the depth the picture information gave
    EXPECT_EQ(image_.header.biBitCount, 24);
    // from memory the plug-in gets the block past the prefix and its length
    ASSERT_TRUE(LeavesNothing([&] {
        ok = DecodeWithPlugins(folder_, L"member.odd", data, static_cast<uint32_t>(bytes.size()), false, &image_);
    }));
    ASSERT_TRUE(ok);
    EXPECT_EQ(FirstPixel(image_), (bytes.size() - 128) | kPluginFromMemory << 8);
}

TEST_F(PluginHostTest, BitmapsOfTheWrongShapeFailAndLeaveNothing) {
    auto decode = [&](const std::string& bytes) {
        return DecodeWithPlugins(folder_, L"odd.odd", reinterpret_cast<const uint8_t*>(bytes.data()),
                                 static_cast<uint32_t>(bytes.size()), false, &image_);
    };
    for (char selector : {'i', 'h', 't', 'c', 'b', 'r', 'n'}) {
        bool ok = true;
        EXPECT_TRUE(LeavesNothing([&] { ok = decode(std::string("ODDB") + selector + "..."); })) << selector;
        EXPECT_FALSE(ok) << selector;
        EXPECT_EQ(image_.pixels, nullptr) << selector;
    }
    bool ok = true;
    EXPECT_TRUE(LeavesNothing([&] { ok = decode("OD32 a 32-bit bitmap"); }));
    EXPECT_FALSE(ok);
    // a 24-bit block cut short shows what it holds
    EXPECT_TRUE(LeavesNothing([&] { ok = decode("ODDBs..."); }));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ImageRowFromTop(&image_, 0)[2], 0x33);
    EXPECT_EQ(ImageRowFromTop(&image_, 0)[3], 0);
}

TEST_F(PluginHostTest, ArchiveRecordsListWholeRecordsAndMembersExtractWithTheStartOffset) {
    for (uint32_t offset : {0u, 128u}) {
        std::wstring path = Write(L"odd" + std::to_wstring(offset) + L".oda", std::string(offset, '#') + "ODDA....");
        ArchiveListing listing;
        bool listed = false;
        ASSERT_TRUE(LeavesNothing([&] { listed = ListArchiveWithPlugins(folder_, path.c_str(), &listing); }));
        ASSERT_TRUE(listed);
        // the 5 GiB member, the one past 4 GiB and the piece of a record after the end stay out
        ASSERT_EQ(listing.count, 2u);
        EXPECT_EQ(listing.entries[0].name.str(), L"first.bmp");
        EXPECT_EQ(listing.entries[0].key, 512);
        EXPECT_EQ(listing.entries[0].size, 70);
        EXPECT_EQ(listing.entries[1].innerFolder.str(), L"inner\\");
        EXPECT_EQ(listing.entries[1].name.str(), L"second.bmp");

        LargeBlock member;
        uint32_t length = 0;
        bool extracted = false;
        ASSERT_TRUE(LeavesNothing(
            [&] { extracted = ExtractWithPlugins(folder_, path.c_str(), listing.entries[0], &member, &length); }));
        ASSERT_TRUE(extracted);
        ASSERT_EQ(length, 62u);
        EXPECT_EQ(member.get()[54], offset); // the plug-in was asked for position 512 + the offset
        // a refusal that hands over a block all the same: freed, and no member
        ASSERT_TRUE(LeavesNothing(
            [&] { extracted = ExtractWithPlugins(folder_, path.c_str(), listing.entries[1], &member, &length); }));
        EXPECT_FALSE(extracted);
        EXPECT_EQ(member, nullptr);
    }
}

TEST_F(PluginHostTest, AFolderThatIsMissingOrAFileOffersNothing) {
    std::wstring pgm = Write(L"grey.pgm", std::string("P5 1 1 255\n\x80", 12));
    for (const std::wstring& path : {files_.File(L"nowhere"), pgm}) {
        PluginFolder folder{path, {}};
        EXPECT_TRUE(ListPluginPatterns(folder, kPluginPatternsAll).empty());
        EXPECT_TRUE(ListPluginFiles(folder).empty());
        EXPECT_FALSE(DecodeWithPlugins(folder, pgm.c_str(), reinterpret_cast<const uint8_t*>("P5 1 1 255\n\x80"), 12,
                                       true, &image_));
        ArchiveListing listing;
        EXPECT_FALSE(ListArchiveWithPlugins(folder, pgm.c_str(), &listing));
    }
}

TEST_F(PluginHostTest, TheOptionsPageListsEveryPluginWithItsTextsAndState) {
    std::vector<PluginFileFacts> files;
    ASSERT_TRUE(LeavesNothing([&] { files = ListPluginFiles(folder_); }));
    auto find = [&](const wchar_t* name) {
        return std::find_if(files.begin(), files.end(), [&](const PluginFileFacts& f) { return f.fileName == name; });
    };
    // every plug-in but the one that does not load and the library that is none
    EXPECT_EQ(files.size(), kOddPlugins.size() - 1 + kShippedPlugins.size());
    EXPECT_EQ(find(L"odd_fails_to_load.spi"), files.end());
    EXPECT_EQ(find(L"not_a_plugin.spi"), files.end());
    ASSERT_NE(find(L"odd_disabled.spi"), files.end());
    EXPECT_FALSE(find(L"odd_disabled.spi")->enabled);
    ASSERT_NE(find(L"netpbm.spi"), files.end());
    EXPECT_TRUE(find(L"netpbm.spi")->enabled);
    EXPECT_EQ(find(L"netpbm.spi")->kind, kPluginImage);
    EXPECT_EQ(find(L"netpbm.spi")->patterns, L"*.pbm;*.pgm;*.ppm;*.pam");
    EXPECT_EQ(find(L"netpbm.spi")->descriptions,
              L"Portable bitmap (PBM)/Portable graymap (PGM)/Portable pixmap (PPM)/Portable arbitrary map (PAM)");
    ASSERT_NE(find(L"tar.spi"), files.end());
    EXPECT_EQ(find(L"tar.spi")->kind, kPluginArchive);
    // the enumeration order: every *.spi before the *.sph
    EXPECT_EQ(files.back().fileName, L"odd_duplicate_b.sph");

    SetEnvironmentVariableA("QV_ODD_CONFIGURED", nullptr);
    EXPECT_TRUE(ShowPluginSettings(folder_, L"odd_archive.spi", nullptr));
    EXPECT_EQ(Environment("QV_ODD_CONFIGURED"), "1");
    EXPECT_FALSE(ShowPluginSettings(folder_, L"netpbm.spi", nullptr)); // it has no settings
    EXPECT_EQ(GetModuleHandleW(L"odd_archive.spi"), nullptr);
}

TEST_F(PluginHostTest, TheShippedPluginsDecodeNetpbmAndReadTarMembers) {
    std::string pgm = std::string("P5 2 1 65535\n\x80\x80\xFF\xFF", 17);
    std::wstring path = Write(L"wide.pgm", pgm);
    bool ok = false;
    ASSERT_TRUE(LeavesNothing([&] {
        ok = DecodeWithPlugins(folder_, path.c_str(), reinterpret_cast<const uint8_t*>(pgm.data()),
                               static_cast<uint32_t>(pgm.size()), true, &image_);
    }));
    ASSERT_TRUE(ok);
    EXPECT_EQ(image_.header.biBitCount, 8);
    EXPECT_EQ(image_.sourceBitDepth, 16u);
    EXPECT_EQ(ImageRowFromTop(&image_, 0)[0], 128);
    EXPECT_EQ(image_.palette[128].rgbGreen, 128);

    std::vector<qvtest::TarEntry> entries = {{"photos/one.pgm", pgm, 1000000000}, {"two.txt", "not an image"}};
    std::wstring tar = Write(L"x.tar", qvtest::BuildTar(entries, qvtest::TarFlavour::Pax));
    ArchiveListing listing;
    ASSERT_TRUE(LeavesNothing([&] { ok = ListArchiveWithPlugins(folder_, tar.c_str(), &listing); }));
    ASSERT_TRUE(ok);
    ASSERT_EQ(listing.count, 2u);
    EXPECT_EQ(listing.entries[0].innerFolder.str(), L"photos\\");
    EXPECT_EQ(listing.entries[0].name.str(), L"one.pgm");
    EXPECT_EQ(listing.entries[0].size, static_cast<int32_t>(pgm.size()));
    uint64_t ticks =
        (static_cast<uint64_t>(listing.entries[0].time.dwHighDateTime) << 32) | listing.entries[0].time.dwLowDateTime;
    EXPECT_EQ(ticks, 126444736000000000ull);
    LargeBlock member;
    uint32_t length = 0;
    ASSERT_TRUE(
        LeavesNothing([&] { ok = ExtractWithPlugins(folder_, tar.c_str(), listing.entries[0], &member, &length); }));
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(member.get()), length), pgm);
}

TEST_F(PluginHostTest, AFileWhoseNameHasNoAnsiFormIsStillDecoded) {
    std::string pgm = std::string("P5 1 1 255\n\x40", 12);
    std::wstring path = Write(L"\x65E5\x672C-\x0416.pgm", pgm);
    ASSERT_TRUE(DecodeWithPlugins(folder_, path.c_str(), reinterpret_cast<const uint8_t*>(pgm.data()),
                                  static_cast<uint32_t>(pgm.size()), true, &image_));
    EXPECT_EQ(ImageRowFromTop(&image_, 0)[0], 0x40);
}

} // namespace
} // namespace qv
