// Feeds arbitrary bytes to the clipboard bitmap reader. A decoded image must obey the buffer rules and every
// byte of its pixel block must be readable; a refusal must leave no pixels behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codecs/bmp_codec.h"
#include "fuzz_bmp_limits.h"
#include "fuzz_image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX || !FuzzBitmapSizeAcceptable(data, size)) return 0;
    // an exact copy, so that a read one byte past the input is caught
    std::vector<uint8_t> bytes(data, data + size);
    qv::ImageBuffer image{};
    qv::CodecStatus status = qv::kCodecOk;
    bool ok = qv::ReadDibMemory(bytes.data(), static_cast<uint32_t>(size), &image, &status);
    qvfuzz::CheckDecodeResult(ok, status, &image);
    return 0;
}
