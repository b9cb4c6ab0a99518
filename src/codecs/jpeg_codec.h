// JPEG codec on libjpeg-turbo (libjpeg 8 interface): decoding into an ImageBuffer, encoding to a
// file or a memory block, the size-limited encoding, the lossless transformations on DCT
// coefficients, and reading and rewriting the COM comment. The library's fatal errors return to a
// recovery point inside each call; its message is kept in the context for the caller to show.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/exif.h"
#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "model/load_types.h"

namespace qv {

// Refusal limits against hostile files: beyond them a decode or transformation fails with 50002
// instead of exhausting memory or time. A few hundred megapixels covers every camera; a
// progressive file needs about ten scans, so a thousand is a damaged or malicious one.
constexpr uint64_t kJpegMaxPixels = 400ull * 1000 * 1000;
constexpr int kJpegMaxScans = 1000;
// What the library may allocate in one call (whole-image coefficient arrays of progressive files).
// (`long` is 32 bits on Windows, where the cap is then just under 2 GiB.)
constexpr long kJpegMaxLibraryMemory =
    static_cast<long>((3ll << 30) < LONG_MAX ? (3ll << 30) : static_cast<long long>(LONG_MAX));
// What a lossless transformation may hold in coefficients at once (the source's and, for a turn
// or a trim, the copy it builds): no more than the decoder's block for the largest picture it
// opens, so that a short file declaring a huge picture cannot make a turn take more memory than
// opening it could.
constexpr uint64_t kJpegMaxCoefficientBytes = kJpegMaxPixels * 3;

constexpr uint32_t kJpegMessageChars = 200;
constexpr uint32_t kJpegMaxCommentBytes = 4095;
constexpr uint32_t kJpegFileBufferBytes = 1 << 20;

// Per-call record: the outcome of a call and what it learnt.
struct JpegContext {
    CodecStatus status = kCodecOk;
    wchar_t libraryMessage[kJpegMessageChars + 1] = {}; // the library's text of the last fatal error

    // decoder facts
    bool grey = false;
    bool progressive = false;
    bool exifFound = false;
    uint32_t exifLength = 0; // the APP1 length field (its 2 bytes included)
    int32_t commentCount = 0;
    int32_t orientation = 1;
    uint32_t width = 0, height = 0; // decoded size, or the output size of a transformation

    uint32_t bytesUsed = 0;   // encoding to memory, transformation to memory
    int32_t finalQuality = 0; // the quality of the encoding that the size-limited search kept
};

// Decode a whole JPEG in memory. `target` is filled (its old pixels are freed first); on failure it
// holds no pixels and ctx->status says why (50007 for a fatal library error, with its message).
bool DecodeJpeg(const uint8_t* data, uint32_t size, ImageBuffer* target, JpegContext* ctx);

// The path form: the file is read through a read-only mapping; fileTime comes from the file.
bool ReadJpegFile(const wchar_t* path, ImageBuffer* target, LoadInfo* info, CodecStatus* status);

enum JpegSampling : int32_t { kSampling2x2 = 0, kSampling2x1 = 1, kSampling1x1 = 2 };

struct JpegEncodeOptions {
    int32_t quality = 75; // 1-100, values outside are clamped
    int32_t sampling = kSampling2x2;
    bool grey = false;
    bool progressive = false;
    int32_t xPelsPerMeter = 0, yPelsPerMeter = 0; // written only when both are non-zero
    std::string comment;                          // ANSI bytes for a COM marker (at most 4095 used)
    // APP1 payload ("Exif", two zero bytes, TIFF structure) to write instead of a JFIF header; the
    // encoder patches the image size in its own copy.
    std::vector<uint8_t> exif;
};

bool WriteJpegFile(const ImageBuffer& image, const wchar_t* path, const JpegEncodeOptions& options, JpegContext* ctx);
// Into [block, block + capacity); ctx->bytesUsed tells how much was written. Running out of room fails.
bool WriteJpegMemory(const ImageBuffer& image, const JpegEncodeOptions& options, uint8_t* block, uint32_t capacity,
                     JpegContext* ctx);
// Searches the quality downwards from options.quality until the result fits in `limitBytes`, then
// writes the last encoding made in one piece (when even quality 1 is too large, that one).
bool WriteJpegMemoryLimited(const ImageBuffer& image, const JpegEncodeOptions& options, uint32_t limitBytes,
                            std::vector<uint8_t>* out, JpegContext* ctx);
bool WriteJpegFileLimited(const ImageBuffer& image, const wchar_t* path, const JpegEncodeOptions& options,
                          uint32_t limitKiB, JpegContext* ctx);

// The size of the EXIF thumbnail of a w x h picture: the longer side 160 and the shorter one
// scaled to it (half up, at least 1). False when neither side exceeds 160: the picture itself is
// the thumbnail.
bool ExifThumbnailSize(uint32_t w, uint32_t h, uint32_t* thumbWidth, uint32_t* thumbHeight);

// After a re-encoding save with the EXIF block copied: replaces the file's EXIF thumbnail by
// `thumbnail`, already of ExifThumbnailSize (quality 80, searched down to fit the room in the
// segment). The save pipeline scales the saved image for it. Unchanged when the file has no
// thumbnail or the new one does not fit (the file then stays); Failed when rewriting the file
// failed and may have cut it short.
ThumbnailRewrite ReplaceExifThumbnailPicture(const wchar_t* path, const ImageBuffer& thumbnail, bool grey);

// ---- lossless transformation ---------------------------------------------------------------
enum JpegTransform : int32_t {
    kTransformNone = 0,
    kTransformFlipH = 1,
    kTransformFlipV = 2,
    kTransformTurn90 = 3, // clockwise
    kTransformTurn180 = 4,
    kTransformTurn270 = 5, // 90 degrees counter-clockwise
};
enum JpegMarkerCopy : int32_t { kCopyNone = 0, kCopyComments = 1, kCopyAll = 2 };

struct JpegTransformOptions {
    int32_t transform = kTransformNone;
    int32_t markerCopy = kCopyNone;
    bool resetOrientation = false; // effective with kCopyAll and a transform
    bool trim = false;
    bool forceGrey = false;
    bool progressive = false;
};

// `data` is a private copy of the source (the orientation reset patches it). Exactly one of
// `outputPath` and `outBlock` is used; a memory output fails when it does not fit in `capacity`.
bool TransformJpeg(uint8_t* data, uint32_t size, const JpegTransformOptions& options, const wchar_t* outputPath,
                   uint8_t* outBlock, uint32_t capacity, JpegContext* ctx);

// From one file to another: the source is read through a copy-on-write mapping (the orientation
// reset never touches it); with all markers copied the EXIF thumbnail is turned the same way.
bool TransformJpegFile(const wchar_t* sourcePath, const wchar_t* outputPath, const JpegTransformOptions& options,
                       JpegContext* ctx);

// The transform a pending lossless rotation code stands for (1 turn 90, 2 turn 180, 3 turn 270,
// 4 flip horizontal, 5 flip vertical), kTransformNone for any other code.
int32_t TransformForPendingRotation(int32_t code);
// Options of the lossless save: the orientation is reset only when all markers are copied and the
// picture is actually turned or flipped.
JpegTransformOptions LosslessSaveOptions(int32_t pendingRotation, bool trim, int32_t markerCopy, bool progressive,
                                         bool forceGrey);

// ---- comments --------------------------------------------------------------------------------
// The first COM segment before the first scan, ESC bytes dropped and a CR put before every lone LF
// (at most 4095 bytes); empty when there is none.
std::string ReadJpegCommentMemory(const uint8_t* data, uint32_t size);
bool ReadJpegComment(const wchar_t* path, std::string* text);
// Writes `source` with its first comment replaced by `text` (CR bytes dropped; an empty text
// removes it) to `outputPath`. `*change` is +1 added, 0 replaced, -1 removed. When there is nothing
// to do (empty text, no comment) nothing is written, `*wrote` is false and the call succeeds.
bool RewriteJpegComment(const wchar_t* sourcePath, const wchar_t* outputPath, const std::string& text, int32_t* change,
                        bool* wrote, CodecStatus* status);
bool RewriteJpegCommentMemory(const uint8_t* data, uint32_t size, const std::string& text, std::vector<uint8_t>* out,
                              int32_t* change, bool* wrote, CodecStatus* status);

} // namespace qv
