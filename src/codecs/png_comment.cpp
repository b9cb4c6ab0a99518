// The "Comment" text of an existing PNG file, read and replaced without touching the image data.
#include <cstring>

#include "codecs/png_codec.h"
#include "codecs/png_format.h"
#include "platform/platform.h"

namespace qv {

namespace {

// Chunk bytes considered when reading a comment: the keyword, its NUL and the text up to the
// 4096 bytes the editor holds, so that writing back an unchanged comment cannot cut it short.
constexpr uint32_t kMaxCommentChunkRead = 8 + 4096;

bool HasPngHeader(const uint8_t* data, uint32_t size) {
    return size >= kPngAfterHeader && std::memcmp(data, kPngSignature, 8) == 0;
}

} // namespace

std::string ReadPngCommentMemory(const uint8_t* data, uint32_t size) {
    if (!HasPngHeader(data, size)) return {};
    const uint8_t* pos = data + kPngAfterHeader;
    const uint8_t* end = data + size;
    PngChunk c;
    while (ReadPngChunk(pos, end, &c) == ChunkRead::Ok && c.type != kChunkIEND) {
        if (IsPngCommentChunk(c) && PngChunkCrcMatches(c)) {
            uint32_t length = c.length < kMaxCommentChunkRead ? c.length : kMaxCommentChunkRead;
            std::string text(reinterpret_cast<const char*>(c.data) + 8, length - 8);
            // a NUL inside the text ends it, as it would for the C string the editor shows
            size_t nul = text.find('\0');
            if (nul != std::string::npos) text.resize(nul);
            return text;
        }
        pos = c.next;
    }
    return {};
}

std::string ReadPngComment(const wchar_t* path) {
    MappedFile file;
    if (!MapWholeFile(path, MapMode::ReadOnly, &file)) return {};
    return ReadPngCommentMemory(file.view, file.size);
}

CodecStatus ReplacePngCommentMemory(const uint8_t* data, uint32_t size, const char* text, std::string* out,
                                    PngCommentChange* change) {
    out->clear();
    *change = PngCommentChange{};
    if (!HasPngHeader(data, size)) return kCodecBadData;
    const uint8_t* pos = data + kPngAfterHeader;
    const uint8_t* end = data + size;
    PngChunk c;
    bool found = false;
    for (;;) {
        if (ReadPngChunk(pos, end, &c) != ChunkRead::Ok) return kCodecBadData;
        if (c.type == kChunkIEND) break;
        if (IsPngCommentChunk(c) && PngChunkCrcMatches(c)) {
            found = true;
            break;
        }
        pos = c.next;
    }
    const bool newText = text && *text;
    if (!newText && !found) return kCodecOk; // nothing to do: the caller leaves the file alone

    size_t before = static_cast<size_t>(pos - data);
    out->reserve(size + 4200);
    out->append(reinterpret_cast<const char*>(data), before);
    if (newText) AppendPngCommentChunk(text, out);
    const uint8_t* rest = found ? c.next : pos;
    out->append(reinterpret_cast<const char*>(rest), static_cast<size_t>(end - rest));
    change->delta = found ? (newText ? 0 : -1) : 1;
    change->wrote = true;
    return kCodecOk;
}

CodecStatus ReplacePngComment(const wchar_t* source, const wchar_t* target, const char* text,
                              PngCommentChange* change) {
    *change = PngCommentChange{};
    MappedFile file;
    if (!MapWholeFile(source, MapMode::ReadOnly, &file)) return kCodecCannotWrite;
    std::string bytes;
    CodecStatus status = ReplacePngCommentMemory(file.view, file.size, text, &bytes, change);
    if (status != kCodecOk || !change->wrote) return status;
    OutputFile out;
    if (!out.Create(target) || !out.Write(bytes.data(), bytes.size()) || !out.Close()) {
        *change = PngCommentChange{};
        return kCodecCannotWrite;
    }
    return kCodecOk;
}

} // namespace qv
