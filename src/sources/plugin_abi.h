// The C interface between this program and its image and archive plug-ins (*.spi, *.sph): the
// records a plug-in fills and the exports the program calls. The program's own plug-ins include
// this header too, so both sides are held to one set of declarations.
//
// A 64-bit plug-in takes every pointer-sized argument (a data pointer or file offset, a data
// length, the user value handed back to the progress callback) as a 64-bit value: intptr_t here.
// The records are byte-packed: the archive record is 444 bytes with no padding around its 64-bit
// fields, and the picture record follows the same packing.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define QV_PLUGIN_CALL __stdcall
#else
#define QV_PLUGIN_CALL
#endif

extern "C" {

#pragma pack(push, 1)

// What "GetPictureInfo" reports about an image.
struct PluginPictureInfo {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    uint16_t xDensity;
    uint16_t yDensity;
    int16_t colorDepth; // bits per pixel of the source, 0 when unknown
    void* infoText;     // a global memory handle holding a text, or null; the caller frees it
};

// One member of an archive as "GetArchiveInfo" lists it. A record whose method starts with a 0
// byte ends the list.
struct PluginArchiveRecord {
    char method[8];
    uint64_t position; // where "GetFile" finds the member, counted from the archive's start offset
    uint64_t compressedSize;
    uint64_t fileSize;
    int64_t timestamp; // seconds since 1970-01-01 UTC
    char path[200];    // folder inside the archive, with a trailing backslash, or empty (ANSI)
    char fileName[200];
    uint32_t crc;
};

#pragma pack(pop)

// Returns 0 to let the plug-in go on.
typedef int(QV_PLUGIN_CALL* PluginProgressCallback)(int done, int total, intptr_t userValue);

// Function 0 writes the kind ("00IN" image, "00AM" archive); 2, 4, 6 ... write extension pattern
// lists ("*.abc;*.abd"), 3, 5, 7 ... the matching format descriptions. Returns the bytes written,
// 0 when there is no such entry.
typedef int(QV_PLUGIN_CALL* PluginGetPluginInfoFn)(int infoNumber, char* buffer, int bufferLength);
// Non-zero when the plug-in reads the file whose first bytes `header` points at.
typedef int(QV_PLUGIN_CALL* PluginIsSupportedFn)(const char* fileName, void* header);
// `source` is an ANSI file name (flags 0, `offsetOrLength` the start offset) or a data pointer
// (flags 1, `offsetOrLength` the length).
typedef int(QV_PLUGIN_CALL* PluginGetPictureInfoFn)(const char* source, intptr_t offsetOrLength, unsigned int flags,
                                                    PluginPictureInfo* info);
// 0 on success; `bitmapInfo` (BITMAPINFOHEADER and colour table) and `bitmapBits` receive local
// memory handles that the caller frees.
typedef int(QV_PLUGIN_CALL* PluginGetPictureFn)(const char* source, intptr_t offsetOrLength, unsigned int flags,
                                                void** bitmapInfo, void** bitmapBits, PluginProgressCallback progress,
                                                intptr_t userValue);
// 0 on success; `records` receives a local memory handle holding PluginArchiveRecord entries.
typedef int(QV_PLUGIN_CALL* PluginGetArchiveInfoFn)(const char* archive, intptr_t offset, unsigned int flags,
                                                    void** records);
// With kPluginToMemory in `flags`, `destination` points at a handle that receives a local memory
// block holding the member; 0 on success.
typedef int(QV_PLUGIN_CALL* PluginGetFileFn)(const char* archive, intptr_t position, char* destination,
                                             unsigned int flags, PluginProgressCallback progress, intptr_t userValue);
typedef int(QV_PLUGIN_CALL* PluginConfigurationDlgFn)(void* parentWindow, int function);

} // extern "C"

static_assert(sizeof(PluginArchiveRecord) == 444);
static_assert(offsetof(PluginArchiveRecord, position) == 8);
static_assert(offsetof(PluginArchiveRecord, fileSize) == 24);
static_assert(offsetof(PluginArchiveRecord, timestamp) == 32);
static_assert(offsetof(PluginArchiveRecord, path) == 40);
static_assert(offsetof(PluginArchiveRecord, fileName) == 240);
static_assert(offsetof(PluginArchiveRecord, crc) == 440);
static_assert(offsetof(PluginPictureInfo, colorDepth) == 20);
static_assert(offsetof(PluginPictureInfo, infoText) == 22);
static_assert(sizeof(PluginPictureInfo) == 22 + sizeof(void*));
static_assert(sizeof(intptr_t) == sizeof(void*));

namespace qv {

// The names of the exports.
constexpr const char* kPluginExportInfo = "GetPluginInfo";
constexpr const char* kPluginExportIsSupported = "IsSupported";
constexpr const char* kPluginExportPictureInfo = "GetPictureInfo";
constexpr const char* kPluginExportPicture = "GetPicture";
constexpr const char* kPluginExportArchiveInfo = "GetArchiveInfo";
constexpr const char* kPluginExportFile = "GetFile";
constexpr const char* kPluginExportConfiguration = "ConfigurationDlg";

// The `flags` of the calls.
constexpr unsigned int kPluginFromFile = 0;
constexpr unsigned int kPluginFromMemory = 1;
constexpr unsigned int kPluginToMemory = 0x100;
constexpr unsigned int kPluginSourceMask = 7;
constexpr unsigned int kPluginDestinationMask = 0x700;

constexpr int kPluginConfigureSettings = 1; // the ConfigurationDlg function that shows the settings

// The header handed to "IsSupported": 2048 bytes a plug-in may look at, plus the 128 that a
// second call skips for files that carry a prefix.
constexpr uint32_t kPluginHeaderBytes = 2176;
constexpr uint32_t kPluginPrefixBytes = 128;

constexpr int kPluginKindBufferBytes = 8;
constexpr int kPluginTextBufferBytes = 260; // patterns and descriptions
constexpr uint32_t kPluginTextLimit = 259;  // joined descriptions stay within this many bytes
constexpr uint32_t kPluginNameBytes = 260;  // ANSI file names, with the terminating 0

} // namespace qv
