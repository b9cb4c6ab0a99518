// Feeds arbitrary bytes to the Netpbm plug-in's parser. A decoded image must have the size its
// header gives, a bit count the host accepts and a colour table for every index it can hold.
#include <cstdint>
#include <cstdlib>

#include "netpbm/netpbm_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv::NetpbmImage image;
    if (!qv::DecodeNetpbm(data, size, &image)) {
        if (!image.bits.empty()) std::abort();
        return 0;
    }
    uint64_t stride = ((uint64_t{image.width} * image.bitCount + 31) / 32) * 4;
    if (image.width == 0 || image.height == 0 || image.bits.size() != stride * image.height) std::abort();
    if (image.bitCount == 1 && image.palette.size() != 8) std::abort();
    if (image.bitCount == 8 && image.palette.size() != 1024) std::abort();
    if (image.bitCount == 24 && !image.palette.empty()) std::abort();
    return 0;
}
