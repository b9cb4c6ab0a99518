#include "viewer/rebar_rules.h"

#include <algorithm>

#include "model/command_ids.h"

namespace qv {

namespace {

constexpr uint32_t kKeyEnter = 0x0D;
constexpr uint32_t kKeyEscape = 0x1B;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsToolGroup(int32_t command) {
    return command >= kMenuSelectionAndPainting && command <= kMenuEffects;
}

} // namespace

bool ParseFieldNumber(const wchar_t* text, int32_t minimum, int32_t maximum, bool allowPercent, int32_t* value) {
    if (!text) return false;
    const wchar_t* p = text;
    while (IsBlank(*p))
        ++p;
    int64_t n = 0;
    int digits = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p, ++digits)
        n = std::min<int64_t>(n * 10 + (*p - L'0'), INT32_MAX); // saturates: clamped below anyway
    if (digits == 0) return false;
    while (IsBlank(*p))
        ++p;
    if (allowPercent && *p == L'%') {
        ++p;
        while (IsBlank(*p))
            ++p;
    }
    if (*p != 0) return false;
    *value = static_cast<int32_t>(std::clamp<int64_t>(n, minimum, maximum));
    return true;
}

bool ParseZoomPercentText(const wchar_t* text, double* zoom) {
    int32_t percent = 0;
    if (!ParseFieldNumber(text, kZoomFieldMinPercent, kZoomFieldMaxPercent, true, &percent)) return false;
    *zoom = percent / 100.0;
    return true;
}

int32_t RebarRowsFromSetting(int32_t stored) {
    return stored <= 1 ? 1 : 2;
}

int32_t MaximisedBandIndex(int32_t rows) {
    return rows <= 1 ? 1 : 0;
}

SubWindowKeyAction DecideSubWindowKey(uint32_t virtualKey, const SubWindowKeyFacts& f, bool* swallow) {
    *swallow = false;
    if (virtualKey == kKeyEnter) {
        if (f.toolOpen) {
            if (!f.toolTakesEnter) return SubWindowKeyAction::None;
            *swallow = true;
            return SubWindowKeyAction::ApplyTool;
        }
        if (f.numberFieldFocused) {
            *swallow = true; // Enter would otherwise beep in the field
            return SubWindowKeyAction::CommitFieldPreview;
        }
        return SubWindowKeyAction::None;
    }
    if (virtualKey == kKeyEscape) {
        if (f.colourPicking) {
            *swallow = true;
            return SubWindowKeyAction::EndColourPicking;
        }
        if (f.toolOpen) {
            *swallow = true;
            return SubWindowKeyAction::CancelTool;
        }
        if (f.historyOpen) {
            *swallow = true; // the program must not close along with the history window
            return SubWindowKeyAction::CloseHistory;
        }
    }
    return SubWindowKeyAction::None;
}

int32_t ToolGroupToSwitchTo(int32_t open, int32_t hovered, bool hasImage) {
    if (!hasImage || !IsToolGroup(open) || !IsToolGroup(hovered) || hovered == open) return 0;
    return hovered;
}

} // namespace qv
