// The association rules against a stand-in registry: which values a change writes, which it
// leaves to other programs, how the boxes read back; and the display gamma field's number.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "app/shell_associations.h"

namespace qv {
namespace {

using Values = std::map<std::pair<std::wstring, std::wstring>, std::wstring>;

struct FakeRegistry {
    Values values;
    int writes = 0;
    AssociationRegistry Calls() {
        AssociationRegistry r;
        r.context = this;
        r.read = [](void* c, const std::wstring& key, const wchar_t* value, std::wstring* data) {
            auto& v = static_cast<FakeRegistry*>(c)->values;
            auto it = v.find({key, value ? value : L""});
            if (it == v.end()) return false;
            *data = it->second;
            return true;
        };
        r.write = [](void* c, const std::wstring& key, const wchar_t* value, const std::wstring& data) {
            auto* self = static_cast<FakeRegistry*>(c);
            self->values[{key, value ? value : L""}] = data;
            ++self->writes;
            return true;
        };
        r.remove = [](void* c, const std::wstring& key, const wchar_t* value) {
            return static_cast<FakeRegistry*>(c)->values.erase({key, value ? value : L""}) == 1;
        };
        return r;
    }
};

const std::wstring kExe = L"C:\\Program Files\\Q\\q.exe";
const std::wstring kExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
const std::wstring kCommand = L"Software\\Classes\\Applications\\Quorvel.exe\\shell\\open\\command";

TEST(ShellAssociationsTest, JpegAloneWritesItsThreeExtensionsAndTheCommand) {
    FakeRegistry reg;
    bool before[kAssocBoxCount] = {}, after[kAssocBoxCount] = {};
    after[kAssocJpeg] = true;
    ApplyAssociationChanges(reg.Calls(), kExe, before, after);
    Values expected = {{{kExts + L".jpg", L"Application"}, L"Quorvel.exe"},
                       {{kExts + L".jpe", L"Application"}, L"Quorvel.exe"},
                       {{kExts + L".jpeg", L"Application"}, L"Quorvel.exe"},
                       {{kCommand, L""}, L"\"" + kExe + L"\" \"%1\""}};
    EXPECT_EQ(reg.values, expected);

    bool read[kAssocBoxCount];
    ReadAssociationBoxes(reg.Calls(), L"c:\\program files\\q\\Q.EXE", read);
    EXPECT_TRUE(read[kAssocJpeg]);
    EXPECT_FALSE(read[kAssocBmp] || read[kAssocPng] || read[kAssocTiff] || read[kAssocGif]);
    // another copy of the program owns the command: every box starts cleared
    ReadAssociationBoxes(reg.Calls(), L"D:\\other\\q.exe", read);
    EXPECT_FALSE(read[kAssocJpeg]);

    // values that already name the program are not written again, nor is the command; an
    // unchanged box is not looked at
    reg.writes = 0;
    ApplyAssociationChanges(reg.Calls(), kExe, before, after);
    ApplyAssociationChanges(reg.Calls(), kExe, after, after);
    EXPECT_EQ(reg.writes, 0);
    EXPECT_EQ(reg.values, expected);
}

TEST(ShellAssociationsTest, ClearingLeavesAnotherProgramsValueAlone) {
    FakeRegistry reg;
    reg.values[{kExts + L".tif", L"Application"}] = L"other.exe";
    reg.values[{kExts + L".tiff", L"Application"}] = L"QUORVEL.EXE";
    reg.values[{kExts + L".gif", L"Application"}] = kExe; // the full path counts as ours too
    bool before[kAssocBoxCount] = {false, false, false, true, true}, after[kAssocBoxCount] = {};
    ApplyAssociationChanges(reg.Calls(), kExe, before, after);
    Values expected = {{{kExts + L".tif", L"Application"}, L"other.exe"}};
    EXPECT_EQ(reg.values, expected); // and no command key: nothing became checked
}

TEST(ShellAssociationsTest, CommandLinesGiveTheirProgramPath) {
    EXPECT_EQ(ProgramPathOfCommand(L"\"C:\\A B\\q.exe\" \"%1\""), L"C:\\A B\\q.exe");
    EXPECT_EQ(ProgramPathOfCommand(L"C:\\q.exe %1"), L"C:\\q.exe");
    EXPECT_EQ(ProgramPathOfCommand(L"C:\\q.exe"), L"C:\\q.exe");
    EXPECT_EQ(ProgramPathOfCommand(L""), L"");
}

TEST(ShellAssociationsTest, OsClassesOfWindowsVersions) {
    EXPECT_EQ(OsClassOf(5, 0), 0);
    EXPECT_EQ(OsClassOf(5, 1), 1);
    EXPECT_EQ(OsClassOf(5, 2), 1);
    EXPECT_EQ(OsClassOf(6, 0), 2);
    EXPECT_EQ(OsClassOf(6, 1), 3);
    EXPECT_EQ(OsClassOf(6, 2), 4);
    EXPECT_EQ(OsClassOf(6, 3), 5);
    EXPECT_EQ(OsClassOf(10, 0), 5);
}

TEST(ShellAssociationsTest, DisplayGammaIsTheTypedNumberTimesAThousand) {
    EXPECT_EQ(DisplayGammaFromText(L"1.8"), 1800);
    EXPECT_EQ(DisplayGammaFromText(L"2.2"), 2200);
    EXPECT_EQ(DisplayGammaFromText(L"4.35"), 4350); // where a binary product would give 4349
    EXPECT_EQ(DisplayGammaFromText(L"1.23456"), 1234);
    EXPECT_EQ(DisplayGammaFromText(L"0"), 1);
    EXPECT_EQ(DisplayGammaFromText(L"0.0001"), 1);
    EXPECT_EQ(DisplayGammaFromText(L"-2"), 1);
    EXPECT_EQ(DisplayGammaFromText(L"abc"), 1);
    EXPECT_EQ(DisplayGammaFromText(L".5"), 500);
}

} // namespace
} // namespace qv
