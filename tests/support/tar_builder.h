// TAR archives written by the tests: ustar, GNU and pax flavours, with the faults the reader has
// to survive on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

enum class TarFlavour { Ustar, Gnu, Pax };

struct TarEntry {
    std::string name;
    std::string data;
    int64_t mtime = 1234567890; // 2009-02-13 23:31:30 UTC
    char type = '0';
    bool badChecksum = false;
};

// Each entry as its headers and data; names longer than the name field go into the prefix field
// (ustar, split at a '/'), a long-name entry (GNU) or a pax record (pax). Two zero blocks end it.
std::string BuildTar(const std::vector<TarEntry>& entries, TarFlavour flavour = TarFlavour::Ustar);

// Where BuildTar puts each entry's first header, in order.
std::vector<uint64_t> TarHeaderOffsets(const std::vector<TarEntry>& entries, TarFlavour flavour = TarFlavour::Ustar);

} // namespace qvtest
