// The ZIP reader: lists an archive's members from its central directory and extracts one member
// (stored or deflated) into a large block with 4 spare bytes. Nothing is ever written to disk.
// Members that are unsound (unsupported method, ZIP64 sizes, names that climb out of the archive
// or hold invalid characters, data outside the file, overlapping members, impossible sizes) are
// left out of the listing and refuse to extract; the rest of the archive still lists. Names
// without the UTF-8 flag are in the system's ANSI code page (AnsiToWide), decoded before their
// separators are looked for: in code page 932 a second byte may be 0x5C or 0x7C.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/codec_status.h"
#include "platform/platform.h"
#include "sources/file_list.h"

namespace qv {

// Listing from memory leaves `archiveTime` alone; the path form fills it from the file.
bool ListZipMemory(const uint8_t* data, uint32_t size, ArchiveListing* out);
bool ListZipArchive(const wchar_t* path, ArchiveListing* out);

// `key` is the member's key from the listing (its local header offset in the file). `status`,
// when given, says why nothing came: 50002 for a member above kMaxArchiveMemberBytes (refused
// before anything is allocated or inflated), 50001 without memory, 50004 when the archive cannot
// be read, 50007 for damaged data or a member that is not there.
bool ExtractZipMemory(const uint8_t* data, uint32_t size, int32_t key, LargeBlock* out, uint32_t* length,
                      CodecStatus* status = nullptr);
bool ExtractZipMember(const wchar_t* path, int32_t key, LargeBlock* out, uint32_t* length,
                      CodecStatus* status = nullptr);

// A DOS date and time as a 100-ns count since 1601 in the same (local) clock; false when the
// fields are out of range.
bool DosDateTimeToTicks(uint16_t date, uint16_t time, uint64_t* ticks);

// Shared with the RAR reader, which refuses member names and reads DOS times as this reader does.
// A member name (backslashes) must stay inside the archive: no absolute paths, no drive letters,
// no "." or ".." parts, no empty parts, no characters Windows file names cannot hold.
bool MemberNameIsSound(const std::wstring& name);
// A member's DOS date and time, local time, as UTC; zero when the fields are out of range.
FILETIME DosTimeToUtc(uint16_t date, uint16_t time);

} // namespace qv
