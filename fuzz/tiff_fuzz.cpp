// Feeds arbitrary bytes to the TIFF reader. A decoded image must obey the buffer rules, and every
// byte of its pixel block must be readable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codecs/decoders.h"
#include "fuzz_image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    // an exact copy, so that a read one byte past the input is caught
    std::vector<uint8_t> bytes(data, data + size);
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    bool ok = qv::ReadTiffMemory(bytes.data(), static_cast<uint32_t>(size), &image, &info, &status);
    if (ok != (status == qv::kCodecOk)) std::abort();
    qvfuzz::CheckDecodeResult(ok, status, &image);
    return 0;
}
