// RAR archives through the RAR extraction library (unrar64.dll, natively libunrar64.so): the
// library is found and loaded for each listing or extraction and freed at its end; multi-volume
// sets are listed from their first volume; a member is extracted by skipping the members before
// it (which is what a solid archive needs) and testing it, its bytes arriving through the
// callback into one large block. Every failure is quiet: no listing, no bytes.
//
// Loading is per platform (rar_library_win.cpp, rar_library_posix.cpp); everything the program
// does with the library's answers is here and tested natively against our own library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sources/file_list.h"
#include "sources/rar_abi.h"

namespace qv {

struct RarFunctions {
    RarOpenFn open = nullptr;
    RarCloseFn close = nullptr;
    RarReadHeaderFn readHeader = nullptr;
    RarProcessFn process = nullptr;
};

// A loaded library; the destructor frees it.
struct RarLibrary {
    RarFunctions functions;
    void* module = nullptr;
    RarLibrary() = default;
    RarLibrary(const RarLibrary&) = delete;
    RarLibrary& operator=(const RarLibrary&) = delete;
    ~RarLibrary();
};

// Where the library is looked for, in order: the plug-in folder, the program's own folder, the
// system folder (Windows).
std::vector<std::wstring> RarLibraryCandidates();
// Loads the first candidate the system loads. A library without all four functions is freed and
// counts as absent, as does one whose load fails everywhere.
bool LoadRarLibrary(RarLibrary* library);
bool LoadRarLibraryFrom(const std::wstring& path, RarLibrary* library);
void FreeRarModule(void* module);
// True when a candidate file exists (the open dialog offers "*.rar" then); nothing is loaded.
bool RarLibraryPresent();

// How an opened archive's flags place it in a volume set.
enum RarVolumeKind : int32_t {
    kRarNotVolume = 0,
    kRarOldVolume = 1,      // a volume named .rar/.r00/.r01...: the library finds the first itself
    kRarLaterVolume = 2,    // .partN.rar, N > 1: listed from .part1.rar
    kRarFirstNewVolume = 3, // .part1.rar
};
RarVolumeKind ClassifyRarVolume(uint32_t archiveFlags);
// "set.part3.rar" -> "set.part1.rar", keeping the number's width ("x.part07.rar" -> "x.part01.rar")
// since that is how the set's volumes are named. A name without a ".partN" part stays as it is.
std::wstring FirstRarVolumeName(const std::wstring& path);

// The password asked when the library needs one: `password` holds the remembered one to show,
// and the answer on true; false is Cancel. The viewer installs the dialog; none means no password.
using RarPasswordPrompt = bool (*)(std::wstring* password);
void SetRarPasswordPrompt(RarPasswordPrompt prompt);
// The remembered password lives for the program's run; tests reset it.
void ForgetRarPassword();

// Through a given library (tests hand in our own; the product loads it per operation).
bool ListRarWith(const RarFunctions& library, const wchar_t* path, ArchiveListing* out);
bool ExtractRarWith(const RarFunctions& library, const wchar_t* path, int32_t key, LargeBlock* out, uint32_t* length);

// The file list's hooks: the library is loaded for the call and freed after it.
bool ListRarArchive(const wchar_t* path, ArchiveListing* out);
bool ExtractRarMember(const wchar_t* path, const FileEntry& entry, LargeBlock* out, uint32_t* length);
// Installs the two hooks above into the file list.
void InstallRarSource();

// The callback's bookkeeping, exposed for tests: what one data message does in extraction mode.
struct RarCopyState {
    uint8_t* cursor = nullptr;
    uint8_t* end = nullptr;
};
// False (abort) when the chunk would pass the end; otherwise copies and advances.
bool CopyRarChunk(RarCopyState* state, const uint8_t* data, size_t length);

} // namespace qv
