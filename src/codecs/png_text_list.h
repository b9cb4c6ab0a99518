// The tEXt chunks of a PNG file as the text information dialog lists them: keyword and text of
// each intact chunk in file order, at most 16.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/codec_status.h"

namespace qv {

constexpr size_t kPngTextListMax = 16;
constexpr size_t kPngTextKeywordMax = 79;
constexpr size_t kPngTextValueMax = 1024;

// Raw bytes in the system's ANSI code page, ESC bytes dropped.
struct PngTextEntry {
    std::string keyword;
    std::string text;
};

// kCodecOk when the walk reached IEND with at least one entry or stopped after the 16th;
// kCodecCannotOpen when the bytes are no PNG file or end (or carry a length with the top bit
// set) before IEND, and when the file holds no listable chunk. Chunks with a wrong CRC are
// skipped, not listed.
CodecStatus ReadPngTextListMemory(const uint8_t* data, uint32_t size, std::vector<PngTextEntry>* entries);

} // namespace qv
