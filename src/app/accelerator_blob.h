// Accelerator records as the settings file keeps them (slot 30): 6-byte ACCEL records, flags in
// byte 0, key code in bytes 2-3, command in bytes 4-5, little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

struct AccelEntry {
    uint8_t flags = 0;
    uint16_t key = 0;
    uint16_t command = 0;
};

constexpr uint32_t kAccelRecordBytes = 6;
constexpr uint32_t kDefaultAcceleratorCount = 122;

std::string EncodeAccelerators(const std::vector<AccelEntry>& entries);
// Whole records only; a trailing partial record is dropped.
std::vector<AccelEntry> DecodeAccelerators(const std::string& blob);

// The built-in key table. Seam: the command table owns the real defaults; until it exists this
// answers an empty table and the program starts without shortcuts.
std::vector<AccelEntry> DefaultAcceleratorEntries();

} // namespace qv
