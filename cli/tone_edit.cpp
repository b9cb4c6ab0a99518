// quorvel-cli `edit` operations of the tone and colour tools: one option per tool, its values in
// the order of the tool's controls. Each prepares the same pass the tool window would and applies
// it as Apply does: 24-bit images through the mask, 8-bit images by their palette.
#include <cwchar>
#include <memory>
#include <new>
#include <vector>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "tools/colour_kernel.h"
#include "tools/hls_kernel.h"
#include "tools/levels_kernel.h"
#include "tools/tone_kernel.h"

namespace qvcli {
namespace {

std::vector<std::wstring> SplitCommas(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(L',', start);
        parts.push_back(text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (comma == std::wstring::npos) return parts;
        start = comma + 1;
    }
}

bool ParseNumber(const std::wstring& text, long* value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    *value = std::wcstol(text.c_str(), &end, 10);
    return *end == 0;
}

bool InRange(const long* values, int count, long lo, long hi) {
    for (int i = 0; i < count; ++i)
        if (values[i] < lo || values[i] > hi) return false;
    return true;
}

int BadValue(std::wstring* error, const wchar_t* text) {
    *error = text;
    return kEditBadValue;
}

int RunPass(qv::ImageBuffer* image, const qv::TonePass& pass, const EditContext& context, std::wstring* error) {
    if (qv::ApplyToneInPlace(image, pass, context.mask, context.threads)) return kEditOk;
    *error = L"not enough memory for the result";
    return kEditRefused;
}

// Some ops carry a distance-weight table of 66 KB: they live on the heap.
template <class Op> std::unique_ptr<Op> NewOp() {
    return std::unique_ptr<Op>(new (std::nothrow) Op);
}

int NoMemory(std::wstring* error) {
    *error = L"not enough memory";
    return kEditRefused;
}

int Levels(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[9];
    qv::LevelsParams params;
    int channels = 0;
    if (ParseIntList(value, 3, v)) {
        channels = 1;
    } else if (ParseIntList(value, 9, v)) {
        channels = 3;
    } else {
        return BadValue(error, L"expects BLACK,WHITE,GAMMA, or nine values for blue, green and red");
    }
    for (int c = 0; c < channels; ++c) {
        const long* p = v + c * 3;
        if (p[0] < 0 || p[0] >= p[1] || p[1] > 255 || p[2] < qv::kGammaMin || p[2] > qv::kGammaMax)
            return BadValue(error, L"black 0..254 below white 1..255, gamma -100..100");
        int32_t channel = channels == 1 ? qv::kLevelsCombined : c;
        params.channel[channel] = {static_cast<int32_t>(p[0]), static_cast<int32_t>(p[1]), static_cast<int32_t>(p[2])};
    }
    params.current = channels == 1 ? qv::kLevelsCombined : qv::kLevelsBlue;
    qv::ChannelLookup lookup;
    qv::BuildLevelsLookup(params, &lookup);
    return RunPass(image, qv::LookupPass(&lookup), context, error);
}

// --gamma, --brightness and --contrast: one linked value or red,green,blue.
int ChannelAdjust(qv::ChannelAdjustMode mode, qv::ImageBuffer* image, const std::wstring& value,
                  const EditContext& context, std::wstring* error) {
    long v[3];
    qv::ChannelAdjustParams params;
    params.mode = mode;
    qv::ValueRange range = qv::ChannelAdjustRange(mode);
    if (ParseIntList(value, 1, v)) {
        v[1] = v[2] = v[0];
    } else if (!ParseIntList(value, 3, v)) {
        return BadValue(error, L"expects one value, or RED,GREEN,BLUE");
    }
    if (!InRange(v, 3, range.min, range.max)) {
        *error = L"each value must lie in " + std::to_wstring(range.min) + L".." + std::to_wstring(range.max);
        return kEditBadValue;
    }
    params.linked = false;
    for (int c = 0; c < 3; ++c)
        qv::SetChannelAdjustValue(&params, c, static_cast<int32_t>(v[c]));
    qv::ChannelLookup lookup;
    int32_t mean = mode == qv::ChannelAdjustMode::kContrast ? qv::MeanLuminance(*image) : 128;
    qv::BuildChannelAdjustLookup(params, mean, &lookup);
    return RunPass(image, qv::LookupPass(&lookup), context, error);
}

int Gamma(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return ChannelAdjust(qv::ChannelAdjustMode::kGamma, image, value, context, error);
}
int Brightness(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return ChannelAdjust(qv::ChannelAdjustMode::kBrightness, image, value, context, error);
}
int Contrast(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return ChannelAdjust(qv::ChannelAdjustMode::kContrast, image, value, context, error);
}

int ShadowsHighlights(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context,
                      std::wstring* error) {
    long v[2];
    if (!ParseIntList(value, 2, v) || !InRange(v, 2, 0, qv::kShadowHighlightMax))
        return BadValue(error, L"expects SHADOW,HIGHLIGHT, each 0..50");
    auto op = NewOp<qv::ShadowHighlightOp>();
    if (!op) return NoMemory(error);
    qv::ShadowHighlightParams params{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])};
    return RunPass(image, qv::PrepareShadowHighlight(params, op.get()), context, error);
}

int ColourBalance(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[3];
    if (!ParseIntList(value, 3, v) || !InRange(v, 3, -qv::kColourBalanceMax, qv::kColourBalanceMax))
        return BadValue(error, L"expects RED,GREEN,BLUE shifts, each -100..100");
    qv::ColourBalanceParams params{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2])};
    auto op = NewOp<qv::LuminanceShiftOp>();
    if (!op) return NoMemory(error);
    return RunPass(image, qv::PrepareColourBalance(params, op.get()), context, error);
}

int Greyscale(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[3];
    if (!ParseIntList(value, 3, v) || !InRange(v, 3, 0, qv::kGreyWeightMax))
        return BadValue(error, L"expects BLUE,GREEN,RED weights in thousandths, each 0..1000");
    qv::GreyscaleParams params{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2])};
    qv::GreyscaleOp op;
    return RunPass(image, qv::PrepareGreyscale(params, &op), context, error);
}

int Hls(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    std::vector<std::wstring> parts = SplitCommas(value);
    long v[3], range = 0;
    qv::HlsParams params;
    bool ok = (parts.size() == 3 || parts.size() == 5);
    for (size_t i = 0; ok && i < 3; ++i)
        ok = ParseNumber(parts[i], &v[i]);
    ok = ok && v[0] >= -qv::kHueShiftMax && v[0] <= qv::kHueShiftMax && InRange(v + 1, 2, -255, 255);
    if (ok && parts.size() == 5) {
        params.limit = true;
        ok = ParseColour(parts[3], &params.reference) && ParseNumber(parts[4], &range) && range >= 0 &&
             range <= qv::kColourRangeMax;
        params.range = static_cast<int32_t>(range);
    }
    if (!ok)
        return BadValue(error, L"expects HUE,SATURATION,LIGHTNESS (-180..180, -255..255, -255..255), optionally "
                               L"followed by RRGGBB,RANGE (0..150) to limit it to colours near RRGGBB");
    params.hue = static_cast<int32_t>(v[0]);
    params.saturation = static_cast<int32_t>(v[1]);
    params.lightness = static_cast<int32_t>(v[2]);
    auto op = NewOp<qv::HlsOp>();
    if (!op) return NoMemory(error);
    return RunPass(image, qv::PrepareHls(params, op.get()), context, error);
}

int ReplaceColour(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    std::vector<std::wstring> parts = SplitCommas(value);
    qv::ReplaceColourParams params;
    long range = 0, level = 0;
    if (parts.size() != 4 || !ParseColour(parts[0], &params.from) || !ParseColour(parts[1], &params.to) ||
        !ParseNumber(parts[2], &range) || !ParseNumber(parts[3], &level) || range < 0 || range > qv::kColourRangeMax ||
        level < 0 || level > qv::kReplaceLevelMax)
        return BadValue(error, L"expects FROM,TO,RANGE,LEVEL: two RRGGBB colours, range 0..150, level 0..255");
    params.range = static_cast<int32_t>(range);
    params.level = static_cast<int32_t>(level);
    auto op = NewOp<qv::ReplaceColourOp>();
    if (!op) return NoMemory(error);
    return RunPass(image, qv::PrepareReplaceColour(params, op.get()), context, error);
}

int ColourFilter(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    std::vector<std::wstring> parts = SplitCommas(value);
    qv::ColourFilterParams params;
    long choice = 0, strength = 0;
    bool ok = parts.size() == 2 && ParseNumber(parts[1], &strength) && strength >= 0 &&
              strength <= qv::kColourFilterStrengthMax;
    if (ok && parts[0].size() == 6) {
        ok = ParseColour(parts[0], &params.colours[0]);
    } else if (ok) {
        ok = ParseNumber(parts[0], &choice) && choice >= 0 && choice < qv::kColourFilterCount;
    }
    if (!ok)
        return BadValue(error, L"expects COLOUR,STRENGTH: one of the filter colours 0..4 or RRGGBB, strength 0..255");
    params.choice = static_cast<int32_t>(choice);
    params.strength = static_cast<int32_t>(strength);
    auto op = NewOp<qv::LuminanceShiftOp>();
    if (!op) return NoMemory(error);
    return RunPass(image, qv::PrepareColourFilter(params, op.get()), context, error);
}

int Posterize(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[3];
    qv::PosterizeParams params;
    if (ParseIntList(value, 1, v)) {
        params.sync = true;
        params.common = static_cast<int32_t>(v[0]);
        v[1] = v[2] = v[0];
    } else if (ParseIntList(value, 3, v)) {
        params.sync = false;
        params.blue = static_cast<int32_t>(v[0]);
        params.green = static_cast<int32_t>(v[1]);
        params.red = static_cast<int32_t>(v[2]);
    } else {
        return BadValue(error, L"expects LEVELS, or BLUE,GREEN,RED levels");
    }
    if (!InRange(v, 3, qv::kPosterizeLevelsMin, qv::kPosterizeLevelsMax))
        return BadValue(error, L"levels must lie in 2..32");
    qv::ChannelLookup lookup;
    qv::BuildPosterizeLookup(params, &lookup);
    return RunPass(image, qv::LookupPass(&lookup), context, error);
}

int Negative(qv::ImageBuffer* image, const std::wstring&, const EditContext& context, std::wstring* error) {
    if (qv::ApplyNegative(image, context.mask, context.threads)) return kEditOk;
    return NoMemory(error);
}

int Equalise(qv::ImageBuffer* image, const std::wstring&, const EditContext& context, std::wstring* error) {
    if (qv::EqualiseLuminance(image, context.mask, context.threads)) return kEditOk;
    return NoMemory(error);
}

} // namespace

QV_CLI_EDIT_OP("--levels", "--levels BLACK,WHITE,GAMMA  (all channels; or nine values: blue, green, red)", true,
               Levels);
QV_CLI_EDIT_OP("--gamma", "--gamma G | R,G,B  (-100..100; > 0 brightens)", true, Gamma);
QV_CLI_EDIT_OP("--brightness", "--brightness V | R,G,B  (-255..255)", true, Brightness);
QV_CLI_EDIT_OP("--contrast", "--contrast V | R,G,B  (-100..100, around the mean luminance)", true, Contrast);
QV_CLI_EDIT_OP("--shadows-highlights", "--shadows-highlights SHADOW,HIGHLIGHT  (0..50 each)", true, ShadowsHighlights);
QV_CLI_EDIT_OP("--colour-balance", "--colour-balance R,G,B  (-100..100 each; the luminance is kept)", true,
               ColourBalance);
QV_CLI_EDIT_OP("--greyscale", "--greyscale B,G,R  (weights in thousandths, 0..1000; 114,587,299 is the usual grey)",
               true, Greyscale);
QV_CLI_EDIT_OP("--hls", "--hls HUE,SAT,LIGHT[,RRGGBB,RANGE]  (-180..180, -255..255, -255..255; range 0..150)", true,
               Hls);
QV_CLI_EDIT_OP("--replace-colour", "--replace-colour FROM,TO,RANGE,LEVEL  (RRGGBB colours, range 0..150, level 0..255)",
               true, ReplaceColour);
QV_CLI_EDIT_OP("--colour-filter", "--colour-filter COLOUR,STRENGTH  (filter 0..4 or RRGGBB, strength 0..255)", true,
               ColourFilter);
QV_CLI_EDIT_OP("--posterize", "--posterize N | B,G,R  (levels per channel, 2..32)", true, Posterize);
QV_CLI_EDIT_OP("--negative", "--negative", false, Negative);
QV_CLI_EDIT_OP("--equalise", "--equalise  (spread the luminance over the whole range)", false, Equalise);

} // namespace qvcli
