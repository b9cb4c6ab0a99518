// BMP files and packed clipboard bitmaps, read into an ImageBuffer (8-bit palette or 24-bit),
// and uncompressed BMP files written at 1, 4, 8 or 24 bits. ReadBmpMemory is in decoders.h.
// Run-length compressed and top-down bitmaps are refused (50002), and so is data that does not
// hold every row its header declares (50004).
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "model/load_types.h"

namespace qv {

// Maps the file, decodes it with ReadBmpMemory and records its last-write time.
bool ReadBmpFile(const wchar_t* path, ImageBuffer* target, LoadInfo* info, CodecStatus* status);

// A packed device-independent bitmap (information header, colour table or masks, pixels; no file
// header), as the clipboard holds it. fileSize becomes what the image would take as a BMP file.
bool ReadDibMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, CodecStatus* status);

// Writes `image` as an uncompressed bitmap of `depth` 1, 4, 8 or 24 bits, reducing or expanding
// its colours through the depth converter. Failures: 50005 (create or write), 50006 (cannot
// convert), 50001 (no memory).
bool WriteBmpFile(const wchar_t* path, const ImageBuffer& image, uint32_t depth, bool dither, CodecStatus* status);

} // namespace qv
