// The edit history: one snapshot file per step, in the temporary folder, each holding an image
// as the step left it. Undo, redo and the history window read a step back; a new edit drops the
// steps after the current one; a load, a paste and shutdown delete every file. Portable.
//
// Snapshot file, little-endian, in this order:
//   0   4     width (signed)            12  4  sourceFormat
//   4   4     height                    16  4  pending lossless rotation 0-5
//   8   4     bits per pixel, 8 or 24   20  1  1 when a SelectionMask follows the pixels
//   21  1024  palette (8 bits per pixel only)
//   then      the pixel rows as the ImageBuffer stores them (stride x height)
//   then      width x height mask bytes (flag 1 only)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/edit_position.h"
#include "model/image_buffer.h"
#include "platform/platform.h"

namespace qv {

constexpr uint32_t kSnapshotHeaderBytes = 21;
constexpr uint32_t kSnapshotPaletteBytes = 1024;

struct SnapshotHeader {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    uint32_t sourceFormat = 0;
    int32_t pendingRotation = 0;
    bool hasMask = false;
};

void EncodeSnapshotHeader(const SnapshotHeader& header, uint8_t* out);
// False for bytes no snapshot of this program holds: a size below 1, a depth other than 8 or 24,
// a rotation code or format outside their tables, a mask flag other than 0 or 1, or pixels and
// mask beyond 32 bits.
bool DecodeSnapshotHeader(const uint8_t* in, SnapshotHeader* header);
// The bytes after the header that `header` announces (palette, pixels, mask).
uint64_t SnapshotPayloadBytes(const SnapshotHeader& header);

// Writes `image` (8 or 24 bits) with the pending rotation and the mask (null: none) to `path`.
// False when the file cannot be created or written in full.
bool WriteSnapshotFile(const std::wstring& path, const ImageBuffer& image, int32_t pendingRotation,
                       const uint8_t* mask);

// A snapshot read back: its image as the restore step builds it, its mask (null when it had none
// or there was no memory for it) and its pending rotation.
struct RestoredSnapshot {
    ImageBuffer image{};
    LargeBlock mask;
    SnapshotHeader header;
    RestoredSnapshot() = default;
    RestoredSnapshot(const RestoredSnapshot&) = delete;
    RestoredSnapshot& operator=(const RestoredSnapshot&) = delete;
    ~RestoredSnapshot() { FreeImagePixels(&image); }
};

enum class SnapshotStatus { Ok, Unreadable, NoMemory };

// Reads a snapshot into `out`: the header of the image is built from the snapshot with the
// resolution of `current`; fileSize is that of an uncompressed BMP file. Unreadable for a missing,
// short or malformed file; NoMemory when the pixel block cannot be had. `out` holds no pixels
// unless the result is Ok.
SnapshotStatus ReadSnapshotFile(const std::wstring& path, const ImageBuffer& current, RestoredSnapshot* out);
SnapshotStatus ReadSnapshotBytes(const uint8_t* bytes, size_t length, const ImageBuffer& current,
                                 RestoredSnapshot* out);

// The steps themselves: each node's file and its label as the history window lists it.
struct HistoryNode {
    std::wstring path;
    std::wstring label;
};

struct EditHistory {
    std::vector<HistoryNode> nodes;
    std::wstring folder; // where snapshot files go; empty: the system temporary folder
};

// Writes a snapshot into a new temporary file (prefix "tmp") of the history's folder. False when
// the file cannot be created or written; nothing is left behind then.
bool WriteNewSnapshot(const EditHistory& history, const ImageBuffer& image, int32_t pendingRotation,
                      const uint8_t* mask, std::wstring* path);

// Drops the steps after the current position: their files are deleted.
void DropRedoSteps(EditHistory* history, EditPosition* position);
// Appends a written snapshot as the new current step, after the redo part has been dropped.
void AppendHistoryStep(EditHistory* history, EditPosition* position, std::wstring path, std::wstring label);

// Deletes every snapshot file of the history and forgets the steps; the position starts again
// with the image counting as saved. Loading, pasting and shutdown call it.
void ClearEditHistory(EditHistory* history, EditPosition* position);

} // namespace qv
