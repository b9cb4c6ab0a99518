// Names and extensions are compared ignoring the case of ASCII letters only, as the file system's
// own rules would differ between systems and between the two builds.
#pragma once

#include <cstddef>
#include <string>

namespace qv {

// Equal length and equal characters, ASCII letters A-Z and a-z matched without regard to case.
bool EqualsIgnoreAsciiCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength);
inline bool EqualsIgnoreAsciiCase(const std::wstring& a, const std::wstring& b) {
    return EqualsIgnoreAsciiCase(a.data(), a.size(), b.data(), b.size());
}
bool EndsWithIgnoreAsciiCase(const std::wstring& text, const std::wstring& suffix);

} // namespace qv
