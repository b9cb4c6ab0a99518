// The arithmetic of the print dialog: the printer's page in device pixels, that page drawn in the
// preview panel, the two ways of placing the image on it (a position and size in millimetres, or
// the printable area filled with a movable crop), the edits of the millimetre boxes, the drags in
// the preview and the page-setup margins. print_dialog_win.cpp turns these into controls and GDI
// calls. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// The current printer's page, in its device pixels.
struct PageGeometry {
    int32_t dpiX = 2, dpiY = 2;
    int32_t pageWidth = 1, pageHeight = 1; // the physical sheet
    int32_t offsetX = 0, offsetY = 0;      // of the printable area on the sheet
    int32_t printableWidth = 1, printableHeight = 1;
};
// From the device's values, raised to what the arithmetic needs (resolution 2, sizes 1).
PageGeometry MakePageGeometry(int32_t dpiX, int32_t dpiY, int32_t pageWidth, int32_t pageHeight, int32_t offsetX,
                              int32_t offsetY, int32_t printableWidth, int32_t printableHeight);

struct PrintRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PrintRect&) const = default;
};

// The page as the preview panel shows it: scaled by one factor to fit, centred.
struct PreviewGeometry {
    int32_t panelWidth = 1, panelHeight = 1;
    PrintRect page;
    double scale = 1;                           // panel pixels per device pixel
    double printableLeft = 0, printableTop = 0; // the printable area's origin in the panel
};
PreviewGeometry LayOutPreview(const PageGeometry& page, int32_t panelWidth, int32_t panelHeight);

enum class PrintMode : int32_t { PositionAndSize = 0, FillPrintable = 1 };

// What the dialog keeps for the program's run, in tenths of a millimetre from the printable area's
// corner.
struct PrintPlacementSettings {
    PrintMode mode = PrintMode::PositionAndSize;
    int32_t left = 0, top = 0;
    int32_t width = 1000; // 100 mm until the user chooses another
};

// The crop of fill mode, in image pixels; `bottom` counts from the image's bottom row, as the
// bottom-up pixel block and StretchDIBits count. The offsets are centred on first use and kept
// after that, while the dialog is open.
struct FillCrop {
    int32_t left = 0, bottom = 0, width = 1, height = 1;
    bool leftSet = false, bottomSet = false;
};

// Everything one open print dialog computes from.
struct PrintLayout {
    PageGeometry page;
    int32_t imageWidth = 1, imageHeight = 1;
    PrintPlacementSettings kept;
    PrintRect placed; // position mode: device pixels inside the printable area
    int32_t minWidth = 1, minHeight = 1;
    int32_t effectiveDpi = 1; // image pixels per inch of paper
    FillCrop crop;
    PreviewGeometry preview;
};

// Position mode from the kept values: the size raised to half an inch on the image's shorter side,
// kept inside the printable area (a too wide image goes to the left edge at the printable width),
// and the result stored back into the kept values.
void PlacePosition(PrintLayout* layout);
// Fill mode: the crop of the image that has the printable area's shape.
void PlaceFill(PrintLayout* layout);
// Both placements, after the page, the image or the kept values changed.
void PlaceImage(PrintLayout* layout);

// The four millimetre boxes; left and top are shown from the paper's edge.
enum class PrintField : int32_t { Left = 0, Top = 1, Width = 2, Height = 3 };
constexpr int32_t kPrintFieldCount = 4;
// Which boxes the program rewrites after an edit, as bits 1 << field.
constexpr uint32_t FieldBit(PrintField f) {
    return 1u << static_cast<uint32_t>(f);
}

double FieldMillimetres(const PrintLayout& layout, PrintField field);
// A value typed into a box. Left and top are clamped to the printable area (their box is rewritten
// when the clamp changed what was typed); width and height are held between the smallest size and
// the room left, the other side follows the image's aspect ratio and its box is rewritten.
uint32_t EditField(PrintLayout* layout, PrintField field, double millimetres);

// One decimal: "100.0". Text that is no number reads as 0 mm.
std::wstring FormatMillimetres(double millimetres);
double ParseMillimetres(const wchar_t* text);
// An up-down step of `position` millimetres, never below 0.
double StepMillimetres(double millimetres, int32_t position);

// Where a press in the preview lands: on the image (a move), near one of its corners (a resize),
// or elsewhere.
enum class PreviewHit : int32_t { None, Move, TopLeft, TopRight, BottomLeft, BottomRight };
// Panel pixels within this distance of the image's left or right edge grab the nearer corner.
constexpr int32_t kCornerGrabDistance = 7;
// The image's rectangle of position mode in panel pixels.
PrintRect PlacedPreviewRect(const PrintLayout& layout);
// The printable area in panel pixels (fill mode stretches the crop over it).
PrintRect PrintablePreviewRect(const PrintLayout& layout);
PreviewHit HitTestPreview(const PrintLayout& layout, int32_t x, int32_t y);

// A drag in the preview, from the press to the release.
struct PreviewDrag {
    PreviewHit hit = PreviewHit::None;
    int32_t startX = 0, startY = 0; // the press, panel pixels
    PrintRect startPlaced;          // position mode
    FillCrop startCrop;             // fill mode
};
PreviewDrag BeginPreviewDrag(const PrintLayout& layout, int32_t x, int32_t y);
// The pointer at (x, y): position mode moves or resizes the image (the opposite corner stays where it
// was), fill mode moves the crop with the pointer. Returns the boxes to rewrite.
uint32_t DragPreview(PrintLayout* layout, const PreviewDrag& drag, int32_t x, int32_t y);

// Page setup's margins, minimum and initial alike: the printer's unprintable borders in hundredths
// of a millimetre.
struct PageMargins {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
PageMargins UnprintableMargins(const PageGeometry& page);

// The sheet's part that StretchDIBits fills when printing, in printer device coordinates (the
// printable area's corner is the origin), and the image's part it takes, with `sourceY` counted from
// the bottom row.
struct PrintStretch {
    PrintRect destination;
    int32_t sourceX = 0, sourceY = 0, sourceWidth = 1, sourceHeight = 1;
};
PrintStretch PrintedStretch(const PrintLayout& layout);

} // namespace qv
