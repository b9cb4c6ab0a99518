// quorvel-cli: batch jobs over the same portable core as Quorvel.exe.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "cli_command.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "sources/rar_access.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace qvcli {

namespace {
std::vector<CliCommand>& CommandTable() {
    static std::vector<CliCommand> table;
    return table;
}
std::vector<CliEncoder>& EncoderTable() {
    static std::vector<CliEncoder> table;
    return table;
}
std::vector<InfoSection>& InfoTable() {
    static std::vector<InfoSection> table;
    return table;
}

int Usage(FILE* out) {
    std::fprintf(out, "usage: quorvel-cli COMMAND ...\n");
    for (const CliCommand& c : CommandTable())
        std::fprintf(out, "  %s %s\n", c.name, c.usage);
    return out == stdout ? 0 : 2;
}

int Run(const std::vector<std::wstring>& argv) {
    if (argv.size() < 2) return Usage(stderr);
    qv::InstallRarSource();
    std::string name = qv::WideToUtf8(argv[1]);
    if (name == "--help" || name == "help") return Usage(stdout);
    for (const CliCommand& c : CommandTable()) {
        if (name == c.name) return c.run(Args(argv.begin() + 2, argv.end()));
    }
    std::fprintf(stderr, "quorvel-cli: unknown command %s\n", name.c_str());
    return Usage(stderr);
}
} // namespace

bool RegisterCommand(const CliCommand& command) {
    CommandTable().push_back(command);
    return true;
}
bool RegisterInfoSection(const InfoSection& section) {
    InfoTable().push_back(section);
    return true;
}
const std::vector<CliCommand>& Commands() {
    return CommandTable();
}
const std::vector<InfoSection>& InfoSections() {
    return InfoTable();
}
bool RegisterEncoder(const CliEncoder& encoder) {
    EncoderTable().push_back(encoder);
    return true;
}
const std::vector<CliEncoder>& Encoders() {
    return EncoderTable();
}
const CliEncoder* EncoderForPath(const std::wstring& path) {
    std::wstring ext = qv::ExtensionOf(path);
    for (wchar_t& c : ext)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    for (const CliEncoder& e : EncoderTable())
        if (ext == e.extension) return &e;
    return nullptr;
}

bool FlagValue(const Args& args, const wchar_t* name, std::wstring* value) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) {
            *value = args[i + 1];
            return true;
        }
    }
    return false;
}

bool HasFlag(const Args& args, const wchar_t* name) {
    for (const std::wstring& a : args) {
        if (a == name) return true;
    }
    return false;
}

bool FlagNumber(const Args& args, const wchar_t* name, long fallback, long* value) {
    std::wstring text;
    if (!FlagValue(args, name, &text)) {
        *value = fallback;
        return true;
    }
    wchar_t* end = nullptr;
    long n = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0) return false;
    *value = n;
    return true;
}

void Print(const std::wstring& text) {
    std::string bytes = qv::WideToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}
void PrintError(const std::wstring& text) {
    std::string bytes = qv::WideToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}
std::wstring Widen(const char* text) {
    return qv::Utf8ToWide(text ? text : "");
}

} // namespace qvcli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv, argv + argc);
    return qvcli::Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(qv::Utf8ToWide(argv[i]));
    return qvcli::Run(args);
}
#endif
