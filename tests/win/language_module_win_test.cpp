// The language module under Wine: choosing and checking the library, the options dialog's list,
// texts, the error box, dialogs from templates, and the two shipped modules themselves.
#include "ui/language_module_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "shipped_modules_win.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/startup_info_dialog_win.h"
#include "model/ui_strings.h"
#include "test_support.h"
#include "ui/dialog_template.h"
#include "viewer/hover_win.h"

namespace qv {
namespace {

using qvtest::ShippedModule;

std::wstring ParentFolder(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/"));
}

// The test program's folder, which holds the test libraries.
std::wstring TestFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ParentFolder(std::wstring(path, length));
}
std::wstring TestModule(const wchar_t* name) {
    return TestFolder() + L"\\" + name + L".dll";
}

bool IsLoaded(const wchar_t* fileName) {
    return GetModuleHandleW(fileName) != nullptr;
}

// A program folder of our own making, which is also the current directory as at start-up.
class LanguageFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        ASSERT_TRUE(SetCurrentDirectoryW(scratch_.path().c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryW(previous_.c_str());
        // Every test leaves nothing loaded: a leaked module would also keep the scratch folder.
        EXPECT_FALSE(IsLoaded(L"English.dll"));
        EXPECT_FALSE(IsLoaded(L"Japanese.dll"));
        EXPECT_FALSE(IsLoaded(L"langtest_unsigned.dll"));
        EXPECT_FALSE(IsLoaded(L"langtest_signed.dll"));
    }
    void Add(const std::wstring& source, const wchar_t* name) {
        ASSERT_TRUE(CopyFileW(source.c_str(), scratch_.File(name).c_str(), FALSE)) << name;
    }
    void AddShipped() {
        Add(ShippedModule(L"English"), L"English.dll");
        Add(ShippedModule(L"Japanese"), L"Japanese.dll");
    }
    std::wstring FontFace(HMODULE module) {
        SetLanguageModule(module, GetModuleHandleW(nullptr));
        std::wstring face = UiText(kStrUiFontFace);
        SetLanguageModule(nullptr, nullptr);
        return face;
    }

    qvtest::ScratchDir scratch_;
    std::wstring previous_;
};

TEST_F(LanguageFolderTest, MissingNamedModuleFallsBackToEnglishThenJapanese) {
    AddShipped();
    std::wstring langFile = L"Missing";
    HMODULE module = LoadLanguageModule(&langFile, 0x0409);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(langFile, L"English");
    EXPECT_EQ(FontFace(module), L"Segoe UI");
    FreeLibrary(module);

    ASSERT_TRUE(DeleteFileW(scratch_.File(L"English.dll").c_str()));
    langFile = L"Missing";
    module = LoadLanguageModule(&langFile, 0x0409);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(langFile, L"Japanese");
    FreeLibrary(module);

    ASSERT_TRUE(DeleteFileW(scratch_.File(L"Japanese.dll").c_str()));
    langFile = L"Missing";
    EXPECT_EQ(LoadLanguageModule(&langFile, 0x0409), nullptr);
    EXPECT_EQ(langFile, L"Missing");
}

TEST_F(LanguageFolderTest, EmptyNameFollowsTheUiLanguage) {
    AddShipped();
    std::wstring langFile;
    HMODULE module = LoadLanguageModule(&langFile, 0x0411);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(langFile, L"Japanese");
    EXPECT_EQ(FontFace(module), L"Meiryo UI");
    FreeLibrary(module);

    langFile.clear();
    module = LoadLanguageModule(&langFile, 0x0407);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(langFile, L"English");
    FreeLibrary(module);
}

TEST_F(LanguageFolderTest, NamedModuleThatIsNotOursEndsTheSearch) {
    AddShipped();
    for (const wchar_t* name : {L"langtest_unsigned", L"langtest_short_signature", L"langtest_wrong_signature"}) {
        Add(TestModule(name), (std::wstring(name) + L".dll").c_str());
        std::wstring langFile = name;
        EXPECT_EQ(LoadLanguageModule(&langFile, 0x0409), nullptr) << name;
        EXPECT_EQ(langFile, name);
        // Released, and English was never tried.
        EXPECT_FALSE(IsLoaded((std::wstring(name) + L".dll").c_str())) << name;
        EXPECT_FALSE(IsLoaded(L"English.dll"));
        EXPECT_FALSE(IsLanguageModule(scratch_.File(std::wstring(name) + L".dll"))) << name;
    }
    EXPECT_TRUE(IsLanguageModule(scratch_.File(L"Japanese.dll")));
    EXPECT_FALSE(IsLanguageModule(scratch_.File(L"Nothing.dll")));
    EXPECT_FALSE(HasLanguageSignature(nullptr));
}

TEST_F(LanguageFolderTest, ListOffersSignedModulesAndSelectsTheCurrentOne) {
    AddShipped();
    Add(TestModule(L"langtest_unsigned"), L"langtest_unsigned.dll");
    Add(TestModule(L"langtest_signed"), L"langtest_signed.dll");
    ASSERT_TRUE(qvtest::WriteFileBytes(scratch_.File(L"Garbage.dll"), "not a library"));
    ASSERT_TRUE(CreateDirectoryW(scratch_.File(L"Folder.dll").c_str(), nullptr));

    int selection = 0;
    std::vector<std::wstring> names = ListLanguageModules(scratch_.path(), L"japanese", &selection);
    std::vector<std::wstring> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::wstring>{L"English", L"Japanese", L"langtest_signed"}));
    ASSERT_GE(selection, 0);
    ASSERT_LT(selection, static_cast<int>(names.size()));
    EXPECT_EQ(names[selection], L"Japanese");

    // The current module is in use and listed without a check, whatever the file holds.
    names = ListLanguageModules(scratch_.path() + L"\\", L"Garbage", &selection);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[selection], L"Garbage");

    names = ListLanguageModules(scratch_.path(), L"Missing", &selection);
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(selection, -1);

    names = ListLanguageModules(scratch_.File(L"Nowhere"), L"English", &selection);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(selection, -1);
}

// ---- texts and dialogs of a loaded module

class CurrentModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(TestModule(L"langtest_signed").c_str());
        ASSERT_NE(module_, nullptr);
        SetLanguageModule(module_, GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        ReleaseLanguageModule();
        EXPECT_EQ(CurrentLanguageModule(), nullptr);
        EXPECT_FALSE(IsLoaded(L"langtest_signed.dll"));
    }
    HMODULE module_ = nullptr;
};

TEST_F(CurrentModuleTest, TextsComeWholeAndMissingOnesEmpty) {
    EXPECT_EQ(CurrentLanguageModule(), module_);
    EXPECT_EQ(UiText(kStrUiFontFace), L"Test face");
    std::wstring longText = UiText(20100);
    EXPECT_EQ(longText.size(), 300u);
    EXPECT_EQ(longText.substr(280), L"0123456789abcdefghij");
    EXPECT_EQ(UiText(20101), L"");
    EXPECT_EQ(UiText(0), L"");

    ReleaseLanguageModule();
    // No module: nothing, rather than the executable's own strings.
    EXPECT_EQ(UiText(kStrUiFontFace), L"");
    module_ = LoadLibraryW(TestModule(L"langtest_signed").c_str());
    SetLanguageModule(module_, GetModuleHandleW(nullptr));
}

struct DialogLog {
    int initDialogs = 0;
};

INT_PTR CALLBACK CountingProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ++reinterpret_cast<DialogLog*>(lParam)->initDialogs;
        EndDialog(dialog, 7);
        return TRUE;
    }
    return FALSE;
}

TEST_F(CurrentModuleTest, TemplatesWithoutSetFontAreRefused) {
    DialogLog log;
    for (uint32_t number : {4500u, 4520u, 4999u}) {
        EXPECT_EQ(RunDialog(number, nullptr, CountingProc, reinterpret_cast<LPARAM>(&log), -12), -1) << number;
        EXPECT_EQ(CreateModelessDialog(number, nullptr, CountingProc, reinterpret_cast<LPARAM>(&log), -12), nullptr)
            << number;
    }
    EXPECT_EQ(log.initDialogs, 0);
    EXPECT_EQ(RunDialog(4540, nullptr, CountingProc, reinterpret_cast<LPARAM>(&log), -12), 7);
    EXPECT_EQ(log.initDialogs, 1);
}

TEST_F(CurrentModuleTest, ModelessDialogTakesTheProgramsPointSizeAndInstance) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (int32_t fontHeight : {-12, -14}) {
        HWND dialog = CreateModelessDialog(4540, nullptr, qvtest::QuietDialogProc, 0, fontHeight);
        ASSERT_NE(dialog, nullptr);
        EXPECT_NE(GetDlgItem(dialog, 4541), nullptr);
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), GetModuleHandleW(nullptr));
        LOGFONTW font{};
        HFONT handle = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
        ASSERT_NE(handle, nullptr);
        ASSERT_NE(GetObjectW(handle, sizeof font, &font), 0);
        EXPECT_EQ(font.lfHeight, -MulDiv(DialogPointSize(fontHeight), dpi, 72)) << fontHeight;
        DestroyWindow(dialog);
    }
}

// ---- the error box, read and closed from inside its own modal loop

struct BoxSeen {
    int boxes = 0;
    std::wstring caption;
    std::wstring text;
    bool listEnabled = true;
    bool cursorShown = false;
    HWND list = nullptr;
};
BoxSeen* g_seen = nullptr;

BOOL CALLBACK CloseDialogsOfThread(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    ++g_seen->boxes;
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    g_seen->caption = buffer;
    buffer[0] = 0;
    GetDlgItemTextW(window, 0xFFFF, buffer, 512); // the message text control
    g_seen->text = buffer;
    g_seen->listEnabled = g_seen->list && IsWindowEnabled(g_seen->list);
    CURSORINFO cursor{sizeof cursor};
    g_seen->cursorShown = GetCursorInfo(&cursor) && (cursor.flags & CURSOR_SHOWING);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK CloseBoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseDialogsOfThread, 0);
}

class ErrorBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(ShippedModule(L"English").c_str());
        ASSERT_NE(module_, nullptr);
        SetLanguageModule(module_, GetModuleHandleW(nullptr));
        seen_.list = CreateWindowExW(0, L"STATIC", L"list", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(seen_.list, nullptr);
        SetErrorBoxListWindow(seen_.list);
        g_seen = &seen_;
        timer_ = SetTimer(nullptr, 0, 50, CloseBoxTimer);
    }
    void TearDown() override {
        KillTimer(nullptr, timer_);
        SetErrorBoxListWindow(nullptr);
        DestroyWindow(seen_.list);
        g_seen = nullptr;
        ReleaseLanguageModule();
    }
    void Show(uint32_t n) {
        seen_.boxes = 0;
        ErrorBox(nullptr, n);
        EXPECT_EQ(seen_.boxes, 1) << n;
    }
    HMODULE module_ = nullptr;
    UINT_PTR timer_ = 0;
    BoxSeen seen_;
};

TEST_F(ErrorBoxTest, GeneralAndImageErrorsTakeTheirCaptionsAndTexts) {
    while (ShowCursor(FALSE) >= 0) {
    }
    Show(30008);
    EXPECT_EQ(seen_.caption, L"Quorvel");
    EXPECT_EQ(seen_.text, UiText(30008));
    EXPECT_FALSE(seen_.listEnabled);
    EXPECT_TRUE(seen_.cursorShown);
    EXPECT_TRUE(IsWindowEnabled(seen_.list));

    Show(50004);
    EXPECT_EQ(seen_.caption, L"Image file error");
    EXPECT_EQ(seen_.text, UiText(50004));

    Show(50011);
    EXPECT_EQ(seen_.caption, L"Image file error");
    EXPECT_EQ(seen_.text, UiText(50007) + UiText(50011));
}

TEST_F(ErrorBoxTest, ListDisabledBeforehandStaysDisabled) {
    EnableWindow(seen_.list, FALSE);
    Show(30001);
    EXPECT_FALSE(seen_.listEnabled);
    EXPECT_FALSE(IsWindowEnabled(seen_.list));
}

TEST_F(ErrorBoxTest, TheCursorKeeperCanHideTheCursorAgainAfterTheBox) {
    SetCursorShown(false); // as full screen and the slideshow do
    Show(30008);
    EXPECT_TRUE(seen_.cursorShown);
    EXPECT_TRUE(CursorShown()) << "the box showed the cursor behind the keeper's back";
    SetCursorShown(false);             // the next step of a slideshow
    int count = ShowCursor(FALSE) + 1; // the count before this probe
    ShowCursor(TRUE);
    EXPECT_LT(count, 0) << "the cursor stayed on screen";
    SetCursorShown(true);
}

// ---- the start-up information dialog

struct StartupSeen {
    bool checkedAtFirst = false;
    bool click = false;
    UINT button = IDOK;
    POINT centre{};
    bool done = false;
};
StartupSeen* g_startup = nullptr;

BOOL CALLBACK AnswerStartupInfo(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window) || g_startup->done) return TRUE;
    g_startup->done = true;
    g_startup->checkedAtFirst = IsDlgButtonChecked(window, kCtlStartupInfoDontShow) == BST_CHECKED;
    RECT box;
    GetWindowRect(window, &box);
    g_startup->centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    if (g_startup->click) SendDlgItemMessageW(window, kCtlStartupInfoDontShow, BM_CLICK, 0, 0);
    PostMessageW(window, WM_COMMAND, g_startup->button, 0);
    return TRUE;
}

void CALLBACK AnswerStartupTimer(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), AnswerStartupInfo, 0);
}

TEST(StartupInfoDialogTest, CheckBoxFollowsAndSetsMouseInfo) {
    HMODULE module = LoadLibraryW(ShippedModule(L"English").c_str());
    ASSERT_NE(module, nullptr);
    SetLanguageModule(module, GetModuleHandleW(nullptr));
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 80, 700, 500, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerStartupTimer);

    struct Case {
        bool mouseInfo;
        bool click;
        UINT button;
        bool checkedAtFirst;
        bool after;
    };
    const Case cases[] = {
        {true, true, IDOK, false, false},    // ticked and confirmed: not again
        {true, false, IDOK, false, true},    // left alone
        {false, false, IDOK, true, false},   // shown from the menu while off: ticked
        {false, true, IDOK, true, true},     // unticked and confirmed: shown again
        {true, true, IDCANCEL, false, true}, // Cancel changes nothing
    };
    for (const Case& c : cases) {
        StartupSeen seen;
        seen.click = c.click;
        seen.button = c.button;
        g_startup = &seen;
        bool mouseInfo = c.mouseInfo;
        EXPECT_TRUE(RunStartupInfoDialog(owner, -12, &mouseInfo));
        EXPECT_TRUE(seen.done);
        EXPECT_EQ(seen.checkedAtFirst, c.checkedAtFirst);
        EXPECT_EQ(mouseInfo, c.after) << c.mouseInfo << c.click << c.button;
        EXPECT_NEAR(seen.centre.x, 450, 2);
        EXPECT_NEAR(seen.centre.y, 330, 2);
    }
    g_startup = nullptr;
    KillTimer(nullptr, timer);
    DestroyWindow(owner);

    // Without the template there is nothing to show and MouseInfo stays.
    ReleaseLanguageModule();
    bool mouseInfo = true;
    EXPECT_FALSE(RunStartupInfoDialog(nullptr, -12, &mouseInfo));
    EXPECT_TRUE(mouseInfo);
}

// ---- the shipped modules

const uint32_t kShippedStrings[] = {
    20000, 20015, 21000, 21001, 21002, 21003, 21004, 21005, 21006, 21007, 21008, 21009, 21010, 22000, 22001,
    22002, 22003, 22004, 30000, 30001, 30002, 30003, 30004, 30005, 30006, 30007, 30008, 30009, 30010, 30011,
    30012, 30013, 50000, 50001, 50002, 50003, 50004, 50005, 50006, 50007, 50008, 50009, 50010, 50011, 50012,
    50013, 50014, 50015, 50016, 50017, 50018, 50019, 50020, 50021, 50022, 50023, 50024,
};

TEST(ShippedModulesTest, SignedCompleteAndWithAUsableStartupDialog) {
    for (const wchar_t* name : {L"English", L"Japanese"}) {
        SCOPED_TRACE(name[0] == L'E' ? "English" : "Japanese");
        HMODULE module = LoadLibraryW(ShippedModule(name).c_str());
        ASSERT_NE(module, nullptr);
        EXPECT_TRUE(HasLanguageSignature(module));
        SetLanguageModule(module, GetModuleHandleW(nullptr));
        for (uint32_t n : kShippedStrings)
            EXPECT_FALSE(UiText(n).empty()) << n;
        std::wstring face = UiText(kStrUiFontFace);
        EXPECT_LE(face.size(), 31u);
        for (uint32_t n = 50011; n <= kStrImageErrorLast; ++n) {
            // Shown after 50007 in a 128-character buffer, on a line of their own.
            EXPECT_EQ(UiText(n).substr(0, 1), L"\n") << n;
            EXPECT_LE(UiText(kStrImageErrorPrefix).size() + UiText(n).size(), 127u) << n;
        }
        for (uint32_t n = 30001; n <= kStrLastGeneralError; ++n)
            EXPECT_LE(UiText(n).size(), 259u) << n;

        HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(kDlgStartupInfo), RT_DIALOG);
        ASSERT_NE(info, nullptr);
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
        DialogTemplateFacts facts;
        ASSERT_TRUE(MeasureDialogTemplate(bytes, SizeofResource(module, info), &facts));
        EXPECT_EQ(facts.itemCount, 4);
        // The template's face is the UI font's: point size, weight, italic and character set first.
        const auto* templateFace = reinterpret_cast<const wchar_t*>(bytes + facts.pointSizeOffset + 6);
        EXPECT_EQ(std::wstring(templateFace), face);

        HWND dialog = CreateModelessDialog(kDlgStartupInfo, nullptr, qvtest::QuietDialogProc, 0, -14);
        ASSERT_NE(dialog, nullptr);
        for (int id : {static_cast<int>(kCtlStartupInfoDontShow), IDOK, IDCANCEL}) {
            EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;
        }
        wchar_t label[128] = {};
        GetDlgItemTextW(dialog, kCtlStartupInfoDontShow, label, 128);
        EXPECT_GT(std::wcslen(label), 0u);
        DestroyWindow(dialog);
        ReleaseLanguageModule();
    }
}

} // namespace
} // namespace qv
