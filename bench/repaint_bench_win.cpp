// Repaint speed of the ViewWindow under Wine: Quorvel.exe shows a 6000 x 4000 image, the benchmark
// sends it wheel zoom steps and drag-scroll moves and times each until the window has painted,
// then times the bare StretchDIBits of the same picture in this process as the reference.
//
// Run: QV_BIN_DIR=build/win64/bin cmake/wine-run build/win64/bench/repaint_bench_win.exe
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support_win.h"

namespace {

using namespace qvtest;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kSteps = 100;
constexpr UINT kCmdZoomIn = 5230;
constexpr double kGoalMs = 1000.0 / 60; // keeping up with the mouse: one 60 Hz frame per repaint

// A bottom-up 24-bit image with coarse stripes, so the filter has real work.
struct Image {
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> pixels;
};

Image MakeImage() {
    Image im;
    im.header.biSize = sizeof im.header;
    im.header.biWidth = kWidth;
    im.header.biHeight = kHeight;
    im.header.biPlanes = 1;
    im.header.biBitCount = 24;
    im.header.biCompression = BI_RGB;
    int stride = (kWidth * 3 + 3) & ~3;
    im.header.biSizeImage = static_cast<DWORD>(stride * kHeight);
    im.pixels.resize(im.header.biSizeImage);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &im.pixels[static_cast<size_t>(y) * stride + 3 * x];
            p[0] = static_cast<uint8_t>(x * 7 / 13);
            p[1] = static_cast<uint8_t>(y / 3);
            p[2] = static_cast<uint8_t>((x / 40 + y / 40) % 2 ? 230 : 20);
        }
    return im;
}

std::string BmpFile(const Image& im) {
    std::string out(54, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<char>(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + im.header.biSizeImage);
    put32(10, 54);
    memcpy(&out[14], &im.header, sizeof im.header);
    out.append(reinterpret_cast<const char*>(im.pixels.data()), im.pixels.size());
    return out;
}

double MsSince(Clock::time_point start, int count) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / count;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

// The paint request reaches the program's thread synchronously: UpdateWindow of another
// process's window sends WM_PAINT and returns after it was handled.
void Repaint(HWND view) {
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
}

// N stretches of the source rectangle onto `dc` at the destination size.
double StretchMs(HDC dc, const Image& im, int mode, SIZE dest, RECT source) {
    SetStretchBltMode(dc, mode);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    auto start = Clock::now();
    for (int i = 0; i < kSteps; ++i) {
        // alternate by one pixel so no layer can skip a repeated identical call
        int sx = source.left + (i & 1 && source.left > 0 ? -1 : 0);
        StretchDIBits(dc, 0, 0, dest.cx, dest.cy, sx, kHeight - source.bottom, source.right - source.left,
                      source.bottom - source.top, im.pixels.data(), reinterpret_cast<const BITMAPINFO*>(&im.header),
                      DIB_RGB_COLORS, SRCCOPY);
    }
    GdiFlush();
    return MsSince(start, kSteps);
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The reference: the same stretch into a memory bitmap and into a plain window of this process.
void Reference(const Image& im, int mode, SIZE dest, RECT source, double* memoryMs, double* windowMs) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, dest.cx, dest.cy);
    HGDIOBJ old = SelectObject(memory, bitmap);
    *memoryMs = StretchMs(memory, im, mode, dest, source);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"qvbench_plain";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"reference", WS_POPUP | WS_VISIBLE, 0, 0, dest.cx, dest.cy,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    PumpMessages(300);
    HDC dc = GetDC(window);
    *windowMs = StretchMs(dc, im, mode, dest, source);
    ReleaseDC(window, dc);
    DestroyWindow(window);
}

void Row(const char* what, double ms, double memoryMs, double windowMs) {
    std::printf("%-34s %8.2f ms  goal < %5.1f ms %s  x%5.2f of memory-DC stretch (%.2f ms), x%5.2f of window "
                "stretch (%.2f ms)\n",
                what, ms, kGoalMs, ms < kGoalMs ? "met    " : "MISSED ", ms / memoryMs, memoryMs, ms / windowMs,
                windowMs);
}

} // namespace

int main() {
    Image im = MakeImage();
    ProgramFolder folder;
    if (!folder.Create(QuietSettings()) || !WriteFileBytes(folder.File(L"big.bmp"), BmpFile(im))) {
        std::fprintf(stderr, "repaint bench: cannot prepare the program folder\n");
        return 1;
    }
    ProcessOwner process = Launch(folder.exePath(), {folder.File(L"big.bmp")});
    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    if (!view || !WaitForTitleContaining(view, L"big.bmp")) {
        std::fprintf(stderr, "repaint bench: the program did not show the image\n");
        return 1;
    }
    SetForegroundWindow(view);
    PumpMessages(1000);
    std::printf("repaint of a %d x %d image, %d steps each, mean per step\n", kWidth, kHeight, kSteps);

    // plain repaints at the fitted zoom: the whole image reduced with HALFTONE
    SIZE fitted = ClientSize(view);
    auto start = Clock::now();
    for (int i = 0; i < kSteps; ++i)
        Repaint(view);
    double fitMs = MsSince(start, kSteps);
    double memoryMs = 0, windowMs = 0;
    Reference(im, HALFTONE, fitted, RECT{0, 0, kWidth, kHeight}, &memoryMs, &windowMs);
    std::printf("fitted client %ld x %ld\n", fitted.cx, fitted.cy);
    Row("repaint at fitted zoom (HALFTONE)", fitMs, memoryMs, windowMs);

    // wheel zoom steps, alternately towards and away from the user (+0.1 / -0.1 around the fit);
    // each step may move the fitted window as well
    start = Clock::now();
    for (int i = 0; i < kSteps; ++i) {
        short delta = i % 2 ? WHEEL_DELTA : -WHEEL_DELTA;
        SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
        UpdateWindow(view);
    }
    double wheelMs = MsSince(start, kSteps);
    Row("wheel zoom step (HALFTONE)", wheelMs, memoryMs, windowMs);

    // drag scrolling at twice the fitted zoom: COLORONCOLOR of the visible part
    SendMessageW(view, WM_COMMAND, kCmdZoomIn, 0);
    PumpMessages(500);
    UpdateWindow(view);
    SIZE client = ClientSize(view);
    double zoom = 2.0 * fitted.cx / kWidth;
    int sw = static_cast<int>(client.cx / zoom + 0.5), sh = static_cast<int>(client.cy / zoom + 0.5);
    POINT centre{client.cx / 2, client.cy / 2};
    SendMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(centre.x, centre.y));
    start = Clock::now();
    for (int i = 0; i < kSteps; ++i) {
        int x = centre.x + (i % 2 ? -20 : 20);
        SendMessageW(view, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(x, centre.y));
        UpdateWindow(view);
    }
    double dragMs = MsSince(start, kSteps);
    SendMessageW(view, WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    RECT source{kWidth / 2 - sw / 2, kHeight / 2 - sh / 2, kWidth / 2 - sw / 2 + sw, kHeight / 2 - sh / 2 + sh};
    Reference(im, COLORONCOLOR, client, source, &memoryMs, &windowMs);
    std::printf("zoomed client %ld x %ld, visible part %d x %d\n", client.cx, client.cy, sw, sh);
    Row("drag-scroll move (COLORONCOLOR)", dragMs, memoryMs, windowMs);

    CloseAndWait(view, process);
    return 0;
}
