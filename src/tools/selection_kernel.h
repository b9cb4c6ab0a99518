// Area selection, the arithmetic without a window: how a finished shape changes the selection mask,
// the rectangle, ellipse and similar-colour shapes, invert, the value box and what applying means.
// The freehand outline and the brush are in selection_outline.h, feathering in mask_feather.h, the
// tool's own undo list in mask_undo_list.h; selection_session.h ties them into the tool's state.
//
// Shapes fill an "inside" plane (one byte per pixel, 1 inside, 0 outside) in the mask's layout:
// width x height bytes, rows without padding, bottom-up like the image. Points come in image
// coordinates counted from the top-left pixel, as the view's geometry gives them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

struct ImageBuffer;

// AreMode: the first three entries of the mode list are modes, the last two are actions.
enum SelectionMode : int32_t {
    kSelectNew = 0,
    kSelectAdd = 1,
    kSelectRemove = 2,
    kSelectAllEditable = 3,  // action: the whole mask becomes 0
    kSelectAllProtected = 4, // action: the whole mask becomes 255
};

// AreType
enum SelectionShape : int32_t {
    kShapeRectangle = 0,
    kShapeEllipse = 1,
    kShapeOutline = 2, // freehand
    kShapeBrush = 3,
    kShapeSimilarColour = 4,
};

constexpr uint8_t kMaskEditable = 0;
constexpr uint8_t kMaskProtected = 255;

// The tool's settings keys: defaults and the ranges their controls allow.
constexpr int32_t kAreModeDefault = kSelectNew;
constexpr int32_t kAreTypeDefault = kShapeSimilarColour;
constexpr int32_t kAreSizeDefault = 24, kAreSizeMin = 3, kAreSizeMax = 128; // brush diameter
constexpr int32_t kAreRangeDefault = 50, kAreRangeMin = 0, kAreRangeMax = 255;
constexpr int32_t kAreUnitDefault = 1;
constexpr int32_t kAreSmoothDefault = 1, kAreSmoothMin = 1, kAreSmoothMax = 100;

// Labels of the value box (language-module texts).
constexpr uint32_t kStrValueBoxBrushSize = 20051;
constexpr uint32_t kStrValueBoxColourRange = 20052;

struct SelectionParams {
    int32_t mode = kAreModeDefault;  // AreMode
    int32_t shape = kAreTypeDefault; // AreType
    int32_t brushSize = kAreSizeDefault;
    int32_t range = kAreRangeDefault;
    bool connected = kAreUnitDefault != 0; // AreUnit: similar colour takes only the clicked area
    int32_t smooth = kAreSmoothDefault;    // AreSmooth: feathering radius
};

// The parameters as the settings file gave them: AreMode and AreType outside 0-4 take their
// defaults, AreUnit is its lowest bit. AreSize, AreRange and AreSmooth are kept as stored; their
// controls clamp them when edited and the kernels clamp what they use.
SelectionParams SelectionParamsFromSettings(int32_t mode, int32_t type, int32_t size, int32_t range, int32_t unit,
                                            int32_t smooth);

// Entries 3 and 4 of the mode list act at once; the list then shows the mode it had.
inline bool IsModeAction(int32_t entry) {
    return entry == kSelectAllEditable || entry == kSelectAllProtected;
}

// ---- combining a shape with the mask ----------------------------------------------------------
enum class MaskOp : uint8_t { Keep, SetEditable, SetProtected };

struct CombineRule {
    MaskOp inside;
    MaskOp outside;
};

// The combine table. `maskExists`: a mask was current when the tool opened or the tool has drawn
// one since. Modes other than add and remove combine as new.
CombineRule CombineRuleFor(int32_t mode, bool maskExists);

// mask[i] takes the rule's inside operation where inside[i] != 0, its outside operation elsewhere.
void CombineShape(uint8_t* mask, const uint8_t* inside, size_t count, CombineRule rule);

// One operation over a whole plane (the brush's reset before a stroke, the mode-list actions).
void ApplyMaskOp(uint8_t* mask, size_t count, MaskOp op);

// Every value v becomes 255 - v.
void InvertMask(uint8_t* mask, size_t count);

// ---- rectangle and ellipse --------------------------------------------------------------------
struct ImagePoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Mouse positions far outside any image (the mouse is captured during a drag) are held at
// +-2^29, which keeps every product of the shapes' arithmetic inside its integers.
constexpr int32_t kFarOutside = 1 << 29;
inline ImagePoint HoldFarPoint(ImagePoint p) {
    auto hold = [](int32_t v) { return v < -kFarOutside ? -kFarOutside : v > kFarOutside ? kFarOutside : v; };
    return {hold(p.x), hold(p.y)};
}

// A rubber-band drag makes a shape only when the mouse moved at least one screen pixel in some
// direction between press and release (screen pixels, not image pixels: at a high zoom one image
// pixel spans many).
inline bool DragMakesShape(int32_t pressX, int32_t pressY, int32_t releaseX, int32_t releaseY) {
    return pressX != releaseX || pressY != releaseY;
}

// The pixels of the box spanned by the two corner pixels (both included), clipped to the image.
void FillRectangleShape(uint8_t* inside, int32_t width, int32_t height, ImagePoint a, ImagePoint b);

// The pixels whose centres lie in the ellipse inscribed in that box (its edge counts as inside).
void FillEllipseShape(uint8_t* inside, int32_t width, int32_t height, ImagePoint a, ImagePoint b);

// ---- similar colour ----------------------------------------------------------------------------
// A 24-bit block (rows (width x 3 + 3) & ~3, bottom-up), the working copy.
struct PixelPlane {
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;
};
PixelPlane PlaneOf24Bit(const uint8_t* pixels, int32_t width, int32_t height);

// Pixels similar to the one at `at`: (b - b0)^2 + (g - g0)^2 + (r - r0)^2 <= 3 x range^2, range
// clamped to 0-255. `connected`: only those joined to `at` through similar pixels (four
// neighbours); otherwise every similar pixel of the image. False, with `inside` untouched, when
// `at` lies outside the image. The global pick runs in `threads` bands of rows.
bool FillSimilarColour(uint8_t* inside, const PixelPlane& image, ImagePoint at, int32_t range, bool connected,
                       int threads = 1);

// ---- the value box and the check box -----------------------------------------------------------
struct ValueBoxRule {
    bool enabled = false;
    uint32_t label = 0; // language-module text; 0 when disabled
    int32_t minimum = 0;
    int32_t maximum = 0;
};
// The brush edits AreSize (3-128) under text 20051, similar colour AreRange (0-255) under 20052;
// the other shapes have no value.
ValueBoxRule ValueBoxFor(int32_t shape);
// AreUnit only means something for similar colour.
inline bool UnitBoxApplies(int32_t shape) {
    return shape == kShapeSimilarColour;
}

// ---- applying ----------------------------------------------------------------------------------
// The history label Apply returns: the tool's command when it has a mask of its own; 0 keeps the
// mask that was current before (the same as Cancel).
int32_t SelectionApplyLabel(bool ownMask);

// A mask cannot weigh the palette of an 8-bit image, so taking a mask makes an 8-bit image 24-bit:
// its palette expansion (the tool's working copy) becomes the image, described as a BMP. A 24-bit
// image is left alone. False, with the image unchanged, when the copy cannot be made.
bool MakeImageMaskable(ImageBuffer* image);

// Whether a committed edit keeps the selection mask: every edit but the geometry tools and the
// immediate turns and flips, which move pixels to other places.
bool CommitKeepsMask(int32_t command);

} // namespace qv
