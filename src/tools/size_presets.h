// The eight (width, height) presets that Resize offers as sizes and Trim as side ratios: their
// defaults, the rule for typed values and the text of each entry in the tools' preset lists.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

constexpr int kPresetSlots = 8;
constexpr int32_t kPresetValueMax = 99999; // larger typed values become this

// Language-module texts of the preset lists.
enum PresetString : uint32_t {
    kStrResizePresetTitle = 1530, // entry 0 of Resize's list, shown again after a choice
    kStrPresetEditEntry = 20070,  // the last entry: opens the dialog that edits the presets
    kStrPresetWidthPrefix = 20130,
    kStrPresetHeightPrefix = 20131,
};

// A 0 side is not given: a Resize preset with only a width keeps the aspect ratio; a Trim preset
// is a ratio only when both sides are given.
struct SizePreset {
    int32_t width = 0;
    int32_t height = 0;
};

// Slots 1-8 as a fresh settings file has them (`RszP1W` ... `RszP8H`, `TrmR1W` ... `TrmR8H`).
extern const SizePreset kResizePresetDefaults[kPresetSlots];
extern const SizePreset kTrimRatioDefaults[kPresetSlots];

// A value typed into the preset dialog: negative becomes 0 (not given), above 99999 becomes 99999.
int32_t ClampPresetValue(int64_t typed);

// The list text of a preset: the width after `widthPrefix` and a space, then the height after
// `heightPrefix`, each part left out when its side is 0; "-" when neither side is given.
std::wstring PresetListText(const SizePreset& preset, const std::wstring& widthPrefix,
                            const std::wstring& heightPrefix);

} // namespace qv
