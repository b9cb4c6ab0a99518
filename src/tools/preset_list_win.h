// The eight size presets of Resize and the eight side ratios of Trim as their tools keep them: read
// from and written back to their settings slots, listed in the tools' preset lists, and edited in
// the presets dialog (eight width and eight height boxes). Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "tools/size_presets.h"

namespace qv {

// Where a tool keeps its presets: slot `firstWidth + i` holds slot i + 1's width, `firstHeight + i`
// its height.
struct PresetSlots {
    uint16_t firstWidth = 0;
    uint16_t firstHeight = 0;
};

constexpr PresetSlots kResizePresetSlots = {167, 175}; // `RszP1W` ... `RszP8H`
constexpr PresetSlots kTrimRatioSlots = {150, 158};    // `TrmR1W` ... `TrmR8H`

void ReadPresets(const std::wstring& settingsPath, PresetSlots slots, SizePreset presets[kPresetSlots]);
void WritePresets(const std::wstring& settingsPath, PresetSlots slots, const SizePreset presets[kPresetSlots]);

// Entry `slot` (1-8) of a preset list as the language module words it.
std::wstring PresetEntryText(const SizePreset& preset);

// The presets dialog; true when OK stored the typed values (each through ClampPresetValue).
bool EditPresets(HWND owner, SizePreset presets[kPresetSlots]);

} // namespace qv
