// What the program makes of the texts, headers and records that image and archive plug-ins hand
// over: the kind test, the extension pattern lists, the descriptions for the options page, the
// header offered to "IsSupported", the archive member records and the member bytes. Portable:
// the DLL calls themselves are in plugin_host_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sources/file_list.h"
#include "sources/plugin_abi.h"

namespace qv {

enum PluginKind : int32_t {
    kPluginNotAPlugin = 0,
    kPluginImage = 1,
    kPluginArchive = 2,
};

// `mask` as the file list's pattern hooks give it (kPluginPatternsImage, kPluginPatternsAll).
inline bool KindInMask(PluginKind kind, uint32_t mask) {
    return kind != kPluginNotAPlugin && (mask & static_cast<uint32_t>(kind)) != 0;
}

// A plug-in that keeps answering is not asked for more than this many pattern lists.
constexpr int kPluginMaxPatternLists = 256;

// The kind from the text of GetPluginInfo function 0 (`written` bytes of `text`).
PluginKind PluginKindOf(const char* text, int written);

// The text of one GetPluginInfo answer: the bytes written, up to the first 0 byte and never past
// the buffer. Empty for an answer of 0.
std::string PluginInfoText(const char* buffer, int written, int bufferLength);

// Splits one "*.abc;*.abd" list and appends, in order, every pattern that is not empty, whose
// extension is not one of the built-in image formats (those stay with the program's own codecs)
// and that is not in `patterns` already (ASCII case ignored).
void AppendPluginPatterns(const std::wstring& list, std::vector<std::wstring>* patterns);

// The options page's two texts of one plug-in, from its GetPluginInfo answers (`info(n)`, empty
// for 0): the patterns of 2, 4, 6 ... joined with ";" and the descriptions of 3, 5, 7 ... with
// "/", pair by pair while both answers of a pair are there and each text stays within 259 bytes.
// False when entry 2 or 3 is missing.
bool JoinPluginDescriptions(const std::function<std::string(int)>& info, std::string* patterns,
                            std::string* descriptions);

// The header a plug-in is shown: the first kPluginHeaderBytes of the data, zero-filled after a
// shorter block.
void FillPluginHeader(const uint8_t* data, uint64_t size, uint8_t* header);
// The same from a file, with its last-write time. Empty files, files of 4 GiB or more and files
// that cannot be read are not offered to plug-ins: false.
bool ReadPluginHeader(const wchar_t* path, uint8_t* header, FILETIME* lastWrite);

// Converts a record's ANSI text (not terminated when it fills its field).
using PluginTextDecoder = std::wstring (*)(const uint8_t* bytes, size_t length);

// The members of `size` bytes of archive records (whole records only, up to the first one whose
// method is empty), with the archive's time. Members that a 32-bit key or size cannot describe
// (a position or size of 4 GiB or more) are left out. False when no member results.
bool ListPluginRecords(const uint8_t* records, uint64_t size, const FILETIME& archiveTime, PluginTextDecoder decode,
                       ArchiveListing* out);

// The member time of a record: seconds since 1970 (low 32 bits, signed) as a file time.
FILETIME PluginRecordTime(int64_t seconds);

// Copies a member the plug-in extracted into a large block with 4 spare bytes. False for an empty
// member and for one whose block would not fit in 32 bits.
bool CopyPluginMember(const uint8_t* data, uint64_t size, LargeBlock* out, uint32_t* length);

} // namespace qv
