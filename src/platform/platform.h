// The operating-system services the portable core uses, and nothing more: the private heap, large
// zero-filled blocks, whole-file mappings, output and temporary files, file facts and folder
// listings. platform_win.cpp implements them with Win32, platform_posix.cpp with POSIX.
// Paths are wide strings in both builds (UTF-16 on Windows, UTF-32 on Linux, converted to UTF-8
// at the system call).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32_types.h"

namespace qv {

// ---- private heap: records, strings, lists (zero-filled) -----------------------------------
bool CreatePrivateHeap();
void DestroyPrivateHeap();
void* PrivateAlloc(size_t bytes);
void PrivateFree(void* block);

// ---- large blocks: pixel planes, archive members (page allocations, zero-filled) ----------
void* AllocLargeBlock(size_t bytes);
void FreeLargeBlock(void* block);
// Gives the whole pages inside [block + from, block + to) back to the system while the block
// stays allocated: a buffer read once from front to back stops weighing on the working set
// behind its reader. Those bytes must not be read or written again before the block is freed.
void ReleaseLargeBlockPages(void* block, size_t from, size_t to);

struct LargeBlockDeleter {
    void operator()(void* block) const { FreeLargeBlock(block); }
};
using LargeBlock = std::unique_ptr<uint8_t, LargeBlockDeleter>;

// ---- whole-file mappings --------------------------------------------------------------------
enum class MapMode {
    ReadOnly,    // read access, read sharing, a read-only view
    CopyOnWrite, // read/write open, private pages: callers patch bytes without touching the file
};

// Owns the file handle, the mapping and the view; closes them in reverse order.
struct MappedFile {
    intptr_t fileHandle = -1;
    intptr_t mappingHandle = 0;
    uint8_t* view = nullptr;
    uint32_t size = 0;
    FILETIME lastWrite{};

    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() { Close(); }
    void Close();
};

// Maps the whole file. Fails for missing files, folders, empty files and files of 4 GiB or more.
bool MapWholeFile(const wchar_t* path, MapMode mode, MappedFile* out);

// ---- writing files --------------------------------------------------------------------------
// Created (or truncated) on Create, written sequentially, closed by Close or the destructor.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Close(); }

    bool Create(const wchar_t* path);
    bool Write(const void* data, size_t bytes);
    bool Seek(uint64_t offset);
    bool Close(); // false when the final flush failed
    bool IsOpen() const { return handle_ != -1; }

private:
    intptr_t handle_ = -1;
    bool failed_ = false;
};

bool ReadWholeFile(const wchar_t* path, std::string* bytes, uint64_t limit = UINT32_MAX);

// ---- random access: the settings file is read and rewritten in place --------------------------
class RandomAccessFile {
public:
    RandomAccessFile() = default;
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;
    ~RandomAccessFile() { Close(); }

    bool OpenReadShared(const wchar_t* path);      // read access, read sharing, must exist
    bool OpenReadWriteAlways(const wchar_t* path); // read/write, read sharing, created if missing
    // Reads up to `bytes` at `offset`; *got is how many arrived (short at the end of the file).
    bool ReadAt(uint64_t offset, void* data, uint32_t bytes, uint32_t* got);
    bool WriteAt(uint64_t offset, const void* data, uint32_t bytes); // false unless all was written
    bool Size(uint64_t* size);
    bool Truncate(uint64_t size);
    void Close();
    bool IsOpen() const { return handle_ != -1; }

private:
    intptr_t handle_ = -1;
};

// ---- file facts -----------------------------------------------------------------------------
bool PathExists(const wchar_t* path);
bool IsDirectory(const wchar_t* path);
bool GetFileFacts(const wchar_t* path, uint64_t* size, FILETIME* lastWrite);
bool DeleteFilePath(const wchar_t* path);
bool CopyFilePath(const wchar_t* from, const wchar_t* to); // overwrites
// Renames within one volume; never replaces an existing file (false then).
bool RenameFilePath(const wchar_t* from, const wchar_t* to);
bool CreateDirectoryPath(const wchar_t* path);
// The one way the program sends a file to the Recycle Bin (natively: into a "quorvel-recycle"
// folder of the temporary folder): the shell's delete with undo allowed. Saving replaces files
// silently; the delete command lets the shell ask first (on Windows only: natively nothing asks).
// Only a fully qualified path is handed over: the shell ignores the undo flag for any other and
// would delete the file for good.
enum class RecycleUi {
    None,         // no question, no progress, no error box (saving)
    Errors,       // no question; the shell reports what went wrong (deleting without the question)
    QuestionFirst // the shell asks before the file goes, and reports errors
};
enum class RecycleResult {
    Recycled, // the file has left its path
    Declined, // the user answered No to the shell's question
    Failed,   // the file stays where it was
};
// `owner` is the window (an HWND) that the shell's question and errors belong to; 0 for none.
RecycleResult RecycleFile(const wchar_t* path, RecycleUi ui = RecycleUi::None, intptr_t owner = 0);
// The folder recycled files go to natively; tests look for them there.
std::wstring RecycleFolder();

// A new empty file named "tmp…" in `folder` (the system temporary folder when empty); false
// when the folder cannot be had or the file not made.
bool CreateTempFile(const std::wstring& folder, std::wstring* path);
// The system temporary folder; empty when the system cannot give one.
std::wstring TempFolder();

// One entry of a folder listing. `name` has no folder part.
struct DirEntry {
    std::wstring name;
    bool isDirectory = false;
    uint64_t size = 0;
    FILETIME lastWrite{};
};
// Calls `visit` for each entry except "." and "..". Returns false when the folder cannot be read.
bool ListDirectory(const std::wstring& folder, const std::function<void(const DirEntry&)>& visit);

// ---- text -----------------------------------------------------------------------------------
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
// Text in the system's ANSI code page (ZIP names without the UTF-8 flag, EXIF ASCII texts, the
// old text settings): on Windows through the code page itself, natively always Windows-1252,
// the page of the systems the native build stands in for.
std::wstring AnsiToWide(const uint8_t* bytes, size_t length);
// The reverse, cut to at most `maxBytes` bytes without splitting a character; what the page
// cannot hold becomes the system's default character ('?' natively).
std::string WideToAnsi(const std::wstring& text, size_t maxBytes);

// Folder separator of the build: '\\' on Windows, '/' natively.
wchar_t PathSeparator();
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

} // namespace qv
