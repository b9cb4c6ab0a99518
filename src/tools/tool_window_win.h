// The tool framework: at most one editing tool open at a time, each described by one row of the
// tool table (tools/tool_table_win.cpp) and held in one ToolWindow record while it is open.
//
// A tool plugs in with a ToolClass: its command, its number, its flags, its controls (one
// ToolControlRow each, with the settings slot it keeps) and the five operations, called in
// this order:
//
//   construct  the framework reads every control's value from the settings file, then calls
//              `construct` for values the tool derives from them
//   open       the framework checks the size, makes the working copy and the result image, creates
//              the band; `open` prepares the tool's tables (false: 30003); the framework computes the
//              first preview with `recompute` on the GUI thread and starts the worker
//   change     a control took a new value: the framework stores it, calls `changed` and asks the
//              worker for a recompute, which calls `recompute` on the worker thread
//   finish     Apply (5900, Enter) or Cancel (5901, Esc, and every path that closes the view or
//              loads another image): the worker is stopped; on Apply `neutral` may say that
//              nothing would change, otherwise the result is committed with the command as label
//   destroy    `destroy` frees what `open` made; the framework writes the values back, removes the
//              band and gives the tool bar back
//
// Every operation may be null where the framework's own step is all a tool needs.
//
// A tool that takes points from the view (a rectangle, a colour, a stroke) adds `paneMouse`,
// `paintPane` and `paneCursor`: the SubWindow's panes hand it their mouse first, draw what it
// draws over their image, and show its cursor. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/platform.h"
#include "tools/kernel_job.h"
#include "tools/tool_params.h"
#include "tools/tool_worker_win.h"
#include "viewer/view_geometry.h"

namespace qv {

// Flags of a tool's row.
enum ToolFlag : uint32_t {
    kToolPreviewWorker = 1u << 0,   // the preview follows every change on the worker thread
    kToolKeepsDepth = 1u << 1,      // an 8-bit image stays 8-bit: indices kept, the palette mapped
    kToolNeedsFiveByFive = 1u << 2, // refused (30006) for images under 5 x 5 pixels
    kToolChangesSize = 1u << 3,     // its result may have another size: the selection mask goes
};

// What a tool's own open step made (tables, planes); freed with the record.
struct ToolState {
    virtual ~ToolState() = default;
};

// One recompute: the whole image from the working copy into the result, with the mask (null
// when there is none). An 8-bit image kept at 8 bits gives its palette instead: the tool maps
// `sourcePalette` into `resultPalette` and leaves the pixels alone.
struct ToolPreviewJob {
    KernelJob job;
    int threads = 1;
    const RGBQUAD* sourcePalette = nullptr;
    RGBQUAD* resultPalette = nullptr;
};

struct ToolWindow;

// A mouse message over one of the SubWindow's panes (1 the source, 2 the result), with the point
// in the pane's client pixels and in image pixels of the shared view geometry (clamped to the
// image; `onImage` says whether the point lies on the drawn image). WM_CAPTURECHANGED carries no
// point.
struct ToolPaneMouse {
    int pane = 1;
    UINT message = 0;
    WPARAM keys = 0; // MK_ flags
    POINT client{};
    POINT image{};
    bool onImage = false;
};

// Drawing over a pane after its image; ImageToPoint (viewer/view_geometry.h) of `geometry` places
// image pixels on the pane.
struct ToolPanePaint {
    int pane = 1;
    HDC dc = nullptr;
    const ViewGeometry* geometry = nullptr;
};

struct ToolClass {
    int32_t command = 0; // the tool's command; also its history label
    int32_t number = 0;  // the open-tool state, 1-27
    uint32_t flags = 0;
    std::span<const ToolControlRow> controls;
    void (*construct)(ToolWindow* tool) = nullptr;
    bool (*open)(ToolWindow* tool) = nullptr;
    void (*changed)(ToolWindow* tool, int control) = nullptr;
    bool (*neutral)(const ToolWindow& tool) = nullptr;
    void (*destroy)(ToolWindow* tool) = nullptr;
    void (*recompute)(ToolWindow* tool, const ToolPreviewJob& job) = nullptr;
    // The view's mouse, drawing and cursor; true from paneMouse when the tool took the message
    // (the view then neither scrolls nor opens its menu), a null cursor keeps the pane's own.
    bool (*paneMouse)(ToolWindow* tool, const ToolPaneMouse& mouse) = nullptr;
    void (*paintPane)(ToolWindow* tool, const ToolPanePaint& paint) = nullptr;
    HCURSOR (*paneCursor)(ToolWindow* tool, const ToolPaneMouse& mouse) = nullptr;
    // True while the tool holds a drag of its own: Enter and Esc wait until it is over.
    bool (*dragging)(const ToolWindow& tool) = nullptr;
};

// The open tool. The GUI thread writes the values and then posts a recompute; the worker reads
// them when it handles it.
struct ToolWindow {
    const ToolClass* tool = nullptr;
    std::atomic<int32_t> values[kMaxToolControls] = {};
    std::unique_ptr<ToolState> state;
    LargeBlock working; // the 24-bit working copy; null while an 8-bit image keeps its depth
    ToolWorker worker;
    HWND band = nullptr; // the panel of the tool's rebar band
};

inline int32_t ToolValue(const ToolWindow& tool, int control) {
    return tool.values[control].load(std::memory_order_relaxed);
}
// Stores a value the tool derives (a synchronised channel, a reset button) and shows it in its
// control; the caller asks for the recompute.
void SetToolValue(ToolWindow* tool, int control, int32_t value);
void EnableToolControl(ToolWindow* tool, int control, bool enabled);
// A new preview after the tool changed its own state (a point from the view): on the worker when
// the tool has one, otherwise at once on the GUI thread; the panes repaint either way.
void RecomputeTool(ToolWindow* tool);
// Both panes again, after the tool changed what paintPane draws.
void RepaintToolPanes();

// The framework's handler of the Tools commands: the tools of the table, apply and cancel, undo
// and redo, the immediate turns and flips.
bool HandleToolCommand(int32_t command);

// Start-up: the settings file the tools read and write, and the viewer's hooks (Enter and Esc,
// cancelling before loads and mode changes).
void InstallToolFramework(const std::wstring& settingsPath);

// The open tool, or null.
const ToolWindow* OpenToolWindow();

} // namespace qv
