// CodecStatus: the result every decoder and encoder keeps in its context. Each failure value is
// also the number of the language module's message for it (50011-50024 are shown after 50007).
#pragma once

#include <cstdint>

namespace qv {

enum CodecStatus : uint32_t {
    kCodecOk = 50000,
    kCodecOutOfMemory = 50001,
    kCodecNotSupported = 50002, // zero or negative size, beyond 32-bit limits, unsupported depth/compression
    kCodecCommentNotRewritable = 50003,
    kCodecCannotOpen = 50004, // cannot open or map, 4 GiB or more, data ends early
    kCodecCannotWrite = 50005,
    kCodecCannotConvert = 50006,
    kCodecBadData = 50007, // not the expected format, or damaged
    kCodecInflateFailed = 50009,
    kCodecDeflateFailed = 50010,
    kPngCrcMismatch = 50011,
    kPngLengthTopBit = 50012,
    kPngHeaderNot13 = 50013,
    kPngFirstNotIhdr = 50014,
    kPngBadColourType = 50016,
    kPngBadBitDepth = 50017,
    kPngBadCompression = 50018,
    kPngBadFilterMethod = 50019,
    kPngBadInterlace = 50020,
    kPngChunkOrder = 50022,
    kPngNoImageData = 50023,
    kPngIdatDamaged = 50024,
};

// English text of a status, for quorvel-cli and test messages (the program itself shows the
// language module's strings).
const char* CodecStatusText(uint32_t status);

} // namespace qv
