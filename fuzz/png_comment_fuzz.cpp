// Reads and replaces the comment of arbitrary bytes; the first byte picks the new text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codecs/png_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > UINT32_MAX) return 0;
    static const char* const kTexts[] = {nullptr, "", "short", "two\r\nlines"};
    const char* text = kTexts[data[0] & 3];
    ++data;
    --size;
    std::string comment = qv::ReadPngCommentMemory(data, static_cast<uint32_t>(size));
    std::string out;
    qv::PngCommentChange change;
    if (qv::ReplacePngCommentMemory(data, static_cast<uint32_t>(size), text, &out, &change) == qv::kCodecOk &&
        change.wrote) {
        // the rewritten file reads back with the new text
        std::string again =
            qv::ReadPngCommentMemory(reinterpret_cast<const uint8_t*>(out.data()), static_cast<uint32_t>(out.size()));
        if (text && *text && again.empty()) __builtin_trap();
    }
    return 0;
}
