// Small JPEG files for the tests, made with the program's own encoder: a colour picture with
// distinct corners, optionally carrying a minimal EXIF block with an orientation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

// An APP1 payload ("Exif", two zero bytes, little-endian TIFF): IFD0 with the orientation and the
// EXIF IFD pointer; the EXIF IFD with ExifVersion 0231 and the pixel dimensions.
std::vector<uint8_t> MinimalExifPayload(uint16_t orientation, uint16_t width, uint16_t height);

// Writes a `width` x `height` JPEG (quality 90, 4:4:4) to `path`; `orientation` 0 writes no EXIF.
bool WriteTestJpeg(const std::wstring& path, uint32_t width, uint32_t height, uint16_t orientation);

} // namespace qvtest
