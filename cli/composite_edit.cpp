// quorvel-cli edit `--composite FILE@X,Y [--mode NAME] [--opacity N] [--transparent RRGGBB]`: FILE
// decoded as the compositing tool decodes its overlay, laid over the image with its top-left at
// X,Y (pixels from the top-left, either may be negative) in mode normal, multiply, screen or
// overlay (normal when not given), at N percent (100 when not given), and with --transparent the
// overlay's pixels of exactly that colour leaving the image visible.
#include <cwchar>
#include <string>

#include "cli_command.h"
#include "edit_op.h"
#include "image/load_pipeline.h"
#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "platform/platform.h"
#include "tools/compositing_kernel.h"
#include "tools/tool_result.h"

namespace qvcli {
namespace {

int BadValue(std::wstring* error, const std::wstring& text) {
    *error = text;
    return kEditBadValue;
}

bool ParseModifiers(const EditContext& context, qv::CompositeParams* p, std::wstring* error) {
    if (const std::wstring* mode = ModifierValue(context, L"--mode")) {
        std::string name(mode->begin(), mode->end());
        if (!qv::CompositeModeFromName(name.c_str(), &p->mode)) {
            *error = L"--mode takes normal, multiply, screen or overlay, not " + *mode;
            return false;
        }
    }
    if (const std::wstring* opacity = ModifierValue(context, L"--opacity")) {
        long n = 0;
        if (!ParseIntList(*opacity, 1, &n) || n < 0 || n > 100) {
            *error = L"--opacity takes a percentage 0-100, not " + *opacity;
            return false;
        }
        p->opacity = static_cast<int32_t>(n);
    }
    if (const std::wstring* key = ModifierValue(context, L"--transparent")) {
        if (!ParseColour(*key, &p->colour)) {
            *error = L"--transparent takes RRGGBB in hex, for example FFFFFF, not " + *key;
            return false;
        }
        p->transparent = true;
    }
    return true;
}

int Composite(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    // the last @ splits, so a file name may hold one of its own
    const size_t at = value.rfind(L'@');
    long xy[2] = {};
    if (at == std::wstring::npos || at == 0 || !ParseIntList(value.substr(at + 1), 2, xy) || xy[0] < INT32_MIN ||
        xy[0] > INT32_MAX || xy[1] < INT32_MIN || xy[1] > INT32_MAX)
        return BadValue(error, L"takes FILE@X,Y, for example logo.png@10,20, not " + value);
    qv::CompositeParams p;
    p.x = static_cast<int32_t>(xy[0]), p.y = static_cast<int32_t>(xy[1]);
    if (!ParseModifiers(context, &p, error)) return kEditBadValue;

    const std::wstring path = value.substr(0, at);
    qv::ImageBuffer* overlay = qv::AllocImageRecord();
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    if (overlay == nullptr || !qv::DecodeFile(path.c_str(), qv::LoadOptions{}, false, overlay, &info, &status)) {
        *error = path + L": " + Widen(qv::CodecStatusText(overlay == nullptr ? qv::kCodecOutOfMemory : status));
        qv::FreeImageRecord(overlay);
        return kEditRefused;
    }
    const int32_t w = image->header.biWidth, h = image->header.biHeight;
    qv::LargeBlock overlayPixels(qv::MakeWorkingCopy(*overlay));
    const qv::OverlayPixels o{overlay->header.biWidth, overlay->header.biHeight,
                              (static_cast<uint32_t>(overlay->header.biWidth) * 3 + 3) & ~3u, overlayPixels.get()};
    qv::FreeImageRecord(overlay);
    qv::LargeBlock working(overlayPixels ? qv::MakeWorkingCopy(*image) : nullptr);
    qv::LargeBlock result(working ? qv::AllocPixelBlock(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 24, nullptr)
                                  : nullptr);
    if (!result) {
        *error = L"not enough memory";
        return kEditRefused;
    }
    const qv::KernelJob job = qv::WholeImageJob(working.get(), result.get(), w, h, nullptr);
    if (qv::IsNeutralComposite(job, o, p)) return kEditOk;
    qv::CompositeOverlay(job, o, p);
    qv::TakeToolResult(image, result.release(), w, h, 24);
    return kEditOk;
}

} // namespace

QV_CLI_EDIT_OP_WITH_OPTIONS(
    "--composite", "--mode --opacity --transparent",
    "--composite FILE@X,Y [--mode normal|multiply|screen|overlay] [--opacity N] [--transparent RRGGBB]"
    "  lay FILE over the image at X,Y",
    Composite);

} // namespace qvcli
