// The open dialog's filter list: order, the optional RAR and plug-in rows, the NUL structure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/open_filter.h"

namespace qv {
namespace {

std::vector<std::wstring> Split(const std::wstring& filter) {
    std::vector<std::wstring> parts;
    size_t at = 0;
    while (at < filter.size() && filter[at] != L'\0') {
        size_t end = filter.find(L'\0', at);
        parts.push_back(filter.substr(at, end - at));
        at = end + 1;
    }
    EXPECT_EQ(at, filter.size() - 1) << "the list ends with a second NUL";
    return parts;
}

std::wstring Label(uint32_t n) {
    return L"S" + std::to_wstring(n);
}

TEST(OpenFilter, PlainListWithoutRarOrPlugins) {
    auto parts = Split(BuildOpenFilter(Label, false, {}));
    ASSERT_EQ(parts.size(), 16u);
    EXPECT_EQ(parts[0], L"S21000");
    EXPECT_EQ(parts[1], L"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif;*.zip");
    EXPECT_EQ(parts[6], L"S21003");
    EXPECT_EQ(parts[7], L"*.jpg;*.jpe;*.jpeg");
    EXPECT_EQ(parts[12], L"S21008");
    EXPECT_EQ(parts[14], L"S21006");
    EXPECT_EQ(parts[15], L"*.*");
}

TEST(OpenFilter, RarAndPluginRowsJoinTheAllSupportedRow) {
    std::wstring tooLong(300, L'x');
    auto parts = Split(BuildOpenFilter(Label, true, {L"*.pic", tooLong, L"*.mag"}));
    ASSERT_EQ(parts.size(), 20u);
    EXPECT_EQ(parts[1], L"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif;*.zip;*.rar;*.pic;*.mag");
    EXPECT_EQ(parts[14], L"S21010");
    EXPECT_EQ(parts[15], L"*.rar");
    EXPECT_EQ(parts[16], L"S21007 (*.pic;*.mag)");
    EXPECT_EQ(parts[17], L"*.pic;*.mag");
    EXPECT_EQ(parts[18], L"S21006");
}

} // namespace
} // namespace qv
