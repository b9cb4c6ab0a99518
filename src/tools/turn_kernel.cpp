#include "tools/turn_kernel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/platform.h"
#include "tools/tool_result.h"

namespace qv {

namespace {

constexpr int64_t kSaturatedTenths = 1000000000; // far outside the range, still an int32

// The angle in radians, a negative angle first made positive, with the turn's own pi.
double TurnRadians(int32_t tenths) {
    const int32_t positive = tenths < 0 ? tenths + 3600 : tenths;
    return positive / 10.0 * kTurnPi / 180;
}

double Degrees(double radians) {
    return radians * 180 / kTurnPi;
}

struct Background {
    uint8_t bgr[3];
};

Background Unpack(uint32_t colour) {
    return Background{
        {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour)}};
}

// Source position of output pixel (x, y) in 8.8 fixed point: the output centre (half its size,
// integer halving) lands on the source's, taken as its size rounded down to even times 128.
struct TurnMap {
    TurnSteps steps;
    int64_t originX, originY; // position of output pixel (0, 0)

    TurnMap(TurnSteps st, int32_t srcW, int32_t srcH, int32_t outW, int32_t outH) : steps(st) {
        const int64_t cx = outW / 2, cy = outH / 2;
        originX = static_cast<int64_t>(srcW & ~1) * 128 - st.c * cx + st.s * cy;
        originY = static_cast<int64_t>(srcH & ~1) * 128 - st.s * cx - st.c * cy;
    }
    int64_t RowX(int32_t y) const { return originX - static_cast<int64_t>(steps.s) * y; }
    int64_t RowY(int32_t y) const { return originY + static_cast<int64_t>(steps.c) * y; }
};

struct FinalTurnJob {
    const uint8_t* source;
    int32_t width, height;
    uint32_t stride;
    TurnMap map;
    Background background;
};

void FinalTurnBand(const KernelJob& job, const void* params) {
    const FinalTurnJob& t = *static_cast<const FinalTurnJob*>(params);
    const uint8_t* bg = t.background.bgr;
    const uint64_t lastX = static_cast<uint64_t>(t.width) - 1, lastY = static_cast<uint64_t>(t.height) - 1;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        int64_t X = t.map.RowX(y), Y = t.map.RowY(y);
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x = 0; x < job.width; ++x, X += t.map.steps.c, Y += t.map.steps.s, out += 3) {
            const int64_t x0 = X >> 8, y0 = Y >> 8;
            const uint32_t fx = static_cast<uint32_t>(X & 255), fy = static_cast<uint32_t>(Y & 255);
            const uint8_t *p00, *p10, *p01, *p11;
            if (static_cast<uint64_t>(x0) < lastX && static_cast<uint64_t>(y0) < lastY) {
                p00 = t.source + static_cast<size_t>(y0) * t.stride + static_cast<size_t>(x0) * 3;
                p10 = p00 + 3;
                p01 = p00 + t.stride;
                p11 = p01 + 3;
            } else {
                // at the picture's edge: every neighbour outside it is the background colour
                auto at = [&](int64_t px, int64_t py) -> const uint8_t* {
                    if (static_cast<uint64_t>(px) > lastX || static_cast<uint64_t>(py) > lastY) return bg;
                    return t.source + static_cast<size_t>(py) * t.stride + static_cast<size_t>(px) * 3;
                };
                p00 = at(x0, y0), p10 = at(x0 + 1, y0), p01 = at(x0, y0 + 1), p11 = at(x0 + 1, y0 + 1);
            }
            for (int ch = 0; ch < 3; ++ch) {
                const uint32_t top = (256 - fx) * p01[ch] + fx * p11[ch];
                const uint32_t bottom = (256 - fx) * p00[ch] + fx * p10[ch];
                out[ch] = static_cast<uint8_t>((fy * top + (256 - fy) * bottom) >> 16);
            }
        }
    }
}

} // namespace

bool ParseTurnAngle(const std::wstring& text, int32_t* tenths) {
    size_t i = 0, n = text.size();
    while (i < n && text[i] == L' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    int64_t whole = 0;
    int digits = 0;
    for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits)
        whole = std::min<int64_t>(whole * 10 + (text[i] - L'0'), kSaturatedTenths);
    int32_t tenth = 0, hundredth = 0;
    if (i < n && text[i] == L'.') {
        ++i;
        for (int place = 0; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits, ++place) {
            if (place == 0) tenth = text[i] - L'0';
            if (place == 1) hundredth = text[i] - L'0';
        }
    }
    while (i < n && text[i] == L' ')
        ++i;
    if (digits == 0 || i != n) return false;
    int64_t value = std::min<int64_t>(whole * 10 + tenth + (hundredth >= 5 ? 1 : 0), kSaturatedTenths);
    *tenths = static_cast<int32_t>(negative ? -value : value);
    return true;
}

int32_t ClampTurnAngle(int64_t tenths) {
    return static_cast<int32_t>(std::clamp<int64_t>(tenths, kTurnAngleMin, kTurnAngleMax));
}

std::wstring FormatTurnAngle(int32_t tenths) {
    const int32_t magnitude = tenths < 0 ? -tenths : tenths;
    return (tenths < 0 ? L"-" : L"") + std::to_wstring(magnitude / 10) + L"." + std::to_wstring(magnitude % 10);
}

int32_t TurnAngleDrag(int32_t valueAtPress, int32_t dxPixels) {
    return ClampTurnAngle(static_cast<int64_t>(valueAtPress) + static_cast<int64_t>(kTurnAngleDragStep) * dxPixels);
}

bool StraighteningAngle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t currentTenths, bool vertical,
                        int32_t* newTenths) {
    const int64_t dx = static_cast<int64_t>(x1) - x0, dy = static_cast<int64_t>(y1) - y0;
    if (std::llabs(dx) <= kStraightenMinSpan && std::llabs(dy) <= kStraightenMinSpan) return false;
    const double slope = vertical ? Degrees(std::atan2(static_cast<double>(dx), static_cast<double>(y0 - y1)))
                                  : Degrees(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
    double current = currentTenths / 10.0;
    if (current < 0) current += 360;
    double f = current - slope;
    while (f > 180)
        f -= 360;
    while (f <= -180)
        f += 360;
    if (f > 90) f -= 180;
    if (f < -90) f += 180;
    // the field shows one decimal, and what it shows is what gets applied
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.1f", f);
    std::wstring text(shown, shown + std::char_traits<char>::length(shown));
    int32_t tenths = 0;
    if (!ParseTurnAngle(text, &tenths)) return false;
    *newTenths = ClampTurnAngle(tenths);
    return true;
}

int32_t TurnGridLines(int32_t start, int32_t length, int32_t* positions, int32_t capacity) {
    int32_t count = 0;
    for (int64_t at = static_cast<int64_t>(start) + kTurnGridStep; at < static_cast<int64_t>(start) + length;
         at += kTurnGridStep, ++count)
        if (count < capacity) positions[count] = static_cast<int32_t>(at);
    return count;
}

TurnSteps TurnStepsFor(int32_t tenths) {
    const double theta = TurnRadians(tenths);
    return TurnSteps{static_cast<int32_t>(std::sin(theta) * 256), static_cast<int32_t>(std::cos(theta) * 256)};
}

void TurnedSize(int32_t width, int32_t height, int32_t tenths, int64_t* turnedWidth, int64_t* turnedHeight) {
    const double theta = TurnRadians(tenths);
    const double c = std::fabs(std::cos(theta)), s = std::fabs(std::sin(theta));
    *turnedWidth = static_cast<int64_t>(width * c + height * s) + kTurnBorder;
    *turnedHeight = static_cast<int64_t>(width * s + height * c) + kTurnBorder;
}

TurnPreviewParams MakeTurnPreviewParams(int32_t tenths, uint32_t background) {
    return TurnPreviewParams{TurnStepsFor(tenths), background};
}

void TurnPreviewBand(const KernelJob& job, const void* params) {
    const TurnPreviewParams& p = *static_cast<const TurnPreviewParams*>(params);
    const Background bg = Unpack(p.background);
    const TurnMap map(p.steps, job.width, job.height, job.width, job.height);
    const uint64_t w = static_cast<uint64_t>(job.width), h = static_cast<uint64_t>(job.height);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        // the nearest source pixel: half a pixel added before the shift
        int64_t X = map.RowX(y) + 128, Y = map.RowY(y) + 128;
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x = 0; x < job.width; ++x, X += p.steps.c, Y += p.steps.s, out += 3) {
            const int64_t sx = X >> 8, sy = Y >> 8;
            const uint8_t* in = bg.bgr;
            if (static_cast<uint64_t>(sx) < w && static_cast<uint64_t>(sy) < h)
                in = job.source + static_cast<size_t>(sy) * job.stride + static_cast<size_t>(sx) * 3;
            out[0] = in[0], out[1] = in[1], out[2] = in[2];
        }
    }
}

uint8_t* TurnPixelsByAngle(const ImageBuffer& image, int32_t tenths, uint32_t background, int threads,
                           int32_t* turnedWidth, int32_t* turnedHeight) {
    const int32_t w = image.header.biWidth, h = image.header.biHeight;
    if (image.pixels == nullptr || tenths == 0 || ClampTurnAngle(tenths) != tenths) return nullptr;
    int64_t tw = 0, th = 0;
    TurnedSize(w, h, tenths, &tw, &th);
    if (tw > INT32_MAX || th > INT32_MAX) return nullptr;
    LargeBlock expanded;
    const uint8_t* source = PixelsAs24Bit(image, &expanded);
    if (source == nullptr) return nullptr;
    CodecStatus status = kCodecOk;
    uint8_t* target = AllocPixelBlock(static_cast<uint32_t>(tw), static_cast<uint32_t>(th), 24, &status);
    if (target == nullptr) return nullptr;
    const int32_t outW = static_cast<int32_t>(tw), outH = static_cast<int32_t>(th);
    FinalTurnJob turn{source,
                      w,
                      h,
                      ImageStride(static_cast<uint32_t>(w), 24),
                      TurnMap(TurnStepsFor(tenths), w, h, outW, outH),
                      Unpack(background)};
    KernelJob job;
    job.width = outW;
    job.height = outH;
    job.stride = ImageStride(static_cast<uint32_t>(outW), 24);
    job.dest = target;
    job.rowBegin = 0;
    job.rowEnd = outH;
    RunKernelBands(job, FinalTurnBand, &turn, threads);
    *turnedWidth = outW;
    *turnedHeight = outH;
    return target;
}

} // namespace qv
