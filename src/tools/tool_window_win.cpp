#include "tools/tool_window_win.h"

#include <new>

#include "image/result_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "settings/settings_file.h"
#include "tools/tool_band_win.h"
#include "tools/tool_result.h"
#include "tools/tool_table_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/display_modes_win.h"
#include "viewer/edit_steps_win.h"
#include "viewer/sub_hooks_win.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int32_t kFilterMinimumSide = 5;

struct Framework {
    std::wstring settingsPath;
    ToolWindow* open = nullptr;
    HWND previewPane = nullptr; // pane 2, repainted by the worker after each recompute
};
Framework g_fw;

bool MaskHonoured(const ToolWindow& tool) {
    const SelectionMask& m = g_session.mask;
    return !(tool.tool->flags & kToolChangesSize) && HasSelectionMask(m) &&
           m.width == g_session.current.header.biWidth && m.height == g_session.current.header.biHeight;
}

// One recompute of the whole image into the result record, on whichever thread asks.
void Recompute(void* context) {
    auto* tool = static_cast<ToolWindow*>(context);
    const ImageBuffer& current = g_session.current;
    ImageBuffer& result = g_session.result;
    ToolPreviewJob preview;
    const uint8_t* source = tool->working ? tool->working.get() : current.pixels;
    preview.job = WholeImageJob(source, result.pixels, current.header.biWidth, current.header.biHeight,
                                MaskHonoured(*tool) ? g_session.mask.bytes.get() : nullptr);
    if (!tool->working) preview.job.stride = ImageStride(&current);
    preview.threads = KernelThreadCount();
    if (!tool->working) {
        preview.sourcePalette = current.palette;
        preview.resultPalette = result.palette;
    }
    if (tool->tool->recompute) tool->tool->recompute(tool, preview);
    if (g_fw.previewPane) InvalidateRect(g_fw.previewPane, nullptr, FALSE);
}

void WriteBackSettings(const ToolWindow& tool) {
    int32_t values[kMaxToolControls] = {};
    for (size_t i = 0; i < tool.tool->controls.size(); ++i)
        values[i] = ToolValue(tool, static_cast<int>(i));
    SettingsWriter writer;
    if (writer.Open(g_fw.settingsPath)) {
        WriteToolValues(tool.tool->controls, values, writer);
        writer.Close();
    }
}

// The destroy step: everything the tool holds goes, its values are written back and the tool
// bar comes back. The result record is handed back unless the caller took its pixels.
void DestroyTool(ToolWindow* tool) {
    if (tool->tool->destroy) tool->tool->destroy(tool);
    tool->state.reset();
    tool->working.reset();
    WriteBackSettings(*tool);
    DestroyToolBand(tool);
    LockMainToolBar(false);
    UnregisterToolWorkerClass();
    if (g_session.resultState == ResultState::ToolPreview) EndResult(&g_session);
    g_session.openTool = 0;
    g_fw.open = nullptr;
    g_fw.previewPane = nullptr;
    delete tool;
}

void ValueChanged(ToolWindow* tool, int control, int32_t value) {
    tool->values[control].store(value, std::memory_order_relaxed);
    if (tool->tool->controls[static_cast<size_t>(control)].flags & kControlBrushSize) SetSharedBrushSize(value);
    if (tool->tool->changed) tool->tool->changed(tool, control);
    RequestRecompute(&tool->worker);
}

// The open step after construction; false after showing its message, with nothing left open.
bool OpenTool(ToolWindow* tool) {
    const ImageBuffer& current = g_session.current;
    const ToolClass& c = *tool->tool;
    int32_t w = current.header.biWidth, h = current.header.biHeight;
    if ((c.flags & kToolNeedsFiveByFive) && (w < kFilterMinimumSide || h < kFilterMinimumSide)) {
        ErrorBox(CurrentMainWindow(), kStrImageTooSmall);
        return false;
    }
    bool keepDepth = (c.flags & kToolKeepsDepth) && current.header.biBitCount == 8;
    if (!keepDepth) {
        tool->working.reset(MakeWorkingCopy(current));
        if (!tool->working) {
            ErrorBox(CurrentMainWindow(), kStrCannotProcess);
            return false;
        }
    }
    CodecStatus status = kCodecOk;
    if (!BeginResult(&g_session, ResultState::ToolPreview) ||
        !PrepareImage(&g_session.result, static_cast<uint32_t>(w), static_cast<uint32_t>(h), keepDepth ? 8 : 24,
                      &status) ||
        (c.open && !c.open(tool))) {
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        return false;
    }
    if (keepDepth) std::copy(current.pixels, current.pixels + ImageStride(&current) * h, g_session.result.pixels);
    g_session.result.header.biXPelsPerMeter = current.header.biXPelsPerMeter;
    g_session.result.header.biYPelsPerMeter = current.header.biYPelsPerMeter;
    if (!CreateToolBand(tool, ValueChanged)) {
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        return false;
    }
    g_fw.previewPane = FindWindowExW(SubWindowHandle(), nullptr, kPane2Class, nullptr);
    SetCursor(Ui().waitCursor);
    Recompute(tool);
    SetCursor(Ui().arrowCursor);
    RefreshPanes();
    if ((c.flags & kToolPreviewWorker) && !StartToolWorker(&tool->worker, Recompute, tool)) {
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        return false;
    }
    return true;
}

void OpenToolOf(const ToolClass& c) {
    if (!HasCurrentImage(g_session) || ToolIsOpen(g_session)) return;
    // the band lives in the SubWindow's rebar
    if (CurrentDisplayMode() != DisplayMode::SubWindow) EnterSubWindow();
    if (CurrentDisplayMode() != DisplayMode::SubWindow) return;
    auto* tool = new (std::nothrow) ToolWindow;
    if (!tool) {
        ErrorBox(CurrentMainWindow(), kStrOutOfMemory);
        return;
    }
    // construct: the mark first, so that nothing loads or edits under the working copy
    tool->tool = &c;
    g_fw.open = tool;
    g_session.openTool = c.number;
    LockMainToolBar(true);
    {
        int32_t values[kMaxToolControls] = {};
        SettingsReader reader;
        reader.Open(g_fw.settingsPath); // an unreadable file gives every default
        ReadToolValues(c.controls, reader, values);
        for (size_t i = 0; i < c.controls.size(); ++i)
            tool->values[i].store(values[i], std::memory_order_relaxed);
    }
    RegisterToolWorkerClass();
    if (c.construct) c.construct(tool);
    if (!OpenTool(tool)) {
        StopToolWorker(&tool->worker);
        DestroyTool(tool);
        RefreshPanes();
    }
}

// The finish step and the commit. A worker still computing after the time limit is ended by
// force; its result may be half written, so an apply becomes a cancel then.
void FinishTool(bool apply) {
    ToolWindow* tool = g_fw.open;
    if (!tool) return;
    if (StopToolWorker(&tool->worker) == WorkerStop::Terminated && apply) {
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        apply = false;
    }
    const ToolClass& c = *tool->tool;
    if (apply && c.neutral && c.neutral(*tool)) apply = false;
    ImageBuffer edited{};
    if (apply) {
        // the result record goes to the commit; its description is that of an uncompressed BMP
        ImageBuffer& result = g_session.result;
        edited.header = g_session.current.header;
        std::copy(result.palette, result.palette + 256, edited.palette);
        uint8_t* pixels = result.pixels;
        result.pixels = nullptr;
        TakeToolResult(&edited, pixels, result.header.biWidth, result.header.biHeight, result.header.biBitCount);
    }
    DestroyTool(tool);
    if (apply) {
        CommitAndShowEdit(&edited, c.command, (c.flags & kToolChangesSize) != 0, g_session.pendingRotation);
        FreeImagePixels(&edited);
    } else {
        RefreshPanes();
    }
}

void CancelTool() {
    FinishTool(false);
}

bool ToolIsOpenHook() {
    return g_fw.open != nullptr;
}

ToolPaneMouse PaneMouseOf(int pane, UINT message, WPARAM keys, POINT client) {
    ToolPaneMouse m;
    m.pane = pane;
    m.message = message;
    m.keys = keys;
    m.client = client;
    const ViewGeometry& g = g_viewState.geometry;
    ViewPoint image = PointToImage(g, ViewPoint{client.x, client.y});
    m.image = POINT{image.x, image.y};
    m.onImage = PointOnImage(g, ViewPoint{client.x, client.y});
    return m;
}

bool PaneMouseHook(int pane, UINT message, WPARAM keys, POINT client) {
    ToolWindow* tool = g_fw.open;
    if (!tool || !tool->tool->paneMouse) return false;
    return tool->tool->paneMouse(tool, PaneMouseOf(pane, message, keys, client));
}

void PaintPaneHook(int pane, HDC dc) {
    ToolWindow* tool = g_fw.open;
    if (!tool || !tool->tool->paintPane) return;
    ToolPanePaint paint;
    paint.pane = pane;
    paint.dc = dc;
    paint.geometry = &g_viewState.geometry;
    tool->tool->paintPane(tool, paint);
}

bool PaneCursorHook(int pane, POINT client) {
    ToolWindow* tool = g_fw.open;
    if (!tool || !tool->tool->paneCursor) return false;
    HCURSOR cursor = tool->tool->paneCursor(tool, PaneMouseOf(pane, WM_SETCURSOR, 0, client));
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

bool ToolDragging() {
    const ToolWindow* tool = g_fw.open;
    return tool && tool->tool->dragging && tool->tool->dragging(*tool);
}

bool ToolTakesEnterHook() {
    return !ToolDragging();
}

bool StepHistory(int32_t step) {
    // an open tool with its own undo list takes these; the tools here keep none
    if (ToolIsOpen(g_session)) return true;
    StepEditHistory(g_session.edits.current + step);
    return true;
}

} // namespace

void SetToolValue(ToolWindow* tool, int control, int32_t value) {
    tool->values[control].store(ClampToolValue(tool->tool->controls[static_cast<size_t>(control)], value),
                                std::memory_order_relaxed);
    ShowBandValue(tool, control);
}

void EnableToolControl(ToolWindow* tool, int control, bool enabled) {
    EnableBandControl(tool, control, enabled);
}

void RecomputeTool(ToolWindow* tool) {
    if (tool->worker.thread) {
        RequestRecompute(&tool->worker);
        return;
    }
    Recompute(tool);
    RefreshPanes();
}

void RepaintToolPanes() {
    RefreshPanes();
}

bool HandleToolCommand(int32_t command) {
    switch (command) {
    case kCmdApplyTool: FinishTool(true); return true;
    case kCmdCancelTool: FinishTool(false); return true;
    case kCmdUndo: return StepHistory(-1);
    case kCmdRedo: return StepHistory(+1);
    default: break;
    }
    if (ToolIsOpen(g_session)) return true; // every other edit waits for the open tool
    if (RunImmediateEdit(command)) return true;
    if (const ToolClass* c = FindToolClass(command)) {
        OpenToolOf(*c);
        return true;
    }
    return false;
}

void InstallToolFramework(const std::wstring& settingsPath) {
    g_fw.settingsPath = settingsPath;
    SubWindowToolHooks hooks;
    hooks.cancelTool = CancelTool;
    hooks.toolOpen = ToolIsOpenHook;
    hooks.toolTakesEnter = ToolTakesEnterHook;
    hooks.areaDragging = ToolDragging;
    hooks.paneMouse = PaneMouseHook;
    hooks.paintPane = PaintPaneHook;
    hooks.paneCursor = PaneCursorHook;
    SetSubWindowToolHooks(hooks);
}

const ToolWindow* OpenToolWindow() {
    return g_fw.open;
}

} // namespace qv
