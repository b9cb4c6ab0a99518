// Placeholder until the JPEG decoder exists: every JPEG file fails to load like a damaged one.
#include "codecs/decoders.h"

namespace qv {

bool ReadJpegMemory(const uint8_t*, uint32_t, ImageBuffer* target, LoadInfo*, CodecStatus* status) {
    FreeImagePixels(target);
    *status = kCodecBadData;
    return false;
}

} // namespace qv
