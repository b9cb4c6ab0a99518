// Text (5192): a string drawn anti-aliased onto the image with an optional drop shadow. The text
// and the font face are typed and chosen in a small input window (Quorvel_drtp_class) beside the
// view; size, weight, italic, spacing, colours, opacity and the shadow are the band's controls.
// The ink's top-left starts at the top-left of the visible part and follows drags on the view. No
// worker: every change redraws on the GUI thread, glyphs are fetched again only when the text or
// the font changed.
#include <memory>

#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "settings/settings_file.h"
#include "tools/pane_drag_win.h"
#include "tools/text_glyphs_win.h"
#include "tools/text_kernel.h"
#include "tools/tool_table_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotDrtStr = 191;
constexpr uint16_t kSlotDrtFaceS = 192;
constexpr uint16_t kSlotDrtCol = 193;
constexpr uint16_t kSlotDrtAlpha = 194;
constexpr uint16_t kSlotDrtSize = 195;
constexpr uint16_t kSlotDrtWeight = 196;
constexpr uint16_t kSlotDrtItalic = 197;
constexpr uint16_t kSlotDrtSpace = 198;
constexpr uint16_t kSlotDrtShadow = 199;
constexpr uint16_t kSlotDrtShdX = 200;
constexpr uint16_t kSlotDrtShdY = 201;
constexpr uint16_t kSlotDrtShd = 202;

constexpr wchar_t kInputClass[] = L"Quorvel_drtp_class";
constexpr int kInputTextId = 1001;
constexpr int kInputFaceId = 1002;

enum Control { kSize, kWeight, kItalic, kSpacing, kColour, kOpacity, kShadow, kShadowX, kShadowY, kShadowColour };

// Sizes and offsets beyond these make no sense on a picture; the weights are the font service's.
constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrTextSize, kSlotDrtSize, 1, 999},
    {ToolControlKind::Number, kStrTextWeight, kSlotDrtWeight, 0, 1000, 0, 1, 0, 4},
    {ToolControlKind::Check, kStrTextItalic, kSlotDrtItalic, 0, 1},
    {ToolControlKind::Number, kStrTextSpacing, kSlotDrtSpace, -999, 999},
    {ToolControlKind::Colour, kStrTextColour, kSlotDrtCol},
    {ToolControlKind::Number, kStrTextOpacity, kSlotDrtAlpha, 0, 100},
    {ToolControlKind::Check, kStrTextShadow, kSlotDrtShadow, 0, 1},
    {ToolControlKind::Number, kStrTextShadowX, kSlotDrtShdX, -999, 999},
    {ToolControlKind::Number, kStrTextShadowY, kSlotDrtShdY, -999, 999},
    {ToolControlKind::Colour, kStrTextShadowColour, kSlotDrtShd},
};

struct TextState : ToolState {
    std::wstring text;
    std::wstring face;
    TextGlyphs glyphs;
    bool failed = false;  // the last fetch failed: said once, not again on every keystroke
    int32_t x = 0, y = 0; // the ink's top-left in image pixels
    HWND input = nullptr;
    PaneDrag drag;

    ~TextState() override {
        if (input) DestroyWindow(input);
        SettingsWriter writer;
        if (!writer.Open(ToolSettingsPath())) return;
        writer.WriteText(kSlotDrtStr, text);
        writer.WriteText(kSlotDrtFaceS, face);
        writer.Close();
    }
};

ToolWindow* g_textTool = nullptr; // the open text tool, for its input window

TextState& StateOf(const ToolWindow& tool) {
    return static_cast<TextState&>(*tool.state);
}

TextFont FontOf(const ToolWindow& tool) {
    TextFont f;
    f.face = StateOf(tool).face;
    f.size = ToolValue(tool, kSize);
    f.weight = ToolValue(tool, kWeight);
    f.italic = ToolValue(tool, kItalic) != 0;
    return f;
}

TextParams Params(const ToolWindow& tool) {
    const TextState& s = StateOf(tool);
    TextParams p;
    p.colour = static_cast<uint32_t>(ToolValue(tool, kColour));
    p.opacity = ToolValue(tool, kOpacity);
    p.spacing = ToolValue(tool, kSpacing);
    p.shadow = ToolValue(tool, kShadow) != 0;
    p.shadowX = ToolValue(tool, kShadowX);
    p.shadowY = ToolValue(tool, kShadowY);
    p.shadowColour = static_cast<uint32_t>(ToolValue(tool, kShadowColour));
    p.x = s.x, p.y = s.y;
    return p;
}

// The glyphs again after the text or the font changed; a glyph or font the service refuses is
// said once and leaves no text drawn.
void FetchGlyphs(ToolWindow* tool) {
    TextState& s = StateOf(*tool);
    const bool ok =
        s.text.empty() ? (s.glyphs = TextGlyphs{}, true) : FetchTextGlyphs(s.text, FontOf(*tool), &s.glyphs);
    if (!ok && !s.failed) ErrorBox(CurrentMainWindow(), kStrOutOfMemory);
    s.failed = !ok;
}

std::wstring ReadStoredText(SettingsReader& reader, uint32_t slot, uint32_t fallback) {
    TextBuffer stored;
    if (reader.valid() && reader.Slot(slot) != nullptr && reader.ReadText(slot, &stored) && stored.length > 0)
        return std::wstring(stored.c_str(), stored.length);
    return UiText(fallback);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

LRESULT CALLBACK InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && g_textTool != nullptr) {
        TextState& s = StateOf(*g_textTool);
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == kInputTextId && code == EN_CHANGE) {
            s.text = WindowText(reinterpret_cast<HWND>(lParam));
        } else if (id == kInputFaceId && code == CBN_SELCHANGE) {
            HWND box = reinterpret_cast<HWND>(lParam);
            const LRESULT entry = SendMessageW(box, CB_GETCURSEL, 0, 0);
            if (entry == CB_ERR) return 0;
            std::wstring face(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXTLEN, entry, 0)) + 1, L'\0');
            face.resize(
                static_cast<size_t>(SendMessageW(box, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(face.data()))));
            s.face = face.substr(0, kTextFaceChars);
        } else {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        FetchGlyphs(g_textTool);
        RecomputeTool(g_textTool);
        return 0;
    }
    if (message == WM_CLOSE) return 0; // it goes with the tool, by Apply or Cancel
    return DefWindowProcW(window, message, wParam, lParam);
}

// The input window above the view's top-right corner: the text on one line, the faces below.
HWND CreateInputWindow(const TextState& s) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{sizeof wc};
        wc.hInstance = Ui().instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpfnWndProc = InputProc;
        wc.lpszClassName = kInputClass;
        registered = RegisterClassExW(&wc) != 0;
        if (!registered) return nullptr;
    }
    constexpr int kMargin = 6, kWidth = 320, kLine = 24, kListHeight = 240;
    RECT frame{0, 0, kWidth + 2 * kMargin, 2 * kLine + 3 * kMargin};
    const DWORD style = WS_POPUP | WS_CAPTION;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOOLWINDOW);
    HWND owner = CurrentMainWindow();
    RECT ownerRect{};
    GetWindowRect(owner, &ownerRect);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const std::wstring title = UiText(kStrTextInputTitle);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kInputClass, title.c_str(), style, ownerRect.right - width - 24,
                                  ownerRect.top + 96, width, height, owner, nullptr, Ui().instance, nullptr);
    if (!window) return nullptr;
    HWND edit =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", s.text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                        kMargin, kMargin, kWidth, kLine, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kInputTextId)), Ui().instance, nullptr);
    HWND faces =
        CreateWindowExW(0, L"COMBOBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                        kMargin, 2 * kMargin + kLine, kWidth, kListHeight, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kInputFaceId)), Ui().instance, nullptr);
    for (HWND child : {edit, faces})
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
    for (const std::wstring& face : InstalledFontFaces())
        SendMessageW(faces, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.c_str()));
    SendMessageW(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(s.face.c_str()));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void Construct(ToolWindow* tool) {
    auto state = std::make_unique<TextState>();
    SettingsReader reader;
    reader.Open(ToolSettingsPath()); // an unreadable file gives the defaults
    state->text = ReadStoredText(reader, kSlotDrtStr, kStrTextDefault);
    state->face = ReadStoredText(reader, kSlotDrtFaceS, kStrUiFontFace).substr(0, kTextFaceChars);
    const ViewGeometry& g = g_viewState.geometry;
    state->x = g.sourceLeft, state->y = g.sourceTop;
    tool->state = std::move(state);
}

bool Open(ToolWindow* tool) {
    g_textTool = tool;
    FetchGlyphs(tool);
    return true;
}

void Shown(ToolWindow* tool) {
    StateOf(*tool).input = CreateInputWindow(StateOf(*tool));
}

void Changed(ToolWindow* tool, int control) {
    if (control == kSize || control == kWeight || control == kItalic) FetchGlyphs(tool);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralText(StateOf(tool).glyphs, Params(tool));
}

void Destroy(ToolWindow* tool) {
    if (g_textTool == tool) g_textTool = nullptr;
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    DrawTextGlyphs(preview.job, StateOf(*tool).glyphs, Params(*tool));
}

// A press anywhere on the view takes hold of the text; it moves with the mouse until the release.
bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& m) {
    TextState& s = StateOf(*tool);
    switch (FollowPaneDrag(&s.drag, m, &s.x, &s.y)) {
    case PaneDragStep::NotMine: return false;
    case PaneDragStep::Held: break;
    case PaneDragStep::Moved: RecomputeTool(tool); break;
    case PaneDragStep::Released: RepaintToolPanes(); break;
    }
    return true;
}

// While it is dragged, a dotted frame shows where the ink lies.
void PaintPane(ToolWindow* tool, const ToolPanePaint& paint) {
    const TextState& s = StateOf(*tool);
    if (!s.drag.dragging) return;
    int32_t width = 0, height = 0;
    TextInkSize(s.glyphs, ToolValue(*tool, kSpacing), &width, &height);
    const ViewPoint a = ImageToPoint(*paint.geometry, ViewPoint{s.x, s.y});
    const ViewPoint b = ImageToPoint(*paint.geometry, ViewPoint{s.x + width, s.y + height});
    RECT frame{a.x - 1, a.y - 1, b.x + 1, b.y + 1};
    DrawFocusRect(paint.dc, &frame);
}

HCURSOR PaneCursor(ToolWindow*, const ToolPaneMouse&) {
    return LoadCursorW(nullptr, IDC_SIZEALL);
}

bool Dragging(const ToolWindow& tool) {
    return StateOf(tool).drag.dragging;
}

} // namespace

const ToolClass kTextTool = {
    .command = kCmdText,
    .number = 4,
    .controls = kControls,
    .construct = Construct,
    .open = Open,
    .shown = Shown,
    .changed = Changed,
    .neutral = Neutral,
    .destroy = Destroy,
    .recompute = Recompute,
    .paneMouse = PaneMouse,
    .paintPane = PaintPane,
    .paneCursor = PaneCursor,
    .dragging = Dragging,
};

} // namespace qv
