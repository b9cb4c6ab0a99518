// Feeds arbitrary bytes as what a plug-in hands back: the first byte picks the split between a
// bitmap-information block and a bits block (converted to an ImageBuffer), and the whole input is
// also read as archive records. Whatever the blocks hold, nothing is read outside them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_image_check.h"
#include "sources/plugin_bitmap.h"
#include "sources/plugin_records.h"

namespace {
std::wstring Latin1(const uint8_t* bytes, size_t length) {
    return std::wstring(bytes, bytes + length);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // separate heap copies, so that a read past either block is caught
    size_t split = std::min<size_t>(size - 1, 40 + static_cast<size_t>(data[0]) * 4);
    std::vector<uint8_t> info(data + 1, data + 1 + split), bits(data + 1 + split, data + size);
    // A plug-in may declare any size; the conversion allocates it whole (a short bits block still
    // shows its rows), so huge images are left out to keep each run short: what is checked here
    // is that nothing is read outside the blocks.
    bool huge = false;
    if (info.size() >= sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER h;
        std::memcpy(&h, info.data(), sizeof h);
        huge = int64_t{h.biWidth} * h.biHeight > (int64_t{1} << 22);
    }
    if (!huge) {
        qv::ImageBuffer image{};
        bool ok = qv::ConvertPluginBitmap(info.data(), info.size(), bits.data(), bits.size(), data[0], &image);
        qvfuzz::CheckDecodeResult(ok, ok ? qv::kCodecOk : qv::kCodecBadData, &image);
    }

    std::vector<uint8_t> records(data, data + size);
    qv::ArchiveListing listing;
    if (qv::ListPluginRecords(records.data(), records.size(), FILETIME{}, Latin1, &listing) &&
        (listing.count == 0 || listing.count > size / sizeof(PluginArchiveRecord)))
        std::abort();
    return 0;
}
