#include "image/edit_history.h"

#include <cstring>

#include "image/selection_mask.h"
#include "model/load_types.h"
#include "platform/checked_math.h"

namespace qv {

namespace {

constexpr int32_t kLastRotationCode = 5; // flipped top-bottom: the last pending rotation code
constexpr uint32_t kBmpFileOverhead = 54;

void PutLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t PixelBytes(const SnapshotHeader& h) {
    return ImageStride(static_cast<uint32_t>(h.width), static_cast<uint32_t>(h.bitsPerPixel)) *
           static_cast<uint32_t>(h.height);
}

// Where the bytes after the header come from: a file read in place, or a block in memory.
struct SnapshotSource {
    RandomAccessFile* file = nullptr;
    const uint8_t* bytes = nullptr;
    uint64_t length = 0;
    uint64_t at = 0;

    bool Read(void* data, uint32_t count) {
        if (!RangeInside(at, count, length)) return false;
        if (file) {
            uint32_t got = 0;
            if (!file->ReadAt(at, data, count, &got) || got != count) return false;
        } else {
            std::memcpy(data, bytes + at, count);
        }
        at += count;
        return true;
    }
};

SnapshotStatus ReadSnapshot(SnapshotSource* source, const ImageBuffer& current, RestoredSnapshot* out) {
    FreeImagePixels(&out->image);
    out->mask.reset();
    uint8_t head[kSnapshotHeaderBytes];
    SnapshotHeader& h = out->header;
    if (!source->Read(head, sizeof head) || !DecodeSnapshotHeader(head, &h)) return SnapshotStatus::Unreadable;
    // the whole announced payload must be there before anything is allocated for it
    if (!RangeInside(source->at, SnapshotPayloadBytes(h), source->length)) return SnapshotStatus::Unreadable;

    ImageBuffer& image = out->image;
    std::memset(&image.header, 0, sizeof image.header);
    image.header.biSize = sizeof(BITMAPINFOHEADER);
    image.header.biWidth = h.width;
    image.header.biHeight = h.height;
    image.header.biPlanes = 1;
    image.header.biBitCount = static_cast<uint16_t>(h.bitsPerPixel);
    image.header.biCompression = BI_RGB;
    image.header.biXPelsPerMeter = current.header.biXPelsPerMeter;
    image.header.biYPelsPerMeter = current.header.biYPelsPerMeter;
    std::memset(image.palette, 0, sizeof image.palette);
    if (h.bitsPerPixel == 8 && !source->Read(image.palette, kSnapshotPaletteBytes)) return SnapshotStatus::Unreadable;

    uint32_t pixelBytes = PixelBytes(h);
    CodecStatus status = kCodecOk;
    uint8_t* pixels =
        AllocPixelBlock(static_cast<uint32_t>(h.width), static_cast<uint32_t>(h.height), h.bitsPerPixel, &status);
    if (!pixels) return SnapshotStatus::NoMemory;
    if (!source->Read(pixels, pixelBytes)) {
        FreePixelBlock(pixels);
        return SnapshotStatus::Unreadable;
    }
    if (h.hasMask) {
        uint32_t maskBytes = 0;
        SelectionMaskBytes(h.width, h.height, &maskBytes); // checked by the header decode
        // without memory for it the image comes back unmasked rather than not at all
        LargeBlock mask(static_cast<uint8_t*>(AllocLargeBlock(maskBytes)));
        if (mask && !source->Read(mask.get(), maskBytes - 4)) {
            FreePixelBlock(pixels);
            return SnapshotStatus::Unreadable;
        }
        out->mask = std::move(mask);
    }
    image.pixels = pixels;
    image.sourceFormat = h.sourceFormat;
    image.sourceBitDepth = static_cast<uint32_t>(h.bitsPerPixel);
    image.fileSize = pixelBytes + (h.bitsPerPixel == 8 ? kSnapshotPaletteBytes : 0) + kBmpFileOverhead;
    image.fileTime = current.fileTime;
    return SnapshotStatus::Ok;
}

} // namespace

void EncodeSnapshotHeader(const SnapshotHeader& h, uint8_t* out) {
    PutLE32(out, static_cast<uint32_t>(h.width));
    PutLE32(out + 4, static_cast<uint32_t>(h.height));
    PutLE32(out + 8, static_cast<uint32_t>(h.bitsPerPixel));
    PutLE32(out + 12, h.sourceFormat);
    PutLE32(out + 16, static_cast<uint32_t>(h.pendingRotation));
    out[20] = h.hasMask ? 1 : 0;
}

bool DecodeSnapshotHeader(const uint8_t* in, SnapshotHeader* h) {
    h->width = static_cast<int32_t>(ReadLE32(in));
    h->height = static_cast<int32_t>(ReadLE32(in + 4));
    h->bitsPerPixel = static_cast<int32_t>(ReadLE32(in + 8));
    h->sourceFormat = ReadLE32(in + 12);
    h->pendingRotation = static_cast<int32_t>(ReadLE32(in + 16));
    h->hasMask = in[20] == 1;
    if (h->width < 1 || h->height < 1 || (h->bitsPerPixel != 8 && h->bitsPerPixel != 24)) return false;
    if (h->sourceFormat > kFormatGif || h->pendingRotation < 0 || h->pendingRotation > kLastRotationCode) return false;
    if (in[20] > 1) return false;
    uint32_t stride = 0, pixels = 0, mask = 0;
    if (!DibStride(static_cast<uint32_t>(h->width), static_cast<uint32_t>(h->bitsPerPixel), &stride) ||
        !CheckedMul32(stride, static_cast<uint32_t>(h->height), &pixels) || !CheckedAdd32(pixels, 4, &pixels))
        return false;
    return !h->hasMask || SelectionMaskBytes(h->width, h->height, &mask);
}

uint64_t SnapshotPayloadBytes(const SnapshotHeader& h) {
    uint64_t bytes = PixelBytes(h);
    if (h.bitsPerPixel == 8) bytes += kSnapshotPaletteBytes;
    if (h.hasMask) bytes += static_cast<uint64_t>(static_cast<uint32_t>(h.width)) * static_cast<uint32_t>(h.height);
    return bytes;
}

bool WriteSnapshotFile(const std::wstring& path, const ImageBuffer& image, int32_t pendingRotation,
                       const uint8_t* mask) {
    SnapshotHeader h;
    h.width = image.header.biWidth;
    h.height = image.header.biHeight;
    h.bitsPerPixel = image.header.biBitCount;
    h.sourceFormat = image.sourceFormat;
    h.pendingRotation = pendingRotation;
    h.hasMask = mask != nullptr;
    uint8_t head[kSnapshotHeaderBytes];
    EncodeSnapshotHeader(h, head);
    if (!image.pixels || !DecodeSnapshotHeader(head, &h)) return false;
    OutputFile file;
    if (!file.Create(path.c_str()) || !file.Write(head, sizeof head)) return false;
    if (h.bitsPerPixel == 8 && !file.Write(image.palette, kSnapshotPaletteBytes)) return false;
    if (!file.Write(image.pixels, PixelBytes(h))) return false;
    if (mask &&
        !file.Write(mask, static_cast<size_t>(static_cast<uint32_t>(h.width)) * static_cast<uint32_t>(h.height)))
        return false;
    return file.Close();
}

SnapshotStatus ReadSnapshotFile(const std::wstring& path, const ImageBuffer& current, RestoredSnapshot* out) {
    RandomAccessFile file;
    SnapshotSource source;
    if (!file.OpenReadShared(path.c_str()) || !file.Size(&source.length)) return SnapshotStatus::Unreadable;
    source.file = &file;
    return ReadSnapshot(&source, current, out);
}

SnapshotStatus ReadSnapshotBytes(const uint8_t* bytes, size_t length, const ImageBuffer& current,
                                 RestoredSnapshot* out) {
    SnapshotSource source;
    source.bytes = bytes;
    source.length = length;
    return ReadSnapshot(&source, current, out);
}

bool WriteNewSnapshot(const EditHistory& history, const ImageBuffer& image, int32_t pendingRotation,
                      const uint8_t* mask, std::wstring* path) {
    if (!CreateTempFile(history.folder, path)) return false;
    if (WriteSnapshotFile(*path, image, pendingRotation, mask)) return true;
    // a half-written step would read back as damaged: the name goes with it
    DeleteFilePath(path->c_str());
    path->clear();
    return false;
}

void DropRedoSteps(EditHistory* history, EditPosition* position) {
    size_t keep = static_cast<size_t>(position->current + 1);
    while (history->nodes.size() > keep) {
        DeleteFilePath(history->nodes.back().path.c_str());
        history->nodes.pop_back();
    }
    position->count = static_cast<int32_t>(history->nodes.size());
}

void AppendHistoryStep(EditHistory* history, EditPosition* position, std::wstring path, std::wstring label) {
    DropRedoSteps(history, position);
    history->nodes.push_back(HistoryNode{std::move(path), std::move(label)});
    // the first step is always the image before any edit
    if (position->count == 0)
        RecordUneditedImage(position);
    else
        RecordEdit(position);
}

void ClearEditHistory(EditHistory* history, EditPosition* position) {
    for (const HistoryNode& node : history->nodes)
        DeleteFilePath(node.path.c_str());
    history->nodes.clear();
    ResetEditPosition(position);
}

} // namespace qv
