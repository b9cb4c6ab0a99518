#include "viewer/bar_icons_win.h"

namespace qv {

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr COLORREF kInk = RGB(60, 60, 60);

void Box(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF edge) {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void Triangle(HDC dc, POINT a, POINT b, POINT c) {
    HBRUSH brush = CreateSolidBrush(kInk);
    HPEN pen = CreatePen(PS_SOLID, 1, kInk);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    POINT points[3] = {a, b, c};
    Polygon(dc, points, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void Floppy(HDC dc) {
    Box(dc, 1, 1, 15, 15, RGB(50, 90, 170), RGB(30, 50, 110));
    Box(dc, 4, 2, 12, 7, RGB(255, 255, 255), RGB(200, 200, 200));
    Box(dc, 5, 10, 11, 15, RGB(190, 190, 190), RGB(120, 120, 120));
}

void Draw(HDC dc, int icon) {
    switch (icon) {
    case kIconOpen:
        Box(dc, 1, 3, 7, 6, RGB(230, 180, 60), RGB(150, 110, 30));
        Box(dc, 1, 5, 15, 14, RGB(245, 205, 90), RGB(150, 110, 30));
        break;
    case kIconSaveAs: {
        Floppy(dc);
        HPEN pen = CreatePen(PS_SOLID, 2, RGB(200, 40, 40)); // a pen across the corner: a new name
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 9, 15, nullptr);
        LineTo(dc, 15, 9);
        SelectObject(dc, old);
        DeleteObject(pen);
        break;
    }
    case kIconSave: Floppy(dc); break;
    case kIconPrevious: Triangle(dc, {11, 2}, {4, 8}, {11, 14}); break;
    case kIconNext: Triangle(dc, {5, 2}, {12, 8}, {5, 14}); break;
    case kIconFit:
        Box(dc, 1, 2, 15, 14, RGB(255, 255, 255), kInk);
        Box(dc, 3, 4, 13, 12, RGB(120, 170, 230), RGB(60, 110, 180));
        break;
    case kIconActualSize: {
        Box(dc, 1, 2, 15, 14, RGB(255, 255, 255), kInk);
        // 1:1 as dots on a grid: every image pixel one screen pixel
        for (int y = 4; y < 12; y += 2)
            for (int x = 3; x < 13; x += 2)
                SetPixel(dc, x, y, RGB(60, 110, 180));
        break;
    }
    case kIconFullScreen:
        Box(dc, 0, 1, 16, 15, kInk, kInk);
        Box(dc, 2, 3, 14, 13, RGB(120, 170, 230), RGB(120, 170, 230));
        break;
    case kIconViewer:
        Box(dc, 1, 2, 15, 14, RGB(255, 255, 255), kInk);
        Box(dc, 1, 2, 15, 5, RGB(60, 110, 180), kInk);
        break;
    }
}

} // namespace

HIMAGELIST CreateBarIcons() {
    HIMAGELIST list = ImageList_Create(kBarIconSize, kBarIconSize, ILC_COLOR24 | ILC_MASK, kBarIconCount, 0);
    if (!list) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kBarIconSize, kBarIconSize);
    ReleaseDC(nullptr, screen);
    bool ok = dc && bitmap;
    for (int icon = 0; ok && icon < kBarIconCount; ++icon) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, kBarIconSize, kBarIconSize};
        HBRUSH mask = CreateSolidBrush(kMaskColour);
        FillRect(dc, &all, mask);
        DeleteObject(mask);
        Draw(dc, icon);
        SelectObject(dc, old); // a bitmap selected into a DC cannot be added
        ok = ImageList_AddMasked(list, bitmap, kMaskColour) == icon;
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    if (!ok) {
        ImageList_Destroy(list);
        return nullptr;
    }
    return list;
}

} // namespace qv
