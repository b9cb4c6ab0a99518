// quorvel-cli edit `--resize WxH`: the Resize tool's scaling, each side 1 ... twice the old one.
#include <cwchar>
#include <string>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "tools/resize_kernel.h"
#include "tools/tool_result.h"

namespace qvcli {
namespace {

bool ParseSize(const std::wstring& text, long* w, long* h) {
    size_t x = text.find_first_of(L"xX");
    if (x == std::wstring::npos || x == 0 || x + 1 == text.size()) return false;
    wchar_t* end = nullptr;
    *w = std::wcstol(text.c_str(), &end, 10);
    if (end != text.c_str() + x) return false;
    const wchar_t* second = text.c_str() + x + 1;
    *h = std::wcstol(second, &end, 10);
    return end != second && *end == 0;
}

int Resize(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long w = 0, h = 0;
    if (!ParseSize(value, &w, &h)) {
        *error = L"takes WIDTHxHEIGHT, for example 640x480, not " + value;
        return kEditBadValue;
    }
    const int32_t oldW = image->header.biWidth, oldH = image->header.biHeight;
    if (w < 1 || h < 1 || w > 2LL * oldW || h > 2LL * oldH) {
        *error = L"each side takes 1 to twice the image's (at most " + std::to_wstring(2LL * oldW) + L"x" +
                 std::to_wstring(2LL * oldH) + L" for this " + std::to_wstring(oldW) + L"x" + std::to_wstring(oldH) +
                 L" image), not " + value;
        return kEditBadValue;
    }
    if (!qv::ResizeChangesImage(*image, static_cast<int32_t>(w), static_cast<int32_t>(h))) return kEditOk;
    uint8_t* pixels = qv::ResizePixels(*image, static_cast<int32_t>(w), static_cast<int32_t>(h), context.threads);
    if (pixels == nullptr) {
        *error = L"the resized image would reach 4 GiB, or there is not enough memory";
        return kEditRefused;
    }
    qv::TakeToolResult(image, pixels, static_cast<int32_t>(w), static_cast<int32_t>(h), 24);
    return kEditOk;
}

} // namespace

QV_CLI_EDIT_OP("--resize", "--resize WxH          scale to W x H pixels (each side at most doubled)", true, Resize);

} // namespace qvcli
