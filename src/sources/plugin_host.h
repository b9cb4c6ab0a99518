// The image and archive plug-ins of the plug-in folder: every operation finds the plug-ins
// ("*.spi" first, then "*.sph", minus the switched-off names), loads one library at a time, calls
// it and frees it again, so that no plug-in stays loaded between operations. Every failure (no
// folder, no plug-in that reads the file, a missing export, a refusal, an unusable result) is
// quiet: the operation returns false and the caller decides.
//
// Windows loads the libraries (plugin_host_win.cpp); the native build has no plug-ins and every
// operation fails (plugin_host_posix.cpp). What the program makes of the plug-ins' answers is
// portable and tested natively (plugin_records.h, plugin_bitmap.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/image_buffer.h"
#include "platform/platform.h"
#include "sources/file_list.h"
#include "sources/plugin_records.h"

namespace qv {

struct PluginFolder {
    std::wstring path;                  // the plug-in folder setting
    std::vector<std::wstring> disabled; // file names the user switched off (ASCII case ignored)
};

// The plug-in folder and the switched-off names as the settings hold them now.
PluginFolder CurrentPluginFolder();
// True when `folder` names an existing folder. Plug-ins, and the RAR library's first place to
// look, need one.
bool PluginFolderExists(const std::wstring& folder);
bool IsPluginDisabled(const PluginFolder& folder, const std::wstring& fileName);

// The extension patterns ("*.abc") of the plug-ins whose kind is in `kindMask`, in the order the
// plug-ins report them, without built-in formats and duplicates. Rebuilt on every call.
std::vector<std::wstring> ListPluginPatterns(const PluginFolder& folder, uint32_t kindMask);

// Decodes with the first image plug-in that recognises the bytes. `fromFile`: `name` is the file
// the bytes were mapped from, and the plug-in reads that file; otherwise `name` is an archive
// member's name and the plug-in decodes the block. The record's file facts are the caller's.
bool DecodeWithPlugins(const PluginFolder& folder, const wchar_t* name, const uint8_t* data, uint32_t size,
                       bool fromFile, ImageBuffer* target);

// The members of an archive that an archive plug-in recognises, with the archive's time.
bool ListArchiveWithPlugins(const PluginFolder& folder, const wchar_t* path, ArchiveListing* out);
// One member of such an archive, in a large block with 4 spare bytes.
bool ExtractWithPlugins(const PluginFolder& folder, const wchar_t* path, const FileEntry& entry, LargeBlock* out,
                        uint32_t* length);
// True while an archive listing or extraction is under way; a second one started from inside a
// plug-in's call (a message it pumped) is refused.
bool PluginArchiveBusy();

// Shows the named plug-in's own settings dialog; false when it has none.
bool ShowPluginSettings(const PluginFolder& folder, const std::wstring& fileName, void* parentWindow);

// One plug-in file for the options page.
struct PluginFileFacts {
    std::wstring fileName; // relative to the plug-in folder
    PluginKind kind = kPluginNotAPlugin;
    std::wstring patterns;     // "*.abc;*.abd", empty when the plug-in describes none
    std::wstring descriptions; // "ABC image/ABD image"
    bool enabled = true;       // not among the switched-off names
};
// Every image and archive plug-in of the folder in enumeration order, switched-off ones included
// (they are loaded for this listing only, to show what they are).
std::vector<PluginFileFacts> ListPluginFiles(const PluginFolder& folder);

} // namespace qv
