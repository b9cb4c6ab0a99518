// What our unrar64.dll reads of a RAR file itself, because libarchive does not report it: the
// archive flags of the main header (volume, first volume, new numbering, solid, encrypted
// headers) in the library interface's encoding, and the names of the volumes that follow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qvrar {

// The flags of the RAR 4 or RAR 5 archive starting at `data`; false when it is neither or the
// main header is cut short. RAR 5 always numbers its volumes the new way.
bool ReadArchiveFlags(const uint8_t* data, size_t size, uint32_t* flags);

// True when the end-of-archive record at the very end of `tail` (the last bytes of a volume)
// says another volume follows.
bool VolumeContinues(const uint8_t* tail, size_t size);

// The volume after `name` in a set: "x.part07.rar" -> "x.part08.rar" with new numbering,
// "x.rar" -> "x.r00" -> "x.r01" without; empty when the name does not fit the scheme.
std::u16string NextVolumeName(const std::u16string& name, bool newNumbering);

} // namespace qvrar
