// Reads and replaces the comment of arbitrary bytes; the first byte picks the new text. A comment
// that was written reads back as written (carriage returns dropped), and a file that needed no
// change is not rewritten.
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
    if (qv::ReplacePngCommentMemory(data, static_cast<uint32_t>(size), text, &out, &change) != qv::kCodecOk) return 0;
    if (!change.wrote) {
        if (!out.empty() || (text && *text) || !comment.empty()) __builtin_trap();
        return 0;
    }
    std::string again =
        qv::ReadPngCommentMemory(reinterpret_cast<const uint8_t*>(out.data()), static_cast<uint32_t>(out.size()));
    if (text && *text) {
        std::string expected;
        for (const char* p = text; *p; ++p)
            if (*p != '\r') expected += *p;
        if (again != expected || change.delta < 0) __builtin_trap();
    } else if (change.delta != -1 || out.size() >= size) {
        __builtin_trap();
    }
    return 0;
}
