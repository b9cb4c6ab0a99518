// Lists the tEXt chunks of arbitrary bytes as the text information dialog does: never more than
// sixteen entries, none longer than its limits, no ESC byte left, and no entry on failure.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/png_text_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    std::vector<qv::PngTextEntry> entries;
    qv::CodecStatus status = qv::ReadPngTextListMemory(data, static_cast<uint32_t>(size), &entries);
    if (status == qv::kCodecOk && entries.empty()) __builtin_trap();
    if (entries.size() > qv::kPngTextListMax) __builtin_trap();
    for (const qv::PngTextEntry& e : entries) {
        if (e.keyword.empty() || e.keyword.size() > qv::kPngTextKeywordMax || e.text.size() > qv::kPngTextValueMax)
            __builtin_trap();
        if (e.keyword.find('\x1b') != std::string::npos || e.text.find('\x1b') != std::string::npos) __builtin_trap();
    }
    return 0;
}
