// Placeholder until the colour reduction exists: every conversion that needs it is refused, so
// the writers report 50006 for those forms.
#include "codecs/depth_converter.h"

namespace qv {

bool ConfigureDepthConverter(DepthConverter* converter, int32_t width, int32_t height, uint32_t sourceDepth,
                             uint32_t targetDepth, bool dither) {
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
