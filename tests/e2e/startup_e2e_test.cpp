// Start-up of the real Quorvel.exe: the main window, the shutdown save, the single-instance
// forwarding to a running instance and the extra processes of a multi-file command line.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/instance_request.h"
#include "model/settings.h"
#include "settings/settings_file.h"

namespace qvtest {
namespace {

using qv::InstanceRequest;

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override {
        // whatever a failed test left running must not answer the next test's FindWindowW
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    ProgramFolder folder_;
};

std::vector<SlotValue> DualSettings() {
    std::vector<SlotValue> slots = QuietSettings();
    slots.push_back(IntSlot(qv::kSlotDual, 1));
    return slots;
}

// ---- a new instance -----------------------------------------------------------------------------

TEST_F(StartupTest, ShowsTheMainWindowAndSavesTheSettingsFileWhenClosed) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    ProcessOwner process = Launch(folder_.exePath(), {});
    ASSERT_TRUE(process.valid());

    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    ASSERT_NE(view, nullptr) << "no visible "
                             << "Quorvel_vwin_class window";
    // the sub window exists from the start (created just after the main window is shown), hidden
    HWND sub = WaitForProcessWindow(process, kSubWindowClass, kStartTimeoutMs, false);
    ASSERT_NE(sub, nullptr) << "no Quorvel_swin_class window";
    EXPECT_FALSE(IsWindowVisible(sub));
    EXPECT_EQ(FindTopLevelWindows(kSubWindowClass, process.id()).size(), 1u);

    DWORD exitCode = 1;
    PostMessageW(view, WM_CLOSE, 0, 0);
    ASSERT_TRUE(process.WaitForExit(kExitTimeoutMs, &exitCode)) << "WM_CLOSE did not end the program";
    EXPECT_EQ(exitCode, 0u);

    std::string bytes = ReadFileBytes(folder_.settingsPath());
    ASSERT_GE(bytes.size(), qv::kSettingsDataStart);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xD2\x00\x01\x00", 4));
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(folder_.settingsPath()));
    EXPECT_EQ(reader.count(), qv::kSettingsSlotCount);
    EXPECT_EQ(reader.ReadInt(qv::kSlotMouseInfo, -1), 0);
    EXPECT_EQ(reader.ReadInt(qv::kSlotDual, -1), 0);
    qv::TextBuffer lang;
    ASSERT_TRUE(reader.ReadText(qv::kSlotLangFile, &lang));
    EXPECT_STREQ(lang.c_str(), L"English");
    // slots the test did not write prove that the program saved the file, not just left it
    const qv::SettingsSlot* width = reader.Slot(qv::kSlotVwinX + 2);
    ASSERT_NE(width, nullptr);
    EXPECT_TRUE(width->IsInteger()) << "window placement not saved";
    const qv::SettingsSlot* fitWin = reader.Slot(qv::kSlotFitWin);
    ASSERT_NE(fitWin, nullptr);
    EXPECT_TRUE(fitWin->IsInteger()) << "Settings record not saved";
}

// Without a Quorvel.ini beside the executable the roaming application-data file is used (and the
// executable's folder is left alone).
TEST_F(StartupTest, UsesTheApplicationDataFileWithoutAPortableOne) {
    wchar_t appData[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData), S_OK);
    std::wstring folder = std::wstring(appData) + L"\\Tesmo";
    std::wstring file = folder + L"\\Quorvel.ini";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::string previous = ReadFileBytes(file);
    bool hadPrevious = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    {
        DeleteFileW(file.c_str());
        qv::SettingsWriter writer;
        ASSERT_TRUE(writer.Open(file, true));
        for (const SlotValue& slot : QuietSettings()) {
            if (slot.isText)
                writer.WriteText(slot.slot, slot.text);
            else
                writer.WriteInt(slot.slot, slot.value);
        }
        writer.WriteInt(qv::kSlotVwinX + 2, 640); // a width the program keeps
        ASSERT_TRUE(writer.Close());
    }

    ASSERT_TRUE(folder_.Create({}, false));
    ProcessOwner process = Launch(folder_.exePath(), {});
    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    EXPECT_NE(view, nullptr);
    EXPECT_TRUE(CloseAndWait(view, process));

    EXPECT_EQ(GetFileAttributesW(folder_.settingsPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "a settings file was created beside the executable";
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(file));
    EXPECT_EQ(reader.ReadInt(qv::kSlotMouseInfo, -1), 0);
    const qv::SettingsSlot* fitWin = reader.Slot(qv::kSlotFitWin);
    ASSERT_NE(fitWin, nullptr);
    EXPECT_TRUE(fitWin->IsInteger()) << "the application-data file was not saved";
    reader.Close();

    if (hadPrevious)
        WriteFileBytes(file, previous);
    else
        DeleteFileW(file.c_str());
}

// The program's own cursors 200-242 are resources of the executable, each one a cursor Windows
// can load.
TEST_F(StartupTest, TheProgramCursorsAreAmongTheResources) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    HMODULE exe = LoadLibraryExW(folder_.exePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (int id = 200; id <= 242; ++id) {
        HANDLE cursor = LoadImageW(exe, MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE);
        EXPECT_NE(cursor, nullptr) << "cursor " << id;
        if (cursor) DestroyCursor(static_cast<HCURSOR>(cursor));
    }
    FreeLibrary(exe);
}

// A shortcut set to run maximised hands SW_SHOWMAXIMIZED: with Start 0 that is full screen (no
// caption, maximised), with the file open.
TEST_F(StartupTest, StartZeroWithAMaximisedShowCommandEntersFullScreen) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    ASSERT_TRUE(WriteFileBytes(folder_.File(L"a.bmp"), SolidBmpBytes(64, 48, RGB(0, 120, 0))));
    ProcessOwner process = Launch(folder_.exePath(), {folder_.File(L"a.bmp")}, SW_SHOWMAXIMIZED);
    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(WaitForTitleContaining(view, L"a.bmp"));
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(view) && (GetWindowLongW(view, GWL_STYLE) & WS_CAPTION) == 0; }))
        << "a maximised start should be full screen";
    EXPECT_TRUE(CloseAndWait(view, process));
}

// Wine reports the version set for the executable in the registry, as an old Windows would.
class ReportedWindowsVersion {
public:
    explicit ReportedWindowsVersion(const wchar_t* version) {
        ok_ = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Version", REG_SZ, version,
                              static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~ReportedWindowsVersion() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    bool ok() const { return ok_; }

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\Quorvel.exe";
    bool ok_ = false;
};

// On a system older than XP the program says it cannot run, creates no window and ends.
TEST_F(StartupTest, AWindowsOlderThanXpEndsWithTheStartError) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    ReportedWindowsVersion windows2000(L"win2k");
    ASSERT_TRUE(windows2000.ok());
    ProcessOwner process = Launch(folder_.exePath(), {});
    ASSERT_TRUE(process.valid());
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND w : FindTopLevelWindows(L"#32770", process.id(), true))
            for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                if (WindowTitle(c) == L"Failed to execute file.") box = w;
        return box != nullptr;
    })) << "no start error";
    EXPECT_EQ(WindowTitle(box), L"Error");
    EXPECT_TRUE(FindTopLevelWindows(kViewWindowClass, process.id()).empty());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(process.WaitForExit(kExitTimeoutMs));
}

// ---- forwarding to a running instance -------------------------------------------------------

struct ForwardOutcome {
    bool exited = false;
    DWORD exitCode = 1;
    bool createdWindow = false;
};

// Starts the program against the stand-in windows of this process and runs their messages until
// it ends; a program that wrongly became a new instance is closed again.
ForwardOutcome StartSecondInstance(const ProgramFolder& folder, const std::vector<std::wstring>& args) {
    ForwardOutcome outcome;
    ProcessOwner process = Launch(folder.exePath(), args);
    if (!process.valid()) return outcome;
    ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (!process.HasExited() && GetTickCount64() < deadline) {
        if (!FindTopLevelWindows(kViewWindowClass, process.id()).empty()) {
            outcome.createdWindow = true;
            break;
        }
        PumpMessages(kPollIntervalMs);
    }
    if (outcome.createdWindow) {
        CloseAndWait(FindTopLevelWindows(kViewWindowClass, process.id()).front(), process);
        return outcome;
    }
    outcome.exited = process.WaitForExit(0, &outcome.exitCode);
    PumpMessages(0); // the requests were sent, and taken while waiting; run whatever else is queued
    return outcome;
}

InstanceRequest OnlyRequest(const FakeInstanceWindow& target) {
    InstanceRequest request;
    std::string seen;
    for (const FakeInstanceWindow::Block& block : target.received())
        seen += " {kind " + std::to_string(block.kind) + ", " + std::to_string(block.bytes.size()) + " bytes}";
    EXPECT_EQ(target.received().size(), 1u) << "received:" << seen;
    if (target.received().size() != 1) return request;
    const FakeInstanceWindow::Block& block = target.received().front();
    EXPECT_EQ(block.kind, qv::kCopyDataInstanceRequest);
    EXPECT_EQ(block.bytes.size(), qv::kInstanceRequestBytes);
    EXPECT_TRUE(
        qv::DecodeInstanceRequest(reinterpret_cast<const uint8_t*>(block.bytes.data()), block.bytes.size(), &request));
    return request;
}

// A second start that handed its request over ends by itself, with exit code 0, and never shows
// a window of its own.
void ExpectForwarded(const ForwardOutcome& outcome) {
    EXPECT_TRUE(outcome.exited) << "the second start did not end";
    EXPECT_FALSE(outcome.createdWindow) << "the second start became a new instance";
    EXPECT_EQ(outcome.exitCode, 0u);
}

TEST_F(StartupTest, ForwardsAPathToTheRunningInstanceAndEnds) {
    ASSERT_TRUE(folder_.Create(DualSettings()));
    FakeInstanceWindow running;
    ASSERT_TRUE(running.Create(kViewWindowClass, true));

    ForwardOutcome outcome = StartSecondInstance(folder_, {L"C:\\path\\x.png"});
    ExpectForwarded(outcome);
    InstanceRequest request = OnlyRequest(running);
    EXPECT_EQ(request.letter, 0);
    EXPECT_EQ(request.memberKey, 0);
    EXPECT_EQ(request.path, L"C:\\path\\x.png");
}

TEST_F(StartupTest, ForwardsTheOptionLetterAndMemberKey) {
    ASSERT_TRUE(folder_.Create(DualSettings()));
    FakeInstanceWindow running;
    ASSERT_TRUE(running.Create(kViewWindowClass, true));

    ForwardOutcome outcome = StartSecondInstance(folder_, {L"/vz7", L"C:\\path with space\\x.png"});
    ExpectForwarded(outcome);
    InstanceRequest request = OnlyRequest(running);
    EXPECT_EQ(request.letter, L'v');
    EXPECT_EQ(request.memberKey, 7);
    EXPECT_EQ(request.path, L"C:\\path with space\\x.png");
}

// Only the first path travels; the running instance is not asked to start extra processes, and
// this start does not start them either (each would forward one more request).
TEST_F(StartupTest, ForwardsOnlyTheFirstOfSeveralPaths) {
    ASSERT_TRUE(folder_.Create(DualSettings()));
    FakeInstanceWindow running;
    ASSERT_TRUE(running.Create(kViewWindowClass, true));

    ForwardOutcome outcome = StartSecondInstance(folder_, {L"C:\\a.png", L"C:\\b.png", L"C:\\c.png"});
    ExpectForwarded(outcome);
    // a wrongly started extra process would start and forward within this time
    EXPECT_TRUE(HoldsFor(2000, [&] { return running.received().size() <= 1; })) << "more than one request arrived";
    InstanceRequest request = OnlyRequest(running);
    EXPECT_EQ(request.path, L"C:\\a.png");
}

TEST_F(StartupTest, ForwardsAPathOf260CharactersEmpty) {
    ASSERT_TRUE(folder_.Create(DualSettings()));
    std::wstring longest = L"C:\\" + std::wstring(252, L'a') + L".png"; // 259 characters: still fits
    std::wstring tooLong = L"C:\\" + std::wstring(253, L'a') + L".png";
    ASSERT_EQ(longest.size(), 259u);
    ASSERT_EQ(tooLong.size(), 260u);
    {
        FakeInstanceWindow running;
        ASSERT_TRUE(running.Create(kViewWindowClass, true));
        ExpectForwarded(StartSecondInstance(folder_, {longest}));
        EXPECT_EQ(OnlyRequest(running).path, longest);
    }
    {
        FakeInstanceWindow running;
        ASSERT_TRUE(running.Create(kViewWindowClass, true));
        ExpectForwarded(StartSecondInstance(folder_, {tooLong}));
        InstanceRequest request = OnlyRequest(running);
        EXPECT_EQ(request.letter, 0);
        EXPECT_EQ(request.path, L"");
    }
}

TEST_F(StartupTest, ForwardsToTheSubWindowWhenTheMainWindowIsHidden) {
    ASSERT_TRUE(folder_.Create(DualSettings()));
    FakeInstanceWindow hiddenView;
    ASSERT_TRUE(hiddenView.Create(kViewWindowClass, false));
    FakeInstanceWindow sub;
    ASSERT_TRUE(sub.Create(kSubWindowClass, true));

    ExpectForwarded(StartSecondInstance(folder_, {L"C:\\path\\x.png"}));
    EXPECT_TRUE(hiddenView.received().empty());
    EXPECT_EQ(OnlyRequest(sub).path, L"C:\\path\\x.png");
}

TEST_F(StartupTest, StartWithoutArgumentsSendsNothingToTheRunningInstance) {
    ASSERT_TRUE(folder_.Create(DualSettings()));
    FakeInstanceWindow running;
    ASSERT_TRUE(running.Create(kViewWindowClass, true));

    ExpectForwarded(StartSecondInstance(folder_, {}));
    EXPECT_TRUE(running.received().empty());
}

TEST_F(StartupTest, DualOffStartsANewInstanceDespiteARunningOne) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    FakeInstanceWindow running;
    ASSERT_TRUE(running.Create(kViewWindowClass, true));

    ProcessOwner process = Launch(folder_.exePath(), {L"C:\\path\\x.png"});
    HWND view = WaitForProcessWindow(process, kViewWindowClass);
    EXPECT_NE(view, nullptr);
    EXPECT_TRUE(running.received().empty());
    EXPECT_TRUE(CloseAndWait(view, process));
}

// ---- several files on one command line ------------------------------------------------------

TEST_F(StartupTest, EachFurtherPathOpensInItsOwnProcess) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    ScratchDir images;
    const std::vector<std::wstring> names = {L"first.bmp", L"second image.bmp", L"third.bmp"};
    const COLORREF colours[] = {RGB(200, 30, 30), RGB(30, 200, 30), RGB(30, 30, 200)};
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < names.size(); ++i) {
        paths.push_back(images.File(names[i]));
        ASSERT_TRUE(WriteFileBytes(paths.back(), SolidBmpBytes(24, 16, colours[i])));
    }

    ProcessOwner first = Launch(folder_.exePath(), paths);
    ASSERT_TRUE(first.valid());
    std::vector<HWND> windows = WaitForWindowsOfDistinctProcesses(kViewWindowClass, 3);
    ASSERT_EQ(windows.size(), 3u);

    HWND firstWindow = WaitForProcessWindow(first, kViewWindowClass, 0);
    ASSERT_NE(firstWindow, nullptr);
    EXPECT_TRUE(WaitForTitleContaining(firstWindow, names[0])) << "title: " << qv::WideToUtf8(WindowTitle(firstWindow));
    for (size_t i = 1; i < names.size(); ++i) {
        bool shown = false;
        ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
        while (!shown && GetTickCount64() < deadline) {
            for (HWND window : windows)
                if (window != firstWindow && WaitForTitleContaining(window, names[i], 0)) shown = true;
            if (!shown) PumpMessages(kPollIntervalMs);
        }
        EXPECT_TRUE(shown) << "no window shows " << qv::WideToUtf8(names[i]);
    }

    EXPECT_TRUE(CloseAllProgramWindows(kViewWindowClass)) << "a process did not end on WM_CLOSE";
    EXPECT_TRUE(first.WaitForExit(kExitTimeoutMs));
}

} // namespace
} // namespace qvtest
