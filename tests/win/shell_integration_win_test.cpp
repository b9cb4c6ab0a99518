// The associations in the real registry of the prefix (written, read back, cleared again) and the
// Send To shortcut made, resolved as an opened path would be, and removed.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "app/shell_integration_win.h"
#include "app/startup_win.h"
#include "platform/platform.h"

namespace qv {
namespace {

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring UserValue(const std::wstring& key, const wchar_t* value) {
    wchar_t data[512] = {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
        return L"<none>";
    return data;
}

const std::wstring kExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

TEST(ShellIntegrationWinTest, AssociationsGoIntoTheUserRegistryAndReadBack) {
    const std::wstring exe = ThisProgram();
    RegSetKeyValueW(HKEY_CURRENT_USER, (kExts + L".gif").c_str(), L"Application", REG_SZ, L"other.exe",
                    sizeof L"other.exe");
    bool none[kAssocBoxCount] = {}, jpegAndGif[kAssocBoxCount] = {};
    jpegAndGif[kAssocJpeg] = jpegAndGif[kAssocGif] = true;
    ApplyAssociationChanges(UserRegistry(), exe, none, jpegAndGif);
    for (const wchar_t* ext : {L".jpg", L".jpe", L".jpeg", L".gif"})
        EXPECT_EQ(UserValue(kExts + ext, L"Application"), L"Quorvel.exe") << ext;
    EXPECT_EQ(UserValue(ApplicationCommandKey(), nullptr), L"\"" + exe + L"\" \"%1\"");
    bool read[kAssocBoxCount];
    ReadAssociationBoxes(UserRegistry(), exe, read);
    EXPECT_TRUE(read[kAssocJpeg] && read[kAssocGif]);
    EXPECT_FALSE(read[kAssocBmp] || read[kAssocPng] || read[kAssocTiff]);

    // another program takes .gif meanwhile: clearing the box leaves its value
    RegSetKeyValueW(HKEY_CURRENT_USER, (kExts + L".gif").c_str(), L"Application", REG_SZ, L"other.exe",
                    sizeof L"other.exe");
    ApplyAssociationChanges(UserRegistry(), exe, jpegAndGif, none);
    EXPECT_EQ(UserValue(kExts + L".jpg", L"Application"), L"<none>");
    EXPECT_EQ(UserValue(kExts + L".jpeg", L"Application"), L"<none>");
    EXPECT_EQ(UserValue(kExts + L".gif", L"Application"), L"other.exe");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, (kExts + L".gif").c_str(), L"Application");
}

TEST(ShellIntegrationWinTest, SendToShortcutIsMadeResolvedAndRemoved) {
    const std::wstring exe = ThisProgram();
    std::wstring link = SendToShortcutPath(exe);
    ASSERT_FALSE(link.empty());
    EXPECT_EQ(link.substr(link.size() - 31), L"\\shell_integration_win_test.lnk");
    SetSendToShortcut(exe, false);
    EXPECT_FALSE(SendToShortcutExists(exe));
    ASSERT_TRUE(SetSendToShortcut(exe, true));
    EXPECT_TRUE(SendToShortcutExists(exe));
    std::wstring target;
    // the program resolves on its GUI thread, where start-up has set up COM
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    EXPECT_TRUE(ResolveShortcutTarget(link, &target));
    CoUninitialize(); // what opening the shortcut would open
    EXPECT_EQ(target, exe);
    ASSERT_TRUE(SetSendToShortcut(exe, false));
    EXPECT_FALSE(PathExists(link.c_str()));
}

} // namespace
} // namespace qv
