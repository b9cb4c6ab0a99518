// quorvel-cli edit `--text "..." [--at X,Y] [--font NAME] [--size N] [--colour RRGGBB]
// [--opacity N] [--shadow X,Y|off]` (Windows only: the glyphs come from the system's font
// service): the text tool's drawing, with its ink's top-left at X,Y (0,0 when not given) and the
// tool's defaults for what is not given (white at 70 percent, 36 points, a black shadow 2,2 down
// and right).
#ifdef _WIN32
#include <string>

#include "edit_op.h"
#include "model/image_buffer.h"
#include "platform/platform.h"
#include "tools/text_glyphs_win.h"
#include "tools/text_kernel.h"
#include "tools/tool_result.h"

namespace qvcli {
namespace {

int BadValue(std::wstring* error, const std::wstring& text) {
    *error = text;
    return kEditBadValue;
}

int Text(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    qv::TextParams p;
    qv::TextFont font;
    font.face = L"Segoe UI";
    long n[2] = {};
    if (const std::wstring* at = ModifierValue(context, L"--at")) {
        if (!ParseIntList(*at, 2, n) || n[0] < INT32_MIN || n[0] > INT32_MAX || n[1] < INT32_MIN || n[1] > INT32_MAX)
            return BadValue(error, L"--at takes X,Y, for example 10,20, not " + *at);
        p.x = static_cast<int32_t>(n[0]), p.y = static_cast<int32_t>(n[1]);
    }
    if (const std::wstring* face = ModifierValue(context, L"--font")) {
        if (face->empty() || face->size() > qv::kTextFaceChars)
            return BadValue(error, L"--font takes a face name of 1-31 characters, not " + *face);
        font.face = *face;
    }
    if (const std::wstring* size = ModifierValue(context, L"--size")) {
        if (!ParseIntList(*size, 1, n) || n[0] < 1 || n[0] > 999)
            return BadValue(error, L"--size takes points 1-999, not " + *size);
        font.size = static_cast<int32_t>(n[0]);
    }
    if (const std::wstring* colour = ModifierValue(context, L"--colour")) {
        if (!ParseColour(*colour, &p.colour))
            return BadValue(error, L"--colour takes RRGGBB in hex, for example FF8000, not " + *colour);
    }
    if (const std::wstring* opacity = ModifierValue(context, L"--opacity")) {
        if (!ParseIntList(*opacity, 1, n) || n[0] < 0 || n[0] > 100)
            return BadValue(error, L"--opacity takes a percentage 0-100, not " + *opacity);
        p.opacity = static_cast<int32_t>(n[0]);
    }
    if (const std::wstring* shadow = ModifierValue(context, L"--shadow")) {
        if (*shadow == L"off") {
            p.shadow = false;
        } else if (ParseIntList(*shadow, 2, n) && n[0] >= -999 && n[0] <= 999 && n[1] >= -999 && n[1] <= 999) {
            p.shadowX = static_cast<int32_t>(n[0]), p.shadowY = static_cast<int32_t>(n[1]);
        } else {
            return BadValue(error, L"--shadow takes X,Y (each -999 to 999) or off, not " + *shadow);
        }
    }
    qv::TextGlyphs glyphs;
    if (!value.empty() && !qv::FetchTextGlyphs(value, font, &glyphs)) {
        *error = L"the font " + font.face + L" or one of the characters' glyphs cannot be had";
        return kEditRefused;
    }
    if (qv::IsNeutralText(glyphs, p)) return kEditOk;
    const int32_t w = image->header.biWidth, h = image->header.biHeight;
    qv::LargeBlock working(qv::MakeWorkingCopy(*image));
    qv::LargeBlock result(working ? qv::AllocPixelBlock(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 24, nullptr)
                                  : nullptr);
    if (!result) {
        *error = L"not enough memory";
        return kEditRefused;
    }
    qv::DrawTextGlyphs(qv::WholeImageJob(working.get(), result.get(), w, h, nullptr), glyphs, p);
    qv::TakeToolResult(image, result.release(), w, h, 24);
    return kEditOk;
}

} // namespace

QV_CLI_EDIT_OP_WITH_OPTIONS("--text", "--at --font --size --colour --opacity --shadow",
                            "--text TEXT [--at X,Y] [--font NAME] [--size N] [--colour RRGGBB] [--opacity N] "
                            "[--shadow X,Y|off]  draw TEXT with its top-left at X,Y",
                            Text);

} // namespace qvcli
#endif
