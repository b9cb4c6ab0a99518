#include "sources/file_list.h"

#include <algorithm>
#include <cwchar>
#include <new>

#include "sources/extension_class.h"
#include "sources/logical_compare.h"
#include "sources/zip_reader.h"

namespace qv {

namespace {

SourceHooks g_hooks;

bool IsSeparator(wchar_t c) {
    // Windows accepts both slashes; natively a backslash is an ordinary character of a name.
    return c == L'/' || (PathSeparator() == L'\\' && c == L'\\');
}

size_t LastSeparator(const std::wstring& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) return i - 1;
    }
    return std::wstring::npos;
}

std::vector<std::wstring> PluginPatterns() {
    return g_hooks.pluginPatterns ? g_hooks.pluginPatterns(kPluginPatternsImage) : std::vector<std::wstring>{};
}

// "*.pic" matches a folder's file whose name ends in ".pic" at a dot (the check that keeps short
// 8.3 aliases out on Windows).
bool MatchesPattern(const std::wstring& name, const std::wstring& pattern) {
    if (pattern.size() < 2 || pattern[0] != L'*') return false;
    std::wstring ext = pattern.substr(1);
    return EndsWithIgnoreAsciiCase(name, ext) && name[name.size() - ext.size()] == L'.';
}

int CompareTimes(const FILETIME& a, const FILETIME& b) {
    uint64_t x = (static_cast<uint64_t>(a.dwHighDateTime) << 32) | a.dwLowDateTime;
    uint64_t y = (static_cast<uint64_t>(b.dwHighDateTime) << 32) | b.dwLowDateTime;
    return x < y ? -1 : x > y ? 1 : 0;
}

// By name: root members first, then inner folders, then names, all in the logical order. Ties
// (names that differ only in case or leading zeros) fall back to the plain characters and the key,
// so that a rebuild always gives the same order.
int CompareByName(const FileEntry& a, const FileEntry& b) {
    if (a.innerFolder.empty() != b.innerFolder.empty()) return a.innerFolder.empty() ? -1 : 1;
    int r = CompareLogical(a.innerFolder.c_str(), b.innerFolder.c_str());
    if (r == 0) r = CompareLogical(a.name.c_str(), b.name.c_str());
    if (r == 0) r = std::wcscmp(a.innerFolder.c_str(), b.innerFolder.c_str());
    if (r == 0) r = std::wcscmp(a.name.c_str(), b.name.c_str());
    if (r == 0) r = a.key < b.key ? -1 : a.key > b.key ? 1 : 0;
    return r;
}

bool Before(const FileEntry& a, const FileEntry& b, int32_t order) {
    int r = 0;
    if (order == kSortByDate) {
        r = CompareTimes(a.time, b.time);
    } else if (order != kSortByName) {
        r = a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
    }
    if (r == 0) r = CompareByName(a, b);
    return r < 0;
}

uint32_t IndexOfName(const FileList& list, const std::wstring& name) {
    for (uint32_t i = 0; i < list.count; ++i) {
        const TextBuffer& n = list.entries[i].name;
        if (EqualsIgnoreAsciiCase(n.c_str(), n.length, name.data(), name.size())) return i;
    }
    return list.count;
}

bool AllocateEntries(std::unique_ptr<FileEntry[]>* entries, uint32_t capacity) {
    entries->reset(new (std::nothrow) FileEntry[capacity ? capacity : 1]);
    return *entries != nullptr;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

} // namespace

bool CopyEntry(const FileEntry& from, FileEntry* to) {
    if (!to->name.Set(from.name.str()) || !to->innerFolder.Set(from.innerFolder.str())) return false;
    to->key = from.key;
    to->time = from.time;
    to->size = from.size;
    return true;
}

bool ArchiveListing::Allocate(uint32_t entryCapacity) {
    count = 0;
    capacity = 0;
    if (!AllocateEntries(&entries, entryCapacity)) return false;
    capacity = entryCapacity;
    return true;
}

void SetSourceHooks(const SourceHooks& hooks) {
    g_hooks = hooks;
}
const SourceHooks& GetSourceHooks() {
    return g_hooks;
}

bool HasList(const FileList& list) {
    return list.entries && list.count > 0;
}

void FreeList(FileList* list) {
    ++list->generation;
    list->entries.reset();
    list->capacity = 0;
    list->count = 0;
    list->current = 0;
}

void SortEntries(FileList* list) {
    if (!HasList(*list)) return;
    ++list->generation;
    int32_t order = list->sortOrder;
    std::sort(list->entries.get(), list->entries.get() + list->count,
              [order](const FileEntry& a, const FileEntry& b) { return Before(a, b, order); });
}

bool ScanFolder(FileList* list, const std::wstring& folder) {
    list->rebuildAfterDisplay = false;
    if (folder.empty()) return false; // the working folder is never what the user opened
    list->listFolder = folder;
    if (list->watch) list->watch->Arm(folder);
    FreeList(list);
    list->sourceKind = kSourceFolder;
    list->archivePath.clear();

    // One pass over the folder: each file is taken once, by a built-in extension or else by the
    // first plug-in pattern it matches.
    std::vector<std::wstring> patterns = PluginPatterns();
    std::vector<DirEntry> found;
    bool readable = ListDirectory(folder, [&](const DirEntry& e) {
        if (e.isDirectory) return;
        bool take = HasImageExtension(e.name);
        for (size_t i = 0; !take && i < patterns.size(); ++i)
            take = MatchesPattern(e.name, patterns[i]);
        if (take) found.push_back(e);
    });
    if (!readable || found.empty() || found.size() > INT32_MAX || !AllocateEntries(&list->entries, found.size())) {
        FreeList(list);
        list->listFolder.clear();
        return false;
    }
    list->capacity = static_cast<uint32_t>(found.size());
    for (const DirEntry& e : found) {
        FileEntry& entry = list->entries[list->count];
        if (!entry.name.Set(e.name)) continue;
        entry.time = e.lastWrite;
        // KiB rounded up, from the full 64-bit size (the low half alone wraps near 4 GiB).
        uint64_t kib = (e.size + 1023) >> 10;
        entry.size = kib > INT32_MAX ? INT32_MAX : static_cast<int32_t>(kib);
        ++list->count;
    }
    if (list->count == 0) {
        FreeList(list);
        list->listFolder.clear();
        return false;
    }
    SortEntries(list);
    uint32_t at = IndexOfName(*list, list->currentName);
    list->current = at < list->count ? at : 0;
    return true;
}

bool RebuildFromFolder(FileList* list) {
    const std::wstring& path = list->currentPath;
    size_t sep = LastSeparator(path);
    // without a folder there is nothing to list: "" would list the working folder
    if (sep == std::wstring::npos) return false;
    // a root keeps its separator: "C:" alone names drive C's current folder
    bool root = sep == 0 || (sep == 2 && path[1] == L':');
    return ScanFolder(list, path.substr(0, root ? sep + 1 : sep));
}

bool ListAnyArchive(const std::wstring& path, ArchiveListing* listing, int32_t* kind) {
    std::wstring ext = PathExtension(path);
    if (EqualsIgnoreAsciiCase(ext, L".zip") && ListZipArchive(path.c_str(), listing)) {
        *kind = kSourceZip;
    } else if (EqualsIgnoreAsciiCase(ext, L".rar") && g_hooks.listRar && g_hooks.listRar(path.c_str(), listing)) {
        *kind = kSourceRar;
    } else if (g_hooks.listPluginArchive && g_hooks.listPluginArchive(path.c_str(), listing)) {
        *kind = kSourcePlugin;
    } else {
        return false;
    }
    return listing->count != 0 && listing->entries;
}

bool OpenArchive(FileList* list, const std::wstring& path, const int32_t* key) {
    if (list->watch) list->watch->Close(); // archives are not watched
    FreeList(list);
    ArchiveListing listing;
    int32_t kind = -1;
    if (!ListAnyArchive(path, &listing, &kind)) return false;
    if (!AllocateEntries(&list->entries, listing.count)) return false;
    list->capacity = listing.count;
    list->storedTime = listing.archiveTime;

    // Built-in image members first, then those a plug-in claims, each pass in listing order.
    std::vector<std::wstring> patterns = PluginPatterns();
    std::vector<bool> taken(listing.count, false);
    for (int pass = 0; pass < 2; ++pass) {
        for (uint32_t i = 0; i < listing.count; ++i) {
            const FileEntry& e = listing.entries[i];
            if (taken[i] || e.name.empty()) continue;
            bool take = false;
            if (pass == 0) {
                take = HasImageExtension(e.name.str());
            } else {
                std::wstring name = e.name.str();
                size_t dot = name.find_last_of(L'.');
                std::wstring pattern = L"*" + (dot == std::wstring::npos ? name : name.substr(dot));
                for (const std::wstring& p : patterns)
                    take = take || EqualsIgnoreAsciiCase(pattern, p);
            }
            if (!take) continue;
            taken[i] = true;
            if (CopyEntry(e, &list->entries[list->count])) ++list->count;
        }
    }
    if (list->count == 0) {
        FreeList(list);
        return false;
    }
    list->sourceKind = kind;
    list->archivePath = path;
    list->listFolder.clear();
    SortEntries(list);
    if (key) SelectByKey(list, *key);
    return true;
}

bool OpenArchiveOrSelect(FileList* list, const std::wstring& path, const int32_t* key) {
    if (list->sourceKind != kSourceFolder && HasList(*list) && EqualsIgnoreAsciiCase(path, list->archivePath)) {
        if (key) {
            SelectByKey(list, *key);
        } else {
            list->current = 0;
        }
        return true;
    }
    return OpenArchive(list, path, key);
}

void LeaveArchiveMode(FileList* list) {
    if (list->sourceKind == kSourceFolder) return;
    FreeList(list);
    list->sourceKind = kSourceFolder;
    list->archivePath.clear();
}

uint32_t SelectByKey(FileList* list, int32_t key) {
    list->current = 0;
    for (uint32_t i = 0; i < list->count; ++i) {
        if (list->entries[i].key == key) {
            list->current = i;
            break;
        }
    }
    return list->current;
}

bool SelectIndex(FileList* list, uint32_t index) {
    if (!HasList(*list)) return false;
    list->current = index < list->count ? index : 0;
    return true;
}

bool SetSortOrder(FileList* list, int32_t order) {
    if (order == list->sortOrder) return false;
    list->sortOrder = order;
    if (!HasList(*list)) return false;
    std::wstring name = list->entries[list->current].name.str();
    SortEntries(list);
    uint32_t at = IndexOfName(*list, name);
    list->current = at < list->count ? at : 0;
    return true;
}

bool NavigationTarget(const FileList& list, Navigate where, uint32_t* index) {
    if (!HasList(list) || list.count < 2) return false;
    uint32_t last = list.count - 1;
    uint32_t at = list.current;
    switch (where) {
    case Navigate::First:
        if (at == 0) return false;
        *index = 0;
        return true;
    case Navigate::Last:
        if (at == last) return false;
        *index = last;
        return true;
    case Navigate::Previous:
        if (at == 0) return false;
        *index = at - 1;
        return true;
    case Navigate::Next:
        if (at >= last) return false;
        *index = at + 1;
        return true;
    }
    return false;
}

std::wstring PathOfEntry(const FileList& list, uint32_t index) {
    if (index >= list.count) return {};
    if (list.sourceKind != kSourceFolder) return list.archivePath;
    const std::wstring& folder = list.listFolder;
    std::wstring path = folder;
    if (!path.empty() && !IsSeparator(path.back())) path += PathSeparator();
    return path + list.entries[index].name.str();
}

std::wstring EntryText(const FileList& list, uint32_t index) {
    if (index >= list.count) return {};
    const FileEntry& e = list.entries[index];
    if (list.sourceKind == kSourceFolder) return e.name.str();
    return e.innerFolder.str() + e.name.str();
}

bool RemoveCurrent(FileList* list) {
    if (!HasList(*list)) return false;
    uint32_t at = list->current;
    for (uint32_t i = at; i + 1 < list->count; ++i)
        list->entries[i] = std::move(list->entries[i + 1]);
    list->entries[list->count - 1] = FileEntry{};
    --list->count;
    ++list->generation;
    if (list->count == 0) {
        FreeList(list);
        list->currentPath.clear();
        list->currentName.clear();
        return false;
    }
    list->current = at < list->count ? at : 0;
    return true;
}

Activation OnActivation(FileList* list, bool imageShown) {
    if (list->sourceKind == kSourceFolder) {
        // a failed load of a vanished file cleared the path: no folder is left to list again
        if (list->currentPath.empty()) return Activation::Nothing;
        if (list->watch && list->watch->Fired()) RebuildFromFolder(list);
        FILETIME now{};
        if (!GetFileFacts(list->currentPath.c_str(), nullptr, &now)) return Activation::Nothing;
        if (SameTime(now, list->storedTime)) return Activation::Nothing;
        list->storedTime = now;
        return imageShown && !list->currentName.empty() ? Activation::AskReload : Activation::Nothing;
    }
    FILETIME now{};
    if (!GetFileFacts(list->archivePath.c_str(), nullptr, &now) || SameTime(now, list->storedTime)) {
        return Activation::Nothing;
    }
    std::wstring archive = list->archivePath;
    OpenArchive(list, archive, nullptr);
    list->storedTime = now;
    return imageShown && !list->currentName.empty() ? Activation::AskReload : Activation::Nothing;
}

bool ExtractCurrentMember(const FileList& list, LargeBlock* out, uint32_t* length, CodecStatus* status) {
    out->reset();
    *length = 0;
    if (status) *status = kCodecBadData;
    if (!HasList(list) || list.current >= list.count) return false;
    const FileEntry& e = list.entries[list.current];
    const wchar_t* path = list.archivePath.c_str();
    bool ok = false;
    switch (list.sourceKind) {
    case kSourceZip: return ExtractZipMember(path, e.key, out, length, status);
    case kSourceRar: ok = g_hooks.extractRar && g_hooks.extractRar(path, e, out, length); break;
    case kSourcePlugin: ok = g_hooks.extractPlugin && g_hooks.extractPlugin(path, e, out, length); break;
    default: return false;
    }
    // the other readers size their blocks themselves: one above the ceiling is not used
    if (ok && *length > kMaxArchiveMemberBytes) {
        out->reset();
        *length = 0;
        if (status) *status = kCodecNotSupported;
        return false;
    }
    if (ok && status) *status = kCodecOk;
    return ok;
}

} // namespace qv
