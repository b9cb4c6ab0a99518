#include "model/codec_status.h"

namespace qv {

const char* CodecStatusText(uint32_t status) {
    switch (status) {
    case kCodecOk: return "no error";
    case kCodecOutOfMemory: return "out of memory";
    case kCodecNotSupported: return "image not supported";
    case kCodecCommentNotRewritable: return "the comment cannot be rewritten";
    case kCodecCannotOpen: return "file cannot be opened or read";
    case kCodecCannotWrite: return "output file cannot be created or written";
    case kCodecCannotConvert: return "the image cannot be converted to the requested form";
    case kCodecBadData: return "not a file of the expected format, or damaged data";
    case kCodecInflateFailed: return "decompression failed";
    case kCodecDeflateFailed: return "compression failed";
    case kPngCrcMismatch: return "damaged PNG: chunk CRC mismatch";
    case kPngLengthTopBit: return "damaged PNG: chunk length too large";
    case kPngHeaderNot13: return "damaged PNG: header chunk is not 13 bytes";
    case kPngFirstNotIhdr: return "damaged PNG: first chunk is not IHDR";
    case kPngBadColourType: return "damaged PNG: colour type not allowed for the bit depth";
    case kPngBadBitDepth: return "damaged PNG: bad bit depth";
    case kPngBadCompression: return "damaged PNG: unknown compression method";
    case kPngBadFilterMethod: return "damaged PNG: unknown filter method";
    case kPngBadInterlace: return "damaged PNG: unknown interlace method";
    case kPngChunkOrder: return "damaged PNG: chunk out of order";
    case kPngNoImageData: return "damaged PNG: no image data or missing palette";
    case kPngIdatDamaged: return "damaged PNG: image data chunks damaged";
    default: return "unknown error";
    }
}

} // namespace qv
