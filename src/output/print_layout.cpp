#include "output/print_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cwchar>

namespace qv {

namespace {

constexpr double kTenthsPerInch = 254.0;
constexpr double kMillimetresPerInch = 25.4;

int32_t Round(double value) {
    return static_cast<int32_t>(std::floor(value + 0.5));
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return std::max(low, std::min(value, high));
}

// The other side of the image at this width or height, never below a pixel.
int32_t HeightForWidth(const PrintLayout& l, int32_t width) {
    return std::max(1, Round(static_cast<double>(width) * l.imageHeight / l.imageWidth));
}
int32_t WidthForHeight(const PrintLayout& l, int32_t height) {
    return std::max(1, Round(static_cast<double>(height) * l.imageWidth / l.imageHeight));
}

void StoreKept(PrintLayout* l) {
    const PageGeometry& p = l->page;
    l->kept.left = Round(l->placed.x * kTenthsPerInch / p.dpiX);
    l->kept.top = Round(l->placed.y * kTenthsPerInch / p.dpiY);
    l->kept.width = Round(l->placed.width * kTenthsPerInch / p.dpiX);
    l->effectiveDpi = std::max(1, Round(static_cast<double>(p.dpiX) * l->imageWidth / l->placed.width));
}

// A size led by its width (or, `byHeight`, its height): held between the smallest size and the room,
// the other side following the aspect ratio; when that side leaves its own bounds, it leads instead.
void FitSize(const PrintLayout& l, bool byHeight, int32_t roomWidth, int32_t roomHeight, int32_t* width,
             int32_t* height) {
    if (!byHeight) {
        int32_t w = std::max(1, std::min(std::max(*width, l.minWidth), roomWidth));
        int32_t h = HeightForWidth(l, w);
        if (h < l.minHeight || h > roomHeight) {
            h = std::max(1, h < l.minHeight ? l.minHeight : roomHeight);
            w = WidthForHeight(l, h);
        }
        *width = w;
        *height = h;
    } else {
        int32_t h = std::max(1, std::min(std::max(*height, l.minHeight), roomHeight));
        int32_t w = WidthForHeight(l, h);
        if (w < l.minWidth || w > roomWidth) {
            w = std::max(1, w < l.minWidth ? l.minWidth : roomWidth);
            h = HeightForWidth(l, w);
        }
        *width = w;
        *height = h;
    }
}

// The last word on any placement: the image's corner never leaves the printable area.
void KeepInside(PrintLayout* l) {
    PrintRect& r = l->placed;
    r.x = Clamp(r.x, 0, std::max(0, l->page.printableWidth - r.width));
    r.y = Clamp(r.y, 0, std::max(0, l->page.printableHeight - r.height));
}

void SetMinimumSize(PrintLayout* l) {
    const PageGeometry& p = l->page;
    // half an inch on the image's shorter side
    if (l->imageHeight > l->imageWidth) {
        l->minWidth = std::max(1, p.dpiX / 2);
        l->minHeight = HeightForWidth(*l, l->minWidth);
    } else {
        l->minHeight = std::max(1, p.dpiY / 2);
        l->minWidth = WidthForHeight(*l, l->minHeight);
    }
}

} // namespace

PageGeometry MakePageGeometry(int32_t dpiX, int32_t dpiY, int32_t pageWidth, int32_t pageHeight, int32_t offsetX,
                              int32_t offsetY, int32_t printableWidth, int32_t printableHeight) {
    PageGeometry p;
    p.dpiX = std::max(2, dpiX);
    p.dpiY = std::max(2, dpiY);
    p.pageWidth = std::max(1, pageWidth);
    p.pageHeight = std::max(1, pageHeight);
    p.offsetX = std::max(0, offsetX);
    p.offsetY = std::max(0, offsetY);
    p.printableWidth = std::max(1, printableWidth);
    p.printableHeight = std::max(1, printableHeight);
    return p;
}

PreviewGeometry LayOutPreview(const PageGeometry& page, int32_t panelWidth, int32_t panelHeight) {
    PreviewGeometry g;
    g.panelWidth = std::max(1, panelWidth);
    g.panelHeight = std::max(1, panelHeight);
    double byWidth = static_cast<double>(g.panelWidth) / page.pageWidth;
    double byHeight = static_cast<double>(g.panelHeight) / page.pageHeight;
    if (byHeight > byWidth) { // spans the width, centred vertically
        g.scale = byWidth;
        g.page.width = g.panelWidth;
        g.page.height = std::max(1, Round(page.pageHeight * byWidth));
        g.page.y = (g.panelHeight - g.page.height) / 2;
    } else {
        g.scale = byHeight;
        g.page.height = g.panelHeight;
        g.page.width = std::max(1, Round(page.pageWidth * byHeight));
        g.page.x = (g.panelWidth - g.page.width) / 2;
    }
    g.printableLeft = g.page.x + page.offsetX * g.scale;
    g.printableTop = g.page.y + page.offsetY * g.scale;
    return g;
}

void PlacePosition(PrintLayout* l) {
    const PageGeometry& p = l->page;
    PrintRect& r = l->placed;
    r.x = Round(l->kept.left * p.dpiX / kTenthsPerInch);
    r.y = Round(l->kept.top * p.dpiY / kTenthsPerInch);
    r.width = std::max(1, Round(l->kept.width * p.dpiX / kTenthsPerInch));
    r.height = HeightForWidth(*l, r.width);
    SetMinimumSize(l);
    r.width = std::max(r.width, l->minWidth);
    r.height = std::max(r.height, l->minHeight);
    if (r.width > p.printableWidth) {
        r.x = 0;
        r.width = p.printableWidth;
        r.height = HeightForWidth(*l, r.width);
    } else if (r.x + r.width > p.printableWidth) {
        r.x = p.printableWidth - r.width;
    }
    if (r.height > p.printableHeight) {
        r.y = 0;
        r.height = p.printableHeight;
        r.width = WidthForHeight(*l, r.height);
    } else if (r.y + r.height > p.printableHeight) {
        r.y = p.printableHeight - r.height;
    }
    KeepInside(l);
    StoreKept(l);
}

void PlaceFill(PrintLayout* l) {
    const PageGeometry& p = l->page;
    FillCrop& c = l->crop;
    const int32_t iw = l->imageWidth, ih = l->imageHeight;
    if (static_cast<double>(ih) / p.printableHeight > static_cast<double>(iw) / p.printableWidth) {
        // relatively taller than the page: the whole width, a band of the height
        c.left = 0;
        c.width = iw;
        c.height = Clamp(Round(static_cast<double>(p.printableHeight) * iw / p.printableWidth), 1, ih);
        if (!c.bottomSet) c.bottom = Round((ih - c.height) * 0.5);
        c.bottomSet = true;
        c.bottom = Clamp(c.bottom, 0, ih - c.height);
    } else {
        c.bottom = 0;
        c.height = ih;
        c.width = Clamp(Round(static_cast<double>(ih) / p.printableHeight * p.printableWidth), 1, iw);
        if (!c.leftSet) c.left = Round((iw - c.width) * 0.5);
        c.leftSet = true;
        c.left = Clamp(c.left, 0, iw - c.width);
    }
}

void PlaceImage(PrintLayout* l) {
    l->imageWidth = std::max(1, l->imageWidth);
    l->imageHeight = std::max(1, l->imageHeight);
    PlacePosition(l);
    PlaceFill(l);
}

double FieldMillimetres(const PrintLayout& l, PrintField field) {
    const PageGeometry& p = l.page;
    switch (field) {
    case PrintField::Left: return (l.placed.x + p.offsetX) * kMillimetresPerInch / p.dpiX;
    case PrintField::Top: return (l.placed.y + p.offsetY) * kMillimetresPerInch / p.dpiY;
    case PrintField::Width: return l.placed.width * kMillimetresPerInch / p.dpiX;
    case PrintField::Height: return l.placed.height * kMillimetresPerInch / p.dpiY;
    }
    return 0;
}

uint32_t EditField(PrintLayout* l, PrintField field, double millimetres) {
    const PageGeometry& p = l->page;
    PrintRect& r = l->placed;
    uint32_t rewrite = 0;
    switch (field) {
    case PrintField::Left: {
        int32_t typed = Round(millimetres * p.dpiX / kMillimetresPerInch) - p.offsetX;
        r.x = Clamp(typed, 0, std::max(0, p.printableWidth - r.width));
        if (r.x != typed) rewrite = FieldBit(PrintField::Left);
        break;
    }
    case PrintField::Top: {
        int32_t typed = Round(millimetres * p.dpiY / kMillimetresPerInch) - p.offsetY;
        r.y = Clamp(typed, 0, std::max(0, p.printableHeight - r.height));
        if (r.y != typed) rewrite = FieldBit(PrintField::Top);
        break;
    }
    case PrintField::Width:
    case PrintField::Height: {
        bool byHeight = field == PrintField::Height;
        int32_t w = byHeight ? r.width : Round(millimetres * p.dpiX / kMillimetresPerInch);
        int32_t h = byHeight ? Round(millimetres * p.dpiY / kMillimetresPerInch) : r.height;
        FitSize(*l, byHeight, p.printableWidth - r.x, p.printableHeight - r.y, &w, &h);
        r.width = w;
        r.height = h;
        rewrite = FieldBit(byHeight ? PrintField::Width : PrintField::Height);
        break;
    }
    }
    KeepInside(l);
    StoreKept(l);
    return rewrite;
}

std::wstring FormatMillimetres(double millimetres) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", std::max(0.0, millimetres));
    return text;
}

double ParseMillimetres(const wchar_t* text) {
    if (!text) return 0;
    // a decimal comma reads as the point
    std::wstring copy(text);
    std::replace(copy.begin(), copy.end(), L',', L'.');
    wchar_t* end = nullptr;
    double value = std::wcstod(copy.c_str(), &end);
    if (end == copy.c_str() || !std::isfinite(value)) return 0;
    return value;
}

double StepMillimetres(double millimetres, int32_t position) {
    return std::max(0.0, millimetres + position);
}

PrintRect PlacedPreviewRect(const PrintLayout& l) {
    const PreviewGeometry& g = l.preview;
    PrintRect r;
    r.x = Round(g.printableLeft + l.placed.x * g.scale);
    r.y = Round(g.printableTop + l.placed.y * g.scale);
    r.width = std::max(1, Round(l.placed.width * g.scale));
    r.height = std::max(1, Round(l.placed.height * g.scale));
    return r;
}

PrintRect PrintablePreviewRect(const PrintLayout& l) {
    const PreviewGeometry& g = l.preview;
    PrintRect r;
    r.x = Round(g.printableLeft);
    r.y = Round(g.printableTop);
    r.width = std::max(1, Round(l.page.printableWidth * g.scale));
    r.height = std::max(1, Round(l.page.printableHeight * g.scale));
    return r;
}

PreviewHit HitTestPreview(const PrintLayout& l, int32_t x, int32_t y) {
    if (l.kept.mode == PrintMode::FillPrintable) {
        PrintRect a = PrintablePreviewRect(l);
        bool inside = x >= a.x && x < a.x + a.width && y >= a.y && y < a.y + a.height;
        return inside ? PreviewHit::Move : PreviewHit::None;
    }
    PrintRect r = PlacedPreviewRect(l);
    const int32_t right = r.x + r.width, bottom = r.y + r.height;
    bool alongEdges = y >= r.y - kCornerGrabDistance && y <= bottom + kCornerGrabDistance;
    int32_t toLeft = std::abs(x - r.x), toRight = std::abs(x - right);
    if (alongEdges && std::min(toLeft, toRight) <= kCornerGrabDistance) {
        bool leftSide = toLeft <= toRight;
        bool topSide = y - r.y <= bottom - y;
        if (leftSide) return topSide ? PreviewHit::TopLeft : PreviewHit::BottomLeft;
        return topSide ? PreviewHit::TopRight : PreviewHit::BottomRight;
    }
    bool inside = x >= r.x && x < right && y >= r.y && y < bottom;
    return inside ? PreviewHit::Move : PreviewHit::None;
}

PreviewDrag BeginPreviewDrag(const PrintLayout& l, int32_t x, int32_t y) {
    PreviewDrag d;
    d.hit = HitTestPreview(l, x, y);
    d.startX = x;
    d.startY = y;
    d.startPlaced = l.placed;
    d.startCrop = l.crop;
    return d;
}

uint32_t DragPreview(PrintLayout* l, const PreviewDrag& d, int32_t x, int32_t y) {
    if (d.hit == PreviewHit::None) return 0;
    const PageGeometry& p = l->page;
    const double scale = l->preview.scale;
    const int32_t dx = x - d.startX, dy = y - d.startY;
    if (l->kept.mode == PrintMode::FillPrintable) {
        // the picture follows the pointer: the crop moves the other way, in image pixels
        PrintRect shown = PrintablePreviewRect(*l);
        FillCrop& c = l->crop;
        c.left = d.startCrop.left - Round(static_cast<double>(dx) * c.width / shown.width);
        c.bottom = d.startCrop.bottom + Round(static_cast<double>(dy) * c.height / shown.height);
        c.left = Clamp(c.left, 0, l->imageWidth - c.width);
        c.bottom = Clamp(c.bottom, 0, l->imageHeight - c.height);
        return 0;
    }
    const PrintRect& s = d.startPlaced;
    PrintRect& r = l->placed;
    const uint32_t all = FieldBit(PrintField::Left) | FieldBit(PrintField::Top) | FieldBit(PrintField::Width) |
                         FieldBit(PrintField::Height);
    if (d.hit == PreviewHit::Move) {
        r.x = Clamp(s.x + Round(dx / scale), 0, std::max(0, p.printableWidth - r.width));
        r.y = Clamp(s.y + Round(dy / scale), 0, std::max(0, p.printableHeight - r.height));
        StoreKept(l);
        return FieldBit(PrintField::Left) | FieldBit(PrintField::Top);
    }
    // a corner: the opposite one stays, the image grows toward the pointer
    bool leftCorner = d.hit == PreviewHit::TopLeft || d.hit == PreviewHit::BottomLeft;
    bool topCorner = d.hit == PreviewHit::TopLeft || d.hit == PreviewHit::TopRight;
    int32_t byX = s.width + Round((leftCorner ? -dx : dx) / scale);
    int32_t byY = s.height + Round((topCorner ? -dy : dy) / scale);
    int32_t w = std::max(byX, WidthForHeight(*l, std::max(1, byY)));
    int32_t h = HeightForWidth(*l, w);
    int32_t roomWidth = leftCorner ? s.x + s.width : p.printableWidth - s.x;
    int32_t roomHeight = topCorner ? s.y + s.height : p.printableHeight - s.y;
    FitSize(*l, false, roomWidth, roomHeight, &w, &h);
    r.width = w;
    r.height = h;
    r.x = leftCorner ? s.x + s.width - w : s.x;
    r.y = topCorner ? s.y + s.height - h : s.y;
    KeepInside(l);
    StoreKept(l);
    return all;
}

PageMargins UnprintableMargins(const PageGeometry& p) {
    auto hundredths = [](int32_t pixels, int32_t dpi) {
        return static_cast<int32_t>(std::max<int64_t>(0, static_cast<int64_t>(pixels) * 2540 / dpi));
    };
    PageMargins m;
    m.left = hundredths(p.offsetX, p.dpiX);
    m.top = hundredths(p.offsetY, p.dpiY);
    m.right = hundredths(p.pageWidth - p.printableWidth - p.offsetX, p.dpiX);
    m.bottom = hundredths(p.pageHeight - p.printableHeight - p.offsetY, p.dpiY);
    return m;
}

PrintStretch PrintedStretch(const PrintLayout& l) {
    PrintStretch s;
    if (l.kept.mode == PrintMode::FillPrintable) {
        s.destination = PrintRect{0, 0, l.page.printableWidth, l.page.printableHeight};
        s.sourceX = l.crop.left;
        s.sourceY = l.crop.bottom;
        s.sourceWidth = l.crop.width;
        s.sourceHeight = l.crop.height;
    } else {
        s.destination = l.placed;
        s.sourceWidth = l.imageWidth;
        s.sourceHeight = l.imageHeight;
    }
    return s;
}

} // namespace qv
