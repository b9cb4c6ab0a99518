// Repaint speed of the ViewWindow under Wine: Quorvel.exe shows a 6000 x 4000 image, the benchmark
// sends it repaints, wheel zoom steps and drag-scroll moves and times each until the window has
// painted, in rounds interleaved with the bare StretchDIBits of the same picture in this process
// (into a memory bitmap and into a plain window) as the references (bench_timing.h).
//
// Run: QV_BIN_DIR=build/win64/bin cmake/wine-run build/win64/bench/repaint_bench_win.exe
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "e2e_support_win.h"

namespace {

using namespace qvtest;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kSteps = 50; // steps of one timed run
constexpr int kRounds = 7;
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

// kSteps stretches of the source rectangle onto `dc` at the destination size.
bool Stretch(HDC dc, const Image& im, int mode, SIZE dest, RECT source) {
    SetStretchBltMode(dc, mode);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    bool ok = true;
    for (int i = 0; i < kSteps; ++i) {
        // alternate by one pixel so no layer can skip a repeated identical call
        int sx = source.left + (i & 1 && source.left > 0 ? -1 : 0);
        ok = StretchDIBits(dc, 0, 0, dest.cx, dest.cy, sx, kHeight - source.bottom, source.right - source.left,
                           source.bottom - source.top, im.pixels.data(),
                           reinterpret_cast<const BITMAPINFO*>(&im.header), DIB_RGB_COLORS, SRCCOPY) != 0 &&
             ok;
    }
    GdiFlush();
    return ok;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The references: the same stretch into a memory bitmap and into a plain window of this process,
// both made once at the size the program's window has.
struct References {
    HDC screen = nullptr, memory = nullptr, windowDc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    HWND window = nullptr;

    bool Create(SIZE dest) {
        screen = GetDC(nullptr);
        memory = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, dest.cx, dest.cy);
        if (!memory || !bitmap) return false;
        old = SelectObject(memory, bitmap);
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"qvbench_plain";
        RegisterClassExW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"reference", WS_POPUP | WS_VISIBLE, 0, 0, dest.cx, dest.cy,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        if (!window || !WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(window) != FALSE; })) return false;
        windowDc = GetDC(window);
        return windowDc != nullptr;
    }
    ~References() {
        if (windowDc) ReleaseDC(window, windowDc);
        if (window) DestroyWindow(window);
        if (old) SelectObject(memory, old);
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        if (screen) ReleaseDC(nullptr, screen);
    }
};

void ReportAgainstStretch(const char* what, qvbench::Job ours, const Image& im, int mode, SIZE dest, RECT source) {
    References refs;
    if (!refs.Create(dest)) {
        std::fprintf(stderr, "repaint bench: cannot make the reference bitmap and window\n");
        std::exit(1);
    }
    qvbench::Job memory{"StretchDIBits into a memory bitmap",
                        [&] { return Stretch(refs.memory, im, mode, dest, source); }};
    qvbench::Job window{"StretchDIBits into a plain window",
                        [&] { return Stretch(refs.windowDc, im, mode, dest, source); }};
    std::vector<qvbench::Comparison> rows = qvbench::Compare(kRounds, ours, {memory, window});
    qvbench::Report("repaint", what, rows, kSteps, "steps/s");
    double perStep = rows.front().ours.median * 1e3 / kSteps;
    std::printf("    %.2f ms a step, goal < %.1f ms: %s\n", perStep, kGoalMs, perStep < kGoalMs ? "met" : "MISSED");
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
    if (!WaitUntil(kStepTimeoutMs, [&] { return GetForegroundWindow() == view; })) {
        std::fprintf(stderr, "repaint bench: the program's window did not come to the front\n");
        return 1;
    }
    std::printf("repaint of a %d x %d image, %d steps a run\n", kWidth, kHeight, kSteps);
    qvbench::PrintRatioNote();

    // plain repaints at the fitted zoom: the whole image reduced with HALFTONE
    SIZE fitted = ClientSize(view);
    std::printf("fitted client %ld x %ld\n", fitted.cx, fitted.cy);
    ReportAgainstStretch("repaint at fitted zoom (HALFTONE)",
                         {"Quorvel.exe repaint",
                          [&] {
                              for (int i = 0; i < kSteps; ++i)
                                  Repaint(view);
                              return IsWindow(view) != FALSE;
                          }},
                         im, HALFTONE, fitted, RECT{0, 0, kWidth, kHeight});

    // wheel zoom steps, alternately towards and away from the user (+0.1 / -0.1 around the fit);
    // each step may move the fitted window as well
    ReportAgainstStretch("wheel zoom step (HALFTONE)",
                         {"Quorvel.exe wheel step",
                          [&] {
                              for (int i = 0; i < kSteps; ++i) {
                                  short delta = i % 2 ? WHEEL_DELTA : -WHEEL_DELTA;
                                  SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
                                  UpdateWindow(view);
                              }
                              return IsWindow(view) != FALSE;
                          }},
                         im, HALFTONE, fitted, RECT{0, 0, kWidth, kHeight});

    // drag scrolling at twice the fitted zoom: COLORONCOLOR of the visible part
    SendMessageW(view, WM_COMMAND, kCmdZoomIn, 0);
    UpdateWindow(view);
    SIZE client = ClientSize(view);
    double zoom = 2.0 * fitted.cx / kWidth;
    int sw = static_cast<int>(client.cx / zoom + 0.5), sh = static_cast<int>(client.cy / zoom + 0.5);
    POINT centre{client.cx / 2, client.cy / 2};
    RECT source{kWidth / 2 - sw / 2, kHeight / 2 - sh / 2, kWidth / 2 - sw / 2 + sw, kHeight / 2 - sh / 2 + sh};
    std::printf("zoomed client %ld x %ld, visible part %d x %d\n", client.cx, client.cy, sw, sh);
    ReportAgainstStretch("drag-scroll move (COLORONCOLOR)",
                         {"Quorvel.exe drag move",
                          [&] {
                              SendMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(centre.x, centre.y));
                              for (int i = 0; i < kSteps; ++i) {
                                  int x = centre.x + (i % 2 ? -20 : 20);
                                  SendMessageW(view, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(x, centre.y));
                                  UpdateWindow(view);
                              }
                              SendMessageW(view, WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
                              return IsWindow(view) != FALSE;
                          }},
                         im, COLORONCOLOR, client, source);

    CloseAndWait(view, process);
    return 0;
}
