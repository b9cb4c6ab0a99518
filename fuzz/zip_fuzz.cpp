// Feeds arbitrary bytes to the ZIP reader: lists the archive from memory and extracts every
// member it lists. Extracted bytes must be readable up to the 4 spare bytes after them.
#include <cstdint>
#include <cstdlib>

#include "sources/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    qv::ArchiveListing listing;
    if (!qv::ListZipMemory(data, static_cast<uint32_t>(size), &listing)) return 0;
    if (listing.count > listing.capacity) std::abort();
    for (uint32_t i = 0; i < listing.count; ++i) {
        qv::LargeBlock block;
        uint32_t length = 0;
        if (!qv::ExtractZipMemory(data, static_cast<uint32_t>(size), listing.entries[i].key, &block, &length)) continue;
        if (!block) std::abort();
        volatile uint8_t sink = block.get()[length + 3];
        (void)sink;
    }
    return 0;
}
