#include "ui/dialog_text_win.h"

namespace qv {

std::wstring WindowText(HWND window) {
    if (!window) return {};
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::wstring DialogItemText(HWND dialog, int control) {
    return WindowText(GetDlgItem(dialog, control));
}

} // namespace qv
