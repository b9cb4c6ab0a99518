// The program's per-user file associations as the options dialog writes and reads them: the
// "Application" value of each extension's Explorer key and the open command of the program's
// Applications key, all under HKEY_CURRENT_USER. The registry is reached through the three calls
// of AssociationRegistry, so that the rules run natively against a stand-in. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// The five boxes of the options dialog, in the order of their controls' settings.
enum AssociationBox : int32_t { kAssocBmp, kAssocPng, kAssocJpeg, kAssocTiff, kAssocGif, kAssocBoxCount };

// The name the associations use whatever the executable is called.
inline constexpr const wchar_t* kAssociationProgramName = L"Quorvel.exe";
inline constexpr const wchar_t* kExplorerFileExtsKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
inline constexpr const wchar_t* kApplicationValue = L"Application";

// The extensions of a box, ".bmp" ... (the first is the one the box's state is read from); null
// after the last.
const wchar_t* const* AssociationExtensions(int32_t box);
// Software\Classes\Applications\Quorvel.exe\shell\open\command
std::wstring ApplicationCommandKey();

// Keys are paths below HKEY_CURRENT_USER; a null value name is the key's default value.
struct AssociationRegistry {
    void* context = nullptr;
    bool (*read)(void* context, const std::wstring& key, const wchar_t* value, std::wstring* data) = nullptr;
    // creates the key when it is missing
    bool (*write)(void* context, const std::wstring& key, const wchar_t* value, const std::wstring& data) = nullptr;
    // false when the key or value is missing
    bool (*remove)(void* context, const std::wstring& key, const wchar_t* value) = nullptr;
};

// The program path of a command line: the arguments cut off (after a quoted first part, or from
// the first space) and the surrounding quotes removed.
std::wstring ProgramPathOfCommand(const std::wstring& command);

// The boxes' initial states: all cleared unless the Applications command runs `exePath`; then a
// box is checked when its first extension's Application value is the program's name.
void ReadAssociationBoxes(const AssociationRegistry& registry, const std::wstring& exePath,
                          bool checked[kAssocBoxCount]);

// Writes what changed between `before` and `after`: a checked box sets Application to the
// program's name for each of its extensions; a cleared one deletes the value only where it still
// names this program (by name or full path), leaving another program's alone. When any box became
// checked the Applications command is set to run `exePath` with the file, unless it already does.
void ApplyAssociationChanges(const AssociationRegistry& registry, const std::wstring& exePath,
                             const bool before[kAssocBoxCount], const bool after[kAssocBoxCount]);

// The OS class of a Windows version: 0 before XP, 1 XP and Server 2003 (5.1, 5.2), 2 Vista, 3
// Windows 7, 4 Windows 8, 5 for 6.3 and every later version. From class 2 on the boxes are
// disabled: the system keeps the associations to itself there.
int32_t OsClassOf(uint32_t major, uint32_t minor);

// The display gamma field: the typed decimal number times 1000, truncated; anything not above 0
// (also text that is no number) gives 1.
int32_t DisplayGammaFromText(const std::wstring& text);

} // namespace qv
