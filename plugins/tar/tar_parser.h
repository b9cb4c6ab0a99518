// TAR archives: the 512-byte headers of ustar, GNU (long names, base-256 sizes) and pax (path,
// size and mtime records), walked without reading member data, and the data of one member. The
// archive is read through a callback so that a large file is never read whole. Portable: the
// plug-in library (tar_plugin_win.cpp) supplies the file and turns members into records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace qv {

constexpr uint32_t kTarBlock = 512;

struct TarSource {
    uint64_t size = 0; // bytes available from the archive's start
    // Reads exactly `length` bytes at `offset` from the start; false otherwise.
    std::function<bool(uint64_t offset, void* buffer, uint32_t length)> read;
};
// The source for an archive already in memory.
TarSource TarMemorySource(const uint8_t* data, size_t size);

struct TarMember {
    uint64_t headerOffset = 0; // the member's first header (long-name and pax headers included)
    uint64_t dataOffset = 0;
    uint64_t size = 0;
    int64_t mtime = 0; // seconds since 1970
    std::string name;  // as stored: '/' separators, bytes as the archive has them
};

// True when `block` (512 bytes) is a tar header with a sound checksum.
bool IsTarHeader(const uint8_t* block);

// Calls `visit` for each regular file, in archive order, until the end marker, a damaged header or
// a member whose data would run past the end of the source; `visit` returning false stops early.
// Directories, links, devices, sparse files and volume labels are passed over. Returns false only
// when the source does not start with a tar header.
bool WalkTar(const TarSource& source, const std::function<bool(const TarMember&)>& visit);

// The member's folder (with a trailing '/', empty at the root) and file name, with leading "./"
// and "/" removed. False when nothing of a file name is left.
bool SplitTarName(const std::string& name, std::string* folder, std::string* file);

// The regular file whose first header lies at `offset`; false when none does.
bool ReadTarMemberAt(const TarSource& source, uint64_t offset, TarMember* member);

} // namespace qv
