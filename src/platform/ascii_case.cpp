#include "platform/ascii_case.h"

namespace qv {

namespace {

wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
}

} // namespace

bool EqualsIgnoreAsciiCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) {
    if (aLength != bLength) return false;
    for (size_t i = 0; i < aLength; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

bool EndsWithIgnoreAsciiCase(const std::wstring& text, const std::wstring& suffix) {
    if (suffix.size() > text.size()) return false;
    return EqualsIgnoreAsciiCase(text.data() + text.size() - suffix.size(), suffix.size(), suffix.data(),
                                 suffix.size());
}

} // namespace qv
