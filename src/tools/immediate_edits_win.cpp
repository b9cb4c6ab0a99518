#include "tools/immediate_edits_win.h"

#include <cstring>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/hls_kernel.h"
#include "tools/kernel_job.h"
#include "tools/tone_kernel.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/edit_steps_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

struct ImmediateEditRow {
    int32_t command;
    // the edit on `image` in place (its pixels replaced by a result block); false without memory
    bool (*apply)(ImageBuffer* image, const uint8_t* mask, int threads);
    uint32_t failure; // the message when it cannot be done
};

const ImmediateEditRow kImmediateEdits[] = {
    {kCmdNegative, ApplyNegative, kStrOutOfMemory},
    {kCmdEqualiseLuminance, EqualiseLuminance, kStrCannotProcess},
};

// A copy of the current image's description and pixels, without its animation frames.
bool CopyCurrentImage(ImageBuffer* copy) {
    const ImageBuffer& current = g_session.current;
    *copy = ImageBuffer{};
    copy->header = current.header;
    std::memcpy(copy->palette, current.palette, sizeof copy->palette);
    copy->sourceFormat = current.sourceFormat;
    copy->sourceBitDepth = current.sourceBitDepth;
    copy->fileTime = current.fileTime;
    uint32_t width = static_cast<uint32_t>(current.header.biWidth);
    uint32_t height = static_cast<uint32_t>(current.header.biHeight);
    copy->pixels = AllocPixelBlock(width, height, current.header.biBitCount, nullptr);
    if (!copy->pixels) return false;
    std::memcpy(copy->pixels, current.pixels, static_cast<size_t>(ImageStride(&current)) * height);
    return true;
}

} // namespace

bool RunImmediatePixelEdit(int32_t command) {
    const ImmediateEditRow* row = nullptr;
    for (const ImmediateEditRow& r : kImmediateEdits)
        if (r.command == command) row = &r;
    if (!row) return false;
    if (!HasCurrentImage(g_session)) return true;
    SetCursor(Ui().waitCursor);
    const SelectionMask& m = g_session.mask;
    const ImageBuffer& current = g_session.current;
    bool maskFits = HasSelectionMask(m) && m.width == current.header.biWidth && m.height == current.header.biHeight;
    ImageBuffer edited{};
    if (!CopyCurrentImage(&edited) || !row->apply(&edited, maskFits ? m.bytes.get() : nullptr, KernelThreadCount())) {
        FreeImagePixels(&edited);
        SetCursor(Ui().arrowCursor);
        ErrorBox(CurrentMainWindow(), row->failure);
        return true;
    }
    CommitAndShowEdit(&edited, command, false, g_session.pendingRotation);
    FreeImagePixels(&edited);
    SetCursor(Ui().arrowCursor);
    return true;
}

} // namespace qv
