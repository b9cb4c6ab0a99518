// The shipped language modules carry every text the EXIF information uses (value texts, item
// labels, column headings) and a usable information dialog 4040.
#include <windows.h>

#include <gtest/gtest.h>

#include "shipped_modules_win.h"

#include "codecs/exif.h"
#include "ui/dialog_template.h"
#include "ui/language_module_win.h"

namespace qv {
namespace {

using qvtest::ShippedModule;

// Every number the information record may ask for: the built-in table knows them all.
std::vector<uint32_t> ExifStringNumbers() {
    std::vector<uint32_t> numbers;
    for (uint32_t n = 50199; n < 50500; ++n)
        if (ExifEnglishString(n)[0] != L'#') numbers.push_back(n);
    for (uint32_t n = kExifLabelBase; n < kExifLabelBase + kExifInfoItems; ++n)
        numbers.push_back(n);
    return numbers;
}

TEST(ExifStringsTest, BothModulesCarryEveryTextAndTheDialog) {
    const std::vector<uint32_t> numbers = ExifStringNumbers();
    ASSERT_GT(numbers.size(), 170u);
    std::vector<std::wstring> english;
    for (const wchar_t* name : {L"English", L"Japanese"}) {
        SCOPED_TRACE(name[0] == L'E' ? "English" : "Japanese");
        HMODULE module = LoadLibraryW(ShippedModule(name).c_str());
        ASSERT_NE(module, nullptr);
        SetLanguageModule(module, GetModuleHandleW(nullptr));
        int translated = 0;
        for (size_t i = 0; i < numbers.size(); ++i) {
            std::wstring text = UiText(numbers[i]);
            EXPECT_FALSE(text.empty()) << numbers[i];
            if (name[0] == L'E') {
                // the module and the built-in texts (quorvel-cli) say the same
                EXPECT_EQ(text, ExifEnglishString(numbers[i])) << numbers[i];
                english.push_back(text);
            } else if (text != english[i]) {
                ++translated;
            }
        }
        if (name[0] == L'J') {
            EXPECT_GT(translated, static_cast<int>(numbers.size()) * 3 / 4);
        }
        EXPECT_FALSE(UiText(20402).empty());
        EXPECT_FALSE(UiText(20403).empty());

        HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(4040), RT_DIALOG);
        ASSERT_NE(info, nullptr);
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
        DialogTemplateFacts facts;
        ASSERT_TRUE(MeasureDialogTemplate(bytes, SizeofResource(module, info), &facts)); // DIALOGEX, DS_SETFONT
        const auto* face = reinterpret_cast<const wchar_t*>(bytes + facts.pointSizeOffset + 6);
        EXPECT_EQ(std::wstring(face), UiText(20000));
        HWND dialog = CreateModelessDialog(4040, nullptr, qvtest::QuietDialogProc, 0, -12);
        ASSERT_NE(dialog, nullptr);
        HWND list = GetDlgItem(dialog, 4041);
        ASSERT_NE(list, nullptr);
        wchar_t cls[32] = {};
        GetClassNameW(list, cls, 32);
        EXPECT_STREQ(cls, L"SysListView32");
        EXPECT_NE(GetDlgItem(dialog, IDCANCEL), nullptr);
        DestroyWindow(dialog);
        ReleaseLanguageModule();
    }
}

} // namespace
} // namespace qv
