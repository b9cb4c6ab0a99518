// Placeholder until the TIFF decoder exists: every TIFF file fails to load like a damaged one.
#include "codecs/decoders.h"

namespace qv {

bool ReadTiffMemory(const uint8_t*, uint32_t, ImageBuffer* target, LoadInfo*, CodecStatus* status) {
    FreeImagePixels(target);
    *status = kCodecBadData;
    return false;
}

} // namespace qv
