#include "codecs/whole_deflate.h"

#include <libdeflate.h>

namespace qv {

namespace {

// The decompressor holds only tables (about 10 KB), so one per call costs next to nothing
// against a stream of megabytes and keeps the calls free of shared state.
struct Decompressor {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    ~Decompressor() {
        if (d) libdeflate_free_decompressor(d);
    }
};

struct Compressor {
    libdeflate_compressor* c;
    explicit Compressor(int level) : c(libdeflate_alloc_compressor(level)) {}
    ~Compressor() {
        if (c) libdeflate_free_compressor(c);
    }
};

} // namespace

bool InflateWholeZlib(const uint8_t* in, size_t inBytes, uint8_t* out, size_t outBytes) {
    Decompressor d;
    // A null "actual size" makes libdeflate insist on exactly outBytes.
    return d.d && libdeflate_zlib_decompress(d.d, in, inBytes, out, outBytes, nullptr) == LIBDEFLATE_SUCCESS;
}

bool InflateWholeRaw(const uint8_t* in, size_t inBytes, uint8_t* out, size_t outBytes) {
    Decompressor d;
    return d.d && libdeflate_deflate_decompress(d.d, in, inBytes, out, outBytes, nullptr) == LIBDEFLATE_SUCCESS;
}

size_t DeflateWholeZlibBound(size_t inBytes) {
    // The bound does not depend on the level; a null compressor asks for the worst of them.
    return libdeflate_zlib_compress_bound(nullptr, inBytes);
}

size_t DeflateWholeZlib(int level, const uint8_t* in, size_t inBytes, uint8_t* out, size_t outCapacity) {
    if (level < 0 || level > 12) return 0;
    Compressor c(level);
    if (!c.c) return 0;
    return libdeflate_zlib_compress(c.c, in, inBytes, out, outCapacity);
}

} // namespace qv
