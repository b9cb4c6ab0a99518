// The Netpbm image plug-in: PBM, PGM, PPM (plain and raw) and PAM files for the viewer, through
// the plug-in interface. The decoding is netpbm_parser.cpp; this file answers the calls.
#include <cstring>
#include <iterator>
#include <new>
#include <type_traits>

#include "common/plugin_support_win.h"
#include "netpbm/netpbm_parser.h"

using namespace qv;

namespace {

// Function 1 names the plug-in; the pattern lists and their descriptions follow in pairs.
constexpr const char* kInfoTexts[] = {
    "00IN",  "Netpbm image reader for Quorvel", "*.pbm", "Portable bitmap (PBM)",
    "*.pgm", "Portable graymap (PGM)",          "*.ppm", "Portable pixmap (PPM)",
    "*.pam", "Portable arbitrary map (PAM)",
};

int16_t ReportedDepth(const NetpbmHeader& h) {
    return static_cast<int16_t>(h.kind == NetpbmKind::Bitmap ? 1 : h.depth * (h.maxval > 255 ? 16 : 8));
}

// Header and colour table, then the bits: the two blocks the interface hands back.
int HandOver(const NetpbmImage& image, void** bitmapInfo, void** bitmapBits) {
    size_t infoBytes = sizeof(BITMAPINFOHEADER) + image.palette.size();
    HLOCAL info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, infoBytes);
    if (!info) return kPluginNoMemory;
    auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(info));
    if (!header) {
        LocalFree(info);
        return kPluginNoMemory;
    }
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = static_cast<LONG>(image.width);
    header->biHeight = static_cast<LONG>(image.height);
    header->biPlanes = 1;
    header->biBitCount = image.bitCount;
    header->biCompression = BI_RGB;
    header->biClrUsed = static_cast<DWORD>(image.palette.size() / 4);
    if (!image.palette.empty()) std::memcpy(header + 1, image.palette.data(), image.palette.size());
    LocalUnlock(info);
    HLOCAL bits = LocalCopy(image.bits.data(), image.bits.size());
    if (!bits) {
        LocalFree(info);
        return kPluginNoMemory;
    }
    *bitmapInfo = info;
    *bitmapBits = bits;
    return kPluginOk;
}

} // namespace

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL GetPluginInfo(int infoNumber, char* buffer, int bufferLength) {
    if (infoNumber < 0 || infoNumber >= static_cast<int>(std::size(kInfoTexts))) return 0;
    return CopyPluginText(kInfoTexts[infoNumber], buffer, bufferLength);
}

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL IsSupported(const char*, void* header) {
    // the caller shows at least 2048 bytes of the file
    return header && LooksLikeNetpbm(static_cast<const uint8_t*>(header), 2048) ? 1 : 0;
}

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL GetPictureInfo(const char* source, intptr_t offsetOrLength, unsigned int flags,
                                                   PluginPictureInfo* info) {
    if (!info) return kPluginUnsupportedCall;
    PluginSourceBytes bytes;
    if (int result = bytes.Open(source, offsetOrLength, flags)) return result;
    NetpbmHeader h;
    if (!ReadNetpbmHeader(bytes.data(), bytes.size(), &h)) return kPluginNotMine;
    std::memset(info, 0, sizeof *info);
    info->width = static_cast<int32_t>(h.width);
    info->height = static_cast<int32_t>(h.height);
    info->colorDepth = ReportedDepth(h);
    return kPluginOk;
}

QV_PLUGIN_EXPORT int QV_PLUGIN_CALL GetPicture(const char* source, intptr_t offsetOrLength, unsigned int flags,
                                               void** bitmapInfo, void** bitmapBits, PluginProgressCallback progress,
                                               intptr_t userValue) {
    if (!bitmapInfo || !bitmapBits) return kPluginUnsupportedCall;
    *bitmapInfo = nullptr;
    *bitmapBits = nullptr;
    PluginSourceBytes bytes;
    if (int result = bytes.Open(source, offsetOrLength, flags)) return result;
    if (progress && progress(0, 1, userValue) != 0) return kPluginCancelled;
    try {
        NetpbmImage image;
        if (!DecodeNetpbm(bytes.data(), bytes.size(), &image)) return kPluginBadData;
        if (progress && progress(1, 1, userValue) != 0) return kPluginCancelled;
        return HandOver(image, bitmapInfo, bitmapBits);
    } catch (const std::bad_alloc&) {
        return kPluginNoMemory; // nothing may be thrown across the interface
    }
}

static_assert(std::is_same_v<decltype(&GetPluginInfo), PluginGetPluginInfoFn>);
static_assert(std::is_same_v<decltype(&IsSupported), PluginIsSupportedFn>);
static_assert(std::is_same_v<decltype(&GetPictureInfo), PluginGetPictureInfoFn>);
static_assert(std::is_same_v<decltype(&GetPicture), PluginGetPictureFn>);
