// Win32 half of the platform layer: HeapCreate for the private heap, VirtualAlloc for large
// blocks, CreateFileMappingW/MapViewOfFile for whole files, CreateFileW/WriteFile for output.
#include <algorithm>

#include "platform/paths.h"
#include "platform/platform.h"

#include <shellapi.h>
#include <shlwapi.h>

namespace qv {

namespace {

HANDLE g_heap = nullptr;

HANDLE AsHandle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

} // namespace

bool CreatePrivateHeap() {
    if (!g_heap) g_heap = HeapCreate(0, 0x10000, 0);
    return g_heap != nullptr;
}

void DestroyPrivateHeap() {
    if (g_heap) HeapDestroy(g_heap);
    g_heap = nullptr;
}

void* PrivateAlloc(size_t bytes) {
    // Test programs and the converter may allocate before (or without) the start-up heap.
    HANDLE heap = g_heap ? g_heap : GetProcessHeap();
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes ? bytes : 1);
}

void PrivateFree(void* block) {
    if (!block) return;
    HANDLE heap = g_heap ? g_heap : GetProcessHeap();
    HeapFree(heap, 0, block);
}

void* AllocLargeBlock(size_t bytes) {
    return VirtualAlloc(nullptr, bytes ? bytes : 1, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeLargeBlock(void* block) {
    if (!block) return;
    // The block was reserved and committed in one call; decommitting the first page's
    // region with size 0 decommits the whole reservation before it is released.
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(block, &info, sizeof info)) VirtualFree(block, 0, MEM_DECOMMIT);
    VirtualFree(block, 0, MEM_RELEASE);
}

void ReleaseLargeBlockPages(void* block, size_t from, size_t to) {
    constexpr uintptr_t kPage = 4096;
    uintptr_t first = (reinterpret_cast<uintptr_t>(block) + from + kPage - 1) & ~(kPage - 1);
    uintptr_t last = (reinterpret_cast<uintptr_t>(block) + to) & ~(kPage - 1);
    if (last > first) VirtualFree(reinterpret_cast<void*>(first), last - first, MEM_DECOMMIT);
}

void MappedFile::Close() {
    if (view) UnmapViewOfFile(view);
    view = nullptr;
    size = 0;
    if (mappingHandle) CloseHandle(AsHandle(mappingHandle));
    mappingHandle = 0;
    if (fileHandle != -1) CloseHandle(AsHandle(fileHandle));
    fileHandle = -1;
}

bool MapWholeFile(const wchar_t* path, MapMode mode, MappedFile* out) {
    out->Close();
    DWORD access = mode == MapMode::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    HANDLE file = CreateFileW(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    out->fileHandle = reinterpret_cast<intptr_t>(file);
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || low == 0) {
        out->Close();
        return false;
    }
    GetFileTime(file, nullptr, nullptr, &out->lastWrite);
    HANDLE mapping =
        CreateFileMappingW(file, nullptr, mode == MapMode::ReadOnly ? PAGE_READONLY : PAGE_WRITECOPY, 0, 0, nullptr);
    if (!mapping) {
        out->Close();
        return false;
    }
    out->mappingHandle = reinterpret_cast<intptr_t>(mapping);
    void* view = MapViewOfFile(mapping, mode == MapMode::ReadOnly ? FILE_MAP_READ : FILE_MAP_COPY, 0, 0, 0);
    if (!view) {
        out->Close();
        return false;
    }
    out->view = static_cast<uint8_t*>(view);
    out->size = low;
    return true;
}

bool OutputFile::Create(const wchar_t* path) {
    Close();
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(file);
    failed_ = false;
    return true;
}

bool OutputFile::Write(const void* data, size_t bytes) {
    if (handle_ == -1 || failed_) return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (bytes > 0) {
        DWORD chunk = bytes > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes);
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), p, chunk, &written, nullptr) || written != chunk) {
            failed_ = true;
            return false;
        }
        p += chunk;
        bytes -= chunk;
    }
    return true;
}

bool OutputFile::Seek(uint64_t offset) {
    if (handle_ == -1 || failed_) return false;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(AsHandle(handle_), to, nullptr, FILE_BEGIN) != 0;
}

bool OutputFile::Close() {
    if (handle_ == -1) return !failed_;
    bool ok = CloseHandle(AsHandle(handle_)) != 0 && !failed_;
    handle_ = -1;
    return ok;
}

bool ReadWholeFile(const wchar_t* path, std::string* bytes, uint64_t limit) {
    bytes->clear();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > limit) {
        CloseHandle(file);
        return false;
    }
    bytes->resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes->size()) {
        DWORD chunk = static_cast<DWORD>(bytes->size() - done > 0x40000000 ? 0x40000000 : bytes->size() - done);
        DWORD got = 0;
        if (!ReadFile(file, bytes->data() + done, chunk, &got, nullptr) || got == 0) break;
        done += got;
    }
    CloseHandle(file);
    bytes->resize(done);
    return true;
}

bool RandomAccessFile::OpenReadShared(const wchar_t* path) {
    Close();
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(file);
    return true;
}

bool RandomAccessFile::OpenReadWriteAlways(const wchar_t* path) {
    Close();
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(file);
    return true;
}

static bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != 0;
}

bool RandomAccessFile::ReadAt(uint64_t offset, void* data, uint32_t bytes, uint32_t* got) {
    *got = 0;
    if (handle_ == -1 || !SeekTo(AsHandle(handle_), offset)) return false;
    uint8_t* p = static_cast<uint8_t*>(data);
    while (*got < bytes) {
        DWORD n = 0;
        if (!ReadFile(AsHandle(handle_), p + *got, bytes - *got, &n, nullptr)) return false;
        if (n == 0) break;
        *got += n;
    }
    return true;
}

bool RandomAccessFile::WriteAt(uint64_t offset, const void* data, uint32_t bytes) {
    if (handle_ == -1 || !SeekTo(AsHandle(handle_), offset)) return false;
    DWORD written = 0;
    return WriteFile(AsHandle(handle_), data, bytes, &written, nullptr) && written == bytes;
}

bool RandomAccessFile::Size(uint64_t* size) {
    LARGE_INTEGER value;
    if (handle_ == -1 || !GetFileSizeEx(AsHandle(handle_), &value)) return false;
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool RandomAccessFile::Truncate(uint64_t size) {
    return handle_ != -1 && SeekTo(AsHandle(handle_), size) && SetEndOfFile(AsHandle(handle_));
}

void RandomAccessFile::Close() {
    if (handle_ != -1) CloseHandle(AsHandle(handle_));
    handle_ = -1;
}

bool PathExists(const wchar_t* path) {
    return PathFileExistsW(path) != 0;
}

bool IsDirectory(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool GetFileFacts(const wchar_t* path, uint64_t* size, FILETIME* lastWrite) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
    if (size) *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (lastWrite) *lastWrite = data.ftLastWriteTime;
    return true;
}

bool DeleteFilePath(const wchar_t* path) {
    return DeleteFileW(path) != 0;
}

std::wstring RecycleFolder() {
    return {}; // the shell's own
}

RecycleResult RecycleFile(const wchar_t* path, RecycleUi ui, intptr_t owner) {
    // FOF_ALLOWUNDO is ignored for a path that is not fully qualified: it would be deleted
    if (!path || !IsAbsolutePath(path)) return RecycleResult::Failed;
    std::wstring from(path);
    from.push_back(L'\0'); // the list ends with a second NUL
    SHFILEOPSTRUCTW op{};
    op.hwnd = reinterpret_cast<HWND>(owner);
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_SILENT;                              // 0x44
    if (ui != RecycleUi::QuestionFirst) op.fFlags |= FOF_NOCONFIRMATION; // 0x54
    if (ui == RecycleUi::None) op.fFlags |= FOF_NOERRORUI;               // 0x454
    int result = SHFileOperationW(&op);
    // a No to the question reads as an aborted operation (some systems also return "cancelled")
    if (op.fAnyOperationsAborted || result == ERROR_CANCELLED) return RecycleResult::Declined;
    if (result != 0 || PathExists(path)) return RecycleResult::Failed;
    return RecycleResult::Recycled;
}

bool CopyFilePath(const wchar_t* from, const wchar_t* to) {
    return CopyFileW(from, to, FALSE) != 0;
}

bool RenameFilePath(const wchar_t* from, const wchar_t* to) {
    return MoveFileExW(from, to, MOVEFILE_WRITE_THROUGH) != 0;
}

bool CreateDirectoryPath(const wchar_t* path) {
    return CreateDirectoryW(path, nullptr) != 0 || IsDirectory(path);
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    // no folder rather than the current one: temporary files must not land beside the program
    if (n == 0 || n > MAX_PATH) return {};
    return std::wstring(buffer, n);
}

bool CreateTempFile(const std::wstring& folder, std::wstring* path) {
    wchar_t buffer[MAX_PATH];
    std::wstring dir = folder.empty() ? TempFolder() : folder;
    if (dir.empty() || !GetTempFileNameW(dir.c_str(), L"tmp", 0, buffer)) return false;
    *path = buffer;
    return true;
}

bool ListDirectory(const std::wstring& folder, const std::function<void(const DirEntry&)>& visit) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(JoinPath(folder, L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) continue;
        DirEntry entry;
        entry.name = data.cFileName;
        entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entry.lastWrite = data.ftLastWriteTime;
        visit(entry);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring AnsiToWide(const uint8_t* bytes, size_t length) {
    if (length == 0 || length > INT32_MAX) return {};
    const char* text = reinterpret_cast<const char*>(bytes);
    int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), out.data(), n);
    return out;
}

std::string WideToAnsi(const std::wstring& text, size_t maxBytes) {
    // a double-byte page may take two bytes a character: the text is shortened until it fits
    size_t chars = std::min(text.size(), maxBytes);
    while (chars > 0 && chars <= INT32_MAX) {
        if (text[chars - 1] >= 0xD800 && text[chars - 1] < 0xDC00) --chars; // a pair stays whole
        if (chars == 0) break;
        int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(chars), nullptr, 0, nullptr, nullptr);
        if (n <= 0) return {};
        if (static_cast<size_t>(n) <= maxBytes) {
            std::string out(static_cast<size_t>(n), '\0');
            WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(chars), out.data(), n, nullptr, nullptr);
            return out;
        }
        chars -= std::min(chars, std::max<size_t>(1, (static_cast<size_t>(n) - maxBytes) / 2));
    }
    return {};
}

wchar_t PathSeparator() {
    return L'\\';
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    if (folder.back() == L'\\' || folder.back() == L'/') return folder + name;
    return folder + L'\\' + name;
}

std::wstring FullPathOf(const std::wstring& path) {
    if (path.empty()) return path;
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    DWORD got = GetFullPathNameW(path.c_str(), n, out.data(), nullptr);
    if (got == 0 || got >= n) return path;
    out.resize(got);
    return out;
}

} // namespace qv
