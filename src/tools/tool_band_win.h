// The open tool's band in the SubWindow's rebar: one group of controls per ToolControlRow (a
// label with an edit box and an up-down control for numbers, a check box, a list, a colour box)
// and the apply (5900) and cancel (5901) buttons with their tooltips. Number fields switch the
// input method off while they have the focus, show the stored value again when they lose it, and
// follow a horizontal drag on their label. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

struct ToolWindow;

// A control took a value from the user (already clamped to what it can hold).
using BandValueChanged = void (*)(ToolWindow* tool, int control, int32_t value);

// Creates the band, labelled with the tool's command text, showing the tool's values. Change
// notifications are ignored while the controls are being made. False when the rebar or a control
// cannot be made (nothing is left behind).
bool CreateToolBand(ToolWindow* tool, BandValueChanged changed);
// Removes the band and the tooltips.
void DestroyToolBand(ToolWindow* tool);

// Shows the tool's stored value in control `control` (without reporting a change).
void ShowBandValue(ToolWindow* tool, int control);
void EnableBandControl(ToolWindow* tool, int control, bool enabled);
// Makes a list's entries again from the tool's entry texts and shows the stored choice.
void RefillBandCombo(ToolWindow* tool, int control);
// A number field that edits different things at different times: its label (0 keeps it) and the
// range the field and its up-down take from now on.
void SetBandNumberRange(ToolWindow* tool, int control, uint32_t label, int32_t lo, int32_t hi);

} // namespace qv
