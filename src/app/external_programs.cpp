#include "app/external_programs.h"

#include "platform/paths.h"
#include "sources/extension_class.h"

namespace qv {

namespace {

// The archive viewer that takes a member key before the archive's path.
constexpr const wchar_t* kKeyTakingProgram = L"Tovakrin.exe";

} // namespace

std::wstring ExternalProgramMenuText(const std::wstring& path, const std::wstring& name) {
    std::wstring text = name;
    if (text.empty()) {
        text = FileNameOf(path);
    }
    return text.substr(0, kExternalProgramNameChars);
}

std::wstring ExternalProgramParameters(const std::wstring& program, const ExternalProgramTarget& t) {
    if (!t.isExecutable || t.currentPath.empty()) return {};
    std::wstring parameters;
    if (t.fromArchive && EndsWithIgnoreAsciiCase(program, kKeyTakingProgram))
        parameters = L"/z" + std::to_wstring(t.memberKey) + L" ";
    return parameters + L"\"" + t.currentPath + L"\"";
}

} // namespace qv
