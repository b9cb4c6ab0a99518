// What both of the program's own plug-ins need on the library side: their result codes, the
// GetPluginInfo texts, the files and blocks the calls name, and the local memory blocks they
// hand back. Each call of the interface opens and closes what it uses.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "sources/plugin_abi.h"

#define QV_PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace qv {

// Results of the exports: 0 is success, anything else a refusal.
constexpr int kPluginOk = 0;
constexpr int kPluginCancelled = 1; // the progress callback asked to stop
constexpr int kPluginNotMine = 2;   // not a file of this plug-in's formats
constexpr int kPluginBadData = 3;   // damaged, cut short or too large
constexpr int kPluginNoMemory = 4;
constexpr int kPluginCannotRead = 6;
constexpr int kPluginUnsupportedCall = -1; // a mode or function the plug-in does not offer

// Copies `text` into a GetPluginInfo buffer, cut to fit with its terminating 0; the bytes written
// without the 0.
int CopyPluginText(const char* text, char* buffer, int bufferLength);

// The bytes a call names: from an ANSI file name (mapped read-only, from `offsetOrLength` on) or
// the caller's memory block (`offsetOrLength` bytes).
class PluginSourceBytes {
public:
    PluginSourceBytes() = default;
    PluginSourceBytes(const PluginSourceBytes&) = delete;
    PluginSourceBytes& operator=(const PluginSourceBytes&) = delete;
    ~PluginSourceBytes();
    // A result code: kPluginOk, kPluginCannotRead or kPluginUnsupportedCall.
    int Open(const char* source, intptr_t offsetOrLength, unsigned int flags);
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    void* view_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// Random reads of an ANSI-named file, for archives that are never read whole.
class PluginFileReader {
public:
    PluginFileReader() = default;
    PluginFileReader(const PluginFileReader&) = delete;
    PluginFileReader& operator=(const PluginFileReader&) = delete;
    ~PluginFileReader();
    bool Open(const char* name);
    uint64_t size() const { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, uint32_t length);

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    uint64_t size_ = 0;
};

// A movable local memory block holding a copy of `size` bytes (`extra` zero bytes after them);
// null when out of memory.
HLOCAL LocalCopy(const void* data, size_t size, size_t extra = 0);

} // namespace qv
