// Placeholder until the GIF decoder exists: every GIF file fails to load like a damaged one.
#include "codecs/decoders.h"

namespace qv {

bool ReadGifMemory(const uint8_t*, uint32_t, const LoadOptions&, bool, ImageBuffer* target, LoadInfo*,
                   CodecStatus* status) {
    FreeImagePixels(target);
    *status = kCodecBadData;
    return false;
}

} // namespace qv
