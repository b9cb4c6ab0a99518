#include <gtest/gtest.h>

#include <cstring>

#include "ui/dialog_template.h"
#include "model/instance_request.h"
#include "settings/legacy_ini.h"
#include "model/settings.h"
#include "settings/settings_file.h"
#include "settings/settings_location.h"
#include "settings/settings_migration.h"
#include "model/ui_strings.h"
#include "model/instance_request.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "settings/legacy_ini.h"
#include "settings/settings_file.h"
#include "settings/settings_load.h"
#include "settings/settings_location.h"
#include "settings/settings_migration.h"
#include "test_support.h"
#include "ui/dialog_template.h"

namespace {

// Writes `ints` as integer slots, loads the file and returns the record.
qv::Settings LoadWith(const qvtest::ScratchDir& dir, std::initializer_list<std::pair<uint32_t, int32_t>> ints,
                      const std::string& saveKey = std::string()) {
    std::wstring path = dir.File(L"load.ini");
    {
        qv::SettingsWriter w;
        EXPECT_TRUE(w.Open(path, true));
        for (auto [slot, value] : ints)
            w.WriteInt(slot, value);
        if (!saveKey.empty()) w.WriteBlob(30, saveKey.data(), static_cast<uint32_t>(saveKey.size()));
        EXPECT_TRUE(w.Close());
    }
    qv::SettingsReader r;
    EXPECT_TRUE(r.Open(path));
    qv::Settings s;
    qv::LoadSettings(r, dir.path(), &s);
    return s;
}

TEST(SettingsLoad, RulesClampStoredValues) {
    qvtest::ScratchDir dir;
    EXPECT_EQ(LoadWith(dir, {{10, -13}}).FHeight, -12);
    EXPECT_EQ(LoadWith(dir, {{10, -14}}).FHeight, -14);
    EXPECT_EQ(LoadWith(dir, {{39, 0}}).Time, 1);
    EXPECT_EQ(LoadWith(dir, {{39, 61}}).Time, 1);
    EXPECT_EQ(LoadWith(dir, {{39, 60}}).Time, 60);
    EXPECT_EQ(LoadWith(dir, {{89, 0}}).Quality, 75);
    EXPECT_EQ(LoadWith(dir, {{89, 100}}).Quality, 100);
    EXPECT_EQ(LoadWith(dir, {{77, 8}}).GifDepth, 8);
    EXPECT_EQ(LoadWith(dir, {{77, 24}}).GifDepth, 8);
    EXPECT_EQ(LoadWith(dir, {{77, 1}}).GifDepth, 1);
    EXPECT_EQ(LoadWith(dir, {{77, 7}}).GifDepth, 7);
    EXPECT_FALSE(LoadWith(dir, {{82, 16}}).Dither);
    EXPECT_TRUE(LoadWith(dir, {{82, 1}}).Dither);
    EXPECT_FALSE(LoadWith(dir, {{33, 2}}).FitWin); // bit 0 only
    EXPECT_TRUE(LoadWith(dir, {{33, 3}}).FitWin);
    EXPECT_TRUE(LoadWith(dir, {}).AskSaveOnlyInSubWindow); // slot 207 missing: on
    EXPECT_FALSE(LoadWith(dir, {{207, 0}}).AskSaveOnlyInSubWindow);
    EXPECT_EQ(LoadWith(dir, {}, std::string(732, 'k')).SaveKey.size(), 732u);
    EXPECT_TRUE(LoadWith(dir, {}, std::string(738, 'k')).SaveKey.empty());
}

TEST(SettingsLoad, MigratesLegacyText) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"Quorvel.ini");
    ASSERT_TRUE(qvtest::WriteFileBytes(path, "[Path]\r\nLangFile=\r\n"
                                             "[Awin]\r\nFHeight=-14\r\n"
                                             "[Vwin]\r\nTime=7\r\nFitWin=0\r\n"
                                             "[LImg]\r\nBGR=1\r\nBGG=2\r\nBGB=3\r\n"));
    ASSERT_TRUE(qv::IsLegacySettingsFile(path));
    ASSERT_TRUE(qv::MigrateLegacySettings(path));
    EXPECT_FALSE(qv::IsLegacySettingsFile(path));
    EXPECT_FALSE(qv::PathExists(dir.File(L"Quorvel.ini.txt").c_str()));
    EXPECT_FALSE(qv::PathExists(dir.File(L"Quorvel.txt").c_str()));
    qv::SettingsReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(r.ReadBlobBytes(0), "");
    EXPECT_EQ(r.ReadInt(10, 0), -14);
    EXPECT_EQ(r.ReadInt(39, 0), 7);
    EXPECT_EQ(r.ReadInt(33, 5), 0);
    EXPECT_EQ(static_cast<uint32_t>(r.ReadInt(71, 0)), 0x030201u);
}

// The old text was written by the profile functions, in the ANSI code page (natively always
// Windows-1252): bytes that happen to form UTF-8 are still two characters.
TEST(SettingsLoad, LegacyTextIsReadInTheAnsiPageUnlessMarked) {
    qv::LegacyIni ini;
    ini.Parse("[Path]\r\nOpen=C:\\Fotos\\\xC3\xA9t\r\n");
    EXPECT_EQ(ini.GetString(L"Path", L"Open", L""), L"C:\\Fotos\\\u00C3\u00A9t");
    const char utf16[] = "\xFF\xFE[\0P\0]\0\n\0O\0=\0\x68\x88"; // "[P]\nO=" and U+8868
    ini.Parse(std::string(utf16, sizeof utf16 - 1));
    EXPECT_EQ(ini.GetString(L"P", L"O", L""), L"\u8868");
}

#ifndef _WIN32
// A migration whose writer fails puts the old text back, so that nothing is lost and the next
// start migrates again.
TEST(SettingsLoad, AFailedMigrationKeepsTheLegacyText) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"Quorvel.ini");
    std::string text = "[Path]\r\nOpen=C:\\pictures\r\n[Vwin]\r\nTime=7\r\n";
    ASSERT_TRUE(qvtest::WriteFileBytes(path, text));
    bool migrated = true;
    {
        qvtest::FileSizeLimit limit(qv::kSettingsDataStart + 8); // the index fits, the texts do not
        migrated = qv::MigrateLegacySettings(path);
    }
    EXPECT_FALSE(migrated);
    EXPECT_EQ(qvtest::ReadFileBytes(path), text);
    EXPECT_TRUE(qv::IsLegacySettingsFile(path));
    EXPECT_FALSE(qv::PathExists(dir.File(L"Quorvel.txt").c_str()));
    ASSERT_TRUE(qv::MigrateLegacySettings(path));
    EXPECT_FALSE(qv::IsLegacySettingsFile(path));
}
#endif

TEST(SettingsLoad, LocatesTheFile) {
    qvtest::ScratchDir dir;
    std::wstring exeFolder = dir.File(L"bin");
    std::wstring appData = dir.File(L"roaming");
    ASSERT_TRUE(qv::CreateDirectoryPath(exeFolder.c_str()));
    ASSERT_TRUE(qv::CreateDirectoryPath(appData.c_str()));
    std::wstring exe = qv::JoinPath(exeFolder, L"Quorvel.exe");
    std::wstring found;
    ASSERT_TRUE(qv::LocateSettingsFileIn(exe, appData, &found));
    EXPECT_EQ(found, qv::JoinPath(qv::JoinPath(appData, L"Tesmo"), L"Quorvel.ini"));
    EXPECT_TRUE(qv::IsDirectory(qv::JoinPath(appData, L"Tesmo").c_str()));
    // An empty file beside the executable wins.
    ASSERT_TRUE(qvtest::WriteFileBytes(qv::JoinPath(exeFolder, L"Quorvel.ini"), ""));
    ASSERT_TRUE(qv::LocateSettingsFileIn(exe, appData, &found));
    EXPECT_EQ(found, qv::JoinPath(exeFolder, L"Quorvel.ini"));
    EXPECT_FALSE(qv::LocateSettingsFileIn(qv::JoinPath(exeFolder, L"Other.exe"), appData, &found));
}

TEST(SettingsLoad, InstanceRequestRoundTrip) {
    qv::InstanceRequest in;
    in.letter = L'v';
    in.memberKey = -123456;
    in.path = std::wstring(259, L'\u00e9');
    uint8_t block[qv::kInstanceRequestBytes];
    qv::EncodeInstanceRequest(in, block);
    qv::InstanceRequest out;
    ASSERT_TRUE(qv::DecodeInstanceRequest(block, sizeof block, &out));
    EXPECT_EQ(out.letter, L'v');
    EXPECT_EQ(out.memberKey, -123456);
    EXPECT_EQ(out.path, in.path);
    EXPECT_FALSE(qv::DecodeInstanceRequest(block, sizeof block - 1, &out));
    // 260 units leave no room for the terminator.
    std::memset(block + 6, 0x41, 520);
    ASSERT_TRUE(qv::DecodeInstanceRequest(block, sizeof block, &out));
    EXPECT_TRUE(out.path.empty());
    qv::InstanceRequest longPath = qv::BuildInstanceRequest({std::wstring(260, L'a')});
    EXPECT_TRUE(longPath.path.empty());
}

TEST(SettingsLoad, ErrorBoxPrefixesImageErrors) {
    auto text = [](uint32_t n) { return L"s" + std::to_wstring(n); };
    std::wstring caption, message;
    qv::ComposeErrorBox(50011, text, &caption, &message);
    EXPECT_EQ(message.find(L"s50007"), 0u);
    EXPECT_NE(message.find(L"s50011"), std::wstring::npos);
    EXPECT_EQ(caption, L"s50000");
}

std::vector<uint8_t> DialogHeader(uint32_t style) {
    std::vector<uint8_t> b;
    auto u16 = [&](uint16_t v) { b.push_back(v & 0xFF), b.push_back(v >> 8); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    u16(1), u16(0xFFFF), u32(0), u32(0), u32(style), u16(0);
    u16(0), u16(0), u16(100), u16(50); // x y cx cy
    u16(0), u16(0), u16(0);            // menu, class, title
    if (style & qv::kDialogStyleSetFont) {
        u16(9), u16(400), b.push_back(0), b.push_back(1);
        for (wchar_t c : std::wstring(L"Font"))
            u16(static_cast<uint16_t>(c));
        u16(0);
    }
    return b;
}

TEST(SettingsLoad, DialogTemplateNeedsSetFontAndTakesPointSize) {
    std::vector<uint8_t> noFont = DialogHeader(0x80000000);
    qv::DialogTemplateFacts facts;
    EXPECT_FALSE(qv::MeasureDialogTemplate(noFont.data(), noFont.size(), &facts));
    std::vector<uint8_t> withFont = DialogHeader(0x80000000 | qv::kDialogStyleSetFont);
    ASSERT_TRUE(qv::MeasureDialogTemplate(withFont.data(), withFont.size(), &facts));
    EXPECT_EQ(facts.pointSizeOffset, 32u);
    std::vector<uint8_t> copy;
    ASSERT_TRUE(qv::CopyDialogTemplate(withFont.data(), withFont.size(), -14, &copy));
    EXPECT_EQ(copy[32], 11);
    ASSERT_TRUE(qv::CopyDialogTemplate(withFont.data(), withFont.size(), -12, &copy));
    EXPECT_EQ(copy[32], 9);
    EXPECT_FALSE(qv::MeasureDialogTemplate(withFont.data(), 30, &facts));
}

} // namespace

namespace {

TEST(SettingsLoad, LegacyIniReadsAsTheProfileFunctionsDo) {
    qv::LegacyIni ini;
    ini.Parse("\xEF\xBB\xBF[vwin]\r\n Time = 0x1F \r\nTime=9\r\nName=\"quoted\"\r\nBad=abc\r\nNeg=-5x\r\n"
              "[Blob]\r\nS=0102FF02\r\nWrong=0102FF03\r\n");
    EXPECT_EQ(ini.GetInt(L"VWIN", L"time", 0), 0x1F); // case ignored, first wins
    EXPECT_EQ(ini.GetString(L"Vwin", L"Name", L""), L"quoted");
    EXPECT_EQ(ini.GetInt(L"Vwin", L"Bad", 7), 0);
    EXPECT_EQ(ini.GetInt(L"Vwin", L"Neg", 7), -5);
    EXPECT_EQ(ini.GetInt(L"Vwin", L"Missing", 7), 7);
    EXPECT_EQ(ini.GetString(L"Vwin", L"Name", L"", 4), L"quo");
    uint8_t out[3] = {};
    ASSERT_TRUE(ini.GetStruct(L"Blob", L"S", out, 3));
    EXPECT_EQ(out[2], 0xFF);
    EXPECT_FALSE(ini.GetStruct(L"Blob", L"Wrong", out, 3));
    EXPECT_FALSE(ini.GetStruct(L"Blob", L"S", out, 2));
}

// Start-up changes the current folder; the paths of the command line are taken before that.
TEST(SettingsLoad, CommandLinePathsBecomeFullyQualifiedAndOptionsStay) {
    std::vector<std::wstring> args = qv::WithFullPaths({L"/vz3", L"a.jpg", L"sub/b.jpg"});
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[0], L"/vz3");
    EXPECT_TRUE(qv::IsAbsolutePath(args[1])) << qv::WideToUtf8(args[1]);
    EXPECT_EQ(qv::FileNameOf(args[1]), L"a.jpg");
    EXPECT_TRUE(qv::IsAbsolutePath(args[2]));
    std::vector<std::wstring> plain = qv::WithFullPaths({L"c.png", L"d.png"});
    EXPECT_TRUE(qv::IsAbsolutePath(plain[0]));
    EXPECT_TRUE(qv::IsAbsolutePath(plain[1]));
}

TEST(SettingsLoad, InstanceRequestKeeps259CharacterPath) {
    qv::InstanceRequest kept = qv::BuildInstanceRequest({std::wstring(259, L'a')});
    EXPECT_EQ(kept.path.size(), 259u);
    uint8_t block[qv::kInstanceRequestBytes];
    qv::EncodeInstanceRequest(kept, block);
    qv::InstanceRequest out;
    ASSERT_TRUE(qv::DecodeInstanceRequest(block, sizeof block, &out));
    EXPECT_EQ(out.path, kept.path);
}

} // namespace
