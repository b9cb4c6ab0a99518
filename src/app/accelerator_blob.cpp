#include "app/accelerator_blob.h"

namespace qv {

std::string EncodeAccelerators(const std::vector<AccelEntry>& entries) {
    std::string out;
    out.reserve(entries.size() * kAccelRecordBytes);
    for (const AccelEntry& e : entries) {
        out.push_back(static_cast<char>(e.flags));
        out.push_back(0);
        out.push_back(static_cast<char>(e.key & 0xFF));
        out.push_back(static_cast<char>(e.key >> 8));
        out.push_back(static_cast<char>(e.command & 0xFF));
        out.push_back(static_cast<char>(e.command >> 8));
    }
    return out;
}

std::vector<AccelEntry> DecodeAccelerators(const std::string& blob) {
    std::vector<AccelEntry> entries;
    const auto* p = reinterpret_cast<const uint8_t*>(blob.data());
    for (size_t at = 0; at + kAccelRecordBytes <= blob.size(); at += kAccelRecordBytes) {
        AccelEntry e;
        e.flags = p[at];
        e.key = static_cast<uint16_t>(p[at + 2] | (p[at + 3] << 8));
        e.command = static_cast<uint16_t>(p[at + 4] | (p[at + 5] << 8));
        entries.push_back(e);
    }
    return entries;
}

std::vector<AccelEntry> DefaultAcceleratorEntries() {
    return {};
}

} // namespace qv
