// Placeholder until the PNG decoder exists: every PNG file fails to load like a damaged one.
#include "codecs/decoders.h"

namespace qv {

bool ReadPngMemory(const uint8_t*, uint32_t, const LoadOptions&, ImageBuffer* target, LoadInfo*, CodecStatus* status) {
    FreeImagePixels(target);
    *status = kCodecBadData;
    return false;
}

} // namespace qv
