#include "viewer/view_paint.h"

#include <algorithm>

#include "viewer/view_commands.h"

namespace qv {
namespace {

bool ValidBackground(int32_t bgColor) {
    return bgColor >= 0 && bgColor <= 4;
}

void AddFill(PaintPlan* p, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (right <= left || bottom <= top) return;
    p->fills[p->fillCount++] = ViewRect{left, top, right, bottom};
}

} // namespace

int32_t BackgroundStockBrush(int32_t bgColor, int32_t fallback) {
    if (ValidBackground(bgColor)) return bgColor;
    return ValidBackground(fallback) ? fallback : kStockGreyBrush;
}

int32_t SurfaceBackgroundBrush(const ViewSettings& s, DisplayMode surface) {
    if (surface == DisplayMode::SubWindow) return BackgroundStockBrush(s.SWBgColor, kStockLightGreyBrush);
    return BackgroundStockBrush(s.BgColor, kStockGreyBrush);
}

uint32_t BackgroundColour(int32_t bgColor, int32_t fallback) {
    static const uint32_t kColours[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    return kColours[BackgroundStockBrush(bgColor, fallback)];
}

uint32_t BackgroundTextColour(int32_t bgColor) {
    return bgColor > 1 ? 0xFFFFFF : 0x000000;
}

bool BackgroundFromCommand(int32_t command, int32_t* bgColor) {
    if (command < kCmdBackgroundWhite || command > kCmdBackgroundBlack) return false;
    *bgColor = command - kCmdBackgroundWhite;
    return true;
}

int32_t ViewWindowStretchMode(const ViewGeometry& g, int32_t sthMode, bool dragScrolling) {
    bool oneToOne = g.scaledWidth == g.imageWidth && g.scaledHeight == g.imageHeight;
    if (oneToOne || sthMode == kStretchColorOnColor || dragScrolling) return kStretchColorOnColor;
    return kStretchHalftone;
}

int32_t PaneStretchMode(const ViewGeometry& g) {
    if (g.scaledWidth >= g.imageWidth && g.scaledHeight >= g.imageHeight) return kStretchColorOnColor;
    return kStretchHalftone;
}

PaintPlan PlanPaint(const ViewGeometry& g) {
    PaintPlan p;
    int32_t cw = std::max(g.clientWidth, 0);
    int32_t ch = std::max(g.clientHeight, 0);
    if (g.imageWidth <= 0 || g.imageHeight <= 0) {
        AddFill(&p, 0, 0, cw, ch);
        return p;
    }
    int32_t right = g.displayLeft + g.displayWidth;
    int32_t bottom = g.displayTop + g.displayHeight;
    if (g.scaledWidth < cw) {
        AddFill(&p, 0, 0, g.displayLeft, ch);
        AddFill(&p, right, 0, cw, ch);
    }
    if (g.scaledHeight < ch) {
        AddFill(&p, g.displayLeft, 0, right, g.displayTop);
        AddFill(&p, g.displayLeft, bottom, right, ch);
    }
    p.drawImage = g.displayWidth > 0 && g.displayHeight > 0 && g.sourceWidth > 0 && g.sourceHeight > 0;
    p.destination = ViewRect{g.displayLeft, g.displayTop, right, bottom};
    p.sourceX = g.sourceLeft;
    p.sourceY = g.imageHeight - g.sourceTop - g.sourceHeight; // rows are stored bottom-up
    p.sourceWidth = g.sourceWidth;
    p.sourceHeight = g.sourceHeight;
    return p;
}

NavigatorLayout LayoutNavigator(const ViewGeometry& g) {
    NavigatorLayout n;
    if (g.imageWidth <= 0 || g.imageHeight <= 0) return n;
    double byWidth = static_cast<double>(kNavigatorWidth) / g.imageWidth;
    double byHeight = static_cast<double>(kNavigatorHeight) / g.imageHeight;
    n.valid = true;
    n.scale = std::min(byWidth, byHeight);
    int32_t tw, th, tl, tt;
    if (byWidth < byHeight) {
        tw = kNavigatorWidth;
        // a very wide image still gets a visible one-pixel strip
        th = std::max(1, static_cast<int32_t>(g.imageHeight * n.scale));
        tl = 0;
        tt = (kNavigatorHeight - th) / 2;
    } else {
        th = kNavigatorHeight;
        tw = std::max(1, static_cast<int32_t>(g.imageWidth * n.scale));
        tt = 0;
        tl = (kNavigatorWidth - tw) / 2;
    }
    n.thumbnail = ViewRect{tl, tt, tl + tw, tt + th};
    int32_t w = std::clamp(RoundHalfUp(g.sourceWidth * n.scale), 1, tw);
    int32_t h = std::clamp(RoundHalfUp(g.sourceHeight * n.scale), 1, th);
    int32_t x = std::clamp(RoundHalfUp(g.sourceLeft * n.scale), 0, tw - w) + tl;
    int32_t y = std::clamp(RoundHalfUp(g.sourceTop * n.scale), 0, th - h) + tt;
    n.marker = ViewRect{x, y, x + w - 1, y + h - 1};
    return n;
}

void OutlinePoints(ViewRect r, ViewPoint out[5]) {
    out[0] = ViewPoint{r.left, r.top};
    out[1] = ViewPoint{r.right, r.top};
    out[2] = ViewPoint{r.right, r.bottom};
    out[3] = ViewPoint{r.left, r.bottom};
    out[4] = ViewPoint{r.left, r.top};
}

size_t FormatZoomPercent(double zoom, wchar_t* out, size_t capacity) {
    if (capacity == 0) return 0;
    wchar_t digits[12];
    size_t n = 0;
    uint32_t v = static_cast<uint32_t>(std::max(ZoomPercent(zoom), 0));
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + v % 10);
        v /= 10;
    } while (v != 0);
    size_t len = 0;
    while (n > 0 && len + 1 < capacity)
        out[len++] = digits[--n];
    if (len + 1 < capacity) out[len++] = L'%';
    out[len] = 0;
    return len;
}

} // namespace qv
