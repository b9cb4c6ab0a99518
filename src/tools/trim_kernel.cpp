#include "tools/trim_kernel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qv {

namespace {

// round(s x part / whole) half away from zero, for positive numbers
int64_t ShareOf(int64_t s, int64_t part, int64_t whole) {
    return (2 * s * part + whole) / (2 * whole);
}

// The rectangle of `w` x `h` pixels laid from corner (x0, y0) toward (x1, y1).
TrimRect LaidFrom(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int64_t w, int64_t h) {
    TrimRect r;
    const int64_t left = x1 >= x0 ? x0 : x0 - w + 1, top = y1 >= y0 ? y0 : y0 - h + 1;
    r.left = static_cast<int32_t>(std::clamp<int64_t>(left, INT32_MIN, INT32_MAX));
    r.top = static_cast<int32_t>(std::clamp<int64_t>(top, INT32_MIN, INT32_MAX));
    r.right = static_cast<int32_t>(std::clamp<int64_t>(left + w - 1, INT32_MIN, INT32_MAX));
    r.bottom = static_cast<int32_t>(std::clamp<int64_t>(top + h - 1, INT32_MIN, INT32_MAX));
    return r;
}

bool Near(int32_t a, int32_t b) {
    return std::abs(static_cast<int64_t>(a) - b) <= kTrimHitTolerance;
}

int32_t Clamp32(int64_t v, int64_t low, int64_t high) {
    return static_cast<int32_t>(std::clamp(v, low, high));
}

} // namespace

TrimRatio TrimRatioForSlot(const SizePreset presets[kPresetSlots], int32_t selected) {
    if (selected < 1 || selected > kPresetSlots) return TrimRatio{};
    const SizePreset& p = presets[selected - 1];
    if (p.width <= 0 || p.height <= 0) return TrimRatio{};
    return TrimRatio{p.width, p.height};
}

bool TrimDragBegins(int32_t pressX, int32_t pressY, int32_t x, int32_t y) {
    return std::llabs(static_cast<int64_t>(x) - pressX) + std::llabs(static_cast<int64_t>(y) - pressY) >
           kTrimDragThreshold;
}

void ClampToImage(int32_t width, int32_t height, int32_t* x, int32_t* y) {
    *x = std::clamp(*x, 0, width - 1);
    *y = std::clamp(*y, 0, height - 1);
}

bool TrimRectFromCorners(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const TrimRatio& ratio, int32_t width,
                         int32_t height, TrimRect* rect) {
    if (!ratio.Active()) {
        *rect = TrimRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
        return TrimRectInside(*rect, width, height);
    }
    const int64_t s = std::llabs(static_cast<int64_t>(x1) - x0) + std::llabs(static_cast<int64_t>(y1) - y0) + 2;
    const int64_t whole = static_cast<int64_t>(ratio.width) + ratio.height;
    int64_t w, h;
    if (ratio.Portrait()) {
        w = std::max<int64_t>(ShareOf(s, ratio.width, whole), 1); // a steep ratio still keeps a pixel
        h = s - w;
    } else {
        h = std::max<int64_t>(ShareOf(s, ratio.height, whole), 1);
        w = s - h;
    }
    TrimRect r = LaidFrom(x0, y0, x1, y1, w, h);
    if (!TrimRectInside(r, width, height)) return false;
    *rect = r;
    return true;
}

TrimHit HitTestTrimRect(const TrimRect& screen, int32_t x, int32_t y, bool ratio) {
    const bool withinX = x >= screen.left - kTrimHitTolerance && x <= screen.right + kTrimHitTolerance;
    const bool withinY = y >= screen.top - kTrimHitTolerance && y <= screen.bottom + kTrimHitTolerance;
    if (!withinX || !withinY) return TrimHit::None;
    const bool left = Near(x, screen.left), right = !left && Near(x, screen.right);
    const bool top = Near(y, screen.top), bottom = !top && Near(y, screen.bottom);
    if (left && top) return TrimHit::TopLeft;
    if (right && top) return TrimHit::TopRight;
    if (left && bottom) return TrimHit::BottomLeft;
    if (right && bottom) return TrimHit::BottomRight;
    const bool inside = x >= screen.left && x <= screen.right && y >= screen.top && y <= screen.bottom;
    if (!ratio) {
        if (left) return TrimHit::Left;
        if (right) return TrimHit::Right;
        if (top) return TrimHit::Top;
        if (bottom) return TrimHit::Bottom;
    }
    return inside ? TrimHit::Move : TrimHit::None;
}

bool DragTrimRect(const TrimRect& atPress, TrimHit hit, int32_t dx, int32_t dy, const TrimRatio& ratio, int32_t width,
                  int32_t height, TrimRect* rect) {
    if (hit == TrimHit::None || !TrimRectInside(atPress, width, height)) return false;
    TrimRect r = atPress;
    if (hit == TrimHit::Move) {
        // the whole rectangle shifts, as far as the image's edges allow
        const int64_t mx =
            std::clamp<int64_t>(dx, -static_cast<int64_t>(r.left), width - 1 - static_cast<int64_t>(r.right));
        const int64_t my =
            std::clamp<int64_t>(dy, -static_cast<int64_t>(r.top), height - 1 - static_cast<int64_t>(r.bottom));
        r.left += static_cast<int32_t>(mx), r.right += static_cast<int32_t>(mx);
        r.top += static_cast<int32_t>(my), r.bottom += static_cast<int32_t>(my);
        *rect = r;
        return true;
    }
    const bool moveLeft = hit == TrimHit::Left || hit == TrimHit::TopLeft || hit == TrimHit::BottomLeft;
    const bool moveRight = hit == TrimHit::Right || hit == TrimHit::TopRight || hit == TrimHit::BottomRight;
    const bool moveTop = hit == TrimHit::Top || hit == TrimHit::TopLeft || hit == TrimHit::TopRight;
    const bool moveBottom = hit == TrimHit::Bottom || hit == TrimHit::BottomLeft || hit == TrimHit::BottomRight;
    const bool corner = (moveLeft || moveRight) && (moveTop || moveBottom);
    if (corner && ratio.Active()) {
        // the corner opposite the grabbed one stays; the grabbed one follows the mouse
        const int32_t ax = moveLeft ? r.right : r.left, ay = moveTop ? r.bottom : r.top;
        int32_t mx = Clamp32(static_cast<int64_t>(moveLeft ? r.left : r.right) + dx, INT32_MIN, INT32_MAX);
        int32_t my = Clamp32(static_cast<int64_t>(moveTop ? r.top : r.bottom) + dy, INT32_MIN, INT32_MAX);
        ClampToImage(width, height, &mx, &my);
        return TrimRectFromCorners(ax, ay, mx, my, ratio, width, height, rect);
    }
    if (moveLeft) r.left = Clamp32(static_cast<int64_t>(r.left) + dx, 0, r.right);
    if (moveRight) r.right = Clamp32(static_cast<int64_t>(r.right) + dx, r.left, width - 1);
    if (moveTop) r.top = Clamp32(static_cast<int64_t>(r.top) + dy, 0, r.bottom);
    if (moveBottom) r.bottom = Clamp32(static_cast<int64_t>(r.bottom) + dy, r.top, height - 1);
    *rect = r;
    return true;
}

int32_t TrimFieldValue(const TrimRect& r, TrimField field) {
    switch (field) {
    case TrimField::Left: return r.left;
    case TrimField::Top: return r.top;
    case TrimField::Right: return r.right;
    case TrimField::Bottom: return r.bottom;
    case TrimField::Width: return r.right - r.left + 1;
    case TrimField::Height: return r.bottom - r.top + 1;
    }
    return 0;
}

void TrimFieldRange(TrimField field, int32_t width, int32_t height, int32_t* low, int32_t* high) {
    switch (field) {
    case TrimField::Left:
    case TrimField::Right: *low = 0, *high = width - 1; break;
    case TrimField::Top:
    case TrimField::Bottom: *low = 0, *high = height - 1; break;
    case TrimField::Width: *low = 1, *high = width; break;
    case TrimField::Height: *low = 1, *high = height; break;
    }
}

TrimRect EditTrimRect(const TrimRect& rect, TrimField field, int64_t value, int32_t width, int32_t height) {
    int32_t low = 0, high = 0;
    TrimFieldRange(field, width, height, &low, &high);
    const int32_t v = Clamp32(value, low, high);
    TrimRect r = rect;
    switch (field) {
    case TrimField::Left: r.left = v, r.right = std::max(r.right, v); break;
    case TrimField::Right: r.right = v, r.left = std::min(r.left, v); break;
    case TrimField::Top: r.top = v, r.bottom = std::max(r.bottom, v); break;
    case TrimField::Bottom: r.bottom = v, r.top = std::min(r.top, v); break;
    case TrimField::Width: r.right = Clamp32(static_cast<int64_t>(r.left) + v - 1, r.left, width - 1); break;
    case TrimField::Height: r.bottom = Clamp32(static_cast<int64_t>(r.top) + v - 1, r.top, height - 1); break;
    }
    return r;
}

bool TrimRectInside(const TrimRect& r, int32_t width, int32_t height) {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right < width && r.bottom < height;
}

bool TrimChangesImage(const TrimRect& r, int32_t width, int32_t height) {
    return TrimRectInside(r, width, height) &&
           !(r.left == 0 && r.top == 0 && r.right == width - 1 && r.bottom == height - 1);
}

void TrimPreviewBand(const KernelJob& job, const void* params) {
    const TrimRect& r = *static_cast<const TrimRect*>(params);
    const uint32_t rowBytes = static_cast<uint32_t>(job.width) * 3;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* in = job.source + static_cast<size_t>(y) * job.stride;
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        const int32_t fromTop = job.height - 1 - y;
        // the columns inside the rectangle on this row, [inBegin, inEnd) in bytes; none above or below it
        uint32_t inBegin = rowBytes, inEnd = rowBytes;
        if (fromTop >= r.top && fromTop <= r.bottom && r.left <= r.right && r.right >= 0 && r.left < job.width) {
            inBegin = static_cast<uint32_t>(std::max(r.left, 0)) * 3;
            inEnd = static_cast<uint32_t>(std::min(r.right, job.width - 1) + 1) * 3;
        }
        for (uint32_t x = 0; x < inBegin; ++x)
            out[x] = static_cast<uint8_t>(in[x] >> 1);
        std::memcpy(out + inBegin, in + inBegin, inEnd - inBegin);
        for (uint32_t x = inEnd; x < rowBytes; ++x)
            out[x] = static_cast<uint8_t>(in[x] >> 1);
    }
}

uint8_t* TrimPixels(const ImageBuffer& image, const TrimRect& r) {
    const int32_t w = image.header.biWidth, h = image.header.biHeight;
    const uint32_t bits = image.header.biBitCount;
    if (image.pixels == nullptr || (bits != 8 && bits != 24) || !TrimRectInside(r, w, h)) return nullptr;
    const uint32_t nw = static_cast<uint32_t>(r.right - r.left + 1), nh = static_cast<uint32_t>(r.bottom - r.top + 1);
    CodecStatus status = kCodecOk;
    uint8_t* target = AllocPixelBlock(nw, nh, bits, &status);
    if (target == nullptr) return nullptr;
    const uint32_t bytes = bits / 8;
    const size_t newStride = ImageStride(nw, bits);
    // target row 0 is the rectangle's bottom row
    for (uint32_t y = 0; y < nh; ++y) {
        const uint8_t* in =
            ImageRowFromTop(&image, static_cast<uint32_t>(r.bottom) - y) + static_cast<size_t>(r.left) * bytes;
        std::memcpy(target + y * newStride, in, static_cast<size_t>(nw) * bytes);
    }
    return target;
}

} // namespace qv
