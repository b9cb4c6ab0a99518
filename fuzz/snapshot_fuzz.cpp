// Feeds arbitrary bytes to the edit history's snapshot reader: a snapshot file sits in the
// temporary folder, where anything may change it. A restored image must obey the buffer rules and
// its mask must be readable in full; a refusal must leave no pixels behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_image_check.h"
#include "image/edit_history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // an exact copy, so that a read one byte past the input is caught
    std::vector<uint8_t> bytes(data, data + size);
    qv::ImageBuffer current{};
    qv::RestoredSnapshot out;
    qv::SnapshotStatus status = qv::ReadSnapshotBytes(bytes.data(), bytes.size(), current, &out);
    if (status != qv::SnapshotStatus::Ok) {
        if (out.image.pixels) std::abort();
        return 0;
    }
    if (out.mask) {
        size_t n = static_cast<size_t>(out.image.header.biWidth) * static_cast<size_t>(out.image.header.biHeight);
        volatile uint8_t sink = out.mask.get()[0];
        sink = sink + out.mask.get()[n - 1];
    }
    qvfuzz::CheckDecodeResult(true, qv::kCodecOk, &out.image);
    return 0;
}
