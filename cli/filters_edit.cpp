// quorvel-cli `edit` operations of the filters: each runs the tool's kernel over a 24-bit working
// copy (an 8-bit image is expanded through its palette) and the result replaces the image as the
// tool's Apply would. Values come in the order of the tool's controls; the switches of mosaic and
// emboss are optional further values, 0 or 1.
#include <functional>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "platform/platform.h"
#include "tools/edge_smoothing_kernel.h"
#include "tools/emboss_kernel.h"
#include "tools/filter_tables.h"
#include "tools/focus_kernel.h"
#include "tools/jitter_kernel.h"
#include "tools/mosaic_kernel.h"
#include "tools/noise_reduction_kernel.h"
#include "tools/soften_kernel.h"
#include "tools/tool_result.h"
#include "tools/unsharp_kernel.h"

namespace qvcli {
namespace {

using qv::KernelJob;

// The working copy, the result block and the job over them; `run` fills the result. Nothing of
// the image changes unless it succeeds.
int RunFilter(qv::ImageBuffer* image, const EditContext& context, std::wstring* error,
              const std::function<bool(const KernelJob&, const uint8_t* working)>& run) {
    const int32_t w = image->header.biWidth, h = image->header.biHeight;
    if (!qv::FilterSizeOk(w, h)) {
        *error = L"the filters need an image of at least 5 x 5 pixels";
        return kEditRefused;
    }
    qv::LargeBlock working(qv::MakeWorkingCopy(*image));
    qv::LargeBlock result(working ? qv::AllocPixelBlock(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 24, nullptr)
                                  : nullptr);
    if (!result || !run(qv::WholeImageJob(working.get(), result.get(), w, h, context.mask), working.get())) {
        *error = L"not enough memory";
        return kEditRefused;
    }
    qv::TakeToolResult(image, result.release(), w, h, 24);
    return kEditOk;
}

// "A,B" with `required` values and up to `optional` more; false when malformed.
bool ParseValues(const std::wstring& text, int required, int optional, long* values, int* count) {
    for (int n = required; n <= required + optional; ++n)
        if (ParseIntList(text, n, values)) {
            *count = n;
            return true;
        }
    return false;
}

bool InRange(long v, long low, long high) {
    return v >= low && v <= high;
}

int BadValue(std::wstring* error, const wchar_t* text) {
    *error = text;
    return kEditBadValue;
}

int Unsharp(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[2];
    if (!ParseIntList(value, 2, v) || !InRange(v[0], qv::kUnsharpAmountMin, qv::kUnsharpAmountMax) ||
        !InRange(v[1], qv::kUnsharpThresholdMin, qv::kUnsharpThresholdMax))
        return BadValue(error, L"takes AMOUNT,THRESHOLD, each 0-100");
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t* working) {
        qv::UnsharpParams p;
        p.amount = static_cast<int32_t>(v[0]);
        p.threshold = static_cast<int32_t>(v[1]);
        qv::LargeBlock difference(
            reinterpret_cast<uint8_t*>(qv::MakeUnsharpDifference(working, job.width, job.height, context.threads)));
        if (!difference) return false;
        p.difference = reinterpret_cast<const int8_t*>(difference.get());
        qv::RunUnsharp(job, p, context.threads);
        return true;
    });
}

int Soften(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[2];
    if (!ParseIntList(value, 2, v) || !InRange(v[0], qv::kSoftenBox3, qv::kSoftenGaussian) ||
        !InRange(v[1], 0, v[0] == qv::kSoftenGaussian ? qv::kSoftenRadiusMax : qv::kSoftenStrengthMax))
        return BadValue(error, L"takes MODE,VALUE: mode 0 (3 x 3) or 1 (5 x 5) with strength 0-10, "
                               L"mode 2 (Gaussian) with radius 0-20");
    qv::SoftenParams p;
    p.mode = static_cast<int32_t>(v[0]);
    p.strength3 = p.strength5 = p.radius = static_cast<int32_t>(v[1]);
    return RunFilter(image, context, error,
                     [&](const KernelJob& job, const uint8_t*) { return qv::RunSoften(job, p, context.threads); });
}

int Focus(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[1];
    if (!ParseIntList(value, 1, v) || !InRange(v[0], qv::kFocusLevelMin, qv::kFocusLevelMax))
        return BadValue(error, L"takes a level 0-200");
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t* working) {
        qv::FocusParams p;
        p.level = static_cast<int32_t>(v[0]);
        qv::LargeBlock blur(qv::MakeFocusBlur(working, job.width, job.height, context.threads));
        if (!blur) return false;
        p.blur = blur.get();
        qv::RunFocus(job, p, context.threads);
        return true;
    });
}

int Denoise(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[1];
    if (!ParseIntList(value, 1, v) || !InRange(v[0], qv::kNoiseLevelMin, qv::kNoiseLevelMax))
        return BadValue(error, L"takes a level 0-255");
    qv::NoiseReductionParams p;
    p.level = static_cast<int32_t>(v[0]);
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t*) {
        qv::RunNoiseReduction(job, p, context.threads);
        return true;
    });
}

int Mosaic(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[4] = {0, 0, 0, 0};
    int n = 0;
    if (!ParseValues(value, 2, 2, v, &n) || !InRange(v[0], qv::kMosaicBlockMin, qv::kMosaicBlockMax) ||
        !InRange(v[1], qv::kMosaicBlockMin, qv::kMosaicBlockMax) || !InRange(v[2], 0, 1) || !InRange(v[3], 0, 1))
        return BadValue(error, L"takes W,H[,SHIFT[,TILE]]: blocks 2-100 pixels, shifted rows and tiles 0 or 1");
    qv::MosaicParams p;
    p.blockWidth = static_cast<int32_t>(v[0]);
    p.blockHeight = static_cast<int32_t>(v[1]);
    p.sync = false; // both sizes are given
    p.shift = v[2] != 0;
    p.tile = v[3] != 0;
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t*) {
        qv::RunMosaic(job, p, context.threads);
        return true;
    });
}

int Jitter(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[3] = {0, 0, qv::kJitterDefaultSeed};
    int n = 0;
    if (!ParseValues(value, 2, 1, v, &n) || !InRange(v[0], qv::kJitterLevelMin, qv::kJitterLevelMax) ||
        !InRange(v[1], qv::kJitterRangeMin, qv::kJitterRangeMax) || v[2] < 0)
        return BadValue(error, L"takes STRENGTH,RANGE[,SEED]: each 1-100, the seed a number from 0");
    qv::JitterParams p;
    p.level = static_cast<int32_t>(v[0]);
    p.range = static_cast<int32_t>(v[1]);
    p.seed = static_cast<uint32_t>(v[2]);
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t*) {
        qv::RunJitter(job, p, context.threads);
        return true;
    });
}

int Emboss(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long v[3] = {0, 0, 0};
    int n = 0;
    if (!ParseValues(value, 2, 1, v, &n) || !InRange(v[0], qv::kEmbossDirectionMin, qv::kEmbossDirectionMax) ||
        !InRange(v[1], qv::kEmbossLevelMin, qv::kEmbossLevelMax) || !InRange(v[2], 0, 1))
        return BadValue(error, L"takes DIR,LEVEL[,COLOUR]: direction 0-7, level 1-16, colour 0 or 1");
    qv::EmbossParams p;
    p.direction = static_cast<int32_t>(v[0]);
    p.level = static_cast<int32_t>(v[1]);
    p.colour = v[2] != 0;
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t*) {
        qv::RunEmboss(job, p, context.threads);
        return true;
    });
}

int Edges(qv::ImageBuffer* image, const std::wstring&, const EditContext& context, std::wstring* error) {
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t*) {
        qv::ExtractEdges(job, context.threads);
        return true;
    });
}

int SmoothEdges(qv::ImageBuffer* image, const std::wstring&, const EditContext& context, std::wstring* error) {
    return RunFilter(image, context, error, [&](const KernelJob& job, const uint8_t*) {
        return qv::SmoothPreservingEdges(job, context.threads);
    });
}

} // namespace

QV_CLI_EDIT_OP("--unsharp", "--unsharp AMOUNT,THRESHOLD      unsharp mask: amount 0-100, threshold 0-100", true,
               Unsharp);
QV_CLI_EDIT_OP(
    "--soften",
    "--soften MODE,VALUE             0,S 3x3 box / 1,S 5x5 box at strength S 0-10; 2,R Gaussian radius R 0-20", true,
    Soften);
QV_CLI_EDIT_OP("--focus", "--focus N                       blend 0-200 with a radius-20 Gaussian blur", true, Focus);
QV_CLI_EDIT_OP("--denoise", "--denoise N                     noise reduction, level 0-255", true, Denoise);
QV_CLI_EDIT_OP("--mosaic",
               "--mosaic W,H[,SHIFT[,TILE]]     blocks 2-100; SHIFT 1 offsets every second row, TILE 1 draws tiles",
               true, Mosaic);
QV_CLI_EDIT_OP("--jitter",
               "--jitter STRENGTH,RANGE[,SEED]  strength 1-100, range 1-100; SEED (default 1) pins the pattern", true,
               Jitter);
QV_CLI_EDIT_OP("--emboss", "--emboss DIR,LEVEL[,COLOUR]     direction 0-7, level 1-16; COLOUR 1 for the colour form",
               true, Emboss);
QV_CLI_EDIT_OP("--edges", "--edges                         edge extraction", false, Edges);
QV_CLI_EDIT_OP("--smooth-edges", "--smooth-edges                  edge-preserving smoothing", false, SmoothEdges);

} // namespace qvcli
