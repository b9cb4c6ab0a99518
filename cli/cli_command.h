// quorvel-cli commands register themselves here, one file per command, so that each subsystem
// adds its own without touching the dispatcher. Arguments arrive as wide strings in both builds.
#pragma once

#include <string>
#include <vector>

namespace qvcli {

using Args = std::vector<std::wstring>; // the arguments after the command name

struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const Args& args); // process exit code: 0 success, 1 refused input, 2 bad usage
};

// Sections that `info` prints after the general facts, for formats that carry more (EXIF, frames).
struct InfoSection {
    int (*print)(const std::wstring& path, const unsigned char* data, unsigned size);
};

bool RegisterCommand(const CliCommand& command);
bool RegisterInfoSection(const InfoSection& section);
const std::vector<CliCommand>& Commands();
const std::vector<InfoSection>& InfoSections();

// Text output in UTF-8 whichever build runs it.
void Print(const std::wstring& text);
void PrintError(const std::wstring& text);
std::wstring Widen(const char* text);

} // namespace qvcli

#define QV_CLI_CONCAT2(a, b) a##b
#define QV_CLI_CONCAT(a, b) QV_CLI_CONCAT2(a, b)
#define QV_CLI_COMMAND(name, usage, fn)                                                                                \
    static const bool QV_CLI_CONCAT(qv_cli_registered_, __LINE__) = ::qvcli::RegisterCommand({name, usage, fn})
#define QV_CLI_INFO_SECTION(fn)                                                                                        \
    static const bool QV_CLI_CONCAT(qv_cli_info_, __LINE__) = ::qvcli::RegisterInfoSection({fn})
