// Extension classes of file names: which built-in image format a name's extension suggests. The
// extension only decides whether a path is tried as an archive first and which files a folder
// lists; the decoder is always chosen by the file's first bytes.
#pragma once

#include <cstddef>
#include <string>

#include "platform/ascii_case.h" // the name comparisons the extension rules use

namespace qv {

enum ExtensionClass : int {
    kExtensionOther = 0, // anything else, or no extension
    kExtensionBmp = 1,
    kExtensionPng = 2,
    kExtensionJpeg = 3,
    kExtensionTiff = 4,
    kExtensionGif = 5,
};

// The built-in image extensions, in the order a folder scan tries them.
constexpr const wchar_t* kImageExtensions[] = {L".bmp",  L".png", L".jpg",  L".jpe",
                                               L".jpeg", L".tif", L".tiff", L".gif"};

// Class of the text after the last '.' of `path` (ASCII letters compared without case).
int ClassifyExtension(const wchar_t* path);
inline int ClassifyExtension(const std::wstring& path) {
    return ClassifyExtension(path.c_str());
}

// True when the name ends in one of the built-in image extensions.
bool HasImageExtension(const std::wstring& name);

// The extension of a path: from the last '.' that stands after the last folder separator
// (either slash), with the dot; empty when there is none.
std::wstring PathExtension(const std::wstring& path);

} // namespace qv
