// Placing the image on the printed page: the position-and-size rules, the fill crop, the edits of
// the millimetre boxes, the preview's drags, the page-setup margins and the 24-bit copy the printer
// gets.
#include <gtest/gtest.h>

#include "output/print_image.h"
#include "output/print_layout.h"

namespace qv {
namespace {

// A4 at 300 dpi with no unprintable border, as the PDF printer of the end-to-end tests reports it.
PageGeometry A4At300() {
    return MakePageGeometry(300, 300, 2479, 3508, 0, 0, 2479, 3508);
}

PrintLayout Layout(const PageGeometry& page, int32_t w, int32_t h, PrintPlacementSettings kept = {}) {
    PrintLayout l;
    l.page = page;
    l.imageWidth = w;
    l.imageHeight = h;
    l.kept = kept;
    l.preview = LayOutPreview(page, 300, 300);
    PlaceImage(&l);
    return l;
}

TEST(PrintPosition, MillimetresBecomeDevicePixelsAndTheClampsHold) {
    PrintLayout l = Layout(A4At300(), 400, 300);
    EXPECT_EQ(l.placed, (PrintRect{0, 0, 1181, 886})); // 100 mm at 300 dpi; the height follows the image
    EXPECT_EQ(l.effectiveDpi, 102);
    EXPECT_EQ(l.kept.width, 1000);

    // wider than the printable area: the printable width, at the left edge
    l = Layout(A4At300(), 400, 300, {PrintMode::PositionAndSize, 500, 100, 3000});
    EXPECT_EQ(l.placed, (PrintRect{0, 118, 2479, 1859}));
    EXPECT_EQ(l.kept.left, 0);
    EXPECT_EQ(l.kept.width, 2099);

    // fits, but not where it stands: moved in from the right
    l = Layout(A4At300(), 400, 300, {PrintMode::PositionAndSize, 1500, 0, 1000});
    EXPECT_EQ(l.placed.x, 2479 - 1181);

    // a tall image too tall for the sheet is held at the printable height
    l = Layout(A4At300(), 100, 1000, {PrintMode::PositionAndSize, 0, 2000, 2000});
    EXPECT_EQ(l.placed.height, 3508);
    EXPECT_EQ(l.placed.y, 0);
    EXPECT_EQ(l.placed.width, 351);
}

TEST(PrintPosition, TheShorterSideIsAtLeastHalfAnInch) {
    PrintLayout wide = Layout(A4At300(), 400, 300, {PrintMode::PositionAndSize, 0, 0, 10});
    EXPECT_EQ(wide.placed.height, 150);
    EXPECT_EQ(wide.placed.width, 200);
    PrintLayout tall = Layout(A4At300(), 300, 400, {PrintMode::PositionAndSize, 0, 0, 10});
    EXPECT_EQ(tall.placed.width, 150);
    EXPECT_EQ(tall.placed.height, 200);
    // a typed width below that is raised as well
    EditField(&wide, PrintField::Width, 1.0);
    EXPECT_EQ(wide.placed.width, 200);
}

TEST(PrintFill, ALandscapeImageOnAPortraitPageIsCutLeftAndRightCentredOnce) {
    PageGeometry page = MakePageGeometry(300, 300, 2100, 3100, 50, 50, 2000, 3000);
    PrintLayout l = Layout(page, 400, 200, {PrintMode::FillPrintable, 0, 0, 1000});
    EXPECT_EQ(l.crop.width, 133);
    EXPECT_EQ(l.crop.height, 200);
    EXPECT_EQ(l.crop.left, 134);
    EXPECT_EQ(l.crop.bottom, 0);
    // moved by the user, the offset is kept by the next placement, inside the image
    l.crop.left = 10;
    PlaceImage(&l);
    EXPECT_EQ(l.crop.left, 10);
    l.crop.left = 1000;
    PlaceImage(&l);
    EXPECT_EQ(l.crop.left, 400 - 133);

    // a portrait image on the same page loses a band of its height instead
    PrintLayout tall = Layout(page, 200, 800, {PrintMode::FillPrintable, 0, 0, 1000});
    EXPECT_EQ(tall.crop.width, 200);
    EXPECT_EQ(tall.crop.height, 300);
    EXPECT_EQ(tall.crop.bottom, 250);

    PrintStretch st = PrintedStretch(l);
    EXPECT_EQ(st.destination, (PrintRect{0, 0, 2000, 3000}));
    EXPECT_EQ(st.sourceX, l.crop.left);
    EXPECT_EQ(st.sourceWidth, 133);
}

TEST(PrintFields, EditsClampAndTellWhichBoxesToRewrite) {
    // an unprintable border of 100 pixels: the boxes count from the paper's edge
    PageGeometry page = MakePageGeometry(300, 300, 2479, 3508, 100, 100, 2279, 3308);
    PrintLayout l = Layout(page, 400, 300);
    EXPECT_NEAR(FieldMillimetres(l, PrintField::Left), 100 * 25.4 / 300, 1e-9);

    EXPECT_EQ(EditField(&l, PrintField::Left, 20.0), 0u); // in range: the typing stays as it is
    EXPECT_EQ(l.placed.x, 236 - 100);
    EXPECT_EQ(l.kept.left, 115);
    EXPECT_EQ(EditField(&l, PrintField::Left, 500.0), FieldBit(PrintField::Left));
    EXPECT_EQ(l.placed.x, 2279 - l.placed.width);
    EXPECT_EQ(EditField(&l, PrintField::Top, 0.0), FieldBit(PrintField::Top)); // inside the border
    EXPECT_EQ(l.placed.y, 0);

    EditField(&l, PrintField::Left, 8.5);
    EXPECT_EQ(EditField(&l, PrintField::Width, 50.0), FieldBit(PrintField::Height));
    EXPECT_EQ(l.placed.width, 591);
    EXPECT_EQ(l.placed.height, 443);
    EXPECT_EQ(l.effectiveDpi, 203);
    // the width stops at the room right of the image
    EditField(&l, PrintField::Width, 1000.0);
    EXPECT_EQ(l.placed.x + l.placed.width, 2279);
    // the height leads the other way and stops at the room below
    EXPECT_EQ(EditField(&l, PrintField::Height, 1000.0), FieldBit(PrintField::Width));
    EXPECT_LE(l.placed.y + l.placed.height, 3308);
    EXPECT_LE(l.placed.x + l.placed.width, 2279);
}

TEST(PrintFields, MillimetreText) {
    EXPECT_EQ(FormatMillimetres(100.0), L"100.0");
    EXPECT_EQ(FormatMillimetres(12.34), L"12.3");
    EXPECT_DOUBLE_EQ(ParseMillimetres(L"12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseMillimetres(L"12,5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseMillimetres(L"abc"), 0);
    EXPECT_DOUBLE_EQ(ParseMillimetres(L""), 0);
    EXPECT_DOUBLE_EQ(StepMillimetres(0.4, -1), 0);
    EXPECT_DOUBLE_EQ(StepMillimetres(10.0, 1), 11.0);
}

TEST(PrintPreview, ThePageFitsThePanelAndTheDragsFollowThePointer) {
    PageGeometry page = MakePageGeometry(300, 300, 2400, 3600, 120, 60, 2160, 3480);
    PreviewGeometry g = LayOutPreview(page, 400, 300);
    EXPECT_EQ(g.page, (PrintRect{100, 0, 200, 300})); // spans the height, centred across
    EXPECT_DOUBLE_EQ(g.scale, 300.0 / 3600);
    EXPECT_DOUBLE_EQ(g.printableLeft, 110);
    EXPECT_DOUBLE_EQ(g.printableTop, 5);
    g = LayOutPreview(page, 200, 600);
    EXPECT_EQ(g.page, (PrintRect{0, 150, 200, 300}));

    PrintLayout l = Layout(page, 400, 300);
    l.preview = LayOutPreview(page, 400, 300);
    PrintRect r = PlacedPreviewRect(l);
    EXPECT_EQ(r, (PrintRect{110, 5, 98, 74}));
    EXPECT_EQ(HitTestPreview(l, 150, 40), PreviewHit::Move);
    EXPECT_EQ(HitTestPreview(l, 104, 8), PreviewHit::TopLeft);
    EXPECT_EQ(HitTestPreview(l, 212, 70), PreviewHit::BottomRight);
    EXPECT_EQ(HitTestPreview(l, 300, 200), PreviewHit::None);

    // a move, in device pixels, stops at the printable area's edge
    PreviewDrag move = BeginPreviewDrag(l, 150, 40);
    EXPECT_EQ(DragPreview(&l, move, 160, 45), FieldBit(PrintField::Left) | FieldBit(PrintField::Top));
    EXPECT_EQ(l.placed.x, 120);
    EXPECT_EQ(l.placed.y, 60);
    DragPreview(&l, move, 10, 40);
    EXPECT_EQ(l.placed.x, 0);

    // the top-left corner grows the image up and left; the bottom-right corner stays put
    l = Layout(page, 400, 300, {PrintMode::PositionAndSize, 500, 500, 1000});
    l.preview = LayOutPreview(page, 400, 300);
    PrintRect before = l.placed;
    r = PlacedPreviewRect(l);
    PreviewDrag corner = BeginPreviewDrag(l, r.x, r.y);
    ASSERT_EQ(corner.hit, PreviewHit::TopLeft);
    DragPreview(&l, corner, r.x - 10, r.y - 10);
    EXPECT_GT(l.placed.width, before.width);
    EXPECT_EQ(l.placed.x + l.placed.width, before.x + before.width);
    EXPECT_EQ(l.placed.y + l.placed.height, before.y + before.height);
    EXPECT_EQ(l.placed.height, (l.placed.width * 3 + 2) / 4);

    // fill mode: the picture follows the pointer, so the crop moves the other way
    PrintLayout f = Layout(page, 400, 2000, {PrintMode::FillPrintable, 0, 0, 1000});
    f.preview = LayOutPreview(page, 400, 300);
    int32_t bottom = f.crop.bottom;
    PreviewDrag pan = BeginPreviewDrag(f, 150, 100);
    ASSERT_EQ(pan.hit, PreviewHit::Move);
    DragPreview(&f, pan, 150, 110); // down: more of the top shows
    EXPECT_GT(f.crop.bottom, bottom);
    DragPreview(&f, pan, 150, -5000);
    EXPECT_EQ(f.crop.bottom, 0);
}

TEST(PrintPage, MarginsAreTheUnprintableBorders) {
    PageGeometry page = MakePageGeometry(600, 300, 5100, 3300, 60, 30, 4920, 3210);
    PageMargins m = UnprintableMargins(page);
    EXPECT_EQ(m.left, 254);
    EXPECT_EQ(m.top, 254);
    EXPECT_EQ(m.right, 508);
    EXPECT_EQ(m.bottom, 508);
    // what the device says is raised to what the arithmetic can use
    PageGeometry odd = MakePageGeometry(0, 1, 0, -5, -3, 0, 0, 0);
    EXPECT_EQ(odd.dpiX, 2);
    EXPECT_EQ(odd.printableWidth, 1);
    EXPECT_EQ(odd.offsetX, 0);
}

TEST(PrintImageCopy, AnEightBitImageIsPrintedThroughItsTwentyFourBitColours) {
    ImageBuffer image{};
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(&image, 3, 2, 8, &status));
    image.palette[5] = RGBQUAD{10, 20, 30, 0};
    image.palette[7] = RGBQUAD{200, 100, 50, 0};
    image.pixels[0] = 5; // bottom row, first pixel
    image.pixels[4 + 2] = 7;
    PrintImage printed;
    ASSERT_TRUE(PreparePrintImage(image, &printed));
    EXPECT_EQ(printed.header.biBitCount, 24);
    EXPECT_EQ(printed.header.biWidth, 3);
    ASSERT_NE(printed.converted, nullptr);
    EXPECT_EQ(printed.pixels[0], 10);
    EXPECT_EQ(printed.pixels[2], 30);
    EXPECT_EQ(printed.pixels[12 + 6], 200); // second row, third pixel (rows of 12 bytes)
    EXPECT_EQ(printed.pixels[12 + 8], 50);

    PrintImage direct; // 24 bits go as they are
    ImageBuffer colour{};
    ASSERT_TRUE(PrepareImage(&colour, 2, 2, 24, &status));
    ASSERT_TRUE(PreparePrintImage(colour, &direct));
    EXPECT_EQ(direct.pixels, colour.pixels);
    EXPECT_EQ(direct.converted, nullptr);
    FreeImagePixels(&image);
    FreeImagePixels(&colour);
}

} // namespace
} // namespace qv
