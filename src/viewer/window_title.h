// The title of the current main window after every load, edit and save: the file name, the
// unsaved mark, the decoder's flags as letters, the size, depth and file size.
#pragma once

#include <cstdint>
#include <string>

#include "model/image_buffer.h"
#include "model/load_types.h"

namespace qv {

struct TitleFacts {
    bool hasImage = false;
    std::wstring fileName;   // without folder; for an archive member the archive's name
    std::wstring memberPath; // inner folder + member name, empty for plain files
    bool modified = false;
    uint32_t sourceFormat = kFormatNone;
    LoadInfo info;
    bool autoRotate = true;
    int32_t width = 0, height = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t fileSize = 0; // bytes
};

// The flag letters of the format, in their fixed order ("" when none is set).
std::wstring FormatLetters(const TitleFacts& facts);
std::wstring ComposeWindowTitle(const TitleFacts& facts);
// After a failed load: the path tried, and the member tried in an archive.
std::wstring FailedLoadTitle(const std::wstring& path, const std::wstring& memberPath);

} // namespace qv
