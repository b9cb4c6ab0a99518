// EXIF inside JPEG: the marker walk that finds the APP1 "Exif" block, bounds-checked readers for
// its TIFF structure, the orientation, the image-size patch, the thumbnail of IFD1 and the image
// information record. Everything works on bytes in memory and never reads outside them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/codec_status.h"

namespace qv {

constexpr uint32_t kExifMaxPayload = 65533; // an APP1 payload: 65535 less the length field

// A TIFF structure inside an APP1 payload: every read is checked against `size`.
struct TiffView {
    const uint8_t* base = nullptr; // the TIFF header ("II" or "MM")
    uint32_t size = 0;             // bytes from the header to the end of the segment
    bool littleEndian = true;

    bool Read16(uint32_t offset, uint16_t* value) const;
    bool Read32(uint32_t offset, uint32_t* value) const;
    bool Inside(uint32_t offset, uint64_t length) const { return offset <= size && length <= size - offset; }
};

// One IFD entry, its value located: `valueOffset` is where `count` values of `type` start.
struct IfdEntry {
    uint32_t entryOffset = 0; // of the 12-byte entry
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t valueOffset = 0;
    bool valueInside = false; // false when the value lies (partly) outside the data
};

uint32_t TiffTypeSize(uint16_t type); // 0 for unknown types

// Calls `visit` for each entry of the IFD at `ifdOffset`; stops at the count or when fewer than 12
// bytes remain. Returns the next-IFD offset through `nextIfd` when it can be read (else 0).
template <typename Visit> bool WalkIfd(const TiffView& tiff, uint32_t ifdOffset, Visit&& visit, uint32_t* nextIfd);

// Where the marker walk met the EXIF block.
struct ExifBlock {
    bool found = false;
    uint32_t segmentOffset = 0; // of the FF E1 marker
    uint32_t segmentLength = 0; // the length field (its 2 bytes included)
    uint32_t payloadOffset = 0; // of "Exif\0\0"
    TiffView tiff;
    uint32_t ifd0 = 0; // IFD0 offset from the TIFF header
};

struct MarkerWalkResult {
    ExifBlock exif;
    int32_t commentCount = 0;
    CodecStatus status = kCodecOk; // 50004 when a segment length was bad
};

// Walks the markers from the start up to SOS or EOI (or, with `stopAfterExif`, up to the end of the
// first EXIF block) and finds the first EXIF APP1 and counts COM segments.
MarkerWalkResult WalkJpegMarkers(const uint8_t* data, uint32_t size, bool stopAfterExif);

// IFD0 orientation: 1, 3, 6 or 8; every other value, no tag or no EXIF reads as 1.
int32_t ReadExifOrientation(const uint8_t* data, uint32_t size);
// Sets the IFD0 orientation's low byte to 1 in a private copy of the file. True when a tag was met.
bool ResetExifOrientation(uint8_t* data, uint32_t size);
// The same on an APP1 payload that starts with "Exif\0\0".
bool ResetExifOrientationPayload(uint8_t* payload, uint32_t length);

// Copy of the EXIF payload of a JPEG for an encoder ("Exif" header on, at most 65533 bytes), with
// its orientation set to 1. False when the file has no EXIF block.
bool CopyExifForSave(const uint8_t* data, uint32_t size, std::vector<uint8_t>* payload);

// Rewrites PixelXDimension and PixelYDimension of the EXIF IFD. `tiff` points after the 6-byte
// "Exif" header. Left alone when the structure is not as expected (e.g. an EXIF IFD pointer with
// a non-zero upper half). True when it patched something.
bool PatchExifImageSize(uint8_t* tiff, uint32_t length, uint32_t width, uint32_t height);

// ---- thumbnail ------------------------------------------------------------------------------
struct ExifThumbnail {
    std::vector<uint8_t> app1;      // the APP1 payload from "Exif" on, at most 65533 bytes
    uint32_t offset = 0;            // thumbnail offset from the TIFF header
    uint32_t length = 0;            // its JPEGInterchangeFormatLength
    uint32_t lengthValueOffset = 0; // where that length value stands, from the TIFF header
    uint32_t freeRoom = 0;          // 65527 - offset
    uint32_t width = 0, height = 0; // from the thumbnail's own frame header
    bool littleEndian = true;
};

// False when there is no EXIF block, no IFD1 or no thumbnail inside the copied payload.
bool FindExifThumbnail(const uint8_t* data, uint32_t size, ExifThumbnail* thumbnail, CodecStatus* status);
bool FindExifThumbnailInFile(const wchar_t* path, ExifThumbnail* thumbnail, CodecStatus* status);
// Puts `jpeg` as the new thumbnail into the first EXIF APP1 of the file bytes and returns the new
// file bytes. False when it would not fit in the segment or the file has no EXIF block.
bool ReplaceExifThumbnailMemory(const std::string& file, const ExifThumbnail& thumbnail, const uint8_t* jpeg,
                                uint32_t jpegLength, std::string* out);
// What rewriting a file with a new thumbnail came to. Failed means the file was being written when
// it failed and may be cut short: the caller must not take it for a good file.
enum class ThumbnailRewrite { Rewritten, Unchanged, Failed };
ThumbnailRewrite ReplaceExifThumbnailInFile(const wchar_t* path, const ExifThumbnail& thumbnail, const uint8_t* jpeg,
                                            uint32_t jpegLength);

// ---- image information ------------------------------------------------------------------------
constexpr int kExifInfoItems = 62;
constexpr uint32_t kExifLabelBase = 51000; // item i's label is string 51000 + i

struct ExifInfoItem {
    bool present = false;
    std::wstring value;
};
struct ExifInfo {
    ExifInfoItem items[kExifInfoItems];
};

// Texts of the value strings (50199-50461): the program passes the language module's; null
// gives the built-in English ones.
using ExifStringLookup = std::wstring (*)(uint32_t id);
std::wstring ExifEnglishString(uint32_t id);

// Fills the record. False when there is no EXIF block or IFD0 has no EXIF IFD pointer (34665);
// items found until then stay in `info` but are not to be shown.
bool ReadExifInfo(const uint8_t* data, uint32_t size, ExifInfo* info, ExifStringLookup lookup);

// ---- template definition -----------------------------------------------------------------------
template <typename Visit> bool WalkIfd(const TiffView& tiff, uint32_t ifdOffset, Visit&& visit, uint32_t* nextIfd) {
    if (nextIfd) *nextIfd = 0;
    uint16_t count = 0;
    if (!tiff.Read16(ifdOffset, &count)) return false;
    uint32_t pos = ifdOffset + 2;
    for (uint32_t i = 0; i < count; ++i, pos += 12) {
        if (!tiff.Inside(pos, 12)) return true;
        IfdEntry e;
        e.entryOffset = pos;
        tiff.Read16(pos, &e.tag);
        tiff.Read16(pos + 2, &e.type);
        tiff.Read32(pos + 4, &e.count);
        uint64_t bytes = static_cast<uint64_t>(TiffTypeSize(e.type)) * e.count;
        if (bytes <= 4) {
            e.valueOffset = pos + 8;
            e.valueInside = TiffTypeSize(e.type) != 0;
        } else {
            uint32_t off = 0;
            tiff.Read32(pos + 8, &off);
            e.valueOffset = off;
            e.valueInside = tiff.Inside(off, bytes);
        }
        if (!visit(e)) return true;
    }
    uint32_t next = 0;
    if (nextIfd && tiff.Read32(pos, &next)) *nextIfd = next;
    return true;
}

} // namespace qv
