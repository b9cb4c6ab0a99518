// A tool's parameters as its controls show them and its settings slots keep them: each control of
// a tool is one ToolControlRow, read from its slot when the tool is constructed and written back,
// as a present value, when it is destroyed (applied or cancelled). Portable.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qv {

class SettingsReader;
class SettingsWriter;

enum class ToolControlKind : uint8_t {
    Number, // STATIC label, EDIT and up-down over lo..hi
    Check,  // BUTTON check box: 0 or 1
    Combo,  // COMBOBOX list: entry 0 .. hi, texts `text` .. `text + hi`
    Colour, // STATIC label and a color_box: a packed colour
    Radio,  // BUTTON radio buttons: entry 0 .. hi, texts `text` .. `text + hi`
    Button, // BUTTON push button: a click calls the tool's `changed`; it holds no value
    Stored, // no window: a value the tool keeps in its slot and edits its own way (a dialog)
};

// The brush size the paint and the correction brush share: whichever was constructed last set it
// from its own key.
constexpr uint8_t kControlBrushSize = 1u << 0;
// Made disabled: the tool enables it once it has a value to show (Trim's edges, after the first
// rectangle).
constexpr uint8_t kControlStartsDisabled = 1u << 1;

struct ToolControlRow {
    ToolControlKind kind = ToolControlKind::Number;
    uint32_t text = 0;      // string number of the label, caption or first list entry
    uint16_t slot = 0;      // settings slot (an OwnerTool row); 0: the tool keeps no setting for it
    int32_t lo = 0;         // Number, Stored: range; Combo, Radio: 0 .. the last entry
    int32_t hi = 0;         //
    int32_t initial = 0;    // the value of a control without a slot
    int32_t dragPixels = 0; // Number: pixels of label drag per step; 0 takes the range's rule
    uint8_t flags = 0;
    int32_t dragStep = 0; // Number: value moved per pixel of label drag (several per pixel); 0: dragPixels
    // Number: the field's own text form (an angle in tenths shown with one decimal, a margin
    // that takes a sign); null: a plain integer. `parse` is false for text that is no number.
    std::wstring (*format)(int32_t value) = nullptr;
    bool (*parse)(const std::wstring& text, int32_t* value) = nullptr;
    uint32_t altText = 0; // Number: a second label the tool switches to (the label fits either)
};

constexpr int kMaxToolControls = 12;

// A value as the control can hold it: a number in its range, a check 0 or 1, a list entry, the
// 24 bits of a colour.
int32_t ClampToolValue(const ToolControlRow& row, int32_t value);

// Construction: every control's value, from its slot through the slot's rule (absent slots take
// their default) and then into what the control can show, or its initial value.
void ReadToolValues(std::span<const ToolControlRow> rows, const SettingsReader& reader, int32_t* values);
// Destruction: every slot of the tool written back.
void WriteToolValues(std::span<const ToolControlRow> rows, const int32_t* values, SettingsWriter& writer);

// The shared brush size; the framework sets it whenever a kControlBrushSize control changes.
int32_t SharedBrushSize();
void SetSharedBrushSize(int32_t size);

} // namespace qv
