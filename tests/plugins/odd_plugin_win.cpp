// Deliberately odd plug-ins for the tests of the plug-in host, one library per variant (the build
// compiles this file once for each, with QV_ODD_VARIANT set). Each recognises files that start
// with its own four-byte tag and answers in its own odd way. Every IsSupported call is noted in
// the environment variable QV_ODD_ASKED (process-wide, so it outlives the library), which lets a
// test see which plug-ins were asked; every memory block handed out is noted in QV_ODD_BLOCKS, so
// a test can check that the caller freed it.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "sources/plugin_abi.h"

#define ODD_EXPORT extern "C" __declspec(dllexport)

namespace {

enum Variant {
    kClaimsJpeg = 1,  // patterns "*.jpg;*.odj"
    kDuplicateA = 2,  // "*.dup;*.dupa"
    kDuplicateB = 3,  // "*.DUP;*.dupb" (built as a .sph)
    kAfterPrefix = 4, // tag "ODD!"; reached only past a 128-byte prefix in the tests
    kThirtyTwo = 5,   // tag "OD32": a 32-bit bitmap
    kFailsToLoad = 6, // DllMain refuses: LoadLibraryW fails
    kDisabled = 7,    // tag "ODDX" for any file; the tests switch it off
    kBadBitmaps = 8,  // tag "ODDB" and a selector byte: bitmaps of the wrong shape
    kArchive = 9,     // tag "ODDA": an archive with odd records
};

constexpr int kVariant = QV_ODD_VARIANT;

const char* Tag() {
    switch (kVariant) {
    case kAfterPrefix: return "ODD!";
    case kThirtyTwo: return "OD32";
    case kDisabled: return "ODDX";
    case kBadBitmaps: return "ODDB";
    case kArchive: return "ODDA";
    default: return "ODDJ";
    }
}

const char* Patterns() {
    switch (kVariant) {
    case kClaimsJpeg: return "*.jpg;*.odj";
    case kDuplicateA: return "*.dup;*.dupa";
    case kDuplicateB: return "*.DUP;*.dupb";
    case kDisabled: return "*.dis";
    case kArchive: return "*.oda";
    default: return "*.odd";
    }
}

int CopyText(const char* text, char* buffer, int length) {
    if (length <= 0) return 0;
    int n = static_cast<int>(std::strlen(text));
    if (n > length - 1) n = length - 1;
    std::memcpy(buffer, text, static_cast<size_t>(n));
    buffer[n] = 0;
    return n;
}

void NoteAsked() {
    char before[1024] = {};
    GetEnvironmentVariableA("QV_ODD_ASKED", before, sizeof before);
    char after[1100];
    std::snprintf(after, sizeof after, "%s%d;", before, kVariant);
    SetEnvironmentVariableA("QV_ODD_ASKED", after);
}

// The first bytes of what a call names: a file read from the offset, or the memory block.
bool ReadStart(const char* source, intptr_t offsetOrLength, unsigned int flags, uint8_t* out, DWORD want, DWORD* got) {
    *got = 0;
    if ((flags & 7) == 1) {
        *got = offsetOrLength < static_cast<intptr_t>(want) ? static_cast<DWORD>(offsetOrLength) : want;
        std::memcpy(out, source, *got);
        return true;
    }
    HANDLE file = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at;
    at.QuadPart = offsetOrLength;
    bool ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, out, want, got, nullptr);
    CloseHandle(file);
    return ok;
}

void NoteBlock(void* block) {
    char before[2048] = {};
    GetEnvironmentVariableA("QV_ODD_BLOCKS", before, sizeof before);
    char after[2100];
    std::snprintf(after, sizeof after, "%s%p;", before, block);
    SetEnvironmentVariableA("QV_ODD_BLOCKS", after);
}

HLOCAL Block(const void* data, size_t size) {
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size ? size : 1);
    if (block && size) {
        std::memcpy(LocalLock(block), data, size);
        LocalUnlock(block);
    }
    NoteBlock(block);
    return block;
}

// A bitmap-information block: the header and `colours` entries of a grey ramp.
HLOCAL InfoBlock(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression, size_t size) {
    uint8_t info[40 + 256 * 4] = {};
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biCompression = compression;
    std::memcpy(info, &h, sizeof h);
    for (int i = 0; i < 256; ++i)
        std::memset(info + 40 + i * 4, 255 - i, 3);
    return Block(info, size < sizeof info ? size : sizeof info);
}

} // namespace

#if QV_ODD_VARIANT == 6
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    return reason != DLL_PROCESS_ATTACH;
}
#endif

ODD_EXPORT int QV_PLUGIN_CALL GetPluginInfo(int number, char* buffer, int length) {
    switch (number) {
    case 0: return CopyText(kVariant == kArchive ? "00AM" : "00IN", buffer, length);
    case 1: return CopyText("Odd test plug-in", buffer, length);
    case 2: return CopyText(Patterns(), buffer, length);
    case 3: return CopyText("Odd test files", buffer, length);
    default: return 0;
    }
}

ODD_EXPORT int QV_PLUGIN_CALL IsSupported(const char*, void* header) {
    NoteAsked();
    return std::memcmp(header, Tag(), 4) == 0 ? 1 : 0;
}

// The prefix plug-in reports a depth of 12 and a text that the caller must free.
ODD_EXPORT int QV_PLUGIN_CALL GetPictureInfo(const char*, intptr_t, unsigned int, PluginPictureInfo* info) {
    info->width = 2;
    info->height = 1;
    if (kVariant == kAfterPrefix) {
        info->colorDepth = 12;
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 16);
        std::strcpy(static_cast<char*>(GlobalLock(text)), "odd text");
        GlobalUnlock(text);
        NoteBlock(text);
        info->infoText = text;
    }
    return 0;
}

// A 2 x 1 24-bit image. The prefix plug-in writes the start offset (or, from memory, the length)
// and the mode it was called with into the first pixel's blue and green bytes and checks that
// the tag is where that offset says.
ODD_EXPORT int QV_PLUGIN_CALL GetPicture(const char* source, intptr_t offsetOrLength, unsigned int flags,
                                         void** bitmapInfo, void** bitmapBits, PluginProgressCallback progress,
                                         intptr_t userValue) {
    *bitmapInfo = nullptr;
    *bitmapBits = nullptr;
    if (progress && progress(0, 1, userValue) != 0) return 1;
    uint8_t start[8] = {};
    DWORD got = 0;
    if (!ReadStart(source, offsetOrLength, flags, start, sizeof start, &got) || got < 5) return 6;
    if (std::memcmp(start, Tag(), 4) != 0) return 2;
    uint8_t pixels[8] = {static_cast<uint8_t>(offsetOrLength), static_cast<uint8_t>(flags), 0x33, 0x44, 0x55, 0x66};
    int32_t width = 2, height = 1;
    uint16_t bits = 24;
    uint32_t compression = BI_RGB;
    size_t infoSize = 40, bitsSize = sizeof pixels;
    int result = 0;
    if (kVariant == kThirtyTwo) bits = 32;
    if (kVariant == kBadBitmaps) {
        switch (start[4]) {
        case 'i': infoSize = 20; break;          // shorter than a header
        case 'h': height = 0; break;             // no rows
        case 't': height = -1; break;            // top-down
        case 'c': compression = BI_RLE8; break;  // compressed
        case 'b': bits = 1, bitsSize = 3; break; // one row of a 1-bit image needs 4 bytes
        case 's': bitsSize = 3; break;           // 24 bits cut short: what there is is shown
        case 'r': result = 3; break;             // a refusal that still hands over blocks
        case 'n': bitsSize = 0; break;           // no bits block
        default: break;
        }
    }
    *bitmapInfo = InfoBlock(width, height, bits, compression, infoSize + (bits <= 8 ? 8 : 0));
    *bitmapBits = bitsSize ? Block(pixels, bitsSize) : nullptr;
    return result;
}

// Records: a BMP member, a member of 5 GiB, a member past 4 GiB, an image member in a folder,
// the end record, and then a piece of a record that a listing must not read as one.
ODD_EXPORT int QV_PLUGIN_CALL GetArchiveInfo(const char*, intptr_t offset, unsigned int, void** records) {
    PluginArchiveRecord list[5] = {};
    auto put = [&](int i, uint64_t position, uint64_t size, const char* path, const char* name) {
        std::memcpy(list[i].method, "odd", 3);
        list[i].position = position;
        list[i].fileSize = size;
        list[i].compressedSize = size;
        list[i].timestamp = 1000000000 + i; // 2001-09-09 01:46:40 UTC and on
        std::strcpy(list[i].path, path);
        std::strcpy(list[i].fileName, name);
    };
    put(0, 512, 70, "", "first.bmp");
    put(1, 1024, 5ull << 30, "", "huge.bmp");
    put(2, 5ull << 30, 70, "", "far.bmp");
    put(3, 2048, 70, "inner\\", "second.bmp");
    // list[4] stays empty: the end of the list
    size_t size = sizeof list + 100;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size);
    auto* bytes = static_cast<uint8_t*>(LocalLock(block));
    std::memcpy(bytes, list, sizeof list);
    std::memset(bytes + sizeof list, 'x', 100);
    LocalUnlock(block);
    NoteBlock(block);
    *records = block;
    return offset == 0 || offset == 128 ? 0 : 2;
}

// "first.bmp" (at 512) is a 2 x 1 BMP whose first pixel's blue byte is the start offset the caller
// added to its position; "second.bmp" (at 2048) is refused, with a block the caller must free all
// the same. A start offset is below 512, so position / 512 names the member.
ODD_EXPORT int QV_PLUGIN_CALL GetFile(const char*, intptr_t position, char* destination, unsigned int flags,
                                      PluginProgressCallback, intptr_t) {
    auto* out = reinterpret_cast<HLOCAL*>(destination);
    *out = nullptr;
    if ((flags & 0x700) != 0x100) return -1;
    uint8_t bmp[62] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24};
    bmp[54] = static_cast<uint8_t>(position % 512);
    bmp[55] = 0x77;
    switch (position / 512) {
    case 1: *out = Block(bmp, sizeof bmp); return 0;
    case 4: *out = Block(bmp, sizeof bmp); return 2;
    default: return 2;
    }
}

ODD_EXPORT int QV_PLUGIN_CALL ConfigurationDlg(void*, int function) {
    SetEnvironmentVariableA("QV_ODD_CONFIGURED", function == 1 ? "1" : "other");
    return 0;
}
