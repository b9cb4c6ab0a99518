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

// The 122 configurable commands in the order of the key-configuration list, each with its default
// key (flags 1 and key 0 for commands without one).
std::vector<AccelEntry> DefaultAcceleratorEntries();
// The same table as a stored blob gives it: for every command the first record with its number
// supplies flags (low 4 bits) and key (low 8 bits); commands without a record have no key.
std::vector<AccelEntry> CommandKeysFromStored(const std::string& blob);

// What slot 30 gets for the records of the current table. An empty slot reads as the default
// keys, so a table without any key is stored as every command without one, which reads back as
// no keys at all.
std::string AcceleratorBlobToStore(const std::string& records);

} // namespace qv
