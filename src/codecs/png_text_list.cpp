#include "codecs/png_text_list.h"

#include <algorithm>
#include <cstring>

#include "codecs/png_format.h"

namespace qv {

namespace {

constexpr uint8_t kEsc = 27;
// The bytes of a chunk looked at: the longest keyword and its text.
constexpr uint32_t kChunkWindow = kPngTextKeywordMax + kPngTextValueMax;

// ESC would start a terminal sequence in other viewers of the same text; it is no character here.
std::string WithoutEsc(const uint8_t* bytes, size_t length, size_t limit) {
    std::string out;
    for (size_t i = 0; i < length && out.size() < limit; ++i)
        if (bytes[i] != kEsc) out += static_cast<char>(bytes[i]);
    return out;
}

PngTextEntry EntryOf(const PngChunk& c) {
    uint32_t window = std::min(c.length, kChunkWindow);
    const auto* nul = static_cast<const uint8_t*>(std::memchr(c.data, 0, window));
    size_t keywordLength = nul ? static_cast<size_t>(nul - c.data) : window;
    PngTextEntry e;
    e.keyword = WithoutEsc(c.data, std::min(keywordLength, kPngTextKeywordMax), kPngTextKeywordMax);
    // a keyword that runs to the end of the window has no text that could be trusted as one
    if (nul) e.text = WithoutEsc(nul + 1, window - keywordLength - 1, kPngTextValueMax);
    return e;
}

} // namespace

CodecStatus ReadPngTextListMemory(const uint8_t* data, uint32_t size, std::vector<PngTextEntry>* entries) {
    entries->clear();
    if (size < kPngAfterHeader || std::memcmp(data, kPngSignature, 8) != 0) return kCodecCannotOpen;
    const uint8_t* pos = data + kPngAfterHeader;
    const uint8_t* end = data + size;
    PngChunk c;
    while (ReadPngChunk(pos, end, &c) == ChunkRead::Ok) {
        if (c.type == kChunkIEND) return entries->empty() ? kCodecCannotOpen : kCodecOk;
        if (c.type == kChunkTEXT && c.length > 1 && c.data[0] != 0 && PngChunkCrcMatches(c)) {
            entries->push_back(EntryOf(c));
            if (entries->size() == kPngTextListMax) return kCodecOk;
        }
        pos = c.next;
    }
    return kCodecCannotOpen;
}

} // namespace qv
