// The FileList: the ordered images of one folder or one archive that the user steps through,
// with the current position and the sort order. One instance lives in the main window's state and
// is used on the GUI thread only. Archive readers deliver their members as an ArchiveListing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/codec_status.h"
#include "platform/platform.h"
#include "platform/text_buffer.h"
#include "sources/folder_watch.h"

namespace qv {

struct FileEntry {
    TextBuffer name;        // file name without folder; member name without its inner folder
    TextBuffer innerFolder; // archive members: folder inside the archive with a trailing backslash
    int32_t key = 0;        // ZIP: local header offset; RAR: header ordinal; plug-in: its position
    FILETIME time{};        // UTC
    int32_t size = 0;       // folder: KiB rounded up; archives: uncompressed bytes (low 32 bits)
};
bool CopyEntry(const FileEntry& from, FileEntry* to);

// What an archive lister returns: every member it can address, images or not. Directory members
// have an empty name.
struct ArchiveListing {
    std::unique_ptr<FileEntry[]> entries;
    uint32_t capacity = 0;
    uint32_t count = 0;
    FILETIME archiveTime{};

    bool Allocate(uint32_t entryCapacity); // zero-filled; false when out of memory
};

enum SortOrder : int32_t { kSortByName = 0, kSortByDate = 1, kSortBySize = 2 }; // others act as size
enum SourceKind : int32_t { kSourceFolder = 0, kSourceZip = 1, kSourceRar = 2, kSourcePlugin = 3 };
enum class Navigate { First, Last, Previous, Next };

constexpr uint32_t kPluginPatternsImage = 1; // image plug-ins
constexpr uint32_t kPluginPatternsAll = 3;   // image and archive plug-ins

// The readers this module cannot link itself: RAR access and the image plug-ins install them at
// start-up; any hook may stay null.
struct SourceHooks {
    // Extension patterns ("*.pic") of the plug-ins whose kind is in the mask (kPluginPatternsImage
    // for the folder scan and archive members, kPluginPatternsAll for the open dialog), in the
    // order the plug-ins report them.
    std::vector<std::wstring> (*pluginPatterns)(uint32_t kindMask) = nullptr;
    bool (*listRar)(const wchar_t* path, ArchiveListing* out) = nullptr;
    bool (*listPluginArchive)(const wchar_t* path, ArchiveListing* out) = nullptr;
    // Member bytes in a large block with 4 spare bytes after them.
    bool (*extractRar)(const wchar_t* path, const FileEntry& entry, LargeBlock* out, uint32_t* length) = nullptr;
    bool (*extractPlugin)(const wchar_t* path, const FileEntry& entry, LargeBlock* out, uint32_t* length) = nullptr;
};
void SetSourceHooks(const SourceHooks& hooks);
const SourceHooks& GetSourceHooks();

struct FileList {
    std::unique_ptr<FileEntry[]> entries; // capacity fixed when the list is built
    uint32_t capacity = 0;
    uint32_t count = 0;
    uint32_t current = 0;
    int32_t sortOrder = kSortByName;
    int32_t sourceKind = kSourceFolder;
    std::wstring listFolder;            // folder source: the scanned folder, no trailing separator
    std::wstring archivePath;           // archive source: the archive the entries come from
    std::wstring currentPath;           // the image file shown, or the archive shown from (shared with loading)
    std::wstring currentName;           // the shown file's or member's name (shared with loading)
    FILETIME storedTime{};              // last-write time of the current file or archive at load or listing
    std::unique_ptr<FolderWatch> watch; // installed by the owner; none means folders are not watched
    bool rebuildAfterDisplay = false;   // set by a load by path, consumed by the viewer
    // Counts every change of the entries or their order, so that a view of the list (the list
    // window) knows when its rows are stale even though their number is the same.
    uint32_t generation = 0;
};

bool HasList(const FileList& list);
void FreeList(FileList* list);

// Lists the images of the folder of `currentPath`, sorts them and makes the entry named
// `currentName` current (entry 0 when none is). Re-arms the watch. False when no list results.
bool RebuildFromFolder(FileList* list);
// The same for a named folder (the command-line lister).
bool ScanFolder(FileList* list, const std::wstring& folder);

// Every member of an archive, images or not, from the first reader that lists it (".zip" by the
// ZIP reader, ".rar" through RAR access, then the archive plug-ins); `kind` says which.
bool ListAnyArchive(const std::wstring& path, ArchiveListing* listing, int32_t* kind);
// Lists an archive (".zip" by the ZIP reader, ".rar" through RAR access, then the plug-ins) and
// keeps its image members; selects `key` when given. False when no non-empty list results.
bool OpenArchive(FileList* list, const std::wstring& path, const int32_t* key);
// For the load pipeline: the archive already listed (same path, ASCII case ignored) only selects
// `key` (entry 0 without one) and is not read again; any other path is opened.
bool OpenArchiveOrSelect(FileList* list, const std::wstring& path, const int32_t* key);
// A plain image path ends the archive mode: the list is dropped and the source becomes a folder.
void LeaveArchiveMode(FileList* list);

// Makes the first entry with `key` current, or entry 0; returns the index.
uint32_t SelectByKey(FileList* list, int32_t key);
// Makes `index` current, or entry 0 when it is past the end. False without a list.
bool SelectIndex(FileList* list, uint32_t index);

// Re-sorts keeping the current entry current (by name). True when the list window should be
// refreshed (a list exists and the order changed).
bool SetSortOrder(FileList* list, int32_t order);
void SortEntries(FileList* list);

// The index that first/last/previous/next goes to; false when there is none (no list, a single
// entry, or already at that end; there is no wrap-around).
bool NavigationTarget(const FileList& list, Navigate where, uint32_t* index);

// Folder source: the file's full path. Archive source: the archive's path (the member is named by
// the entry's key).
std::wstring PathOfEntry(const FileList& list, uint32_t index);
// The list window's text: the name, preceded by the inner folder for archive members.
std::wstring EntryText(const FileList& list, uint32_t index);
// Between an archive and a member's EntryText in the window title ("photos.zip::trip\a.jpg"),
// which is also how quorvel-cli is given a member.
constexpr const wchar_t* kMemberSeparator = L"::";

// After the current file was deleted: drops its entry and makes the entry now at the same index
// current (entry 0 past the end). Returns false when the list became empty; the current path and
// name are then cleared and the caller empties the view.
bool RemoveCurrent(FileList* list);

enum class Activation { Nothing, AskReload };
// When the application becomes active: rebuilds a watched folder that changed and compares the
// current file's (or archive's) time with the stored one. AskReload means the caller asks the
// reload question (only when an image is shown and a current name exists).
Activation OnActivation(FileList* list, bool imageShown);

// The largest archive member any source hands out, as decoded images have theirs: inflating and
// checking this much takes the GUI thread about a second, and the big image files people keep
// in archives (uncompressed scans) stay below it.
constexpr uint32_t kMaxArchiveMemberBytes = 512u << 20;

// The bytes of the current archive entry (ZIP, RAR or plug-in archive), 4 spare bytes after them.
// `status`, when given, says why nothing came (50002 above kMaxArchiveMemberBytes).
bool ExtractCurrentMember(const FileList& list, LargeBlock* out, uint32_t* length, CodecStatus* status = nullptr);

} // namespace qv
