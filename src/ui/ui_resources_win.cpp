#include "ui/ui_resources_win.h"

#include <shlobj.h>

#include "model/ui_strings.h"
#include "ui/language_module_win.h"

namespace qv {

namespace {

UiResources g_ui;

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

void DeleteBrush(HBRUSH* brush) {
    if (*brush) DeleteObject(*brush);
    *brush = nullptr;
}

} // namespace

const UiResources& Ui() {
    return g_ui;
}

void InitUiResources(HINSTANCE instance) {
    g_ui.instance = instance;
    g_ui.arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    g_ui.waitCursor = LoadCursorW(nullptr, IDC_WAIT);
    g_ui.appStartingCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
    g_ui.noCursor = LoadCursorW(nullptr, IDC_NO);
    for (int id = kFirstProgramCursor; id <= kLastProgramCursor; ++id)
        g_ui.programCursors[id - kFirstProgramCursor] = LoadCursorW(instance, MAKEINTRESOURCEW(id));
    g_ui.checkMarkWidth = GetSystemMetrics(SM_CXMENUCHECK);
    g_ui.scrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_CAPTION | WS_THICKFRAME, FALSE, 0);
    g_ui.minTrackWidth = GetSystemMetrics(SM_CXMINTRACK) - (frame.right - frame.left);
    g_ui.documentsFolder = KnownFolder(CSIDL_PERSONAL);
}

HCURSOR ProgramCursor(int id) {
    HCURSOR cursor = nullptr;
    if (id >= kFirstProgramCursor && id <= kLastProgramCursor) cursor = g_ui.programCursors[id - kFirstProgramCursor];
    return cursor ? cursor : g_ui.arrowCursor;
}

void CreateUiFont(int32_t height, int32_t weight) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::wstring face = UiText(kStrUiFontFace).substr(0, LF_FACESIZE - 1);
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    g_ui.font = CreateFontIndirectW(&font);
}

void CreateUiBrushes() {
    g_ui.lightBrush = CreateSolidBrush(RGB(240, 240, 240));
    g_ui.darkBrush = CreateSolidBrush(RGB(80, 80, 80));
}

void ReleaseUiBrushes() {
    DeleteBrush(&g_ui.lightBrush);
    DeleteBrush(&g_ui.darkBrush);
}

void ReleaseUiFont() {
    if (g_ui.font) DeleteObject(g_ui.font);
    g_ui.font = nullptr;
}

HFONT UiFont() {
    return g_ui.font ? g_ui.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace qv
