#include "tools/immediate_edit_win.h"

#include <algorithm>

#include "image/open_image.h"
#include "model/ui_strings.h"
#include "tools/filter_tables.h"
#include "tools/tool_result.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/edit_steps_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

// The result of `edit` in `edited`, described as a tool's result; false without memory.
bool Compute(const ImmediateEdit& edit, const ImageBuffer& current, ImageBuffer* edited) {
    const int32_t w = current.header.biWidth, h = current.header.biHeight;
    const bool keepDepth = (edit.flags & kToolKeepsDepth) && current.header.biBitCount == 8;
    const uint16_t bits = keepDepth ? 8 : 24;
    LargeBlock working(keepDepth ? nullptr : MakeWorkingCopy(current));
    if (!keepDepth && !working) return false;
    LargeBlock result(AllocPixelBlock(static_cast<uint32_t>(w), static_cast<uint32_t>(h), bits, nullptr));
    if (!result) return false;
    edited->header = current.header;
    std::copy(current.palette, current.palette + 256, edited->palette);
    ToolPreviewJob preview;
    preview.job =
        WholeImageJob(keepDepth ? current.pixels : working.get(), result.get(), w, h, HonouredMask(edit.flags));
    preview.threads = KernelThreadCount();
    if (keepDepth) {
        preview.job.stride = ImageStride(&current);
        std::copy(current.pixels, current.pixels + static_cast<size_t>(preview.job.stride) * h, result.get());
        preview.sourcePalette = current.palette;
        preview.resultPalette = edited->palette;
    }
    if (!edit.run(preview)) return false;
    TakeToolResult(edited, result.release(), w, h, bits);
    return true;
}

} // namespace

void RunImmediateKernelEdit(const ImmediateEdit& edit) {
    const ImageBuffer& current = g_session.current;
    if (!HasCurrentImage(g_session)) return;
    if ((edit.flags & kToolNeedsFiveByFive) && !FilterSizeOk(current.header.biWidth, current.header.biHeight)) {
        ErrorBox(CurrentMainWindow(), kStrImageTooSmall);
        return;
    }
    SetCursor(Ui().waitCursor);
    ImageBuffer edited{};
    if (!Compute(edit, current, &edited)) {
        SetCursor(Ui().arrowCursor);
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        return;
    }
    CommitAndShowEdit(&edited, edit.command, false, g_session.pendingRotation);
    FreeImagePixels(&edited);
    SetCursor(Ui().arrowCursor);
}

} // namespace qv
