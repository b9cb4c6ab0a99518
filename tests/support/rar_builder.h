// RAR 4 archives written by the tests: stored members (no compression), which every RAR reader
// reads. Nobody here has a RAR writer; the format's stored form is small enough to write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

struct RarMember {
    std::string name; // "/" or "\\" separated
    std::string data;
    int32_t sizeDelta = 0; // added to the declared unpacked size (the CRC still covers the data)
};

std::string BuildStoredRar(const std::vector<RarMember>& members);

} // namespace qvtest
