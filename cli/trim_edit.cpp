// quorvel-cli edit `--trim L,T,R,B`: keep the rectangle from column L, row T to column R, row B
// (inclusive, rows counted from the top). An 8-bit image stays 8-bit with its palette.
#include <string>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "tools/tool_result.h"
#include "tools/trim_kernel.h"

namespace qvcli {
namespace {

int Trim(qv::ImageBuffer* image, const std::wstring& value, const EditContext&, std::wstring* error) {
    long v[4] = {};
    const int32_t w = image->header.biWidth, h = image->header.biHeight;
    const std::wstring bounds = L" (columns 0-" + std::to_wstring(w - 1) + L", rows 0-" + std::to_wstring(h - 1) + L")";
    if (!ParseIntList(value, 4, v)) {
        *error = L"takes LEFT,TOP,RIGHT,BOTTOM, for example 10,10,99,79, not " + value;
        return kEditBadValue;
    }
    for (long n : v)
        if (n < 0 || static_cast<int64_t>(n) > static_cast<int64_t>(INT32_MAX)) {
            *error = L"the rectangle " + value + L" lies outside the image" + bounds;
            return kEditBadValue;
        }
    qv::TrimRect r{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2]),
                   static_cast<int32_t>(v[3])};
    if (!qv::TrimRectInside(r, w, h)) {
        *error = L"the rectangle " + value + L" must have LEFT <= RIGHT and TOP <= BOTTOM inside the image" + bounds;
        return kEditBadValue;
    }
    if (!qv::TrimChangesImage(r, w, h)) return kEditOk;
    uint8_t* pixels = qv::TrimPixels(*image, r);
    if (pixels == nullptr) {
        *error = L"there is not enough memory";
        return kEditRefused;
    }
    qv::TakeToolResult(image, pixels, r.right - r.left + 1, r.bottom - r.top + 1, image->header.biBitCount);
    return kEditOk;
}

} // namespace

QV_CLI_EDIT_OP("--trim", "--trim L,T,R,B        keep columns L-R and rows T-B (from the top, inclusive)", true, Trim);

} // namespace qvcli
