// quorvel-cli `edit` operations of the paint and correction brushes: one stroke along a list of
// points, as the mouse would draw it, and the fill. The stroke works as in the program: the image
// before the operation is the source, so a stroke going over itself stays within one application.
// An 8-bit image becomes 24-bit; the run's mask holds.
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "platform/platform.h"
#include "tools/brush_kernel.h"
#include "tools/tool_result.h"

namespace qvcli {
namespace {

const wchar_t* const kModeNames[qv::kCorrectionModes] = {L"lighten", L"darken", L"saturate", L"desaturate",
                                                         L"sharpen", L"soften", L"denoise",  L"redeye"};
// The value a mode takes when the option gives none: the tool's own defaults.
const int32_t kModeDefaults[qv::kCorrectionModes] = {20, 20, 50, 50, 100, 100, 1, 1};

int BadValue(std::wstring* error, const wchar_t* text) {
    *error = text;
    return kEditBadValue;
}

bool ParseMode(const std::wstring& text, int32_t* mode) {
    for (int32_t m = 0; m < qv::kCorrectionModes; ++m)
        if (text == kModeNames[m]) {
            *mode = m;
            return true;
        }
    return false;
}

// "X,Y;X,Y;..." into points (at least one).
bool ParsePoints(const std::wstring& text, std::vector<qv::ImagePoint>* points) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos) end = text.size();
        long v[2];
        if (!ParseIntList(text.substr(start, end - start), 2, v) || v[0] < INT32_MIN || v[0] > INT32_MAX ||
            v[1] < INT32_MIN || v[1] > INT32_MAX)
            return false;
        points->push_back({static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])});
        start = end + 1;
    }
    return !points->empty();
}

// Splits "SETTINGS@POINTS"; without '@' the whole text is the settings.
void SplitAt(const std::wstring& value, std::wstring* settings, std::wstring* points) {
    size_t at = value.find(L'@');
    *settings = value.substr(0, at);
    *points = at == std::wstring::npos ? std::wstring() : value.substr(at + 1);
}

// The stroke along `points` (or the fill when there are none) onto a copy of the image.
int RunBrush(qv::ImageBuffer* image, const EditContext& context, const qv::BrushTarget& target, int32_t diameter,
             const std::vector<qv::ImagePoint>& points, std::wstring* error) {
    const int32_t w = image->header.biWidth, h = image->header.biHeight;
    qv::LargeBlock working(qv::MakeWorkingCopy(*image));
    qv::LargeBlock result(working ? qv::MakeWorkingCopy(*image) : nullptr);
    if (!result) {
        *error = L"not enough memory";
        return kEditRefused;
    }
    qv::BrushCanvas canvas = qv::MakeBrushCanvas(working.get(), result.get(), w, h, context.mask);
    if (points.empty()) {
        qv::FillWithBrushTarget(canvas, target);
    } else {
        qv::BrushStroke stroke;
        stroke.diameter = diameter;
        qv::BeginBrushStroke(canvas, target, &stroke, points[0]);
        for (size_t i = 1; i < points.size(); ++i)
            qv::ExtendBrushStroke(canvas, target, &stroke, points[i]);
    }
    qv::TakeToolResult(image, result.release(), w, h, 24);
    return kEditOk;
}

bool InRange(long v, long lo, long hi) {
    return v >= lo && v <= hi;
}

int Paint(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error,
          bool fill) {
    std::wstring settings, pointText;
    SplitAt(value, &settings, &pointText);
    size_t comma = settings.find(L',');
    uint32_t colour = 0;
    long v[2] = {};
    std::vector<qv::ImagePoint> points;
    bool ok = comma != std::wstring::npos && ParseColour(settings.substr(0, comma), &colour);
    if (fill)
        ok = ok && pointText.empty() && value.find(L'@') == std::wstring::npos &&
             ParseIntList(settings.substr(comma + 1), 1, v + 1) && InRange(v[1], 0, qv::kBrushOpacityMax);
    else
        ok = ok && ParseIntList(settings.substr(comma + 1), 2, v) &&
             InRange(v[0], qv::kBrushSizeMin, qv::kBrushSizeMax) && InRange(v[1], 0, qv::kBrushOpacityMax) &&
             ParsePoints(pointText, &points);
    if (!ok)
        return BadValue(error, fill ? L"takes RRGGBB,OPACITY (0-100)"
                                    : L"takes RRGGBB,DIAMETER,OPACITY@X,Y;X,Y;... (diameter 3-128, opacity "
                                      L"0-100, points from the top-left)");
    qv::BrushTarget target;
    qv::PreparePaintTarget(colour, static_cast<int32_t>(v[1]), &target);
    return RunBrush(image, context, target, static_cast<int32_t>(v[0]), points, error);
}

int Correct(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error,
            bool fill) {
    std::wstring settings, pointText;
    SplitAt(value, &settings, &pointText);
    size_t comma = settings.find(L',');
    int32_t mode = 0;
    std::wstring numbers = comma == std::wstring::npos ? std::wstring() : settings.substr(comma + 1);
    bool ok = ParseMode(settings.substr(0, comma), &mode);
    long v[2] = {0, kModeDefaults[mode]};
    std::vector<qv::ImagePoint> points;
    if (ok && fill) {
        ok = value.find(L'@') == std::wstring::npos &&
             (numbers.empty() ? comma == std::wstring::npos : ParseIntList(numbers, 1, v + 1));
    } else if (ok) {
        ok = (ParseIntList(numbers, 2, v) || ParseIntList(numbers, 1, v)) &&
             InRange(v[0], qv::kBrushSizeMin, qv::kBrushSizeMax) && ParsePoints(pointText, &points);
    }
    ok = ok && InRange(v[1], qv::kCorrectionValueMin, qv::kCorrectionValueMax);
    if (!ok)
        return BadValue(error, fill ? L"takes MODE[,VALUE] (value 1-100)"
                                    : L"takes MODE,DIAMETER[,VALUE]@X,Y;X,Y;... (diameter 3-128, value 1-100)");
    qv::BrushTarget target;
    qv::PrepareCorrectionTarget(mode, static_cast<int32_t>(v[1]), &target);
    return RunBrush(image, context, target, static_cast<int32_t>(v[0]), points, error);
}

int PaintStroke(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return Paint(image, value, context, error, false);
}
int PaintFill(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return Paint(image, value, context, error, true);
}
int CorrectStroke(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return Correct(image, value, context, error, false);
}
int CorrectFill(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return Correct(image, value, context, error, true);
}

} // namespace

// paint and correction brushes
QV_CLI_EDIT_OP("--paint",
               "--paint RRGGBB,D,OPACITY@X,Y;X,Y;...  a stroke of diameter D 3-128 at opacity 0-100 through the "
               "points (from the top-left)",
               true, PaintStroke);
QV_CLI_EDIT_OP("--paint-fill", "--paint-fill RRGGBB,OPACITY     the paint brush's colour over the whole image", true,
               PaintFill);
QV_CLI_EDIT_OP("--correct",
               "--correct MODE,D[,VALUE]@X,Y;...  a correction stroke; MODE lighten, darken, saturate, desaturate, "
               "sharpen, soften (VALUE 1-100), denoise, redeye",
               true, CorrectStroke);
QV_CLI_EDIT_OP("--correct-fill", "--correct-fill MODE[,VALUE]     a correction over the whole image", true,
               CorrectFill);

} // namespace qvcli
