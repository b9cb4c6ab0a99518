// The marker walk, orientation, image-size patch and thumbnail of the EXIF block.
#include <cstring>

#include "codecs/exif.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {
constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kTagOrientation = 274;
constexpr uint16_t kTagExifIfd = 34665;
constexpr uint16_t kTagPixelX = 40962;
constexpr uint16_t kTagPixelY = 40963;
constexpr uint16_t kTagThumbOffset = 513;
constexpr uint16_t kTagThumbLength = 514;
constexpr uint32_t kThumbnailRoom = 65527; // 65535 less the length field and the 6-byte header

bool IsStandalone(uint8_t code) {
    return code == 0x01 || (code >= 0xD0 && code <= 0xD7);
}

// Positions `block` on an APP1 payload starting with the EXIF header.
bool ReadExifPayload(const uint8_t* payload, uint32_t length, ExifBlock* block) {
    if (length < 6 + 8 || std::memcmp(payload, kExifHeader, 6) != 0) return false;
    block->tiff.base = payload + 6;
    block->tiff.size = length - 6;
    block->tiff.littleEndian = payload[6] == 'I' && payload[7] == 'I';
    block->tiff.Read32(4, &block->ifd0);
    return true;
}

// Offset of IFD0's entry for `tag`, 0 when there is none.
uint32_t FindIfd0Entry(const ExifBlock& block, uint16_t tag) {
    uint32_t found = 0;
    WalkIfd(
        block.tiff, block.ifd0,
        [&](const IfdEntry& e) {
            if (e.tag != tag) return true;
            found = e.entryOffset;
            return false;
        },
        nullptr);
    return found;
}
} // namespace

bool TiffView::Read16(uint32_t offset, uint16_t* value) const {
    if (!Inside(offset, 2)) return false;
    *value = littleEndian ? ReadLE16(base + offset) : ReadBE16(base + offset);
    return true;
}

bool TiffView::Read32(uint32_t offset, uint32_t* value) const {
    if (!Inside(offset, 4)) return false;
    *value = littleEndian ? ReadLE32(base + offset) : ReadBE32(base + offset);
    return true;
}

uint32_t TiffTypeSize(uint16_t type) {
    switch (type) {
    case 1:
    case 2:
    case 6:
    case 7: return 1;
    case 3:
    case 8: return 2;
    case 4:
    case 9:
    case 11: return 4;
    case 5:
    case 10:
    case 12: return 8;
    default: return 0;
    }
}

MarkerWalkResult WalkJpegMarkers(const uint8_t* data, uint32_t size, bool stopAfterExif) {
    MarkerWalkResult r;
    uint32_t pos = 0;
    while (pos < size) {
        while (pos < size && data[pos] != 0xFF)
            ++pos;
        while (pos < size && data[pos] == 0xFF)
            ++pos;
        if (pos >= size) break;
        uint8_t code = data[pos++];
        if (code == 0xD8 || code == 0x00 || IsStandalone(code)) continue;
        if (code == 0xD9 || code == 0xDA) break;
        if (size - pos < 2) {
            if (code != 0xE1) r.status = kCodecCannotOpen;
            break;
        }
        uint32_t length = ReadBE16(data + pos);
        if (length < 2 || length > size - pos) {
            if (code != 0xE1) r.status = kCodecCannotOpen;
            break;
        }
        if (code == 0xE1 && !r.exif.found && ReadExifPayload(data + pos + 2, length - 2, &r.exif)) {
            r.exif.found = true;
            r.exif.segmentOffset = pos - 2;
            r.exif.segmentLength = length;
            r.exif.payloadOffset = pos + 2;
            if (stopAfterExif) break;
        } else if (code == 0xFE) {
            ++r.commentCount;
        }
        pos += length;
    }
    return r;
}

int32_t ReadExifOrientation(const uint8_t* data, uint32_t size) {
    MarkerWalkResult walk = WalkJpegMarkers(data, size, true);
    if (!walk.exif.found) return 1;
    uint32_t entry = FindIfd0Entry(walk.exif, kTagOrientation);
    uint16_t value = 0;
    if (!entry || !walk.exif.tiff.Read16(entry + 8, &value)) return 1;
    // The mirrored orientations (2, 4, 5, 7) are shown as stored.
    return value == 3 || value == 6 || value == 8 ? value : 1;
}

bool ResetExifOrientationPayload(uint8_t* payload, uint32_t length) {
    ExifBlock block;
    if (!ReadExifPayload(payload, length, &block)) return false;
    uint32_t entry = FindIfd0Entry(block, kTagOrientation);
    if (!entry || !block.tiff.Inside(entry + 8, 2)) return false;
    payload[6 + entry + (block.tiff.littleEndian ? 8 : 9)] = 1;
    return true;
}

bool ResetExifOrientation(uint8_t* data, uint32_t size) {
    MarkerWalkResult walk = WalkJpegMarkers(data, size, true);
    if (!walk.exif.found) return false;
    return ResetExifOrientationPayload(data + walk.exif.payloadOffset, walk.exif.segmentLength - 2);
}

bool CopyExifForSave(const uint8_t* data, uint32_t size, std::vector<uint8_t>* payload) {
    payload->clear();
    MarkerWalkResult walk = WalkJpegMarkers(data, size, true);
    if (!walk.exif.found) return false;
    uint32_t length = walk.exif.segmentLength - 2;
    if (length > kExifMaxPayload) length = kExifMaxPayload;
    payload->assign(data + walk.exif.payloadOffset, data + walk.exif.payloadOffset + length);
    ResetExifOrientationPayload(payload->data(), length);
    return true;
}

bool PatchExifImageSize(uint8_t* tiff, uint32_t length, uint32_t width, uint32_t height) {
    if (length < 12) return false;
    TiffView view{tiff, length, true};
    if (tiff[0] == 'I' && tiff[1] == 'I')
        view.littleEndian = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        view.littleEndian = false;
    else
        return false;
    uint16_t magic = 0;
    uint32_t ifd0 = 0;
    if (!view.Read16(2, &magic) || magic != 42 || !view.Read32(4, &ifd0) || (ifd0 >> 16) != 0) return false;
    uint32_t exifIfd = 0;
    bool havePointer = false;
    WalkIfd(
        view, ifd0,
        [&](const IfdEntry& e) {
            if (e.tag != kTagExifIfd) return true;
            havePointer = view.Read32(e.entryOffset + 8, &exifIfd);
            return false;
        },
        nullptr);
    // A pointer with a non-zero upper half is not trusted: the block is copied unchanged.
    if (!havePointer || (exifIfd >> 16) != 0) return false;
    bool patched = false;
    auto put16 = [&](uint32_t off, uint16_t v) {
        if (view.littleEndian)
            WriteLE16(tiff + off, v);
        else
            tiff[off] = static_cast<uint8_t>(v >> 8), tiff[off + 1] = static_cast<uint8_t>(v);
    };
    auto put32 = [&](uint32_t off, uint32_t v) {
        if (view.littleEndian)
            WriteLE32(tiff + off, v);
        else
            WriteBE32(tiff + off, v);
    };
    WalkIfd(
        view, exifIfd,
        [&](const IfdEntry& e) {
            if (e.tag == kTagPixelX || e.tag == kTagPixelY) {
                put16(e.entryOffset + 2, 4);
                put32(e.entryOffset + 4, 1);
                put32(e.entryOffset + 8, e.tag == kTagPixelX ? width : height);
                patched = true;
            }
            return true;
        },
        nullptr);
    return patched;
}

bool FindExifThumbnail(const uint8_t* data, uint32_t size, ExifThumbnail* thumbnail, CodecStatus* status) {
    *thumbnail = ExifThumbnail();
    MarkerWalkResult walk = WalkJpegMarkers(data, size, true);
    if (!walk.exif.found) {
        if (status && walk.status != kCodecOk) *status = walk.status;
        return false;
    }
    const TiffView& tiff = walk.exif.tiff;
    uint32_t ifd1 = 0;
    WalkIfd(
        tiff, walk.exif.ifd0, [](const IfdEntry&) { return true; }, &ifd1);
    if (ifd1 == 0) return false;
    uint32_t offset = 0, length = 0, lengthValue = 0;
    bool haveOffset = false;
    WalkIfd(
        tiff, ifd1,
        [&](const IfdEntry& e) {
            if (e.tag == kTagThumbOffset) haveOffset = tiff.Read32(e.entryOffset + 8, &offset);
            if (e.tag == kTagThumbLength && tiff.Read32(e.entryOffset + 8, &length)) lengthValue = e.entryOffset + 8;
            return true;
        },
        nullptr);
    if (!haveOffset || lengthValue == 0 || offset >= kThumbnailRoom) return false;
    uint32_t copyLength = walk.exif.segmentLength - 2;
    if (copyLength > kExifMaxPayload) copyLength = kExifMaxPayload;
    // The thumbnail must lie inside the copied payload.
    if (!RangeInside(6ull + offset, length, copyLength)) return false;
    thumbnail->app1.assign(data + walk.exif.payloadOffset, data + walk.exif.payloadOffset + copyLength);
    thumbnail->offset = offset;
    thumbnail->length = length;
    thumbnail->lengthValueOffset = lengthValue;
    thumbnail->freeRoom = kThumbnailRoom - offset;
    thumbnail->littleEndian = tiff.littleEndian;

    // The thumbnail's own frame header gives its size.
    const uint8_t* t = thumbnail->app1.data() + 6 + offset;
    uint32_t pos = 0;
    while (pos < length) {
        while (pos < length && t[pos] != 0xFF)
            ++pos;
        while (pos < length && t[pos] == 0xFF)
            ++pos;
        if (pos >= length) break;
        uint8_t code = t[pos++];
        if (code == 0xD8 || code == 0x00 || IsStandalone(code)) continue;
        if (code == 0xD9 || code == 0xDA) break;
        if (length - pos < 2) break;
        uint32_t segLength = ReadBE16(t + pos);
        if (segLength < 2 || segLength > length - pos) {
            if (status) *status = kCodecCannotOpen;
            break;
        }
        if ((code == 0xC0 || code == 0xC1 || code == 0xC2) && segLength >= 7) {
            thumbnail->height = ReadBE16(t + pos + 3);
            thumbnail->width = ReadBE16(t + pos + 5);
            break;
        }
        pos += segLength;
    }
    return true;
}

bool FindExifThumbnailInFile(const wchar_t* path, ExifThumbnail* thumbnail, CodecStatus* status) {
    MappedFile file;
    if (!MapWholeFile(path, MapMode::ReadOnly, &file)) {
        if (status) *status = kCodecCannotOpen;
        return false;
    }
    return FindExifThumbnail(file.view, file.size, thumbnail, status);
}

bool ReplaceExifThumbnailMemory(const std::string& file, const ExifThumbnail& thumbnail, const uint8_t* jpeg,
                                uint32_t jpegLength, std::string* out) {
    if (jpegLength > thumbnail.freeRoom || thumbnail.app1.size() < 6 + static_cast<size_t>(thumbnail.offset))
        return false;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(file.data());
    MarkerWalkResult walk = WalkJpegMarkers(data, static_cast<uint32_t>(file.size()), true);
    if (!walk.exif.found) return false;
    std::vector<uint8_t> segment(thumbnail.app1.begin(), thumbnail.app1.begin() + 6 + thumbnail.offset);
    if (!RangeInside(6ull + thumbnail.lengthValueOffset, 4, segment.size())) return false;
    uint8_t* lengthField = segment.data() + 6 + thumbnail.lengthValueOffset;
    if (thumbnail.littleEndian)
        WriteLE32(lengthField, jpegLength);
    else
        WriteBE32(lengthField, jpegLength);
    segment.insert(segment.end(), jpeg, jpeg + jpegLength);
    uint32_t newLength = static_cast<uint32_t>(segment.size()) + 2;
    out->assign(file, 0, walk.exif.segmentOffset + 2);
    out->push_back(static_cast<char>(newLength >> 8));
    out->push_back(static_cast<char>(newLength));
    out->append(reinterpret_cast<const char*>(segment.data()), segment.size());
    out->append(file, walk.exif.segmentOffset + 2 + walk.exif.segmentLength, std::string::npos);
    return true;
}

ThumbnailRewrite ReplaceExifThumbnailInFile(const wchar_t* path, const ExifThumbnail& thumbnail, const uint8_t* jpeg,
                                            uint32_t jpegLength) {
    std::string file, rewritten;
    if (!ReadWholeFile(path, &file) || !ReplaceExifThumbnailMemory(file, thumbnail, jpeg, jpegLength, &rewritten))
        return ThumbnailRewrite::Unchanged;
    OutputFile out;
    bool written = out.Create(path) && out.Write(rewritten.data(), rewritten.size());
    written = out.Close() && written;
    return written ? ThumbnailRewrite::Rewritten : ThumbnailRewrite::Failed;
}

} // namespace qv
