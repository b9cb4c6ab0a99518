// Window services of the real Quorvel.exe: arranging several running instances, centring and the
// placement at start, external programs, the About box, the caption's full-screen requests and
// dropped files.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "platform/platform.h"

namespace qvtest {
namespace {

using qv::kCmdArrangeCentre;
using qv::kCmdArrangeClose;
using qv::kCmdArrangeGrid;
using qv::kCmdArrangeSideBySide;
using qv::kCmdCentreOnMonitor;
using qv::kSlotTop;
constexpr auto kCmdExternalProgram0 = qv::kCmdExternalProgramFirst;
using qv::kCmdAbout;
using qv::kCmdFullScreen;
using qv::kCmdHelp;
constexpr const wchar_t* kAboutClass = L"ver_parent_class";
constexpr const wchar_t* kProgramNotStarted = L"The external program was not found or could not be started.";

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT WorkArea(HWND window) {
    MONITORINFO info{sizeof info};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

bool CentredIn(HWND window, const RECT& area) {
    RECT r = WindowRect(window);
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom &&
           std::abs((r.left + r.right) - (area.left + area.right)) <= 1 &&
           std::abs((r.top + r.bottom) - (area.top + area.bottom)) <= 1;
}

bool CoversItsMonitor(HWND window) {
    MONITORINFO info{sizeof info};
    RECT r = WindowRect(window);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return false;
    return EqualRect(&r, &info.rcMonitor) != 0;
}

std::string Describe(const RECT& r) {
    char text[64];
    snprintf(text, sizeof text, "{%ld, %ld, %ld, %ld}", r.left, r.top, r.right, r.bottom);
    return text;
}

// A WM_DROPFILES block written into the receiving process, as the shell's drop hands it over:
// a DROPFILES header and the wide paths, each terminated, with an empty one at the end. The
// block stays behind in that process; a test process leaks it on purpose.
bool PostDrop(HWND window, const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& p : paths)
        list += p + L'\0';
    list += L'\0';
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    memcpy(block.data(), &header, sizeof header);
    block.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, WindowProcessId(window));
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    bool ok = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
    CloseHandle(process);
    return ok && PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
    IShellLinkW* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell))))
        return false;
    bool ok = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->SetPath(target.c_str())) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        ok = SUCCEEDED(file->Save(link.c_str(), TRUE));
        file->Release();
    }
    shell->Release();
    return ok;
}

std::wstring TestProgramDir() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

// The message box of the process whose static text is `text`.
HWND FindMessageBox(DWORD processId, const std::wstring& text) {
    for (HWND box : FindTopLevelWindows(L"#32770", processId, true)) {
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (WindowClassName(child) == L"Static" && WindowTitle(child) == text) return box;
    }
    return nullptr;
}

class ArrangeTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
        CoUninitialize();
    }

    // Starts one instance on `args` and waits for its ViewWindow (and the title when a file is
    // opened).
    HWND Start(ProcessOwner* process, const std::vector<std::wstring>& args, const std::wstring& title = {}) {
        *process = Launch(folder_.exePath(), args);
        if (!process->valid()) return nullptr;
        HWND view = WaitForProcessWindow(*process, kViewWindowClass);
        if (view && !title.empty() && !WaitForTitleContaining(view, title)) return nullptr;
        return view;
    }

    // A folder with a.bmp, b.bmp and c.bmp beside the program.
    bool CreateWithImages(std::vector<SlotValue> extra = {}) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.insert(slots.end(), extra.begin(), extra.end());
        if (!folder_.Create(slots)) return false;
        const COLORREF colours[] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
        const wchar_t* names[] = {L"a.bmp", L"b.bmp", L"c.bmp"};
        for (int i = 0; i < 3; ++i)
            if (!WriteFileBytes(folder_.File(names[i]), SolidBmpBytes(64, 48, colours[i]))) return false;
        return true;
    }

    ProgramFolder folder_;
};

// ---- arrangement ----------------------------------------------------------------------------

TEST_F(ArrangeTest, ThreeInstancesMakeAGridAndCloseTogether) {
    // without FitWin every receiver takes its cell's rectangle exactly
    std::vector<SlotValue> slots = QuietSettings();
    slots.push_back(IntSlot(qv::kSlotFitWin, 0));
    ASSERT_TRUE(folder_.Create(slots));
    ProcessOwner first, second, self;
    HWND a = Start(&first, {});
    ASSERT_NE(a, nullptr);
    HWND b = Start(&second, {});
    ASSERT_NE(b, nullptr);
    HWND c = Start(&self, {});
    ASSERT_NE(c, nullptr);

    RECT work = WorkArea(c);
    LONG w = (work.right - work.left) / 2, h = (work.bottom - work.top) / 2;
    const RECT topLeft{work.left, work.top, work.left + w, work.top + h};
    const RECT topRight{work.left + w, work.top, work.left + 2 * w, work.top + h};
    const RECT bottomLeft{work.left, work.top + h, work.left + w, work.top + 2 * h};

    ASSERT_TRUE(PostCommand(c, kCmdArrangeGrid));
    auto is = [](HWND window, const RECT& r) {
        RECT now = WindowRect(window);
        return EqualRect(&now, &r) != 0;
    };
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return is(c, bottomLeft); }))
        << "this instance takes the bottom-left cell; it is at " << Describe(WindowRect(c));
    // the two others fill the top row, in whichever order the system lists them
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs,
                          [&] { return (is(a, topLeft) && is(b, topRight)) || (is(a, topRight) && is(b, topLeft)); }))
        << "the others are at " << Describe(WindowRect(a)) << " and " << Describe(WindowRect(b));

    ASSERT_TRUE(PostCommand(c, kCmdArrangeClose));
    EXPECT_TRUE(first.WaitForExit(kExitTimeoutMs)) << "5355 should close the other instances";
    EXPECT_TRUE(second.WaitForExit(kExitTimeoutMs));
    EXPECT_TRUE(self.WaitForExit(kExitTimeoutMs)) << "and this one last";
}

TEST_F(ArrangeTest, FittedWindowsAreCentredInTheirCellsAndThenOnTheirMonitor) {
    ASSERT_TRUE(CreateWithImages()); // FitWin on: the windows keep the images' size
    ProcessOwner other, self;
    HWND a = Start(&other, {folder_.File(L"a.bmp")}, L"a.bmp");
    ASSERT_NE(a, nullptr);
    HWND c = Start(&self, {folder_.File(L"c.bmp")}, L"c.bmp");
    ASSERT_NE(c, nullptr);
    RECT work = WorkArea(c);
    LONG half = (work.right - work.left) / 2;
    const RECT left{work.left, work.top, work.left + half, work.bottom};
    const RECT right{work.left + half, work.top, work.left + 2 * half, work.bottom};
    RECT sizeBefore = WindowRect(c);

    ASSERT_TRUE(PostCommand(c, kCmdArrangeSideBySide));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CentredIn(a, left) && CentredIn(c, right); }))
        << Describe(WindowRect(a)) << " should be centred in " << Describe(left) << ", " << Describe(WindowRect(c))
        << " in " << Describe(right);
    RECT sizeAfter = WindowRect(c);
    EXPECT_EQ(sizeAfter.right - sizeAfter.left, sizeBefore.right - sizeBefore.left) << "the image fits: same size";

    ASSERT_TRUE(PostCommand(c, kCmdArrangeCentre));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CentredIn(a, work) && CentredIn(c, work); }))
        << Describe(WindowRect(a)) << " and " << Describe(WindowRect(c)) << " should be centred in " << Describe(work);
    EXPECT_TRUE(CloseAndWait(a, other));
    EXPECT_TRUE(CloseAndWait(c, self));
}

TEST_F(ArrangeTest, AnInstanceWithAModalBoxOpenIgnoresTheRequest) {
    std::vector<SlotValue> slots = QuietSettings();
    slots.push_back(IntSlot(qv::kSlotFitWin, 0));
    ASSERT_TRUE(folder_.Create(slots));
    ProcessOwner busy, self;
    HWND b = Start(&busy, {});
    ASSERT_NE(b, nullptr);
    HWND c = Start(&self, {});
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(PostCommand(b, kCmdAbout));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindowEnabled(b); }));
    RECT before = WindowRect(b);

    RECT work = WorkArea(c);
    LONG half = (work.right - work.left) / 2;
    const RECT right{work.left + half, work.top, work.left + 2 * half, work.bottom};
    ASSERT_TRUE(PostCommand(c, kCmdArrangeSideBySide));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs,
                          [&] {
                              RECT now = WindowRect(c);
                              return EqualRect(&now, &right) != 0;
                          }))
        << "this instance still takes its cell: " << Describe(WindowRect(c));
    RECT after = WindowRect(b);
    EXPECT_TRUE(EqualRect(&before, &after)) << "moved to " << Describe(after) << " behind its About box";
    for (HWND box : FindTopLevelWindows(kAboutClass, busy.id()))
        PostKey(box, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowEnabled(b) != FALSE; }));
    EXPECT_TRUE(CloseAndWait(b, busy));
    EXPECT_TRUE(CloseAndWait(c, self));
}

TEST_F(ArrangeTest, AloneTheArrangementDoesNothing) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    ProcessOwner process;
    HWND view = Start(&process, {});
    ASSERT_NE(view, nullptr);
    RECT before = WindowRect(view);
    ASSERT_TRUE(PostCommand(view, kCmdArrangeGrid));
    ASSERT_TRUE(PostCommand(view, kCmdArrangeClose));
    EXPECT_TRUE(HoldsFor(1000, [&] { return !process.HasExited(); }))
        << "close-all with no other instance must not close this one";
    RECT after = WindowRect(view);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(CloseAndWait(view, process));
}

TEST_F(ArrangeTest, AStoredPlacementOffTheWorkAreaComesBackAndCentringCentres) {
    std::vector<SlotValue> slots = QuietSettings();
    slots.push_back(IntSlot(qv::kSlotFitWin, 0));
    slots.push_back(IntSlot(qv::kSlotVwinX, 20000));
    slots.push_back(IntSlot(qv::kSlotVwinX + 1, 15000));
    slots.push_back(IntSlot(qv::kSlotVwinX + 2, 500));
    slots.push_back(IntSlot(qv::kSlotVwinX + 3, 400));
    slots.push_back(IntSlot(qv::kSlotSwinX, -9000));
    slots.push_back(IntSlot(qv::kSlotSwinX + 1, 9000));
    slots.push_back(IntSlot(qv::kSlotSwinX + 2, 600));
    slots.push_back(IntSlot(qv::kSlotSwinX + 3, 500));
    ASSERT_TRUE(folder_.Create(slots));
    ProcessOwner process;
    HWND view = Start(&process, {});
    ASSERT_NE(view, nullptr);
    RECT work = WorkArea(view);
    RECT r = WindowRect(view);
    EXPECT_EQ(r.right, work.right) << Describe(r) << " in " << Describe(work);
    EXPECT_EQ(r.bottom, work.bottom) << Describe(r) << " in " << Describe(work);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 400);
    // the SubWindow's stored placement, left of and below the work area, comes back the same way
    HWND sub = WaitForProcessWindow(process, kSubWindowClass, kStartTimeoutMs, false);
    ASSERT_NE(sub, nullptr);
    RECT s = WindowRect(sub);
    EXPECT_EQ(s.left, work.left) << Describe(s);
    EXPECT_EQ(s.bottom, work.bottom) << Describe(s);

    ASSERT_TRUE(PostCommand(view, kCmdCentreOnMonitor));
    auto centred = [&] {
        RECT now = WindowRect(view);
        return std::abs((now.left + now.right) - (work.left + work.right)) <= 1 &&
               std::abs((now.top + now.bottom) - (work.top + work.bottom)) <= 1;
    };
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, centred)) << Describe(WindowRect(view)) << " in " << Describe(work);
    EXPECT_TRUE(CloseAndWait(view, process));
}

// ---- external programs ----------------------------------------------------------------------

TEST_F(ArrangeTest, AnExternalProgramGetsTheQuotedPathAndAMissingOneIsReported) {
    ASSERT_TRUE(CreateWithImages());
    std::wstring recorder = folder_.File(L"args_recorder.exe");
    ASSERT_TRUE(CopyFileW((TestProgramDir() + L"args_recorder.exe").c_str(), recorder.c_str(), FALSE));
    std::wstring image = folder_.File(L"my picture.bmp");
    ASSERT_TRUE(WriteFileBytes(image, SolidBmpBytes(32, 32, RGB(10, 20, 30))));
    std::vector<SlotValue> slots = QuietSettings();
    slots.push_back(IntSlot(kSlotTop, 1));
    slots.push_back(TextSlot(qv::kSlotApp0, recorder));
    slots.push_back(TextSlot(qv::kSlotAn0, L"Recorder"));
    slots.push_back(TextSlot(qv::kSlotApp0 + 1, folder_.File(L"missing.exe")));
    ASSERT_TRUE(folder_.WriteSettings(slots));

    ProcessOwner process;
    HWND view = Start(&process, {image}, L"my picture.bmp");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(GetWindowLongW(view, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CoversItsMonitor(view); }));

    std::wstring record = folder_.File(L"args.txt");
    ASSERT_TRUE(PostCommand(view, kCmdExternalProgram0));
    // the recorder writes its command line in one piece; poll until the whole path is there
    std::wstring line;
    ASSERT_TRUE(WaitUntil(kStartTimeoutMs,
                          [&] {
                              std::string bytes = ReadFileBytes(record);
                              line.assign(reinterpret_cast<const wchar_t*>(bytes.data()),
                                          bytes.size() / sizeof(wchar_t));
                              return line.find(L"\"" + image + L"\"") != std::wstring::npos;
                          }))
        << "the stand-in program did not run or was not given the image: " << qv::WideToUtf8(line);
    EXPECT_NE(line.find(L"\"" + image + L"\""), std::wstring::npos) << qv::WideToUtf8(line);
    EXPECT_FALSE(CoversItsMonitor(view)) << "full screen is left first";
    EXPECT_FALSE(GetWindowLongW(view, GWL_EXSTYLE) & WS_EX_TOPMOST) << "always-on-top is switched off";

    ASSERT_TRUE(PostCommand(view, kCmdExternalProgram0 + 1));
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return (box = FindMessageBox(process.id(), kProgramNotStarted)) != nullptr;
    })) << "a missing program shows error 30009";
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindow(box) && IsWindowEnabled(view); }));
    EXPECT_TRUE(CloseAndWait(view, process));
}

// ---- help, the About box and the caption --------------------------------------------------------

TEST_F(ArrangeTest, HelpWithAHelpFileLeavesFullScreenFirst) {
    const char* build = getenv("QV_BUILD_DIR");
    ASSERT_NE(build, nullptr) << "QV_BUILD_DIR is not set";
    std::wstring chm = WinePath(qv::Utf8ToWide(build)) + L"\\help\\Quorvel.chm";
    // chmcmd (fp-utils) is installed by scripts/setup-deps and the build makes the file first: a
    // missing file is a build that failed quietly, not a reason to leave help untested
    ASSERT_NE(GetFileAttributesW(chm.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no compiled help file at " << qv::WideToUtf8(chm) << " (chmcmd missing or failed)";
    ASSERT_TRUE(CreateWithImages());
    ASSERT_TRUE(CopyFileW(chm.c_str(), folder_.File(L"Quorvel.chm").c_str(), FALSE));
    ProcessOwner process;
    HWND view = Start(&process, {folder_.File(L"a.bmp")}, L"a.bmp");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CoversItsMonitor(view); }));
    ASSERT_TRUE(PostCommand(view, kCmdHelp));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !CoversItsMonitor(view); }))
        << "help is shown outside full screen";
    EXPECT_TRUE(CloseAllProgramWindows(kViewWindowClass));
}

TEST_F(ArrangeTest, TheAboutBoxIsCentredModalAndClosesOnAKey) {
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    ProcessOwner process;
    HWND view = Start(&process, {});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, kCmdAbout));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        std::vector<HWND> boxes = FindTopLevelWindows(kAboutClass, process.id(), true);
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
    }));
    EXPECT_EQ(GetWindow(box, GW_OWNER), view);
    EXPECT_EQ(WindowTitle(box), L"About Quorvel");
    EXPECT_FALSE(IsWindowEnabled(view)) << "the main window is disabled while the box is open";
    RECT client{};
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 274);
    RECT outer = WindowRect(box), main = WindowRect(view);
    EXPECT_LE(std::abs((outer.left + outer.right) - (main.left + main.right)), 1);
    EXPECT_LE(std::abs((outer.top + outer.bottom) - (main.top + main.bottom)), 1);

    std::wstring version = WindowTitle(GetDlgItem(box, 100));
    EXPECT_EQ(version.rfind(L"Quorvel version ", 0), 0u) << qv::WideToUtf8(version);
    EXPECT_TRUE(version.size() > 16 && iswdigit(version[16])) << "the version comes from the program's resource";
    EXPECT_EQ(WindowTitle(GetDlgItem(box, 101)), L"An image viewer and editor for Windows.");
    HWND link = GetDlgItem(box, 102);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(WindowClassName(link), L"ver_child_class");
    RECT linkRect = WindowRect(link);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&linkRect), 2);
    EXPECT_EQ(linkRect.left, 12);
    EXPECT_EQ(linkRect.top, 47);
    EXPECT_EQ(linkRect.right - linkRect.left, 250);
    EXPECT_EQ(linkRect.bottom - linkRect.top, 20);
    Capture shot;
    bool blue = false;
    WaitUntil(kStepTimeoutMs, [&] {
        if (!CaptureClientArea(link, &shot)) return false;
        for (int y = 0; y < shot.height && !blue; ++y)
            for (int x = 0; x < shot.width && !blue; ++x)
                blue = shot.Pixel(x, y) == RGB(0, 0, 255);
        return blue;
    });
    EXPECT_TRUE(blue) << "the address is drawn in blue";

    ASSERT_TRUE(PostKey(box, 'A'));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindow(box); })) << "any key closes the box";
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowEnabled(view) != FALSE; }));
    EXPECT_TRUE(CloseAndWait(view, process));
}

TEST_F(ArrangeTest, CaptionDoubleClickAndMaximiseMeanFullScreen) {
    ASSERT_TRUE(CreateWithImages());
    ProcessOwner process;
    HWND view = Start(&process, {folder_.File(L"a.bmp")}, L"a.bmp");
    ASSERT_NE(view, nullptr);
    RECT r = WindowRect(view);
    ASSERT_TRUE(PostMessageW(view, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(r.left + 40, r.top + 5)));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CoversItsMonitor(view); }))
        << "caption double click enters full screen";
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return CoversItsMonitor(view); }))
        << "and only once (no second toggle from the default handling)";
    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !CoversItsMonitor(view); }));

    ASSERT_TRUE(PostMessageW(view, WM_SYSCOMMAND, SC_MAXIMIZE, 0));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CoversItsMonitor(view); }))
        << "the system menu's maximise enters full screen";
    EXPECT_TRUE(CloseAndWait(view, process));
}

// ---- dropped files ------------------------------------------------------------------------------

TEST_F(ArrangeTest, DroppedFoldersAndDeadShortcutsOpenNothingAndShortcutsAreFollowed) {
    ASSERT_TRUE(CreateWithImages());
    ScratchDir elsewhere;
    std::wstring gone = elsewhere.File(L"gone.bmp");
    ASSERT_TRUE(WriteFileBytes(gone, SolidBmpBytes(8, 8, RGB(1, 2, 3))));
    ASSERT_TRUE(MakeShortcut(folder_.File(L"dead.lnk"), gone));
    ASSERT_TRUE(DeleteFileW(gone.c_str()));
    ASSERT_TRUE(MakeShortcut(folder_.File(L"to b.lnk"), folder_.File(L"b.bmp")));
    CreateDirectoryW(folder_.File(L"sub").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(folder_.File(L"sub\\c.bmp"), SolidBmpBytes(8, 8, RGB(9, 9, 9))));

    ProcessOwner process;
    HWND view = Start(&process, {folder_.File(L"a.bmp")}, L"a.bmp");
    ASSERT_NE(view, nullptr);

    auto showsA = [&] { return !process.HasExited() && WindowTitle(view).find(L"a.bmp") != std::wstring::npos; };
    ASSERT_TRUE(PostDrop(view, {folder_.File(L"sub")}));
    EXPECT_TRUE(HoldsFor(1500, showsA)) << "a dropped folder is not opened";
    ASSERT_TRUE(PostDrop(view, {folder_.File(L"dead.lnk")}));
    EXPECT_TRUE(HoldsFor(1500, showsA)) << "a shortcut to nothing keeps the image";
    EXPECT_TRUE(FindTopLevelWindows(L"#32770", process.id(), true).empty()) << "and asks nothing";

    ASSERT_TRUE(PostDrop(view, {folder_.File(L"to b.lnk")}));
    EXPECT_TRUE(WaitForTitleContaining(view, L"b.bmp", kStepTimeoutMs)) << "a shortcut opens its target";
    EXPECT_TRUE(CloseAndWait(view, process));
}

TEST_F(ArrangeTest, EveryFurtherDroppedFileOpensInANewProcess) {
    ASSERT_TRUE(CreateWithImages());
    ProcessOwner process;
    HWND view = Start(&process, {folder_.File(L"a.bmp")}, L"a.bmp");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostDrop(view, {folder_.File(L"c.bmp"), folder_.File(L"b.bmp"), folder_.File(L"a.bmp")}));
    EXPECT_TRUE(WaitForTitleContaining(view, L"c.bmp", kStepTimeoutMs)) << "the first dropped file opens here";
    std::vector<HWND> windows = WaitForWindowsOfDistinctProcesses(kViewWindowClass, 3);
    ASSERT_EQ(windows.size(), 3u);
    for (const wchar_t* name : {L"b.bmp", L"a.bmp"}) {
        bool shown = WaitUntil(kStartTimeoutMs, [&] {
            return std::any_of(windows.begin(), windows.end(),
                               [&](HWND w) { return w != view && WindowTitle(w).find(name) != std::wstring::npos; });
        });
        EXPECT_TRUE(shown) << "no new window shows " << qv::WideToUtf8(name);
    }
    EXPECT_TRUE(CloseAllProgramWindows(kViewWindowClass));
}

} // namespace
} // namespace qvtest
