// What the tone and colour tool windows share: a tool state that owns one prepared op record, and
// the preview step that runs a tone pass over the pixels or, for an 8-bit image kept at 8 bits,
// over its palette. Windows only.
#pragma once

#include <new>

#include "tools/tone_kernel.h"
#include "tools/tool_window_win.h"

namespace qv {

// The tables a tool prepares on each recompute. Only the worker (or the first preview, before
// the worker starts) writes them, so they need no lock.
template <class Op> struct ToneOpState : ToolState { Op op{}; };

// The open step of a tone tool: its op record, false without memory (the framework shows 30003).
template <class Op> bool OpenToneOp(ToolWindow* tool) {
    tool->state.reset(new (std::nothrow) ToneOpState<Op>);
    return tool->state != nullptr;
}

template <class Op> Op& ToneOp(ToolWindow* tool) {
    return static_cast<ToneOpState<Op>*>(tool->state.get())->op;
}

// The pass over the preview: the palette entries of an 8-bit image (indices already copied, no
// mask), or every pixel with the mask blend.
inline void RunTonePreview(const TonePass& pass, const ToolPreviewJob& preview) {
    if (preview.resultPalette)
        MapTonePalette(pass, preview.sourcePalette, preview.resultPalette);
    else
        RunTonePass(pass, preview.job, preview.threads);
}

} // namespace qv
