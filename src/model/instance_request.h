// The command line: its option forms, and the InstanceRequest record a second start hands to the
// running instance through WM_COPYDATA (data kind 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

constexpr uint32_t kInstanceRequestBytes = 526;     // packed: letter (2), key (4), path (520)
constexpr uint32_t kInstanceRequestPathChars = 260; // including the terminator

// WM_COPYDATA data kinds exchanged between instances.
enum CopyDataKind : uint32_t {
    kCopyDataInstanceRequest = 0,
    kCopyDataMoveToRect = 1,
    kCopyDataFitToWorkArea = 2,
    kCopyDataClose = 3,
};

struct InstanceRequest {
    wchar_t letter = 0; // option letter, 0 for the plain path form
    int32_t memberKey = 0;
    std::wstring path; // empty when none was given or it had 260 characters or more
};

// What the arguments after the program path ask for.
struct CommandLine {
    bool hasOption = false;
    wchar_t letter = 0;
    bool hasKey = false;
    int32_t memberKey = 0;
    std::wstring path;
    std::vector<std::wstring> extraPaths; // each opened by a new process with /v
};

// `args` excludes argument 0.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);
// The arguments with every path made fully qualified against the current folder (an option in
// the first place stays as it is). Taken before start-up changes the current folder, so that a
// path typed relative to where the user was keeps naming that file.
std::vector<std::wstring> WithFullPaths(const std::vector<std::wstring>& args);
// Built from the first two arguments only.
InstanceRequest BuildInstanceRequest(const std::vector<std::wstring>& args);

void EncodeInstanceRequest(const InstanceRequest& request, uint8_t out[kInstanceRequestBytes]);
// False when the block is not exactly one record. A path without a terminator inside its 260
// units is dropped.
bool DecodeInstanceRequest(const uint8_t* data, size_t size, InstanceRequest* request);

// The parameters of a new process that opens `path`: /v "path".
std::wstring ExtraProcessParameters(const std::wstring& path);

// The decimal number at the start of `text` as the C library's wide-to-integer conversion reads it.
int32_t LeadingInteger(const wchar_t* text);

} // namespace qv
