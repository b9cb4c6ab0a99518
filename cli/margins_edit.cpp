// quorvel-cli edit `--margins T,B,L,R [--colour RRGGBB]`: borders of T, B, L and R pixels (top,
// bottom, left, right) in the colour (white when not given).
#include <string>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "tools/margins_kernel.h"
#include "tools/tool_result.h"

namespace qvcli {
namespace {

int Margins(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[4] = {};
    if (!ParseIntList(value, 4, v)) {
        *error = L"takes TOP,BOTTOM,LEFT,RIGHT, for example 10,10,20,20, not " + value;
        return kEditBadValue;
    }
    for (long n : v)
        if (n < 0 || static_cast<int64_t>(n) > static_cast<int64_t>(INT32_MAX)) {
            *error = L"each margin takes 0 or more pixels, not " + value;
            return kEditBadValue;
        }
    qv::MarginsParams m;
    m.top = static_cast<int32_t>(v[0]), m.bottom = static_cast<int32_t>(v[1]);
    m.left = static_cast<int32_t>(v[2]), m.right = static_cast<int32_t>(v[3]);
    if (!context.modifier.empty() && !ParseColour(context.modifier, &m.colour)) {
        *error = L"--colour takes RRGGBB in hex, for example FF8000, not " + context.modifier;
        return kEditBadValue;
    }
    if (qv::MarginsNeutral(m)) return kEditOk;
    int32_t w = 0, h = 0;
    uint8_t* pixels = qv::AddMargins(*image, m, &w, &h);
    if (pixels == nullptr) {
        *error = L"the image with its margins would reach 4 GiB, or there is not enough memory";
        return kEditRefused;
    }
    qv::TakeToolResult(image, pixels, w, h, 24);
    return kEditOk;
}

} // namespace

QV_CLI_EDIT_OP_WITH("--margins", "--colour",
                    "--margins T,B,L,R [--colour RRGGBB]  add borders (top, bottom, left, right) in the colour",
                    Margins);

} // namespace qvcli
