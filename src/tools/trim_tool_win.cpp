// Trim (5120): a rectangle drawn on the view, everything outside it shown darkened, the ratio list
// and, once a rectangle exists, its edges and sides in edit boxes. No worker: the preview follows
// the rectangle on the GUI thread. Apply copies the rectangle at the image's own depth, so an 8-bit
// image keeps its palette.
#include <memory>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/preset_list_win.h"
#include "tools/tool_table_win.h"
#include "tools/trim_kernel.h"
#include "ui/language_module_win.h"
#include "viewer/view_geometry.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotTrmRSel = 166;

enum Control { kRatio, kLeft, kTop, kRight, kBottom, kWidth, kHeight };
constexpr int kFirstField = kLeft;
constexpr int32_t kRatioEditEntry = kPresetSlots + 1; // after "free" and the eight ratios

// The fields' ranges follow the image; construct sets them.
constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Combo, kStrGeoFreeRatio, kSlotTrmRSel, 0, kRatioEditEntry},
    {ToolControlKind::Number, kStrGeoLeft, 0, 0, 0, 0, 0, kControlStartsDisabled},
    {ToolControlKind::Number, kStrGeoTop, 0, 0, 0, 0, 0, kControlStartsDisabled},
    {ToolControlKind::Number, kStrGeoRight, 0, 0, 0, 0, 0, kControlStartsDisabled},
    {ToolControlKind::Number, kStrGeoBottom, 0, 0, 0, 0, 0, kControlStartsDisabled},
    {ToolControlKind::Number, kStrGeoWidth, 0, 1, 1, 0, 0, kControlStartsDisabled},
    {ToolControlKind::Number, kStrGeoHeight, 0, 1, 1, 0, 0, kControlStartsDisabled},
};

enum class Mouse { Waiting, Pressed, Drawing, Dragging };

struct TrimState : ToolState {
    SizePreset ratios[kPresetSlots];
    int32_t selected = 0; // the ratio list's choice, kept while the edit entry is open
    bool hasRect = false;
    TrimRect rect;
    // the mouse
    Mouse mouse = Mouse::Waiting;
    int32_t pressX = 0, pressY = 0;   // screen (client) position of the press
    int32_t anchorX = 0, anchorY = 0; // image position of the first corner
    TrimHit hit = TrimHit::None;      // what a press on the rectangle grabbed
    TrimRect atPress;                 // the rectangle then
    ~TrimState() override { WritePresets(ToolSettingsPath(), kTrimRatioSlots, ratios); }
};

TrimState& StateOf(const ToolWindow& tool) {
    return static_cast<TrimState&>(*tool.state);
}

int32_t ImageWidth() {
    return g_session.current.header.biWidth;
}
int32_t ImageHeight() {
    return g_session.current.header.biHeight;
}

TrimRatio Ratio(const ToolWindow& tool) {
    return TrimRatioForSlot(StateOf(tool).ratios, StateOf(tool).selected);
}

void ShowRect(ToolWindow* tool) {
    const TrimState& state = StateOf(*tool);
    for (int c = kFirstField; c <= kHeight; ++c) {
        EnableToolControl(tool, c, state.hasRect);
        SetToolValue(tool, c, state.hasRect ? TrimFieldValue(state.rect, static_cast<TrimField>(c - kFirstField)) : 0);
    }
}

void SetRect(ToolWindow* tool, const TrimRect& rect) {
    TrimState& state = StateOf(*tool);
    state.hasRect = true;
    state.rect = rect;
    ShowRect(tool);
    RecomputeTool(tool);
}

void Construct(ToolWindow* tool) {
    for (int c = kFirstField; c <= kHeight; ++c)
        TrimFieldRange(static_cast<TrimField>(c - kFirstField), ImageWidth(), ImageHeight(), &tool->rows[c].lo,
                       &tool->rows[c].hi);
    auto state = std::make_unique<TrimState>();
    ReadPresets(ToolSettingsPath(), kTrimRatioSlots, state->ratios);
    state->selected = ToolValue(*tool, kRatio);
    tool->state = std::move(state);
}

bool Open(ToolWindow* tool) {
    for (int c = kFirstField; c <= kHeight; ++c)
        tool->values[c] = tool->rows[c].lo;
    return true;
}

void Changed(ToolWindow* tool, int control) {
    TrimState& state = StateOf(*tool);
    if (control == kRatio) {
        int32_t entry = ToolValue(*tool, kRatio);
        if (entry == kRatioEditEntry) {
            if (EditPresets(CurrentMainWindow(), state.ratios)) RefillToolControl(tool, kRatio);
            SetToolValue(tool, kRatio, state.selected);
        } else {
            state.selected = entry;
        }
        return;
    }
    if (!state.hasRect) return;
    state.rect = EditTrimRect(state.rect, static_cast<TrimField>(control - kFirstField), ToolValue(*tool, control),
                              ImageWidth(), ImageHeight());
    ShowRect(tool);
}

std::wstring EntryText(const ToolWindow& tool, int, int entry) {
    if (entry == 0) return UiText(kStrGeoFreeRatio);
    if (entry == kRatioEditEntry) return UiText(kStrPresetEditEntry);
    return PresetEntryText(StateOf(tool).ratios[entry - 1]);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    const TrimState& state = StateOf(*tool);
    // before the first rectangle the whole image is the rectangle: nothing is darkened
    TrimRect whole{0, 0, preview.job.width - 1, preview.job.height - 1};
    TrimRect rect = state.hasRect ? state.rect : whole;
    RunKernelBands(preview.job, TrimPreviewBand, &rect, preview.threads);
}

// The rectangle as drawn on the panes: the client positions of its four edges.
TrimRect ScreenRect(const TrimRect& r) {
    const ViewGeometry& g = g_viewState.geometry;
    ViewPoint topLeft = ImageToPoint(g, ViewPoint{r.left, r.top});
    ViewPoint bottomRight = ImageToPoint(g, ViewPoint{r.right + 1, r.bottom + 1});
    return TrimRect{topLeft.x, topLeft.y, bottomRight.x - 1, bottomRight.y - 1};
}

// Screen pixels of a drag in image pixels.
int32_t ImageDistance(int32_t screen, int32_t displaySize, int32_t sourceSize) {
    return displaySize > 0 ? static_cast<int32_t>(int64_t{screen} * sourceSize / displaySize) : 0;
}

// A press on the rectangle grabs what lies under it; elsewhere it is the first corner of a new one,
// which appears once the mouse has gone past the drag threshold.
bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& m) {
    TrimState& s = StateOf(*tool);
    const ViewGeometry& g = g_viewState.geometry;
    const int32_t x = m.client.x, y = m.client.y;
    switch (m.message) {
    case WM_LBUTTONDOWN:
        s.pressX = x, s.pressY = y;
        s.hit = s.hasRect ? HitTestTrimRect(ScreenRect(s.rect), x, y, Ratio(*tool).Active()) : TrimHit::None;
        s.atPress = s.rect;
        s.anchorX = m.image.x, s.anchorY = m.image.y;
        ClampToImage(ImageWidth(), ImageHeight(), &s.anchorX, &s.anchorY);
        s.mouse = s.hit != TrimHit::None ? Mouse::Dragging : Mouse::Pressed;
        return true;
    case WM_MOUSEMOVE: {
        if (s.mouse == Mouse::Waiting) return false;
        if (!(m.keys & MK_LBUTTON)) { // the release went elsewhere
            s.mouse = Mouse::Waiting;
            return true;
        }
        if (s.mouse == Mouse::Pressed && TrimDragBegins(s.pressX, s.pressY, x, y)) s.mouse = Mouse::Drawing;
        TrimRect r;
        if (s.mouse == Mouse::Drawing) {
            int32_t ix = m.image.x, iy = m.image.y;
            ClampToImage(ImageWidth(), ImageHeight(), &ix, &iy);
            if (TrimRectFromCorners(s.anchorX, s.anchorY, ix, iy, Ratio(*tool), ImageWidth(), ImageHeight(), &r))
                SetRect(tool, r);
        } else if (s.mouse == Mouse::Dragging) {
            int32_t dx = ImageDistance(x - s.pressX, g.displayWidth, g.sourceWidth);
            int32_t dy = ImageDistance(y - s.pressY, g.displayHeight, g.sourceHeight);
            if (DragTrimRect(s.atPress, s.hit, dx, dy, Ratio(*tool), ImageWidth(), ImageHeight(), &r)) SetRect(tool, r);
        }
        return true;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
        bool mine = s.mouse != Mouse::Waiting;
        s.mouse = Mouse::Waiting;
        return mine;
    }
    }
    return false;
}

HCURSOR PaneCursor(ToolWindow* tool, const ToolPaneMouse& m) {
    const TrimState& s = StateOf(*tool);
    TrimHit hit =
        s.hasRect ? HitTestTrimRect(ScreenRect(s.rect), m.client.x, m.client.y, Ratio(*tool).Active()) : TrimHit::None;
    const wchar_t* shape = IDC_CROSS;
    switch (hit) {
    case TrimHit::None: break;
    case TrimHit::Move: shape = IDC_SIZEALL; break;
    case TrimHit::Left:
    case TrimHit::Right: shape = IDC_SIZEWE; break;
    case TrimHit::Top:
    case TrimHit::Bottom: shape = IDC_SIZENS; break;
    case TrimHit::TopLeft:
    case TrimHit::BottomRight: shape = IDC_SIZENWSE; break;
    case TrimHit::TopRight:
    case TrimHit::BottomLeft: shape = IDC_SIZENESW; break;
    }
    return LoadCursorW(nullptr, shape);
}

bool Dragging(const ToolWindow& tool) {
    return StateOf(tool).mouse != Mouse::Waiting;
}

bool Neutral(const ToolWindow& tool) {
    const TrimState& state = StateOf(tool);
    return !state.hasRect || !TrimChangesImage(state.rect, ImageWidth(), ImageHeight());
}

uint8_t* ApplyResult(ToolWindow* tool, int32_t* width, int32_t* height, uint16_t* bitCount) {
    const TrimRect& r = StateOf(*tool).rect;
    *width = r.right - r.left + 1;
    *height = r.bottom - r.top + 1;
    *bitCount = g_session.current.header.biBitCount == 8 ? 8 : 24;
    return TrimPixels(g_session.current, r);
}

} // namespace

const ToolClass kTrimTool = {
    .command = kCmdTrim,
    .number = 6,
    .flags = kToolChangesSize,
    .controls = kControls,
    .construct = Construct,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
    .applyResult = ApplyResult,
    .entryText = EntryText,
    .paneMouse = PaneMouse,
    .paneCursor = PaneCursor,
    .dragging = Dragging,
};

} // namespace qv
