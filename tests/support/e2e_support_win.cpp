#include "e2e_support_win.h"

#include <dlgs.h>

#include <cstdlib>
#include <cwctype>
#include <set>

#include "model/settings.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

namespace qvtest {

namespace {

ULONGLONG Now() {
    return GetTickCount64();
}

// The processes the helpers started or opened and still own: ended when the per-case limit ends
// the test program (no destructor runs then). One GUI thread drives each test, so no lock.
std::set<DWORD>& OwnedProcesses() {
    static std::set<DWORD> ids;
    return ids;
}

void EndOwnedProcesses() {
    for (DWORD id : OwnedProcesses()) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
}

const bool g_endOnTimeout = (SetBeforeTimeoutExit(EndOwnedProcesses), true);

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    size_t slash = text.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : text.substr(0, slash);
}

bool ContainsIgnoringCase(const std::wstring& text, const std::wstring& part) {
    auto lower = [](std::wstring s) {
        for (wchar_t& c : s)
            c = static_cast<wchar_t>(std::towlower(c));
        return s;
    };
    return lower(text).find(lower(part)) != std::wstring::npos;
}

} // namespace

std::vector<SlotValue> QuietSettings() {
    return {TextSlot(qv::kSlotLangFile, L"English"), IntSlot(qv::kSlotDual, 0), IntSlot(qv::kSlotMouseInfo, 0)};
}

std::wstring WinePath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring out = L"Z:" + path;
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

std::wstring ProductBinDir() {
    if (const char* dir = std::getenv("QV_BIN_DIR"); dir && *dir) return WinePath(qv::Utf8ToWide(dir));
    return ModuleFolder() + L"\\..\\bin";
}

std::wstring ShippedPluginDir() {
    return ProductBinDir() + L"\\plugins";
}

std::wstring OddPluginDir() {
    return ModuleFolder() + L"\\oddplugins";
}

bool CopyPlugins(const std::wstring& from, const std::vector<std::wstring>& names, const std::wstring& folder) {
    for (const std::wstring& name : names) {
        if (!CopyFileW((from + L"\\" + name).c_str(), (folder + L"\\" + name).c_str(), FALSE)) return false;
    }
    return true;
}

// ---- program folder ---------------------------------------------------------------------------

bool ProgramFolder::Create(const std::vector<SlotValue>& slots, bool withSettingsFile) {
    std::wstring bin = ProductBinDir();
    for (const wchar_t* name : {L"Quorvel.exe", L"English.dll", L"Japanese.dll"}) {
        std::wstring from = bin + L"\\" + name;
        if (!CopyFileW(from.c_str(), dir_.File(name).c_str(), FALSE)) return false;
    }
    return !withSettingsFile || WriteSettings(slots);
}

bool ProgramFolder::WriteSettings(const std::vector<SlotValue>& slots) {
    DeleteFileW(settingsPath().c_str());
    qv::SettingsWriter writer;
    if (!writer.Open(settingsPath(), true)) return false;
    for (const SlotValue& slot : slots) {
        if (slot.isText)
            writer.WriteText(slot.slot, slot.text);
        else
            writer.WriteInt(slot.slot, slot.value);
    }
    return writer.Close();
}

// ---- processes --------------------------------------------------------------------------------

ProcessOwner::ProcessOwner(ProcessOwner&& other) noexcept : process_(other.process_), id_(other.id_) {
    other.process_ = nullptr;
    other.id_ = 0;
}

ProcessOwner& ProcessOwner::operator=(ProcessOwner&& other) noexcept {
    if (this != &other) {
        Reset();
        process_ = other.process_;
        id_ = other.id_;
        other.process_ = nullptr;
        other.id_ = 0;
    }
    return *this;
}

ProcessOwner::~ProcessOwner() {
    Reset();
}

void ProcessOwner::Reset() {
    if (!process_) return;
    if (!HasExited()) Terminate();
    OwnedProcesses().erase(id_);
    CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
}

bool ProcessOwner::OpenById(DWORD processId) {
    Reset();
    process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    id_ = process_ ? processId : 0;
    if (process_) OwnedProcesses().insert(id_);
    return process_ != nullptr;
}

void ProcessOwner::Adopt(HANDLE process, DWORD processId) {
    Reset();
    process_ = process;
    id_ = processId;
    if (process_) OwnedProcesses().insert(id_);
}

bool ProcessOwner::HasExited() const {
    return !process_ || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

bool ProcessOwner::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_ || !PumpUntilSignalled(process_, timeoutMs)) return false;
    if (exitCode && !GetExitCodeProcess(process_, exitCode)) *exitCode = static_cast<DWORD>(-1);
    return true;
}

void ProcessOwner::Terminate() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, kExitTimeoutMs);
}

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    // Backslashes are literal except before a quote, where they must be doubled.
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') backslashes = backslashes * 2 + 1;
        out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

ProcessOwner LaunchRaw(const std::wstring& exe, const std::wstring& parameters) {
    // A crashing program must end at once: Wine's automatic debugger would otherwise hold the
    // test's output pipe open long after the test gave up. An empty debugger command does that.
    static const bool noDebugger =
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", L"Debugger",
                        REG_SZ, L"", sizeof(wchar_t)) == ERROR_SUCCESS;
    (void)noDebugger;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!parameters.empty()) commandLine += L" " + parameters;
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{};
    ProcessOwner owner;
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        CloseHandle(info.hThread);
        owner.Adopt(info.hProcess, info.dwProcessId);
    }
    return owner;
}

ProcessOwner Launch(const std::wstring& exe, const std::vector<std::wstring>& args) {
    std::wstring parameters;
    for (const std::wstring& arg : args) {
        if (!parameters.empty()) parameters += L' ';
        parameters += QuoteArgument(arg);
    }
    return LaunchRaw(exe, parameters);
}

void PumpMessages(DWORD milliseconds) {
    ULONGLONG deadline = Now() + milliseconds;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        ULONGLONG now = Now();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

bool PumpUntilSignalled(HANDLE handle, DWORD timeoutMs) {
    ULONGLONG deadline = Now() + timeoutMs;
    for (;;) {
        ULONGLONG now = Now();
        DWORD remaining = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, remaining, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false; // timeout or failure
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// ---- windows ----------------------------------------------------------------------------------

namespace {

struct ControlSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK MatchControlId(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ControlSearch*>(data);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND Descendant(HWND root, int id) {
    ControlSearch search{id};
    EnumChildWindows(root, MatchControlId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowClassName(HWND window) {
    wchar_t name[256];
    int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring WindowTitle(HWND window) {
    // WM_GETTEXT with a timeout: a hung program must not hang the test
    wchar_t title[1024];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, std::size(title), reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG,
                             5000, &length))
        return {};
    return std::wstring(title, length < std::size(title) ? length : 0);
}

DWORD WindowProcessId(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::vector<HWND> FindTopLevelWindows(const wchar_t* className, DWORD processId, bool visibleOnly) {
    struct Query {
        const wchar_t* className;
        DWORD processId;
        bool visibleOnly;
        std::vector<HWND> found;
    } query{className, processId, visibleOnly, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* q = reinterpret_cast<Query*>(param);
            if (q->processId && WindowProcessId(window) != q->processId) return TRUE;
            if (q->visibleOnly && !IsWindowVisible(window)) return TRUE;
            if (lstrcmpiW(WindowClassName(window).c_str(), q->className) == 0) q->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForProcessWindow(const ProcessOwner& process, const wchar_t* className, DWORD timeoutMs, bool visibleOnly) {
    HWND found = nullptr;
    bool ok = WaitUntil(timeoutMs, [&] {
        std::vector<HWND> windows = FindTopLevelWindows(className, process.id(), visibleOnly);
        if (!windows.empty()) found = windows.front();
        return found != nullptr || process.HasExited();
    });
    return ok ? found : nullptr;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] { return !IsWindow(window); });
}

HWND WaitForDialogOtherThan(const ProcessOwner& process, HWND except, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        for (HWND w : FindTopLevelWindows(kDialogClass, process.id(), true))
            if (w != except) found = w;
        return found != nullptr;
    });
    return found;
}

bool WaitForTitleContaining(HWND window, const std::wstring& part, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] { return IsWindow(window) && ContainsIgnoringCase(WindowTitle(window), part); });
}

std::vector<HWND> WaitForWindowsOfDistinctProcesses(const wchar_t* className, size_t count, DWORD timeoutMs) {
    DWORD self = GetCurrentProcessId();
    std::vector<HWND> result;
    WaitUntil(timeoutMs, [&] {
        result.clear();
        std::set<DWORD> processes;
        for (HWND window : FindTopLevelWindows(className, 0, true)) {
            DWORD id = WindowProcessId(window);
            if (id != self && processes.insert(id).second) result.push_back(window);
        }
        return result.size() >= count;
    });
    return result;
}

bool CloseAndWait(HWND window, ProcessOwner& process, DWORD timeoutMs) {
    if (IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    if (process.WaitForExit(timeoutMs)) return true;
    process.Terminate();
    return false;
}

bool CloseAllProgramWindows(const wchar_t* className, DWORD timeoutMs) {
    DWORD self = GetCurrentProcessId();
    std::vector<ProcessOwner> processes;
    for (HWND window : FindTopLevelWindows(className)) {
        DWORD id = WindowProcessId(window);
        if (id == self) continue;
        ProcessOwner owner;
        if (owner.OpenById(id)) processes.push_back(std::move(owner));
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    bool allEnded = true;
    ULONGLONG deadline = Now() + timeoutMs;
    for (ProcessOwner& process : processes) {
        ULONGLONG now = Now();
        if (!process.WaitForExit(now >= deadline ? 0 : static_cast<DWORD>(deadline - now))) {
            process.Terminate();
            allEnded = false;
        }
    }
    return allEnded;
}

HWND FileDialogNameEdit(HWND dialog) {
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(dialog, cmb13)) {
        EnumChildWindows(
            combo,
            [](HWND child, LPARAM found) -> BOOL {
                if (WindowClassName(child) != L"Edit") return TRUE;
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&edit));
    }
    return edit ? edit : GetDlgItem(dialog, edt1);
}

// ---- pixels -----------------------------------------------------------------------------------

COLORREF Capture::Pixel(int x, int y) const {
    const uint8_t* p = bgr.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

bool Capture::IsUniform(COLORREF* colour) const {
    if (width <= 0 || height <= 0) return false;
    COLORREF first = Pixel(0, 0);
    if (colour) *colour = first;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (Pixel(x, y) != first) return false;
    return true;
}

bool CaptureClientArea(HWND window, Capture* capture) {
    RECT client;
    if (!GetClientRect(window, &client)) return false;
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;
    // The screen, not the window's own DC: under Wine a window of another process is read back
    // reliably only from what the display shows.
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
        if (ok) {
            capture->width = width;
            capture->height = height;
            capture->stride = (width * 3 + 3) & ~3;
            const uint8_t* from = static_cast<const uint8_t*>(bits);
            capture->bgr.assign(from, from + static_cast<size_t>(capture->stride) * height);
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

COLORREF ClientPixel(HWND window, int x, int y) {
    POINT at{x, y};
    if (!ClientToScreen(window, &at)) return CLR_INVALID;
    HDC screen = GetDC(nullptr);
    if (!screen) return CLR_INVALID;
    COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::string BmpBytes(int width, int height, const PixelFunction& pixel) {
    uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    uint32_t pixelBytes = stride * static_cast<uint32_t>(height);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(stride, '\0');
    for (int y = height - 1; y >= 0; --y) { // bottom row first
        for (int x = 0; x < width; ++x) {
            COLORREF c = pixel(x, y);
            row[x * 3 + 0] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return bytes;
}

std::string SolidBmpBytes(int width, int height, COLORREF colour) {
    return BmpBytes(width, height, [colour](int, int) { return colour; });
}

// ---- input ------------------------------------------------------------------------------------

bool PostKey(HWND window, UINT virtualKey) {
    UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1u << 30) | (1u << 31);
    return PostMessageW(window, WM_KEYDOWN, virtualKey, down) && PostMessageW(window, WM_KEYUP, virtualKey, up);
}

bool BringToFront(HWND window, DWORD timeoutMs) {
    HWND top = GetAncestor(window, GA_ROOT);
    return WaitUntil(timeoutMs, [&] {
        if (GetForegroundWindow() == top) return true;
        SetForegroundWindow(top);
        return false;
    });
}

bool WaitUntilPainted(HWND window, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] { return IsWindow(window) && !GetUpdateRect(window, nullptr, FALSE); });
}

bool TypeKey(HWND window, UINT virtualKey, bool control, bool shift, bool alt) {
    // keys go to the foreground window: typing before it is there would type into another
    if (!BringToFront(window)) return false;
    std::vector<INPUT> inputs;
    auto key = [&](UINT vk, bool release) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(vk);
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (control) key(VK_CONTROL, false);
    if (shift) key(VK_SHIFT, false);
    if (alt) key(VK_MENU, false);
    key(virtualKey, false);
    key(virtualKey, true);
    if (alt) key(VK_MENU, true);
    if (shift) key(VK_SHIFT, true);
    if (control) key(VK_CONTROL, true);
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool PostCommand(HWND window, UINT commandId) {
    return PostMessageW(window, WM_COMMAND, commandId, 0) != 0;
}

LRESULT SendCopyData(HWND window, ULONG_PTR kind, const void* bytes, DWORD size, DWORD timeoutMs) {
    COPYDATASTRUCT data{kind, size, const_cast<void*>(bytes)};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeoutMs, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// ---- fake instance ----------------------------------------------------------------------------

FakeInstanceWindow::~FakeInstanceWindow() {
    if (window_) DestroyWindow(window_);
}

bool FakeInstanceWindow::Create(const wchar_t* className, bool visible) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof existing};
    if (!GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) return false;
    }
    window_ = CreateWindowExW(0, className, L"stand-in", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 50, 50, 300,
                              200, nullptr, nullptr, instance, this);
    return window_ != nullptr && (!visible || WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(window_) != 0; }));
}

LRESULT CALLBACK FakeInstanceWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FakeInstanceWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        Block block;
        block.kind = data->dwData;
        if (data->lpData && data->cbData)
            block.bytes.assign(static_cast<const char*>(data->lpData),
                               static_cast<const char*>(data->lpData) + data->cbData);
        self->received_.push_back(std::move(block));
        return TRUE;
    }
    if (message == WM_NCDESTROY && self) self->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
}

std::set<std::wstring> TempFiles() {
    std::set<std::wstring> names;
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((std::wstring(folder) + L"tmp*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

size_t NewFiles(const std::set<std::wstring>& before) {
    size_t n = 0;
    for (const std::wstring& name : TempFiles())
        n += before.count(name) ? 0 : 1;
    return n;
}

std::string ClipboardDib() {
    std::string bytes;
    if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(nullptr)) return bytes;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        if (const void* p = GlobalLock(data)) {
            bytes.assign(static_cast<const char*>(p), GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

} // namespace qvtest
