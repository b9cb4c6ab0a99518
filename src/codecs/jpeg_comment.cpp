// The JPEG comment: reading the first COM segment, and rewriting the file with a new comment
// without touching the image data.
#include "codecs/jpeg_codec.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr uint8_t kEsc = 27;

// One header segment met walking from SOI: marker code, offset of FF, total bytes.
struct Segment {
    uint8_t code = 0;
    uint32_t offset = 0;
    uint32_t bytes = 0;
};

// Steps to the next segment at `*pos`; false at SOS, EOI, the end or a damaged segment (`*damaged`).
bool NextSegment(const uint8_t* data, uint32_t size, uint32_t* pos, Segment* seg, bool* damaged) {
    *damaged = false;
    uint32_t p = *pos;
    if (p >= size || data[p] != 0xFF) {
        *damaged = p < size;
        return false;
    }
    while (p < size && data[p] == 0xFF)
        ++p;
    if (p >= size) return false;
    seg->code = data[p];
    seg->offset = *pos;
    if (seg->code == 0xDA || seg->code == 0xD9) return false;
    if (size - p - 1 < 2) {
        *damaged = true;
        return false;
    }
    uint32_t length = ReadBE16(data + p + 1);
    if (length < 2 || length > size - p - 1) {
        *damaged = true;
        return false;
    }
    *pos = p + 1 + length;
    seg->bytes = *pos - seg->offset;
    return true;
}

bool StartsWithSoi(const uint8_t* data, uint32_t size) {
    return size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}

} // namespace

std::string ReadJpegCommentMemory(const uint8_t* data, uint32_t size) {
    std::string text;
    if (!StartsWithSoi(data, size)) return text;
    uint32_t pos = 2;
    Segment seg;
    bool damaged = false;
    while (NextSegment(data, size, &pos, &seg, &damaged)) {
        if (seg.code != 0xFE) continue;
        const uint8_t* payload = data + seg.offset + 4;
        uint32_t length = seg.bytes - 4;
        // Copy the first 4095 bytes of the payload, and the result never grows beyond 4095 either.
        if (length > kJpegMaxCommentBytes) length = kJpegMaxCommentBytes;
        for (uint32_t i = 0; i < length && text.size() < kJpegMaxCommentBytes; ++i) {
            uint8_t c = payload[i];
            if (c == kEsc) continue;
            if (c == '\n' && (text.empty() || text.back() != '\r')) {
                if (text.size() + 2 > kJpegMaxCommentBytes) break;
                text.push_back('\r');
            }
            text.push_back(static_cast<char>(c));
        }
        break;
    }
    return text;
}

bool ReadJpegComment(const wchar_t* path, std::string* text) {
    MappedFile file;
    text->clear();
    if (!MapWholeFile(path, MapMode::ReadOnly, &file)) return false;
    *text = ReadJpegCommentMemory(file.view, file.size);
    return true;
}

bool RewriteJpegCommentMemory(const uint8_t* data, uint32_t size, const std::string& text, std::vector<uint8_t>* out,
                              int32_t* change, bool* wrote, CodecStatus* status) {
    *wrote = false;
    *change = 0;
    out->clear();
    if (!StartsWithSoi(data, size)) {
        *status = kCodecCannotWrite;
        return false;
    }
    uint32_t insertAt = 0, oldEnd = 0, pos = 2;
    bool haveOld = false, damaged = false;
    Segment seg;
    while (NextSegment(data, size, &pos, &seg, &damaged)) {
        if (seg.code == 0xE0 || seg.code == 0xE1) {
            insertAt = seg.offset + seg.bytes;
        } else if (seg.code == 0xFE) {
            insertAt = seg.offset;
            oldEnd = seg.offset + seg.bytes;
            haveOld = true;
            break;
        }
    }
    if (damaged || insertAt == 0) {
        *status = kCodecCannotWrite;
        return false;
    }
    std::string body;
    for (char c : text) {
        if (c != '\r' && body.size() < kJpegMaxCommentBytes) body.push_back(c);
    }
    if (body.empty() && !haveOld) return true; // nothing to do: the file stays as it is
    out->assign(data, data + insertAt);
    if (!body.empty()) {
        uint32_t length = static_cast<uint32_t>(body.size()) + 2;
        out->push_back(0xFF);
        out->push_back(0xFE);
        out->push_back(static_cast<uint8_t>(length >> 8));
        out->push_back(static_cast<uint8_t>(length));
        out->insert(out->end(), body.begin(), body.end());
    }
    uint32_t resume = haveOld ? oldEnd : insertAt;
    out->insert(out->end(), data + resume, data + size);
    *change = !haveOld ? 1 : body.empty() ? -1 : 0;
    *wrote = true;
    return true;
}

bool RewriteJpegComment(const wchar_t* sourcePath, const wchar_t* outputPath, const std::string& text, int32_t* change,
                        bool* wrote, CodecStatus* status) {
    *status = kCodecOk;
    *wrote = false;
    std::vector<uint8_t> bytes;
    {
        MappedFile file;
        if (!MapWholeFile(sourcePath, MapMode::ReadOnly, &file)) {
            *status = kCodecCannotWrite;
            return false;
        }
        if (!RewriteJpegCommentMemory(file.view, file.size, text, &bytes, change, wrote, status)) return false;
    }
    if (!*wrote) return true;
    OutputFile out;
    if (!out.Create(outputPath) || !out.Write(bytes.data(), bytes.size()) || !out.Close()) {
        out.Close();
        DeleteFilePath(outputPath);
        *status = kCodecCannotWrite;
        *wrote = false;
        return false;
    }
    return true;
}

} // namespace qv
