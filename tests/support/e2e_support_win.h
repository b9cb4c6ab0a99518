// Helpers for the end-to-end tests that drive the real Quorvel.exe under Wine: a private program
// folder per test, processes, windows, screenshots, input, and a stand-in for a running instance.
// Every wait is bounded; a helper that times out returns null or false instead of hanging.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"
#include "ui/window_classes.h"

namespace qvtest {

// Wine is slow to start a GUI process the first time in a prefix; later starts take about a second.
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 20000;
constexpr DWORD kPollIntervalMs = 50;
// A step the program takes at once (a command, a dialog opening or closing).
constexpr DWORD kStepTimeoutMs = 10000;

using qv::kSubWindowClass;
using qv::kViewWindowClass;
// Dialogs and message boxes.
constexpr const wchar_t* kDialogClass = L"#32770";

// One value to put into the settings file before the program starts.
struct SlotValue {
    uint32_t slot = 0;
    bool isText = false;
    int32_t value = 0;
    std::wstring text;
};
inline SlotValue IntSlot(uint32_t slot, int32_t value) {
    return {slot, false, value, {}};
}
inline SlotValue TextSlot(uint32_t slot, const std::wstring& text) {
    return {slot, true, 0, text};
}
// English language module, no start-up information dialog, every start a new instance.
std::vector<SlotValue> QuietSettings();

// Where the build put Quorvel.exe and the language modules (QV_BIN_DIR, else ../bin beside the
// test program). Unix paths from the environment are turned into Wine's Z: form.
std::wstring ProductBinDir();
// The plug-ins the build ships (bin\plugins), and the odd ones only the tests use.
std::wstring ShippedPluginDir();
std::wstring OddPluginDir();
// Copies plug-in files (names relative to `from`) into `folder`; false when one is missing.
bool CopyPlugins(const std::wstring& from, const std::vector<std::wstring>& names, const std::wstring& folder);
// A Unix path (/a/b) as Wine sees it (Z:\a\b); other paths unchanged.
std::wstring WinePath(const std::wstring& path);

// A fresh folder under the Wine temporary folder holding Quorvel.exe, English.dll, Japanese.dll
// and, when asked, a Quorvel.ini beside them (which makes the program use it: portable use).
class ProgramFolder {
public:
    // False when a file could not be copied or the settings file not written.
    bool Create(const std::vector<SlotValue>& slots, bool withSettingsFile = true);
    bool WriteSettings(const std::vector<SlotValue>& slots); // rewrites Quorvel.ini from scratch

    const std::wstring& path() const { return dir_.path(); }
    std::wstring exePath() const { return dir_.File(L"Quorvel.exe"); }
    std::wstring settingsPath() const { return dir_.File(L"Quorvel.ini"); }
    std::wstring File(const std::wstring& name) const { return dir_.File(name); }

private:
    ScratchDir dir_;
};

// Owns a process handle. Pumps this thread's messages while waiting, so that a program that sends
// messages to a window of the test (WM_COPYDATA, broadcasts) never blocks on the test.
class ProcessOwner {
public:
    ProcessOwner() = default;
    ProcessOwner(const ProcessOwner&) = delete;
    ProcessOwner& operator=(const ProcessOwner&) = delete;
    ProcessOwner(ProcessOwner&& other) noexcept;
    ProcessOwner& operator=(ProcessOwner&& other) noexcept;
    ~ProcessOwner(); // terminates a process that still runs: a failed test must not leave it behind

    bool OpenById(DWORD processId); // for processes the program started itself
    void Adopt(HANDLE process, DWORD processId);

    HANDLE handle() const { return process_; }
    DWORD id() const { return id_; }
    bool valid() const { return process_ != nullptr; }
    bool HasExited() const;
    // True when the process ended within the time; `exitCode` may be null.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Terminate();

private:
    void Reset();
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Quotes an argument the way CommandLineToArgvW reads it back (only when needed).
std::wstring QuoteArgument(const std::wstring& argument);
// Starts `exe` with the arguments, each quoted as needed. Invalid owner on failure.
ProcessOwner Launch(const std::wstring& exe, const std::vector<std::wstring>& args);
// Starts `exe` with exactly this parameter text after the quoted program path.
ProcessOwner LaunchRaw(const std::wstring& exe, const std::wstring& parameters);

// Runs this thread's messages for the given time / until the handle is signalled or time is up.
void PumpMessages(DWORD milliseconds);
bool PumpUntilSignalled(HANDLE handle, DWORD timeoutMs);

// Polls `ready` until it holds or the time is up, running this thread's messages in between.
template <typename Ready> bool WaitUntil(DWORD timeoutMs, Ready ready) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= deadline) return false;
        PumpMessages(kPollIntervalMs);
    }
}

// WaitUntil with the time one step of a test may take.
template <typename Ready> bool WaitFor(Ready ready) {
    return WaitUntil(kStepTimeoutMs, ready);
}

// For a claim that something does not happen: polls `holds` for the whole time and returns
// false at the first poll where it fails. Only where no later event can show that the program has
// dealt with the input (a posted message is not answered); the time is how long a wrong reaction
// would take at most.
template <typename Holds> bool HoldsFor(DWORD ms, Holds holds) {
    ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        if (!holds()) return false;
        if (GetTickCount64() >= deadline) return true;
        PumpMessages(kPollIntervalMs);
    }
}
// How long a program given an input that it must ignore has to show it did not.
constexpr DWORD kIgnoredInputMs = 700;

// ---- windows --------------------------------------------------------------------------------
std::wstring WindowClassName(HWND window);
// The first window below `root`, at any depth, whose control id is `id`; null when there is none.
HWND Descendant(HWND root, int id);
std::wstring WindowTitle(HWND window);
DWORD WindowProcessId(HWND window);
// Top-level windows of the class (compared ignoring case); processId 0 means any process.
std::vector<HWND> FindTopLevelWindows(const wchar_t* className, DWORD processId = 0, bool visibleOnly = false);
// Polls until the process has a top-level window of the class (visible when asked). Null on
// timeout or when the process ends first.
HWND WaitForProcessWindow(const ProcessOwner& process, const wchar_t* className, DWORD timeoutMs = kStartTimeoutMs,
                          bool visibleOnly = true);
// Polls until the window is destroyed.
bool WaitUntilGone(HWND window, DWORD timeoutMs = kStepTimeoutMs);
// Polls until the process shows a dialog or message box other than `except` (which may be null).
HWND WaitForDialogOtherThan(const ProcessOwner& process, HWND except, DWORD timeoutMs = kStepTimeoutMs);
// Polls until the window's title contains `part`.
bool WaitForTitleContaining(HWND window, const std::wstring& part, DWORD timeoutMs = kStartTimeoutMs);
// Polls until `count` visible top-level windows of the class exist, each in its own process.
std::vector<HWND> WaitForWindowsOfDistinctProcesses(const wchar_t* className, size_t count,
                                                    DWORD timeoutMs = kStartTimeoutMs);

// Posts WM_CLOSE and waits for the process to end; on timeout terminates it and returns false.
bool CloseAndWait(HWND window, ProcessOwner& process, DWORD timeoutMs = kExitTimeoutMs);
// Closes every top-level window of the class owned by another process than this one and waits for
// those processes; terminates the ones that do not end. False when any had to be terminated.
bool CloseAllProgramWindows(const wchar_t* className = kViewWindowClass, DWORD timeoutMs = kExitTimeoutMs);

// The edit of a common open or save dialog that takes the file name: inside cmb13 (Wine 8: a
// ComboBoxEx32 holding a ComboBox holding the Edit, all three with id cmb13), or the plain edt1 of
// older dialogs. Null when there is neither.
HWND FileDialogNameEdit(HWND dialog);

// ---- pixels ---------------------------------------------------------------------------------
// A client area as 24-bit blue-green-red rows, top row first, rows padded to 4 bytes.
struct Capture {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> bgr;
    COLORREF Pixel(int x, int y) const; // as RGB()
    bool IsUniform(COLORREF* colour = nullptr) const;
};
// Copies what the screen shows of the window's client area (the window should be on top).
bool CaptureClientArea(HWND window, Capture* capture);
// The colour the screen shows at a point of the window's client area (CLR_INVALID when it
// cannot be read): a cheap probe for polling.
COLORREF ClientPixel(HWND window, int x, int y);
// Brings the window to the front and waits until it is the foreground window.
bool BringToFront(HWND window, DWORD timeoutMs = kStepTimeoutMs);
// Polls until the window has no part left to paint (its first WM_PAINT, or the one after a
// change, has been handled): input posted before that may be painted over.
bool WaitUntilPainted(HWND window, DWORD timeoutMs = kStepTimeoutMs);

// A 24-bit BMP file's bytes with the colour of each pixel (x, y from the top row).
using PixelFunction = std::function<COLORREF(int x, int y)>;
std::string BmpBytes(int width, int height, const PixelFunction& pixel);
// A 24-bit BMP file's bytes filled with one colour.
std::string SolidBmpBytes(int width, int height, COLORREF colour);

// ---- what the program leaves behind ---------------------------------------------------------
// The names of the "tmp" files in the temporary folder the program and the test share: the edit
// history's snapshots among them.
std::set<std::wstring> TempFiles();
// How many of those files are there now that were not in `before`.
size_t NewFiles(const std::set<std::wstring>& before);
// The clipboard's CF_DIB block as the test process reads it; empty when there is none. Asks first
// without opening the clipboard: a test holding it open would make the program's copy fail.
std::string ClipboardDib();

// ---- input ----------------------------------------------------------------------------------
// WM_KEYDOWN + WM_KEYUP posted to the window; no modifier state (the receiver's GetKeyState does
// not change), so only for keys without Ctrl, Shift or Alt.
bool PostKey(HWND window, UINT virtualKey);
// Brings the window to the front (false when it does not get there) and types the key through
// SendInput, with modifiers held.
bool TypeKey(HWND window, UINT virtualKey, bool control = false, bool shift = false, bool alt = false);
bool PostCommand(HWND window, UINT commandId);
// Sends one WM_COPYDATA block; the result of SendMessageTimeoutW, 0 when it failed or timed out.
LRESULT SendCopyData(HWND window, ULONG_PTR kind, const void* bytes, DWORD size, DWORD timeoutMs = kExitTimeoutMs);

// ---- a stand-in for a running instance --------------------------------------------------------
// A top-level window of this test process under one of the program's class names, recording the
// WM_COPYDATA blocks that reach it.
class FakeInstanceWindow {
public:
    struct Block {
        ULONG_PTR kind = 0;
        std::string bytes;
    };

    FakeInstanceWindow() = default;
    FakeInstanceWindow(const FakeInstanceWindow&) = delete;
    FakeInstanceWindow& operator=(const FakeInstanceWindow&) = delete;
    ~FakeInstanceWindow();

    bool Create(const wchar_t* className, bool visible);
    HWND window() const { return window_; }
    const std::vector<Block>& received() const { return received_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<Block> received_;
};

} // namespace qvtest
