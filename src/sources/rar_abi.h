// The RAR extraction library's published interface as this program calls it: the x64 layouts of
// the extended open-archive and header records (the library packs them to 1 byte), the callback
// messages and the four functions. Our own unrar64.dll (plugins/unrar) implements the same
// records, so both sides share this header. Wide characters are UTF-16 in both builds: wchar_t
// on Windows, char16_t natively, which keeps the layouts identical.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

#ifdef _WIN32
using RarChar = wchar_t;
#define QV_RAR_CALL __stdcall
#else
using RarChar = char16_t;
#define QV_RAR_CALL
#endif
static_assert(sizeof(RarChar) == 2);

// Results of the open call and of reading and processing members.
constexpr uint32_t kRarSuccess = 0;
constexpr uint32_t kRarEndArchive = 10;
constexpr uint32_t kRarNoMemory = 11;
constexpr uint32_t kRarBadData = 12;
constexpr uint32_t kRarBadArchive = 13;
constexpr uint32_t kRarUnknownFormat = 14;
constexpr uint32_t kRarOpenFailed = 15;
constexpr uint32_t kRarReadFailed = 18;
constexpr uint32_t kRarUnknown = 21;
constexpr uint32_t kRarMissingPassword = 22;

constexpr uint32_t kRarOpenList = 0;
constexpr uint32_t kRarOpenExtract = 1;
constexpr int kRarSkip = 0;
constexpr int kRarTest = 1;

// Archive flags after opening.
constexpr uint32_t kRarArchiveVolume = 0x0001;
constexpr uint32_t kRarArchiveSolid = 0x0008;
constexpr uint32_t kRarArchiveNewNumbering = 0x0010;
constexpr uint32_t kRarArchiveEncryptedHeaders = 0x0080;
constexpr uint32_t kRarArchiveFirstVolume = 0x0100;

// Member flags of the header record.
constexpr uint32_t kRarMemberEncrypted = 0x0004;
constexpr uint32_t kRarMemberDirectory = 0x0020;

// Callback messages; the result -1 aborts the operation.
constexpr uint32_t kRarMsgChangeVolume = 0;
constexpr uint32_t kRarMsgProcessData = 1; // p1: the bytes, p2: their count
constexpr uint32_t kRarMsgNeedPassword = 2;
constexpr uint32_t kRarMsgChangeVolumeW = 3; // p1: the volume's wide name, p2: ask (0) or notify (1)
constexpr uint32_t kRarMsgNeedPasswordW = 4; // p1: the wide buffer, p2: its size in characters
constexpr intptr_t kRarVolumeAsk = 0;
constexpr intptr_t kRarVolumeNotify = 1;

using RarCallback = int(QV_RAR_CALL*)(uint32_t message, intptr_t userData, intptr_t p1, intptr_t p2);

#pragma pack(push, 1)
struct RarOpenData {
    char* arcName;
    RarChar* arcNameW;
    uint32_t openMode;
    uint32_t openResult;
    char* cmtBuf;
    uint32_t cmtBufSize;
    uint32_t cmtSize;
    uint32_t cmtState;
    uint32_t flags;
    RarCallback callback;
    intptr_t userData;
    uint32_t opFlags;
    RarChar* cmtBufW;
    uint32_t reserved[25];
};

struct RarHeaderData {
    char arcName[1024];
    RarChar arcNameW[1024];
    char fileName[1024];
    RarChar fileNameW[1024];
    uint32_t flags;
    uint32_t packSize;
    uint32_t packSizeHigh;
    uint32_t unpSize;
    uint32_t unpSizeHigh;
    uint32_t hostOS;
    uint32_t fileCRC;
    uint32_t fileTime; // DOS date in the high 16 bits, time in the low 16
    uint32_t unpVer;
    uint32_t method;
    uint32_t fileAttr;
    char* cmtBuf;
    uint32_t cmtBufSize;
    uint32_t cmtSize;
    uint32_t cmtState;
    // Newer libraries put more fields here; this room holds the largest form any of them writes.
    uint32_t reserved[1024];
};
#pragma pack(pop)

static_assert(sizeof(RarOpenData) == 176);
static_assert(offsetof(RarOpenData, arcNameW) == 8 && offsetof(RarOpenData, openMode) == 16);
static_assert(offsetof(RarOpenData, openResult) == 20 && offsetof(RarOpenData, flags) == 44);
static_assert(offsetof(RarOpenData, callback) == 48 && offsetof(RarOpenData, userData) == 56);
static_assert(offsetof(RarHeaderData, fileNameW) == 4096 && offsetof(RarHeaderData, unpSize) == 6156);
static_assert(offsetof(RarHeaderData, unpSizeHigh) == 6160 && offsetof(RarHeaderData, fileTime) == 6172);
static_assert(offsetof(RarHeaderData, cmtBuf) == 6188 && offsetof(RarHeaderData, cmtBufSize) == 6196);
static_assert(sizeof(RarHeaderData) == 10304);

using RarOpenFn = void*(QV_RAR_CALL*)(RarOpenData* data);
using RarCloseFn = int(QV_RAR_CALL*)(void* archive);
using RarReadHeaderFn = int(QV_RAR_CALL*)(void* archive, RarHeaderData* header);
using RarProcessFn = int(QV_RAR_CALL*)(void* archive, int operation, RarChar* destPath, RarChar* destName);

} // namespace qv
