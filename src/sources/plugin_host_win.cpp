// The plug-in calls: enumeration, loading, the exports and the local memory handles they return.
// Each operation loads the libraries one after another and frees each before the next, so that
// nothing of a plug-in stays in the process once the operation has returned.
#include <windows.h>

#include <cstring>
#include <functional>

#include "platform/ascii_case.h"
#include "sources/plugin_bitmap.h"
#include "sources/plugin_host.h"

namespace qv {

namespace {

bool g_archiveBusy = false;

template <typename Function> Function ExportOf(HMODULE module, const char* name) {
    FARPROC address = GetProcAddress(module, name);
    Function function;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
}

int QV_PLUGIN_CALL KeepGoing(int, int, intptr_t) {
    return 0;
}

class LibraryOwner {
public:
    explicit LibraryOwner(HMODULE module) : module_(module) {}
    LibraryOwner(const LibraryOwner&) = delete;
    LibraryOwner& operator=(const LibraryOwner&) = delete;
    ~LibraryOwner() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

// A local memory block that a plug-in handed over: locked while it is read, freed in every case.
class LocalBlock {
public:
    explicit LocalBlock(void* handle) : handle_(static_cast<HLOCAL>(handle)) {}
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;
    ~LocalBlock() {
        if (data_) LocalUnlock(handle_);
        if (handle_) LocalFree(handle_);
    }
    // Null for a missing handle or one that cannot be locked.
    const uint8_t* Lock(uint64_t* size) {
        *size = 0;
        if (!handle_) return nullptr;
        data_ = LocalLock(handle_);
        if (data_) *size = LocalSize(handle_);
        return static_cast<const uint8_t*>(data_);
    }

private:
    HLOCAL handle_;
    void* data_ = nullptr;
};

class ArchiveBusy {
public:
    ArchiveBusy() : acquired_(!g_archiveBusy) { g_archiveBusy = true; }
    ArchiveBusy(const ArchiveBusy&) = delete;
    ArchiveBusy& operator=(const ArchiveBusy&) = delete;
    ~ArchiveBusy() {
        if (acquired_) g_archiveBusy = false;
    }
    bool acquired() const { return acquired_; }

private:
    bool acquired_;
};

std::wstring DecodeAnsi(const uint8_t* bytes, size_t length) {
    if (length == 0 || length > INT32_MAX) return {};
    const char* text = reinterpret_cast<const char*>(bytes);
    int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), out.data(), n);
    return out;
}

// The ANSI form of `text`; false when some character has none or the result (with its 0) would
// not fit in the plug-ins' 260 bytes.
bool ExactAnsi(const std::wstring& text, std::string* out) {
    out->clear();
    if (text.empty() || text.size() > kPluginNameBytes) return false;
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (n <= 0 || static_cast<uint32_t>(n) >= kPluginNameBytes || lossy) return false;
    out->assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out->data(), n, nullptr, &lossy);
    return !lossy;
}

// A file name a plug-in can open: the path in the ANSI code page, or else its short form, which
// the system keeps in plain characters.
bool PluginPathName(const wchar_t* path, std::string* out) {
    if (ExactAnsi(path, out)) return true;
    wchar_t shortPath[MAX_PATH];
    DWORD n = GetShortPathNameW(path, shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH && ExactAnsi(shortPath, out);
}

// An archive member's name for "IsSupported", which may look at its extension: characters without
// an ANSI form become the default character.
std::string ApproximateAnsi(const wchar_t* name) {
    char buffer[kPluginNameBytes] = {};
    int n = WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return n > 0 ? std::string(buffer) : std::string();
}

HMODULE LoadQuietly(const std::wstring& path) {
    // a file that is no library of this machine must not bring up the system's error box
    DWORD previous = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    HMODULE module = LoadLibraryW(path.c_str());
    SetThreadErrorMode(previous, nullptr);
    return module;
}

struct LoadedPlugin {
    HMODULE module = nullptr;
    std::wstring fileName;
    PluginKind kind = kPluginNotAPlugin;
    PluginGetPluginInfoFn info = nullptr;

    std::string InfoText(int number, int bufferLength = kPluginTextBufferBytes) const {
        char buffer[kPluginTextBufferBytes] = {};
        int written = info(number, buffer, bufferLength);
        return PluginInfoText(buffer, written, bufferLength);
    }
};

// The plug-in files of the folder in enumeration order: "*.spi", then "*.sph", each as the system
// lists them. Names the system matches through their short form only are not plug-ins.
std::vector<std::wstring> PluginFileNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const wchar_t* extension : {L".spi", L".sph"}) {
        std::wstring pattern = JoinPath(folder, std::wstring(L"*") + extension);
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(pattern.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            std::wstring name = found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWithIgnoreAsciiCase(name, extension))
                names.push_back(name);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return names;
}

// Loads each plug-in in turn (switched-off ones only when asked), calls `visit` with it and frees
// it. A file that does not load or has no GetPluginInfo is passed over. Stops when `visit`
// returns true.
void ForEachPlugin(const PluginFolder& folder, bool withDisabled,
                   const std::function<bool(const LoadedPlugin&)>& visit) {
    if (!PluginFolderExists(folder.path)) return;
    for (const std::wstring& name : PluginFileNames(folder.path)) {
        if (!withDisabled && IsPluginDisabled(folder, name)) continue;
        LibraryOwner library(LoadQuietly(JoinPath(folder.path, name)));
        if (!library.get()) continue;
        LoadedPlugin plugin;
        plugin.module = library.get();
        plugin.fileName = name;
        plugin.info = ExportOf<PluginGetPluginInfoFn>(library.get(), kPluginExportInfo);
        if (!plugin.info) continue;
        std::string kind = plugin.InfoText(0, kPluginKindBufferBytes);
        plugin.kind = PluginKindOf(kind.c_str(), static_cast<int>(kind.size()));
        if (visit(plugin)) return;
    }
}

// Offers the header to the plug-ins of `kind`, as it is and then without a 128-byte prefix, and
// hands the first that recognises it to `use` with the start offset. Only that plug-in is used:
// the result is `use`'s.
bool WithRecognisingPlugin(const PluginFolder& folder, PluginKind kind, const std::string& name, uint8_t* header,
                           const std::function<bool(const LoadedPlugin&, uint32_t offset)>& use) {
    bool result = false;
    ForEachPlugin(folder, false, [&](const LoadedPlugin& plugin) {
        if (plugin.kind != kind) return false;
        auto isSupported = ExportOf<PluginIsSupportedFn>(plugin.module, kPluginExportIsSupported);
        if (!isSupported) return false;
        uint32_t offset = 0;
        if (isSupported(name.c_str(), header) != 0) {
            offset = 0;
        } else if (isSupported(name.c_str(), header + kPluginPrefixBytes) != 0) {
            offset = kPluginPrefixBytes;
        } else {
            return false;
        }
        result = use(plugin, offset);
        return true;
    });
    return result;
}

bool DecodeThrough(const LoadedPlugin& plugin, const char* source, intptr_t offsetOrLength, unsigned int flags,
                   ImageBuffer* target) {
    int32_t depth = 0;
    if (auto pictureInfo = ExportOf<PluginGetPictureInfoFn>(plugin.module, kPluginExportPictureInfo)) {
        // The record starts zeroed, so whatever the result says, a depth or text handle in it
        // came from the plug-in: the depth is kept and the text freed.
        PluginPictureInfo info{};
        pictureInfo(source, offsetOrLength, flags, &info);
        if (info.infoText) GlobalFree(info.infoText);
        depth = info.colorDepth;
    }
    auto picture = ExportOf<PluginGetPictureFn>(plugin.module, kPluginExportPicture);
    if (!picture) return false;
    void* infoHandle = nullptr;
    void* bitsHandle = nullptr;
    int result = picture(source, offsetOrLength, flags, &infoHandle, &bitsHandle, KeepGoing, 0);
    LocalBlock infoBlock(infoHandle), bitsBlock(bitsHandle);
    if (result != 0) return false;
    uint64_t infoSize = 0, bitsSize = 0;
    const uint8_t* info = infoBlock.Lock(&infoSize);
    const uint8_t* bits = bitsBlock.Lock(&bitsSize);
    return info && bits && ConvertPluginBitmap(info, infoSize, bits, bitsSize, depth, target);
}

} // namespace

std::vector<std::wstring> ListPluginPatterns(const PluginFolder& folder, uint32_t kindMask) {
    std::vector<std::wstring> patterns;
    ForEachPlugin(folder, false, [&](const LoadedPlugin& plugin) {
        if (!KindInMask(plugin.kind, kindMask)) return false;
        for (int n = 2; n < 2 * kPluginMaxPatternLists; n += 2) {
            std::string list = plugin.InfoText(n);
            if (list.empty()) break;
            AppendPluginPatterns(DecodeAnsi(reinterpret_cast<const uint8_t*>(list.data()), list.size()), &patterns);
        }
        return false;
    });
    return patterns;
}

bool DecodeWithPlugins(const PluginFolder& folder, const wchar_t* name, const uint8_t* data, uint32_t size,
                       bool fromFile, ImageBuffer* target) {
    if (!data || size == 0 || !name) return false;
    uint8_t header[kPluginHeaderBytes];
    FillPluginHeader(data, size, header);
    // A file whose name the plug-in cannot open is decoded from the bytes already mapped.
    std::string ansiName;
    bool byName = fromFile && PluginPathName(name, &ansiName);
    if (!byName) ansiName = ApproximateAnsi(name);
    return WithRecognisingPlugin(folder, kPluginImage, ansiName, header, [&](const LoadedPlugin& plugin, uint32_t at) {
        if (byName) return DecodeThrough(plugin, ansiName.c_str(), at, kPluginFromFile, target);
        if (at >= size) return false;
        return DecodeThrough(plugin, reinterpret_cast<const char*>(data + at), static_cast<intptr_t>(size - at),
                             kPluginFromMemory, target);
    });
}

bool ListArchiveWithPlugins(const PluginFolder& folder, const wchar_t* path, ArchiveListing* out) {
    ArchiveBusy busy;
    uint8_t header[kPluginHeaderBytes];
    FILETIME archiveTime{};
    std::string ansiPath;
    if (!busy.acquired() || !ReadPluginHeader(path, header, &archiveTime) || !PluginPathName(path, &ansiPath))
        return false;
    return WithRecognisingPlugin(
        folder, kPluginArchive, ansiPath, header, [&](const LoadedPlugin& plugin, uint32_t at) {
            auto archiveInfo = ExportOf<PluginGetArchiveInfoFn>(plugin.module, kPluginExportArchiveInfo);
            if (!archiveInfo) return false;
            void* handle = nullptr;
            archiveInfo(ansiPath.c_str(), at, kPluginFromFile, &handle);
            LocalBlock block(handle);
            uint64_t size = 0;
            const uint8_t* records = block.Lock(&size);
            return records && ListPluginRecords(records, size, archiveTime, DecodeAnsi, out);
        });
}

bool ExtractWithPlugins(const PluginFolder& folder, const wchar_t* path, const FileEntry& entry, LargeBlock* out,
                        uint32_t* length) {
    out->reset();
    *length = 0;
    ArchiveBusy busy;
    uint8_t header[kPluginHeaderBytes];
    FILETIME archiveTime{};
    std::string ansiPath;
    if (!busy.acquired() || !ReadPluginHeader(path, header, &archiveTime) || !PluginPathName(path, &ansiPath))
        return false;
    return WithRecognisingPlugin(folder, kPluginArchive, ansiPath, header,
                                 [&](const LoadedPlugin& plugin, uint32_t at) {
                                     auto getFile = ExportOf<PluginGetFileFn>(plugin.module, kPluginExportFile);
                                     if (!getFile) return false;
                                     void* handle = nullptr;
                                     intptr_t position = static_cast<intptr_t>(static_cast<uint32_t>(entry.key)) + at;
                                     int result = getFile(ansiPath.c_str(), position, reinterpret_cast<char*>(&handle),
                                                          kPluginToMemory | kPluginFromFile, KeepGoing, 0);
                                     LocalBlock block(handle);
                                     if (result != 0) return false;
                                     uint64_t size = 0;
                                     const uint8_t* data = block.Lock(&size);
                                     return data && CopyPluginMember(data, size, out, length);
                                 });
}

bool PluginArchiveBusy() {
    return g_archiveBusy;
}

bool ShowPluginSettings(const PluginFolder& folder, const std::wstring& fileName, void* parentWindow) {
    if (!PluginFolderExists(folder.path) || fileName.empty()) return false;
    LibraryOwner library(LoadQuietly(JoinPath(folder.path, fileName)));
    if (!library.get()) return false;
    auto configure = ExportOf<PluginConfigurationDlgFn>(library.get(), kPluginExportConfiguration);
    if (!configure) return false;
    configure(parentWindow, kPluginConfigureSettings);
    return true;
}

std::vector<PluginFileFacts> ListPluginFiles(const PluginFolder& folder) {
    std::vector<PluginFileFacts> files;
    ForEachPlugin(folder, true, [&](const LoadedPlugin& plugin) {
        if (plugin.kind == kPluginNotAPlugin) return false;
        PluginFileFacts facts;
        facts.fileName = plugin.fileName;
        facts.kind = plugin.kind;
        facts.enabled = !IsPluginDisabled(folder, plugin.fileName);
        std::string patterns, descriptions;
        if (JoinPluginDescriptions([&](int n) { return plugin.InfoText(n); }, &patterns, &descriptions)) {
            facts.patterns = DecodeAnsi(reinterpret_cast<const uint8_t*>(patterns.data()), patterns.size());
            facts.descriptions = DecodeAnsi(reinterpret_cast<const uint8_t*>(descriptions.data()), descriptions.size());
        }
        files.push_back(facts);
        return false;
    });
    return files;
}

} // namespace qv
