#include "sources/extension_class.h"

#include <cwchar>

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

int ClassifyExtension(const wchar_t* path) {
    if (!path) return kExtensionOther;
    const wchar_t* dot = std::wcsrchr(path, L'.');
    if (!dot) return kExtensionOther;
    static constexpr int kClasses[] = {kExtensionBmp,  kExtensionPng,  kExtensionJpeg, kExtensionJpeg,
                                       kExtensionJpeg, kExtensionTiff, kExtensionTiff, kExtensionGif};
    size_t length = std::wcslen(dot);
    for (size_t i = 0; i < sizeof kClasses / sizeof kClasses[0]; ++i) {
        if (EqualsIgnoreAsciiCase(dot, length, kImageExtensions[i], std::wcslen(kImageExtensions[i])))
            return kClasses[i];
    }
    return kExtensionOther;
}

bool HasImageExtension(const std::wstring& name) {
    for (const wchar_t* ext : kImageExtensions) {
        if (EndsWithIgnoreAsciiCase(name, ext)) return true;
    }
    return false;
}

std::wstring PathExtension(const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos) return {};
    size_t sep = path.find_last_of(L"\\/");
    if (sep != std::wstring::npos && sep > dot) return {};
    return path.substr(dot);
}

} // namespace qv
