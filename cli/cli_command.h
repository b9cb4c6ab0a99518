// quorvel-cli commands register themselves here, one file per command, so that each subsystem
// adds its own without touching the dispatcher. Arguments arrive as wide strings in both builds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv {
struct ImageBuffer;
}

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

// Encoders that `convert` chooses by the output's extension. Each reads the options it knows from
// `args` (flags such as --depth 8, --dither, --quality 90) and returns a CodecStatus.
struct CliEncoder {
    const wchar_t* extension; // lower case, with the dot: L".png"
    uint32_t (*encode)(const qv::ImageBuffer& image, const std::wstring& path, const Args& args);
};

bool RegisterCommand(const CliCommand& command);
bool RegisterEncoder(const CliEncoder& encoder);
const std::vector<CliEncoder>& Encoders();
// The encoder for the extension of `path` (ASCII letters in any case); null when none.
const CliEncoder* EncoderForPath(const std::wstring& path);

// Flag helpers: `--name value` pairs and bare `--name` switches.
bool FlagValue(const Args& args, const wchar_t* name, std::wstring* value);
bool HasFlag(const Args& args, const wchar_t* name);
// `--name N`: the number, `fallback` when absent; false when present but not a number.
bool FlagNumber(const Args& args, const wchar_t* name, long fallback, long* value);
// `--plugins DIR`: takes the option out of `args` and lets the plug-ins of DIR decode and list for
// the rest of the command. False (bad usage) when the folder is missing.
bool TakePluginsOption(Args* args);
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
#define QV_CLI_ENCODER(extension, fn)                                                                                  \
    static const bool QV_CLI_CONCAT(qv_cli_encoder_, __LINE__) = ::qvcli::RegisterEncoder({extension, fn})
#define QV_CLI_INFO_SECTION(fn)                                                                                        \
    static const bool QV_CLI_CONCAT(qv_cli_info_, __LINE__) = ::qvcli::RegisterInfoSection({fn})
