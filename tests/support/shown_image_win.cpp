#include "shown_image_win.h"

#include "platform/platform.h"

namespace qvtest {

std::wstring ShownName(HWND window) {
    std::wstring title = WindowTitle(window);
    size_t facts = title.find(L"  ( ");
    return facts == std::wstring::npos ? std::wstring() : title.substr(0, facts);
}

::testing::AssertionResult WaitForShown(HWND window, const std::wstring& name, DWORD timeoutMs) {
    if (WaitUntil(timeoutMs, [&] { return ShownName(window) == name; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "title is \"" << qv::WideToUtf8(WindowTitle(window)) << "\", expected \""
                                         << qv::WideToUtf8(name) << "\"";
}

::testing::AssertionResult WaitForCentreColour(HWND window, COLORREF colour, DWORD timeoutMs) {
    COLORREF seen = CLR_INVALID;
    bool found = WaitUntil(timeoutMs, [&] {
        Capture capture;
        if (!CaptureClientArea(window, &capture) || capture.width <= 0 || capture.height <= 0) return false;
        seen = capture.Pixel(capture.width / 2, capture.height / 2);
        return seen == colour;
    });
    if (found) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "centre pixel 0x" << std::hex << seen << ", expected 0x" << colour;
}

} // namespace qvtest
