#include "app/shell_associations.h"

#include "platform/ascii_case.h"

namespace qv {

namespace {

constexpr const wchar_t* kBmp[] = {L".bmp", nullptr};
constexpr const wchar_t* kPng[] = {L".png", nullptr};
constexpr const wchar_t* kJpeg[] = {L".jpg", L".jpe", L".jpeg", nullptr};
constexpr const wchar_t* kTiff[] = {L".tif", L".tiff", nullptr};
constexpr const wchar_t* kGif[] = {L".gif", nullptr};
constexpr const wchar_t* const* kExtensions[kAssocBoxCount] = {kBmp, kPng, kJpeg, kTiff, kGif};

bool Read(const AssociationRegistry& r, const std::wstring& key, const wchar_t* value, std::wstring* data) {
    data->clear();
    return r.read && r.read(r.context, key, value, data);
}

bool CommandRunsProgram(const AssociationRegistry& r, const std::wstring& exePath) {
    std::wstring command;
    return Read(r, ApplicationCommandKey(), nullptr, &command) &&
           EqualsIgnoreAsciiCase(ProgramPathOfCommand(command), exePath);
}

} // namespace

const wchar_t* const* AssociationExtensions(int32_t box) {
    return box >= 0 && box < kAssocBoxCount ? kExtensions[box] : nullptr;
}

std::wstring ApplicationCommandKey() {
    return std::wstring(L"Software\\Classes\\Applications\\") + kAssociationProgramName + L"\\shell\\open\\command";
}

std::wstring ProgramPathOfCommand(const std::wstring& command) {
    std::wstring path = command;
    size_t start = path.find_first_not_of(L' ');
    path.erase(0, start == std::wstring::npos ? path.size() : start);
    if (!path.empty() && path[0] == L'"') {
        size_t close = path.find(L'"', 1);
        if (close != std::wstring::npos) path.erase(close + 1);
    } else {
        size_t space = path.find(L' ');
        if (space != std::wstring::npos) path.erase(space);
    }
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    return path;
}

void ReadAssociationBoxes(const AssociationRegistry& r, const std::wstring& exePath, bool checked[kAssocBoxCount]) {
    bool ours = CommandRunsProgram(r, exePath);
    for (int32_t box = 0; box < kAssocBoxCount; ++box) {
        std::wstring app;
        checked[box] = ours &&
                       Read(r, kExplorerFileExtsKey + std::wstring(kExtensions[box][0]), kApplicationValue, &app) &&
                       EqualsIgnoreAsciiCase(app, kAssociationProgramName);
    }
}

void ApplyAssociationChanges(const AssociationRegistry& r, const std::wstring& exePath,
                             const bool before[kAssocBoxCount], const bool after[kAssocBoxCount]) {
    bool anyChecked = false;
    for (int32_t box = 0; box < kAssocBoxCount; ++box) {
        if (before[box] == after[box]) continue;
        anyChecked = anyChecked || after[box];
        for (const wchar_t* const* ext = kExtensions[box]; *ext; ++ext) {
            std::wstring key = kExplorerFileExtsKey + std::wstring(*ext);
            std::wstring app;
            bool has = Read(r, key, kApplicationValue, &app);
            if (after[box]) {
                if (!(has && EqualsIgnoreAsciiCase(app, kAssociationProgramName)) && r.write)
                    r.write(r.context, key, kApplicationValue, kAssociationProgramName);
            } else if (has &&
                       (EqualsIgnoreAsciiCase(app, kAssociationProgramName) || EqualsIgnoreAsciiCase(app, exePath)) &&
                       r.remove) {
                r.remove(r.context, key, kApplicationValue);
            }
        }
    }
    if (anyChecked && !CommandRunsProgram(r, exePath) && r.write)
        r.write(r.context, ApplicationCommandKey(), nullptr, L"\"" + exePath + L"\" \"%1\"");
}

int32_t OsClassOf(uint32_t major, uint32_t minor) {
    if (major < 5 || (major == 5 && minor == 0)) return 0;
    if (major == 5) return 1;
    if (major == 6 && minor <= 2) return static_cast<int32_t>(2 + minor);
    return 5;
}

int32_t DisplayGammaFromText(const std::wstring& text) {
    // decimal digits, not a double: 4.35 must give 4350, which 4.35 * 1000 in binary does not
    size_t i = text.find_first_not_of(L" \t");
    if (i == std::wstring::npos) return 1;
    bool negative = false;
    if (text[i] == L'+' || text[i] == L'-') negative = text[i++] == L'-';
    int64_t value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, digits = true)
        if (value < INT32_MAX) value = value * 10 + (text[i] - L'0');
    value *= 1000;
    if (i < text.size() && text[i] == L'.') {
        int64_t scale = 100;
        for (++i; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, digits = true, scale /= 10)
            value += (text[i] - L'0') * scale;
    }
    if (!digits || negative || value <= 0) return 1;
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

} // namespace qv
