// The rules behind the SubWindow's rebar that do not need a window: reading the numbers typed into
// its fields, how many rows it starts with, and what a key in the SubWindow does.
#pragma once

#include <cstdint>

namespace qv {

constexpr int32_t kZoomFieldMinPercent = 1;
constexpr int32_t kZoomFieldMaxPercent = 1600;

// A whole number typed into a field: blanks around it allowed, a sign when `minimum` is negative,
// and a trailing "%" when `allowPercent`. The value is clamped into [minimum, maximum]. False when no digits were typed
// or anything else is in the text; `value` is left alone then.
bool ParseFieldNumber(const wchar_t* text, int32_t minimum, int32_t maximum, bool allowPercent, int32_t* value);
// The zoom field: a percentage in 1-1600 becomes the zoom factor (2.0 for "200").
bool ParseZoomPercentText(const wchar_t* text, double* zoom);

// RebarRow as the rebar starts with it: one row for 1 (or less), otherwise two.
int32_t RebarRowsFromSetting(int32_t stored);
// The band (0-based) that is maximised: band 2 on one row, band 1 on two rows.
int32_t MaximisedBandIndex(int32_t rows);

// What the SubWindow's keyboard hook sees about the program when a key goes down.
struct SubWindowKeyFacts {
    bool toolOpen = false;
    bool toolTakesEnter = true; // false while the tool captures the mouse or refuses Enter
    bool colourPicking = false;
    bool numberFieldFocused = false; // one of the save-options bar's number fields
    bool historyOpen = false;
};

enum class SubWindowKeyAction {
    None,               // the key goes on as usual
    ApplyTool,          // 5900
    CancelTool,         // 5901
    EndColourPicking,   //
    CommitFieldPreview, // commit the focused number field, then 5810
    CloseHistory,       // close the history window
};

// Enter and Esc in the SubWindow; `swallow` says whether the key is kept from the window.
SubWindowKeyAction DecideSubWindowKey(uint32_t virtualKey, const SubWindowKeyFacts& facts, bool* swallow);

// Menu-bar behaviour of the tool-group buttons: the group whose menu should open when the pointer
// moves onto `hovered` (a command number, 0 for none) while the menu of `open` is shown; 0 when
// the open menu stays.
int32_t ToolGroupToSwitchTo(int32_t open, int32_t hovered, bool hasImage);

} // namespace qv
