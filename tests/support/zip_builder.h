// ZIP archives written by the tests, with the faults the reader has to survive on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

struct ZipMember {
    std::string name;
    std::string data;
    bool deflate = false;
    uint16_t flags = 0;
    int32_t sizeDelta = 0;  // added to the declared uncompressed size
    int32_t method = -1;    // the method field written; -1: 8 when deflated, else 0
    uint32_t cutPacked = 0; // bytes dropped from the end of the packed data (sizes still agree)
};
// Flag bit 3 (0x0008) writes zeros for CRC and sizes in the local header and a data descriptor
// after the data, as streaming writers do.
constexpr uint16_t kZipFlagDescriptor = 0x0008;
constexpr uint16_t kZipFlagUtf8 = 0x0800;

std::string RawDeflate(const std::string& in);
// Local headers with the data, then the central directory and its end record; each member's
// local header offset is its key.
std::string BuildZip(const std::vector<ZipMember>& members, const std::string& comment = {});
// The local header offset of each member BuildZip writes, in order.
std::vector<uint32_t> ZipMemberOffsets(const std::vector<ZipMember>& members);

} // namespace qvtest
