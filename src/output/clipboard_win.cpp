#include "output/clipboard_win.h"

#include <windows.h>

#include "codecs/bmp_codec.h"
#include "image/open_image.h"
#include "model/ui_strings.h"
#include "output/clipboard_block.h"
#include "ui/clipboard_image_win.h"
#include "ui/language_module_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_paint.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

// Owns a memory device context and the bitmap selected into it.
struct MemoryBitmap {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    ~MemoryBitmap() {
        if (previous) SelectObject(dc, previous);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
};

void PutOnClipboard(const ClipboardBitmap& bitmap) {
    HWND owner = CurrentMainWindow();
    uint32_t size = ClipboardBlockSize(bitmap);
    if (size == 0) {
        ErrorBox(owner, kStrOutOfMemory);
        return;
    }
    if (!OpenClipboard(owner)) return;
    bool outOfMemory = false;
    if (EmptyClipboard()) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        void* bytes = block ? GlobalLock(block) : nullptr;
        if (bytes) {
            WriteClipboardBlock(bitmap, static_cast<uint8_t*>(bytes), size);
            GlobalUnlock(block);
            // the clipboard owns the block once it took it
            if (!SetClipboardData(CF_DIB, block)) GlobalFree(block);
        } else {
            outOfMemory = block == nullptr;
            if (block) GlobalFree(block);
        }
    }
    CloseClipboard();
    if (outOfMemory) ErrorBox(owner, kStrOutOfMemory);
}

} // namespace

void CopyImage() {
    const ImageSession& session = g_session;
    if (!HasCurrentImage(session)) return;
    PutOnClipboard(ClipboardBitmapOf(session.current));
}

void CopyView() {
    if (!HasCurrentImage(g_session)) return;
    // exactly what the surface paints, so whatever the viewer shows there is what is copied
    const ImageBuffer& image = PaintedImage(CurrentDisplayMode());
    const PaintPlan plan = PlanPaint(g_viewState.geometry);
    if (!plan.drawImage) return;
    const int32_t width = plan.destination.Width(), height = plan.destination.Height();
    MemoryBitmap memory;
    memory.dc = CreateCompatibleDC(nullptr);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as the clipboard block wants it
    header.biPlanes = 1;
    header.biBitCount = 24;
    void* bits = nullptr;
    if (memory.dc)
        memory.bitmap = CreateDIBSection(memory.dc, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                         nullptr, 0);
    if (!memory.bitmap || !bits) {
        ErrorBox(CurrentMainWindow(), kStrOutOfMemory);
        return;
    }
    memory.previous = SelectObject(memory.dc, memory.bitmap);
    SetStretchBltMode(memory.dc, HALFTONE);
    SetBrushOrgEx(memory.dc, 0, 0, nullptr);
    StretchDIBits(memory.dc, 0, 0, width, height, plan.sourceX, plan.sourceY, plan.sourceWidth, plan.sourceHeight,
                  image.pixels, AsBitmapInfo(&image), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
    ClipboardBitmap shown;
    shown.width = width;
    shown.height = height;
    shown.bitCount = 24;
    shown.xPelsPerMeter = image.header.biXPelsPerMeter;
    shown.yPelsPerMeter = image.header.biYPelsPerMeter;
    shown.pixels = static_cast<const uint8_t*>(bits);
    PutOnClipboard(shown);
}

void PasteImage() {
    if (!AskUnsavedChanges()) return;
    ImageBuffer pasted{};
    if (!ReadClipboardImage(CurrentMainWindow(), &pasted)) return;
    OpenPastedImage(&g_session, &pasted, CurrentOpenOptions(), WindowSessionHooks());
    ClearListWindowSelection();
}

} // namespace qv
