#include "sources/extension_class.h"
#include "platform/paths.h"

#include <cwchar>

namespace qv {

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
    return ExtensionOf(path);
}

} // namespace qv
