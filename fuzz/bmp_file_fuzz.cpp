// Feeds arbitrary bytes to the BMP file reader. A decoded image must obey the buffer rules and every
// byte of its pixel block must be readable; a refusal must leave no pixels behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codecs/bmp_codec.h"
#include "codecs/decoders.h"
#include "fuzz_bmp_limits.h"
#include "fuzz_image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX || (size > 14 && !FuzzBitmapSizeAcceptable(data + 14, size - 14))) return 0;
    // an exact copy, so that a read one byte past the input is caught
    std::vector<uint8_t> bytes(data, data + size);
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    bool ok = qv::ReadBmpMemory(bytes.data(), static_cast<uint32_t>(size), &image, &info, &status);
    qvfuzz::CheckDecodeResult(ok, status, &image);
    return 0;
}
