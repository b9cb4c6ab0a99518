// Placeholder until colour reduction exists: every conversion fails, so the TIFF writer refuses
// its 1-, 4- and grey or reduced 8-bit forms with 50006. Removed when the real converter arrives.
#include "codecs/depth_converter.h"

namespace qv {

bool ConfigureDepthConverter(DepthConverter*, int32_t, int32_t, uint32_t, uint32_t, bool) {
    return false;
}
bool ConvertDepth(DepthConverter*, const RGBQUAD*, const uint8_t*, RGBQUAD*, uint8_t*) {
    return false;
}
bool ConvertForGif(DepthConverter*, const RGBQUAD*, const uint8_t*, RGBQUAD*, uint8_t*) {
    return false;
}
bool ToGrey(const DepthConverter&, const RGBQUAD*, const uint8_t*, uint8_t*) {
    return false;
}

} // namespace qv
