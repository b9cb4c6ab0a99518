#include "ui/clipboard_image_win.h"

#include "codecs/bmp_codec.h"

namespace qv {

bool ReadClipboardImage(HWND owner, ImageBuffer* image) {
    if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(owner)) return false;
    bool read = false;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        // the block's own size bounds the reader: a header that claims more is refused
        SIZE_T size = GlobalSize(data);
        if (const void* bytes = size <= UINT32_MAX ? GlobalLock(data) : nullptr) {
            CodecStatus status = kCodecOk;
            read = ReadDibMemory(static_cast<const uint8_t*>(bytes), static_cast<uint32_t>(size), image, &status);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (!read) FreeImagePixels(image);
    return read;
}

} // namespace qv
