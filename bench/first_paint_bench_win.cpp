// Time to first paint and peak memory of Quorvel.exe under Wine, on a 6000 x 4000 JPEG and PNG.
// The benchmark starts the program on the file and polls the screen at the centre of the view
// window until the picture's centre colour shows there; the reference is quorvel-cli.exe `info`
// decoding the same file under the same Wine, and the start of programs that do nothing
// (quorvel-cli.exe without a command, Quorvel.exe without a file). Memory: the program's peak
// and settled working sets, against the image's pixel block.
//
// Run: QV_BIN_DIR=build/win64/bin cmake/wine-run build/win64/bench/first_paint_bench_win.exe [runs]
#include <windows.h>
// after windows.h, which it builds on
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "e2e_support_win.h"
#include "model/image_buffer.h"

namespace {

using namespace qvtest;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kWidth = 6000, kHeight = 4000;
// The middle of the picture: a flat green that neither the window's background nor its load
// text has.
constexpr uint8_t kMarkR = 0x20, kMarkG = 0xC0, kMarkB = 0x40;

void MakePicture(qv::ImageBuffer* image) {
    qv::CodecStatus status;
    qv::PrepareImage(image, kWidth, kHeight, 24, &status);
    uint32_t seed = 5;
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = qv::ImageRowFromTop(image, y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = static_cast<int>((seed >> 24) & 7) - 3;
            bool mark = x > kWidth / 3 && x < 2 * kWidth / 3 && y > kHeight / 3 && y < 2 * kHeight / 3;
            int r = mark ? kMarkR : static_cast<int>(128 + 90 * std::sin(x / 300.0) * std::cos(y / 200.0));
            int g = mark ? kMarkG : static_cast<int>(128 + 80 * std::sin(x / 430.0 + y / 200.0));
            int b = mark ? kMarkB : static_cast<int>(100 + 60 * std::cos(x / 300.0 - y / 150.0));
            row[3 * x] = static_cast<uint8_t>(std::clamp(b + noise, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g + noise, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r + noise, 0, 255));
        }
    }
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

bool ShowsMark(HWND view) {
    RECT client;
    if (!GetClientRect(view, &client)) return false;
    POINT centre{client.right / 2, client.bottom / 2};
    ClientToScreen(view, &centre);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, centre.x, centre.y);
    ReleaseDC(nullptr, screen);
    if (c == CLR_INVALID) return false;
    return std::abs(GetRValue(c) - kMarkR) < 24 && std::abs(GetGValue(c) - kMarkG) < 24 &&
           std::abs(GetBValue(c) - kMarkB) < 24;
}

struct Memory {
    double peakMb = 0, settledMb = 0;
};

Memory MemoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{sizeof counters};
    Memory m;
    if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
        m.peakMb = counters.PeakWorkingSetSize / 1e6;
        m.settledMb = counters.WorkingSetSize / 1e6;
    }
    return m;
}

// Milliseconds from the start of the program to the mark on the screen, or a negative number.
double FirstPaint(const ProgramFolder& folder, const std::wstring& file, Memory* memory) {
    auto start = Clock::now();
    ProcessOwner process = Launch(folder.exePath(), {file});
    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    if (!view) return -1;
    // Tight polling: one pixel read costs far less than a millisecond.
    bool shown = WaitUntil(60000, [&] { return ShowsMark(view); });
    double ms = MsSince(start);
    PumpMessages(1500); // let it settle before reading the working set
    *memory = MemoryOf(process.handle());
    CloseAndWait(view, process);
    return shown ? ms : -1;
}

// Milliseconds for a console program to run to its end.
double RunToEnd(const std::wstring& exe, const std::vector<std::wstring>& args, Memory* memory) {
    auto start = Clock::now();
    ProcessOwner process = Launch(exe, args);
    if (!process.valid()) return -1;
    // The counters of a process that has ended read as zero here: keep the last reading taken
    // while it ran (the peak only grows).
    Memory last;
    while (!process.WaitForExit(5)) {
        if (MsSince(start) > 60000) return -1;
        Memory now = MemoryOf(process.handle());
        if (now.peakMb > 0) last = now;
    }
    double ms = MsSince(start);
    if (memory) *memory = last;
    return ms;
}

// Quorvel.exe without a file: from the start to its window, and what it holds.
double EmptyStart(const ProgramFolder& folder, Memory* memory) {
    auto start = Clock::now();
    ProcessOwner process = Launch(folder.exePath(), {});
    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    double ms = MsSince(start);
    if (!view) return -1;
    PumpMessages(1000);
    *memory = MemoryOf(process.handle());
    CloseAndWait(view, process);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    ProgramFolder folder;
    if (!folder.Create(QuietSettings())) {
        std::fprintf(stderr, "first paint bench: cannot prepare the program folder\n");
        return 1;
    }
    qv::ImageBuffer image{};
    MakePicture(&image);
    const double blockMb = qv::ImageStride(&image) * double(kHeight) / 1e6;
    qv::JpegContext jpeg;
    qv::JpegEncodeOptions jpegOptions;
    jpegOptions.quality = 90;
    std::wstring jpegPath = folder.File(L"big.jpg"), pngPath = folder.File(L"big.png");
    qv::PngWriteOptions pngOptions;
    pngOptions.level = 6;
    if (!qv::WriteJpegFile(image, jpegPath.c_str(), jpegOptions, &jpeg) ||
        qv::WritePngFile(pngPath.c_str(), image, pngOptions) != qv::kCodecOk) {
        std::fprintf(stderr, "first paint bench: cannot write the test files\n");
        return 1;
    }
    qv::FreeImagePixels(&image);
    const std::wstring cli = ProductBinDir() + L"\\quorvel-cli.exe";

    std::printf("first paint of a %u x %u picture (pixel block %.1f MB) under Wine, median of %d runs\n", kWidth,
                kHeight, blockMb, runs);
    std::vector<double> cliEmpty, guiEmpty;
    Memory cliEmptyMemory, guiEmptyMemory;
    for (int i = 0; i < runs; ++i) {
        cliEmpty.push_back(RunToEnd(cli, {}, &cliEmptyMemory));
        guiEmpty.push_back(EmptyStart(folder, &guiEmptyMemory));
    }
    std::printf("%-30s %8.0f ms\n", "quorvel-cli.exe, no command", Median(cliEmpty));
    std::printf("%-30s %8.0f ms  working set %.0f MB (peak %.0f MB)\n", "Quorvel.exe to its window, no file",
                Median(guiEmpty), guiEmptyMemory.settledMb, guiEmptyMemory.peakMb);

    for (const auto& [name, path] : {std::pair{"JPEG q90", jpegPath}, std::pair{"PNG level 6", pngPath}}) {
        std::vector<double> paint, info;
        Memory paintMemory, infoMemory;
        for (int i = 0; i < runs; ++i) {
            // interleaved, so that a busy moment of the machine falls on both
            paint.push_back(FirstPaint(folder, path, &paintMemory));
            info.push_back(RunToEnd(cli, {L"info", path}, &infoMemory));
        }
        if (*std::min_element(paint.begin(), paint.end()) < 0 || *std::min_element(info.begin(), info.end()) < 0) {
            std::fprintf(stderr, "first paint bench: %s did not show or decode\n", name);
            return 1;
        }
        const double p = Median(paint), d = Median(info), e = Median(cliEmpty), g = Median(guiEmpty);
        const double decodeOnly = d - e;
        std::printf("%-12s first paint %6.0f ms  cli info %6.0f ms (decode %5.0f ms)  paint / info %.2f"
                    "  paint / (1.2 x decode + empty window start) %.2f\n",
                    name, p, d, decodeOnly, p / d, p / (1.2 * decodeOnly + g));
        std::printf("%-12s Quorvel.exe peak %.0f MB, settled %.0f MB; cli info peak %.0f MB; goal peak <= %.0f MB"
                    " (1.5 x block + 40 MB)\n",
                    "", paintMemory.peakMb, paintMemory.settledMb, infoMemory.peakMb, 1.5 * blockMb + 40);
    }
    return 0;
}
