// The standard reflected CRC-32 (polynomial 0xEDB88320) used by PNG chunks and ZIP members.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// Builds the table; start-up calls it once, and Crc32Update builds it on first use as well.
void BuildCrc32Table();
// Continues a running CRC: start with crc = 0, pass each piece in turn.
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length);

} // namespace qv
