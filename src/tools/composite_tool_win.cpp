// Image compositing (5193): a second image, chosen with the open dialog (decoded as any opened file
// is, plug-ins included) or taken from the clipboard, laid over the image in one of four modes.
// It starts at the top-left of the visible part and follows drags on the view; what lies outside
// the image is clipped. No worker: every change redraws on the GUI thread.
#include <memory>

#include "image/load_pipeline.h"
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "tools/compositing_kernel.h"
#include "tools/pane_drag_win.h"
#include "tools/tool_result.h"
#include "tools/tool_table_win.h"
#include "ui/clipboard_image_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotMixMode = 203;
constexpr uint16_t kSlotMixAlpha = 204;
constexpr uint16_t kSlotMixTrans = 205;
constexpr uint16_t kSlotMixCol = 206;

enum Control { kMode, kOpacity, kTransparent, kColour, kOpenFile, kClipboard };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Combo, kStrMixModeFirst, kSlotMixMode, 0, kMixModeLast},
    {ToolControlKind::Number, kStrMixOpacity, kSlotMixAlpha, 0, 100},
    {ToolControlKind::Check, kStrMixTransparent, kSlotMixTrans, 0, 1},
    {ToolControlKind::Colour, kStrMixColour, kSlotMixCol},
    {ToolControlKind::Button, kStrMixOpenFile},
    {ToolControlKind::Button, kStrMixClipboard},
};

struct CompositeState : ToolState {
    LargeBlock pixels; // the overlay as a 24-bit block, or null before one is chosen
    OverlayPixels overlay;
    int32_t x = 0, y = 0; // its top-left in image pixels
    PaneDrag drag;
};

CompositeState& StateOf(const ToolWindow& tool) {
    return static_cast<CompositeState&>(*tool.state);
}

CompositeParams Params(const ToolWindow& tool) {
    const CompositeState& s = StateOf(tool);
    CompositeParams p;
    p.mode = ToolValue(tool, kMode);
    p.opacity = ToolValue(tool, kOpacity);
    p.transparent = ToolValue(tool, kTransparent) != 0;
    p.colour = static_cast<uint32_t>(ToolValue(tool, kColour));
    p.x = s.x, p.y = s.y;
    return p;
}

// The decoded overlay becomes the tool's, as 24 bits; false (30003) when there is no memory.
bool TakeOverlay(ToolWindow* tool, ImageBuffer* decoded) {
    CompositeState& s = StateOf(*tool);
    LargeBlock pixels(MakeWorkingCopy(*decoded));
    const int32_t w = decoded->header.biWidth, h = decoded->header.biHeight;
    FreeImagePixels(decoded);
    if (!pixels) {
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        return false;
    }
    s.pixels = std::move(pixels);
    s.overlay = OverlayPixels{w, h, (static_cast<uint32_t>(w) * 3 + 3) & ~3u, s.pixels.get()};
    RecomputeTool(tool);
    return true;
}

void ChooseFile(ToolWindow* tool) {
    std::wstring path;
    if (!ShowOpenDialog(&path)) return;
    SetCursor(Ui().waitCursor);
    ImageBuffer decoded{};
    LoadInfo info;
    CodecStatus status = kCodecOk;
    const bool read = DecodeFile(path.c_str(), LoadOptionsFrom(g_settings), false, &decoded, &info, &status);
    SetCursor(Ui().arrowCursor);
    if (!read) {
        FreeImagePixels(&decoded);
        // the image-file message of the decoder that refused it; the tool stays as it was
        ErrorBox(CurrentMainWindow(), status);
        return;
    }
    TakeOverlay(tool, &decoded);
}

void TakeClipboard(ToolWindow* tool) {
    ImageBuffer pasted{};
    if (ReadClipboardImage(CurrentMainWindow(), &pasted)) TakeOverlay(tool, &pasted);
}

void Construct(ToolWindow* tool) {
    auto state = std::make_unique<CompositeState>();
    const ViewGeometry& g = g_viewState.geometry;
    state->x = g.sourceLeft, state->y = g.sourceTop;
    tool->state = std::move(state);
}

void Changed(ToolWindow* tool, int control) {
    if (control == kOpenFile) ChooseFile(tool);
    if (control == kClipboard) TakeClipboard(tool);
}

bool Neutral(const ToolWindow& tool) {
    const CompositeState& s = StateOf(tool);
    KernelJob whole;
    whole.width = g_session.current.header.biWidth;
    whole.height = g_session.current.header.biHeight;
    return IsNeutralComposite(whole, s.overlay, Params(tool));
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    CompositeOverlay(preview.job, StateOf(*tool).overlay, Params(*tool));
}

// A press anywhere on the view takes hold of the overlay; it moves with the mouse until the release.
bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& m) {
    CompositeState& s = StateOf(*tool);
    if (m.message == WM_LBUTTONDOWN && !s.pixels) return false;
    switch (FollowPaneDrag(&s.drag, m, &s.x, &s.y)) {
    case PaneDragStep::NotMine: return false;
    case PaneDragStep::Held: break;
    case PaneDragStep::Moved: RecomputeTool(tool); break;
    case PaneDragStep::Released: RepaintToolPanes(); break;
    }
    return true;
}

// While it is dragged, a dotted frame shows the overlay's edges, also where it is clipped.
void PaintPane(ToolWindow* tool, const ToolPanePaint& paint) {
    const CompositeState& s = StateOf(*tool);
    if (!s.drag.dragging) return;
    const ViewPoint a = ImageToPoint(*paint.geometry, ViewPoint{s.x, s.y});
    const ViewPoint b = ImageToPoint(*paint.geometry, ViewPoint{s.x + s.overlay.width, s.y + s.overlay.height});
    RECT frame{a.x, a.y, b.x, b.y};
    DrawFocusRect(paint.dc, &frame);
}

HCURSOR PaneCursor(ToolWindow* tool, const ToolPaneMouse&) {
    return StateOf(*tool).pixels ? LoadCursorW(nullptr, IDC_SIZEALL) : nullptr;
}

bool Dragging(const ToolWindow& tool) {
    return StateOf(tool).drag.dragging;
}

} // namespace

const ToolClass kCompositeTool = {
    .command = kCmdComposite,
    .number = 5,
    .controls = kControls,
    .construct = Construct,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
    .paneMouse = PaneMouse,
    .paintPane = PaintPane,
    .paneCursor = PaneCursor,
    .dragging = Dragging,
};

} // namespace qv
