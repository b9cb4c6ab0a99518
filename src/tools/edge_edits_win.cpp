// Edge extraction (5274) and edge-preserving smoothing (5276): immediate edits, computed and
// committed at once. Both need a 5 x 5 image like every filter, and an 8-bit image comes out at
// 24 bits.
#include "model/command_ids.h"
#include "tools/edge_smoothing_kernel.h"
#include "tools/emboss_kernel.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

bool Extract(const ToolPreviewJob& preview) {
    ExtractEdges(preview.job, preview.threads);
    return true;
}

bool Smooth(const ToolPreviewJob& preview) {
    return SmoothPreservingEdges(preview.job, preview.threads);
}

} // namespace

const ImmediateEdit kEdgeExtractionEdit = {
    .command = kCmdExtractEdges,
    .flags = kToolNeedsFiveByFive,
    .run = Extract,
};

const ImmediateEdit kEdgeSmoothingEdit = {
    .command = kCmdEdgePreservingSmoothing,
    .flags = kToolNeedsFiveByFive,
    .run = Smooth,
};

} // namespace qv
