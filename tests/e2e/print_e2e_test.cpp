// Printing in the real Quorvel.exe to a PDF printer: the image placed in the print dialog comes out
// on one page at that place and size. The queue is a private CUPS scheduler that the test set-up
// starts (scripts/print-queue); Wine's PostScript driver reaches it through CUPS_SERVER, and
// poppler's pdftoppm renders the page back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/bmp_codec.h"
#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "platform/platform.h"

namespace qvtest {
namespace {

constexpr int kCtlPrint = 4101;
constexpr int kCtlLeft = 4130, kCtlTop = 4131, kCtlWidth = 4132, kCtlHeight = 4133;
// pdftoppm at 50.8 dots per inch: two pixels per millimetre
constexpr double kRenderDpi = 50.8;
constexpr double kPixelsPerMm = kRenderDpi / 25.4;

std::wstring EnvVar(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value) : std::wstring();
}

// Z:\a\b as the Unix programs see it: /a/b.
std::wstring UnixPath(const std::wstring& path) {
    std::wstring plain =
        path.size() > 2 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':' ? path.substr(2) : path;
    for (wchar_t& c : plain)
        if (c == L'\\') c = L'/';
    return plain;
}

double BoxMillimetres(HWND dialog, int control) {
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, control, text, 64);
    return wcstod(text, nullptr);
}

// The program's print dialog: the one with the Print button.
HWND FindPrintDialog(const ProcessOwner& process) {
    for (HWND dialog : FindTopLevelWindows(kDialogClass, process.id(), true))
        if (GetDlgItem(dialog, kCtlPrint)) return dialog;
    return nullptr;
}

// The .pdf files in the folder (a Windows path), by name.
std::vector<std::wstring> PdfFiles(const std::wstring& folder) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.pdf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do
        files.push_back(folder + L"\\" + data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

// Starts a Unix program (Wine runs ELF binaries natively). Wine hands back no usable exit code for
// it, so the caller waits for the program's output instead.
bool StartUnix(const std::wstring& commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// A binary PPM (P6) as pdftoppm writes it.
struct Ppm {
    int width = 0, height = 0;
    std::string rgb;
    const uint8_t* At(int x, int y) const {
        return reinterpret_cast<const uint8_t*>(rgb.data()) + (static_cast<size_t>(y) * width + x) * 3;
    }
};
bool ReadPpm(const std::wstring& path, Ppm* ppm) {
    std::string bytes = ReadFileBytes(path);
    int max = 0, used = 0;
    if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &ppm->width, &ppm->height, &max, &used) != 3 || max != 255)
        return false;
    ppm->rgb = bytes.substr(used + 1);
    return ppm->rgb.size() == static_cast<size_t>(ppm->width) * ppm->height * 3;
}

TEST(PrintE2eTest, ThePlacedImageComesOutOnOnePageWhereTheDialogPutIt) {
    // the set-up makes the output folder only when its scheduler is running
    const std::wstring server = EnvVar(L"CUPS_SERVER"), out = EnvVar(L"QV_PRINT_OUT");
    const std::wstring outFolder = out.empty() ? std::wstring() : WinePath(out);
    if (server.empty() || outFolder.empty() || GetFileAttributesW(outFolder.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no print queue: the set-up (scripts/print-queue, as root, with cups and "
                        "printer-driver-cups-pdf) did not start one";
    for (const std::wstring& old : PdfFiles(outFolder))
        DeleteFileW(old.c_str());
    for (const wchar_t* old : {L"\\page-1.ppm", L"\\page-2.ppm"})
        DeleteFileW((outFolder + old).c_str());

    ProgramFolder folder;
    ASSERT_TRUE(folder.Create(QuietSettings()));
    ScratchDir images;
    // an 8-bit image, left half red and right half blue: the printer gets its 24-bit copy
    qv::ImageBuffer image{};
    qv::CodecStatus status = qv::kCodecOk;
    ASSERT_TRUE(qv::PrepareImage(&image, 200, 100, 8, &status));
    image.palette[1] = RGBQUAD{0, 0, 255, 0};
    image.palette[2] = RGBQUAD{255, 0, 0, 0};
    for (uint32_t y = 0; y < 100; ++y)
        for (uint32_t x = 0; x < 200; ++x)
            qv::ImageRowFromTop(&image, y)[x] = x < 100 ? 1 : 2;
    const std::wstring path = images.File(L"halves.bmp");
    ASSERT_TRUE(qv::WriteBmpFile(path.c_str(), image, 8, false, &status));
    qv::FreeImagePixels(&image);

    ProcessOwner process = Launch(folder.exePath(), {path});
    ASSERT_TRUE(process.valid());
    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view, L"200x100"));

    ASSERT_TRUE(PostCommand(view, qv::kCmdPrint));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil(kStartTimeoutMs, [&] { return (dialog = FindPrintDialog(process)) != nullptr; }))
        << "the print dialog did not open (no printer seen?)";
    // typed values: the dialog places the image as it reads them
    SetDlgItemTextW(dialog, kCtlLeft, L"30.0");
    SetDlgItemTextW(dialog, kCtlTop, L"40.0");
    SetDlgItemTextW(dialog, kCtlWidth, L"90.0");
    PumpMessages(200);
    const double left = BoxMillimetres(dialog, kCtlLeft), top = BoxMillimetres(dialog, kCtlTop);
    const double width = BoxMillimetres(dialog, kCtlWidth), height = BoxMillimetres(dialog, kCtlHeight);
    EXPECT_NEAR(left, 30.0, 0.2);
    EXPECT_NEAR(top, 40.0, 0.2);
    EXPECT_NEAR(width, 90.0, 0.2);
    EXPECT_NEAR(height, 45.0, 0.2); // the image's own shape

    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCtlPrint, BN_CLICKED), 0);
    HWND system = nullptr;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        for (HWND d : FindTopLevelWindows(kDialogClass, process.id(), true))
            if (d != dialog) system = d;
        return system != nullptr;
    })) << "the system's print dialog did not open";
    PostMessageW(system, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(system, IDOK)));
    EXPECT_TRUE(WaitUntilGone(system));

    std::wstring pdf;
    ASSERT_TRUE(WaitUntil(60000,
                          [&] {
                              std::vector<std::wstring> files = PdfFiles(outFolder);
                              if (files.size() != 1) return false;
                              std::string bytes = ReadFileBytes(files[0]);
                              if (bytes.find("%%EOF") == std::string::npos) return false;
                              pdf = files[0];
                              return true;
                          }))
        << "no PDF in " << qv::WideToUtf8(outFolder);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntilGone(dialog));
    CloseAndWait(view, process);

    // one page: the page tree counts one, and pdftoppm renders no second
    EXPECT_NE(ReadFileBytes(pdf).find("/Count 1"), std::string::npos);
    // rendered beside the PDF: a folder the Unix side knows by a plain path
    const std::wstring prefix = outFolder + L"\\page";
    ASSERT_TRUE(StartUnix(L"/usr/bin/pdftoppm -r 50.8 " + QuoteArgument(UnixPath(pdf)) + L" " +
                          QuoteArgument(UnixPath(prefix))))
        << "pdftoppm did not start";
    // pdftoppm names the pages page-1.ppm, page-2.ppm ...: the first complete, no second
    Ppm page;
    ASSERT_TRUE(WaitUntil(60000, [&] { return ReadPpm(prefix + L"-1.ppm", &page); })) << "pdftoppm made no page";
    PumpMessages(500);
    EXPECT_EQ(GetFileAttributesW((prefix + L"-2.ppm").c_str()), INVALID_FILE_ATTRIBUTES) << "one page expected";
    EXPECT_NEAR(page.width, 210 * kPixelsPerMm, 3); // A4
    EXPECT_NEAR(page.height, 297 * kPixelsPerMm, 3);

    // the printed rectangle: everything that is not paper white
    int x0 = page.width, y0 = page.height, x1 = -1, y1 = -1;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            const uint8_t* p = page.At(x, y);
            if (p[0] > 240 && p[1] > 240 && p[2] > 240) continue;
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
    ASSERT_GE(x1, 0) << "the page is blank";
    const double tolerance = 1.0 * kPixelsPerMm + 1;
    EXPECT_NEAR(x0, left * kPixelsPerMm, tolerance);
    EXPECT_NEAR(y0, top * kPixelsPerMm, tolerance);
    EXPECT_NEAR(x1 + 1 - x0, width * kPixelsPerMm, tolerance);
    EXPECT_NEAR(y1 + 1 - y0, height * kPixelsPerMm, tolerance);
    // red on the left, blue on the right, not turned or mirrored
    const uint8_t* l = page.At(x0 + (x1 - x0) / 4, (y0 + y1) / 2);
    const uint8_t* r = page.At(x1 - (x1 - x0) / 4, (y0 + y1) / 2);
    EXPECT_TRUE(l[0] > 200 && l[1] < 60 && l[2] < 60) << int(l[0]) << "," << int(l[1]) << "," << int(l[2]);
    EXPECT_TRUE(r[2] > 200 && r[0] < 60 && r[1] < 60) << int(r[0]) << "," << int(r[1]) << "," << int(r[2]);
}

} // namespace
} // namespace qvtest
