// Feeds arbitrary bytes to what our unrar64 library reads of a RAR file itself: the main
// header's archive flags and the end record's "another volume follows". Only known flag bits may
// come out, and reading must stay inside the bytes (ASan).
#include <cstdint>
#include <cstdlib>

#include "unrar/rar_volume_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t flags = 0;
    if (qvrar::ReadArchiveFlags(data, size, &flags) && (flags & ~0x01FFu)) std::abort();
    qvrar::VolumeContinues(data, size);
    std::u16string name(reinterpret_cast<const char16_t*>(data), size / 2);
    std::u16string next = qvrar::NextVolumeName(name, size & 1);
    if (!next.empty() && next.size() > name.size() + 1) std::abort();
    return 0;
}
