#include "model/grey_weights.h"

namespace qv {

namespace {
GreyWeights g_weights;
bool g_built = false;

uint8_t RoundHalfUp(double value) {
    return static_cast<uint8_t>(value + 0.5);
}
} // namespace

const GreyWeights& GetGreyWeights() {
    if (!g_built) {
        for (int i = 0; i < 256; ++i) {
            g_weights.b[i] = RoundHalfUp(0.114 * i);
            g_weights.g[i] = RoundHalfUp(0.587 * i);
            g_weights.r[i] = RoundHalfUp(0.299 * i);
        }
        g_built = true;
    }
    return g_weights;
}

} // namespace qv
