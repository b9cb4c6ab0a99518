// Format recognition by content, and the extension classes used to decide whether a path is
// tried as an archive first. The extension never chooses the decoder.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"
#include "sources/extension_class.h" // ClassifyExtension: the extension classes shared with the file list

namespace qv {

// kFormatUnreadable for fewer than 8 bytes, kFormatNone for anything unrecognised.
SourceFormat DetectFormatFromMemory(const uint8_t* bytes, size_t length);
// Reads the first 8 bytes; kFormatUnreadable when the file cannot be opened or is shorter.
SourceFormat DetectFormatFromFile(const wchar_t* path);

} // namespace qv
