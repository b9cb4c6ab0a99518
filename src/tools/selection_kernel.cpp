#include "tools/selection_kernel.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "model/command_ids.h"
#include "model/image_buffer.h"
#include "tools/kernel_job.h"
#include "tools/tool_result.h"

namespace qv {

SelectionParams SelectionParamsFromSettings(int32_t mode, int32_t type, int32_t size, int32_t range, int32_t unit,
                                            int32_t smooth) {
    SelectionParams p;
    p.mode = mode >= kSelectNew && mode <= kSelectAllProtected ? mode : kAreModeDefault;
    p.shape = type >= kShapeRectangle && type <= kShapeSimilarColour ? type : kAreTypeDefault;
    p.brushSize = size;
    p.range = range;
    p.connected = (unit & 1) != 0;
    p.smooth = smooth;
    return p;
}

CombineRule CombineRuleFor(int32_t mode, bool maskExists) {
    if (!maskExists)
        return mode == kSelectRemove ? CombineRule{MaskOp::SetProtected, MaskOp::SetEditable}
                                     : CombineRule{MaskOp::SetEditable, MaskOp::SetProtected};
    if (mode == kSelectAdd) return {MaskOp::SetEditable, MaskOp::Keep};
    if (mode == kSelectRemove) return {MaskOp::SetProtected, MaskOp::Keep};
    return {MaskOp::SetEditable, MaskOp::SetProtected};
}

namespace {
// An operation as (v & keep) | set, so one branch-free loop serves every row of the table.
struct OpBits {
    uint8_t keep;
    uint8_t set;
};
OpBits BitsOf(MaskOp op) {
    switch (op) {
    case MaskOp::Keep: return {0xFF, 0};
    case MaskOp::SetEditable: return {0, kMaskEditable};
    case MaskOp::SetProtected: return {0, kMaskProtected};
    }
    return {0xFF, 0};
}
} // namespace

void CombineShape(uint8_t* mask, const uint8_t* inside, size_t count, CombineRule rule) {
    OpBits in = BitsOf(rule.inside), out = BitsOf(rule.outside);
    for (size_t i = 0; i < count; ++i) {
        uint8_t v = mask[i];
        mask[i] = inside[i] != 0 ? static_cast<uint8_t>((v & in.keep) | in.set)
                                 : static_cast<uint8_t>((v & out.keep) | out.set);
    }
}

void ApplyMaskOp(uint8_t* mask, size_t count, MaskOp op) {
    if (op == MaskOp::Keep) return;
    std::memset(mask, op == MaskOp::SetProtected ? kMaskProtected : kMaskEditable, count);
}

void InvertMask(uint8_t* mask, size_t count) {
    for (size_t i = 0; i < count; ++i)
        mask[i] = static_cast<uint8_t>(255 - mask[i]);
}

namespace {
struct PixelBox {
    int32_t left, top, right, bottom; // inclusive, top-down
};

PixelBox BoxOf(ImagePoint a, ImagePoint b) {
    a = HoldFarPoint(a), b = HoldFarPoint(b);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// The inside plane's row for image row y counted from the top (the plane is bottom-up).
uint8_t* InsideRow(uint8_t* inside, int32_t width, int32_t height, int32_t y) {
    return inside + static_cast<size_t>(height - 1 - y) * static_cast<uint32_t>(width);
}

void FillSpan(uint8_t* row, int32_t width, int64_t from, int64_t to) {
    from = std::max<int64_t>(from, 0);
    to = std::min<int64_t>(to, width - 1);
    if (from <= to) std::memset(row + from, 1, static_cast<size_t>(to - from + 1));
}
} // namespace

void FillRectangleShape(uint8_t* inside, int32_t width, int32_t height, ImagePoint a, ImagePoint b) {
    std::memset(inside, 0, static_cast<size_t>(width) * static_cast<uint32_t>(height));
    PixelBox box = BoxOf(a, b);
    for (int32_t y = std::max(box.top, 0); y <= std::min(box.bottom, height - 1); ++y)
        FillSpan(InsideRow(inside, width, height, y), width, box.left, box.right);
}

void FillEllipseShape(uint8_t* inside, int32_t width, int32_t height, ImagePoint a, ImagePoint b) {
    std::memset(inside, 0, static_cast<size_t>(width) * static_cast<uint32_t>(height));
    PixelBox box = BoxOf(a, b);
    // In half-pixel units the box spans [2 left, 2 right + 2], so its axes are A = right - left + 1
    // across and B down, and a pixel centre sits at an odd offset X from the doubled centre. The
    // centre is inside when X^2 B^2 + Y^2 A^2 <= A^2 B^2; 128-bit products keep any box exact.
    int64_t axisA = int64_t{box.right} - box.left + 1, axisB = int64_t{box.bottom} - box.top + 1;
    int64_t centreX2 = int64_t{box.left} + box.right + 1, centreY2 = int64_t{box.top} + box.bottom + 1;
    __int128 a2 = static_cast<__int128>(axisA) * axisA, b2 = static_cast<__int128>(axisB) * axisB;
    for (int32_t y = std::max(box.top, 0); y <= std::min(box.bottom, height - 1); ++y) {
        int64_t dy = 2 * int64_t{y} + 1 - centreY2;
        __int128 room = a2 * b2 - static_cast<__int128>(dy) * dy * a2; // what X^2 B^2 may use
        if (room < 0) continue;
        // the largest L with L^2 B^2 <= room; pixel x has X = 2x + 1 - centreX2 and is in when |X| <= L
        int64_t lo = 0, hi = axisA;
        while (lo < hi) {
            int64_t mid = (lo + hi + 1) / 2;
            if (static_cast<__int128>(mid) * mid * b2 <= room)
                lo = mid;
            else
                hi = mid - 1;
        }
        int64_t first = (centreX2 - 1 - lo + 1) >> 1; // ceiling of half (>> floors negatives too)
        int64_t last = (centreX2 - 1 + lo) >> 1;
        FillSpan(InsideRow(inside, width, height, y), width, first, last);
    }
}

PixelPlane PlaneOf24Bit(const uint8_t* pixels, int32_t width, int32_t height) {
    return {pixels, width, height, (static_cast<uint32_t>(width) * 3 + 3) & ~3u};
}

namespace {
// Q[d + 255] = d^2 for d = -255 .. 255.
struct SquareTable {
    int32_t q[511];
    SquareTable() {
        for (int32_t d = -255; d <= 255; ++d)
            q[d + 255] = d * d;
    }
};
const SquareTable& Squares() {
    static const SquareTable table;
    return table;
}

struct SimilarTest {
    const int32_t* qb; // Q shifted so that qb[b] = (b - b0)^2
    const int32_t* qg;
    const int32_t* qr;
    int32_t limit;
    bool operator()(const uint8_t* p) const { return qb[p[0]] + qg[p[1]] + qr[p[2]] <= limit; }
};

SimilarTest MakeSimilarTest(const uint8_t* picked, int32_t range) {
    range = std::clamp(range, kAreRangeMin, kAreRangeMax);
    const int32_t* q = Squares().q + 255;
    return {q - picked[0], q - picked[1], q - picked[2], 3 * range * range};
}

struct GlobalPick {
    PixelPlane image;
    uint8_t* inside;
    SimilarTest test;
};

void GlobalPickBand(const KernelJob& job, const void* params) {
    const GlobalPick& g = *static_cast<const GlobalPick*>(params);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* p = g.image.pixels + static_cast<size_t>(y) * g.image.stride;
        uint8_t* out = g.inside + static_cast<size_t>(y) * static_cast<uint32_t>(g.image.width);
        for (int32_t x = 0; x < g.image.width; ++x, p += 3)
            out[x] = g.test(p) ? 1 : 0;
    }
}

// Four-neighbour scan-line fill from `seed` over similar pixels; `inside` starts all 0 and ends
// 1 on the area. Each popped seed grows to its whole run, then queues the runs above and below.
void FillConnectedSimilar(uint8_t* inside, const PixelPlane& image, int32_t seedX, int32_t seedRow,
                          const SimilarTest& test) {
    const uint32_t w = static_cast<uint32_t>(image.width);
    auto fillable = [&](int32_t x, int32_t row) {
        return inside[static_cast<size_t>(row) * w + static_cast<uint32_t>(x)] == 0 &&
               test(image.pixels + static_cast<size_t>(row) * image.stride + static_cast<uint32_t>(x) * 3);
    };
    std::vector<ImagePoint> stack;
    stack.push_back({seedX, seedRow});
    while (!stack.empty()) {
        ImagePoint s = stack.back();
        stack.pop_back();
        if (!fillable(s.x, s.y)) continue;
        int32_t left = s.x, right = s.x;
        while (left > 0 && fillable(left - 1, s.y))
            --left;
        while (right + 1 < image.width && fillable(right + 1, s.y))
            ++right;
        std::memset(inside + static_cast<size_t>(s.y) * w + static_cast<uint32_t>(left), 1,
                    static_cast<size_t>(right - left + 1));
        for (int32_t row : {s.y - 1, s.y + 1}) {
            if (row < 0 || row >= image.height) continue;
            bool inRun = false;
            for (int32_t x = left; x <= right; ++x) {
                bool f = fillable(x, row);
                if (f && !inRun) stack.push_back({x, row});
                inRun = f;
            }
        }
    }
}
} // namespace

bool FillSimilarColour(uint8_t* inside, const PixelPlane& image, ImagePoint at, int32_t range, bool connected,
                       int threads) {
    if (at.x < 0 || at.y < 0 || at.x >= image.width || at.y >= image.height) return false;
    int32_t row = image.height - 1 - at.y; // memory rows are bottom-up
    SimilarTest test = MakeSimilarTest(
        image.pixels + static_cast<size_t>(row) * image.stride + static_cast<uint32_t>(at.x) * 3, range);
    if (connected) {
        std::memset(inside, 0, static_cast<size_t>(image.width) * static_cast<uint32_t>(image.height));
        FillConnectedSimilar(inside, image, at.x, row, test);
        return true;
    }
    GlobalPick pick{image, inside, test};
    KernelJob rows;
    rows.width = image.width;
    rows.height = image.height;
    rows.rowBegin = 0;
    rows.rowEnd = image.height;
    RunKernelBands(rows, GlobalPickBand, &pick, threads);
    return true;
}

ValueBoxRule ValueBoxFor(int32_t shape) {
    if (shape == kShapeBrush) return {true, kStrValueBoxBrushSize, kAreSizeMin, kAreSizeMax};
    if (shape == kShapeSimilarColour) return {true, kStrValueBoxColourRange, kAreRangeMin, kAreRangeMax};
    return {};
}

int32_t SelectionApplyLabel(bool ownMask) {
    return ownMask ? kCmdAreaSelection : 0;
}

bool MakeImageMaskable(ImageBuffer* image) {
    if (image->header.biBitCount != 8) return true;
    uint8_t* copy = MakeWorkingCopy(*image);
    if (copy == nullptr) return false;
    TakeToolResult(image, copy, image->header.biWidth, image->header.biHeight, 24);
    return true;
}

bool CommitKeepsMask(int32_t command) {
    switch (command) {
    case kCmdTrim:
    case kCmdResize:
    case kCmdMargins:
    case kCmdTurnByAngle:
    case kCmdTurnRight:
    case kCmdTurn180:
    case kCmdTurnLeft:
    case kCmdMirror:
    case kCmdFlip: return false;
    default: return true;
    }
}

} // namespace qv
