// quorvel-cli edit `--turn DEG [--background RRGGBB]`: the Turn by angle tool's final turn,
// clockwise for a positive angle, in tenths of a degree from -180.0 to 180.0. The background
// belongs to the turn it follows (white when not given), so several turns may take different ones.
#include <string>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "tools/tool_result.h"
#include "tools/turn_kernel.h"

namespace qvcli {
namespace {

int Turn(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    int32_t tenths = 0;
    if (!qv::ParseTurnAngle(value, &tenths) || qv::ClampTurnAngle(tenths) != tenths) {
        *error = L"takes degrees from -180.0 to 180.0 (tenths count, finer digits round), not " + value;
        return kEditBadValue;
    }
    uint32_t background = qv::kTurnDefaultBackground;
    if (!context.modifier.empty() && !ParseColour(context.modifier, &background)) {
        *error = L"--background takes RRGGBB in hex, for example FF8000, not " + context.modifier;
        return kEditBadValue;
    }
    if (tenths == 0) return kEditOk;
    int32_t w = 0, h = 0;
    uint8_t* pixels = qv::TurnPixelsByAngle(*image, tenths, background, context.threads, &w, &h);
    if (pixels == nullptr) {
        *error = L"the turned image would reach 4 GiB, or there is not enough memory";
        return kEditRefused;
    }
    qv::TakeToolResult(image, pixels, w, h, 24);
    return kEditOk;
}

} // namespace

QV_CLI_EDIT_OP_WITH("--turn", "--background",
                    "--turn DEG [--background RRGGBB]  turn clockwise by DEG (one decimal), corners in the colour",
                    Turn);

} // namespace qvcli
