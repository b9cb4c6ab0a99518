// Saving in the real Quorvel.exe: saving over a file follows what the file holds, not its name,
// and replaces it only with a complete new file, even when the program dies half way.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>

#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "e2e_support_win.h"
#include "image/format_detect.h"
#include "jpeg_test_files.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "trash_support_win.h"
#include "zip_builder.h"

namespace qvtest {
namespace {

using qv::kCmdSaveAs;
constexpr auto kCmdSaveOver = qv::kCmdSave;
constexpr auto kSlotOpenFolder = qv::kSlotOpen;

// The temporary files (tmp*.tmp) of the temporary folder this prefix gives every program, by name
// with their sizes.
std::map<std::wstring, uint64_t> TemporaryFiles() {
    std::map<std::wstring, uint64_t> files;
    const std::wstring folder = qv::TempFolder();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"tmp*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        files[folder + data.cFileName] = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

// A temporary file that is not in `before`; empty when none appeared.
std::wstring NewTemporaryFile(const std::map<std::wstring, uint64_t>& before) {
    for (const auto& [path, size] : TemporaryFiles())
        if (!before.count(path)) return path;
    return {};
}

class SaveE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.Create(QuietSettings())); }
    void TearDown() override {
        if (view_) CloseAndWait(view_, process_);
    }
    void Open(const std::wstring& path, const std::wstring& size) {
        process_ = Launch(folder_.exePath(), {path});
        ASSERT_TRUE(process_.valid());
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        ASSERT_NE(view_, nullptr);
        ASSERT_TRUE(WaitForTitleContaining(view_, size)) << qv::WideToUtf8(WindowTitle(view_));
    }
    // Waits until the file's last-write time moves past `before`.
    bool WaitForRewrite(const std::wstring& path, const FILETIME& before, DWORD timeoutMs = kStepTimeoutMs) {
        return WaitUntil(timeoutMs, [&] {
            FILETIME now{};
            return qv::GetFileFacts(path.c_str(), nullptr, &now) && CompareFileTime(&now, &before) != 0;
        });
    }
    // A visible dialog of the program owned by `owner`.
    HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs = kStepTimeoutMs) {
        HWND found = nullptr;
        WaitUntil(timeoutMs, [&] {
            for (HWND dialog : FindTopLevelWindows(kDialogClass, process_.id(), true))
                if (GetWindow(dialog, GW_OWNER) == owner) found = dialog;
            return found != nullptr;
        });
        return found;
    }
    // Waits until `path` exists and starts with `magic`.
    bool WaitForFileStarting(const std::wstring& path, const std::string& magic, DWORD timeoutMs = kStepTimeoutMs) {
        return WaitUntil(timeoutMs, [&] { return ReadFileBytes(path).compare(0, magic.size(), magic) == 0; });
    }

    ProgramFolder folder_;
    ScratchDir images_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

// The parts of the common save dialog a user works with: the file name's edit, the type list
// (cmb1) and the save button.
struct SaveDialogControls {
    HWND name = nullptr;
    HWND type = nullptr;
    HWND save = nullptr;
};

SaveDialogControls FindSaveDialogControls(HWND dialog) {
    SaveDialogControls c;
    c.name = FileDialogNameEdit(dialog);
    c.type = GetDlgItem(dialog, cmb1);
    c.save = GetDlgItem(dialog, IDOK);
    return c;
}

std::wstring ControlText(HWND control) {
    wchar_t text[MAX_PATH] = {};
    SendMessageW(control, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
    return text;
}

// Picks entry `index` of the type list the way a click does: the selection, then both
// notifications a click sends (Wine's dialog acts on the second, CBN_SELENDOK).
void ChooseType(HWND dialog, HWND type, int index) {
    SendMessageW(type, CB_SETCURSEL, index, 0);
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(type));
}

void PressSave(HWND dialog, HWND save) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(save));
}

TEST_F(SaveE2eTest, SavingOverAPngNamedJpegKeepsItJpeg) {
    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::CodecStatus status = qv::kCodecOk;
    ASSERT_TRUE(qv::PrepareImage(image, 64, 48, 24, &status));
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64 * 3; ++x)
            qv::ImageRowFromTop(image, y)[x] = static_cast<uint8_t>(x * 3 + y);
    std::wstring path = images_.File(L"photo.png");
    qv::JpegEncodeOptions options;
    options.quality = 97;
    qv::JpegContext ctx;
    ASSERT_TRUE(qv::WriteJpegFile(*image, path.c_str(), options, &ctx));
    qv::FreeImageRecord(image);
    std::string before = ReadFileBytes(path);
    FILETIME written{};
    ASSERT_TRUE(qv::GetFileFacts(path.c_str(), nullptr, &written));
    // make the rewrite visible in the file time even on coarse clocks
    FILETIME older = written;
    older.dwHighDateTime -= 1;
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &older);
    CloseHandle(file);

    Open(path, L"64x48");
    ASSERT_TRUE(PostCommand(view_, kCmdSaveOver));
    ASSERT_TRUE(WaitForRewrite(path, older));
    EXPECT_EQ(qv::DetectFormatFromFile(path.c_str()), qv::kFormatJpeg);
    std::string after = ReadFileBytes(path);
    EXPECT_NE(after, before); // re-encoded at the save quality
    EXPECT_GT(after.size(), 100u);
    EXPECT_TRUE(TakeFromTrash(L"photo.png", before)) << "the old file is not in the bin";
}

// The PNG encoder's compression of a large picture shows "compress..." in the title meanwhile.
TEST_F(SaveE2eTest, SavingAPngShowsCompressInTheTitleWhileItCompresses) {
    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::CodecStatus status = qv::kCodecOk;
    ASSERT_TRUE(qv::PrepareImage(image, 1600, 1600, 24, &status));
    uint32_t seed = 99; // noise: compression takes its time at level 9
    for (uint32_t y = 0; y < 1600; ++y)
        for (uint32_t x = 0; x < 1600 * 3; ++x)
            qv::ImageRowFromTop(image, y)[x] = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 24);
    std::wstring path = images_.File(L"noise.png");
    qv::PngWriteOptions quick;
    quick.level = 0;
    ASSERT_EQ(qv::WritePngFile(path.c_str(), *image, quick), qv::kCodecOk);
    qv::FreeImageRecord(image);
    const std::string before = ReadFileBytes(path);

    Open(path, L"1600x1600");
    ASSERT_TRUE(PostCommand(view_, kCmdSaveOver));
    // the program is busy compressing and answers no WM_GETTEXT meanwhile: read the title the
    // window manager holds
    auto heldTitle = [&] {
        wchar_t text[256] = {};
        InternalGetWindowText(view_, text, 256);
        return std::wstring(text);
    };
    EXPECT_TRUE(WaitUntil(30000, [&] { return heldTitle() == L"compress..."; })) << qv::WideToUtf8(heldTitle());
    // then the title names the file again (its new size)
    EXPECT_TRUE(WaitForTitleContaining(view_, L"noise.png  ( 1600x1600")) << qv::WideToUtf8(WindowTitle(view_));
    EXPECT_TRUE(TakeFromTrash(L"noise.png", before));
}

// Save as through the real dialog: the type chosen decides the format and replaces the extension
// typed, and a file saved over goes to the Recycle Bin.
TEST_F(SaveE2eTest, SaveAsDialogWritesTheChosenTypeAndRecyclesTheOldFile) {
    ASSERT_TRUE(folder_.WriteSettings([&] {
        auto slots = QuietSettings();
        slots.push_back(TextSlot(kSlotOpenFolder, images_.path()));
        return slots;
    }()));
    const std::wstring source = images_.File(L"shot.bmp");
    ASSERT_TRUE(WriteFileBytes(source, SolidBmpBytes(64, 48, RGB(200, 40, 10))));
    Open(source, L"64x48");

    ASSERT_TRUE(PostCommand(view_, kCmdSaveAs));
    HWND dialog = WaitForOwnedDialog(view_);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    SaveDialogControls c = FindSaveDialogControls(dialog);
    ASSERT_NE(c.name, nullptr);
    ASSERT_NE(c.type, nullptr);
    ASSERT_NE(c.save, nullptr);
    EXPECT_EQ(ControlText(c.name), L"shot"); // the current name without its extension
    // a BMP source: the five formats, no lossless JPEG
    EXPECT_EQ(SendMessageW(c.type, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(c.type, CB_GETCURSEL, 0, 0), 0); // Format 0 as the settings had it

    SendMessageW(c.name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"result.png"));
    ChooseType(dialog, c.type, 2); // JPEG
    EXPECT_EQ(ControlText(c.name), L"result");
    PressSave(dialog, c.save);
    EXPECT_TRUE(WaitUntilGone(dialog));
    EXPECT_TRUE(WaitForFileStarting(images_.File(L"result.jpg"), "\xFF\xD8\xFF"));
    EXPECT_FALSE(qv::PathExists(images_.File(L"result.png").c_str()));
    EXPECT_FALSE(qv::PathExists(images_.File(L"result").c_str()));

    // over an existing file in another folder, typed as a whole path: the type change strips only
    // the extension, the dialog asks, and the old file goes to the bin
    const std::wstring folder = images_.File(L"other.d");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring existing = folder + L"\\existing.gif";
    const std::string oldBytes = "an older file under this name";
    ASSERT_TRUE(WriteFileBytes(existing, oldBytes));
    ASSERT_TRUE(PostCommand(view_, kCmdSaveAs));
    dialog = WaitForOwnedDialog(view_);
    ASSERT_NE(dialog, nullptr) << "no save dialog the second time";
    c = FindSaveDialogControls(dialog);
    EXPECT_EQ(SendMessageW(c.type, CB_GETCURSEL, 0, 0), 2); // the type chosen last time
    SendMessageW(c.name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder + L"\\existing.bmp").c_str()));
    ChooseType(dialog, c.type, 4); // GIF
    EXPECT_EQ(ControlText(c.name), folder + L"\\existing");
    PressSave(dialog, c.save);
    HWND question = WaitForOwnedDialog(dialog);
    ASSERT_NE(question, nullptr) << "no overwrite question";
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(WaitUntilGone(dialog));
    EXPECT_TRUE(WaitForFileStarting(existing, "GIF8"));
    EXPECT_TRUE(TakeFromTrash(L"existing.gif", oldBytes)) << "the old file is not in the bin";
    DeleteFileW(existing.c_str());
    RemoveDirectoryW(folder.c_str());
}

// An image shown from an archive is never saved over that archive: the dialog says so and stays.
TEST_F(SaveE2eTest, SaveAsDialogRefusesTheOpenArchive) {
    ASSERT_TRUE(folder_.WriteSettings([&] {
        auto slots = QuietSettings();
        slots.push_back(TextSlot(kSlotOpenFolder, images_.path()));
        return slots;
    }()));
    const std::wstring archive = images_.File(L"pack.zip");
    const std::string archiveBytes = BuildZip({{"inner.bmp", SolidBmpBytes(40, 30, RGB(0, 90, 200))}});
    ASSERT_TRUE(WriteFileBytes(archive, archiveBytes));
    Open(archive, L"40x30");
    ASSERT_TRUE(PostCommand(view_, kCmdSaveAs));
    HWND dialog = WaitForOwnedDialog(view_);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    SaveDialogControls c = FindSaveDialogControls(dialog);
    SendMessageW(c.name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"pack.zip"));
    PressSave(dialog, c.save);
    // first the overwrite question (answered yes), then the refusal
    bool refused = false;
    for (int round = 0; round < 2 && !refused; ++round) {
        HWND box = WaitForOwnedDialog(dialog);
        ASSERT_NE(box, nullptr) << "no message after pressing Save";
        const bool question = GetDlgItem(box, IDYES) != nullptr;
        if (!question) refused = WindowTitle(box) == L"Quorvel";
        PostMessageW(box, WM_COMMAND, question ? IDYES : IDOK, 0);
        ASSERT_TRUE(WaitUntilGone(box));
    }
    EXPECT_TRUE(refused);
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return IsWindow(dialog) != FALSE; })) << "the dialog closed";
    EXPECT_TRUE(ReadFileBytes(archive) == archiveBytes);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntilGone(dialog));
}

// Only a JPEG source offers the lossless type, and saving with it rewrites the source's data.
TEST_F(SaveE2eTest, SaveAsDialogOffersLosslessJpegForAJpegSource) {
    ASSERT_TRUE(folder_.WriteSettings([&] {
        auto slots = QuietSettings();
        slots.push_back(TextSlot(kSlotOpenFolder, images_.path()));
        return slots;
    }()));
    const std::wstring source = images_.File(L"photo.jpg");
    ASSERT_TRUE(WriteTestJpeg(source, 64, 48, 0));
    Open(source, L"64x48");
    ASSERT_TRUE(PostCommand(view_, kCmdSaveAs));
    HWND dialog = WaitForOwnedDialog(view_);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    SaveDialogControls c = FindSaveDialogControls(dialog);
    ASSERT_EQ(SendMessageW(c.type, CB_GETCOUNT, 0, 0), 6);
    SendMessageW(c.name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"copy"));
    ChooseType(dialog, c.type, 5);
    PressSave(dialog, c.save);
    EXPECT_TRUE(WaitUntilGone(dialog));
    const std::wstring copy = images_.File(L"copy.jpg");
    ASSERT_TRUE(WaitForFileStarting(copy, "\xFF\xD8\xFF"));
    // nothing turned, all markers kept: the same picture data as the source
    qv::ImageBuffer a{}, b{};
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    ASSERT_TRUE(qv::ReadJpegFile(source.c_str(), &a, &info, &status));
    ASSERT_TRUE(qv::ReadJpegFile(copy.c_str(), &b, &info, &status));
    const size_t bytes = static_cast<size_t>(qv::ImageStride(&a)) * 48;
    EXPECT_EQ(qv::ImageStride(&b), qv::ImageStride(&a));
    EXPECT_EQ(memcmp(a.pixels, b.pixels, bytes), 0);
    qv::FreeImagePixels(&a);
    qv::FreeImagePixels(&b);
}

// The program is killed while it encodes a large image for a save over the file it shows: the file
// keeps every byte. The next run is not disturbed by the temporary file the killed one left.
TEST_F(SaveE2eTest, KilledWhileEncodingLeavesTheTargetByteForByte) {
    constexpr uint32_t kWidth = 8000, kHeight = 6000;
    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::CodecStatus status = qv::kCodecOk;
    ASSERT_TRUE(qv::PrepareImage(image, kWidth, kHeight, 24, &status));
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = qv::ImageRowFromTop(image, y);
        for (uint32_t x = 0; x < kWidth * 3; ++x)
            row[x] = static_cast<uint8_t>((x * 7) ^ (y * 13) ^ ((x * y) >> 9));
    }
    const std::wstring path = images_.File(L"large.png");
    // stored and unfiltered: written in under 2 s; the program's level 9 with the adaptive filter
    // takes about 10 s for this picture
    qv::PngWriteOptions fast;
    fast.level = 0;
    fast.filter = qv::kPngFilterChoiceNone;
    ASSERT_EQ(qv::WritePngFile(path.c_str(), *image, fast), qv::kCodecOk);
    qv::FreeImageRecord(image);
    const std::string before = ReadFileBytes(path);
    FILETIME written{};
    ASSERT_TRUE(qv::GetFileFacts(path.c_str(), nullptr, &written));

    const auto earlier = TemporaryFiles();
    Open(path, L"8000x6000");
    ASSERT_TRUE(PostCommand(view_, kCmdSaveOver));
    const auto posted = std::chrono::steady_clock::now();
    std::wstring temp;
    WaitUntil(kStepTimeoutMs, [&] { return !(temp = NewTemporaryFile(earlier)).empty(); });
    ASSERT_FALSE(temp.empty()) << "no temporary file appeared";
    // well inside the encoding: the deflate call alone takes seconds at this size
    PumpMessages(300);
    ASSERT_FALSE(process_.HasExited());
    const uint64_t sizeAtKill = TemporaryFiles()[temp];
    process_.Terminate();
    view_ = nullptr;
    const double killedAfter = std::chrono::duration<double>(std::chrono::steady_clock::now() - posted).count();
    ASSERT_TRUE(process_.HasExited());
    EXPECT_TRUE(ReadFileBytes(path) == before) << "the target changed"; // no megabytes of diff
    const auto left = TemporaryFiles();
    const bool tempLeft = left.count(temp) != 0;
    std::printf("killed %.2f s after the command; temporary file %s, %llu bytes at the kill, %s\n", killedAfter,
                qv::WideToUtf8(temp).c_str(), static_cast<unsigned long long>(sizeAtKill),
                tempLeft ? "left behind" : "gone");

    // a second run saves over the file despite the left-over temporary file
    Open(path, L"8000x6000");
    ASSERT_TRUE(PostCommand(view_, kCmdSaveOver));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitForRewrite(path, written, 180000));
    // the new file is complete once the window shows the title again
    EXPECT_TRUE(WaitForTitleContaining(view_, L"8000x6000", 60000));
    const double saved = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("the full save over took %.2f s\n", saved);
    EXPECT_EQ(qv::DetectFormatFromFile(path.c_str()), qv::kFormatPng);
    EXPECT_NE(ReadFileBytes(path), before); // level 9 gives another file
    if (tempLeft) {                         // not the killed run's file reused
        EXPECT_TRUE(qv::PathExists(temp.c_str()));
    }
    EXPECT_TRUE(TakeFromTrash(L"large.png", before)) << "the old file is not in the bin";
    DeleteFileW(temp.c_str());
}

} // namespace
} // namespace qvtest
