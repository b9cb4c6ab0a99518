#include "tools/size_presets.h"

namespace qv {

const SizePreset kResizePresetDefaults[kPresetSlots] = {{1024, 768}, {240, 0}, {0, 120}, {}, {}, {}, {}, {}};
const SizePreset kTrimRatioDefaults[kPresetSlots] = {{1024, 768}, {1, 1}, {}, {}, {}, {}, {}, {}};

int32_t ClampPresetValue(int64_t typed) {
    if (typed < 0) return 0;
    return typed > kPresetValueMax ? kPresetValueMax : static_cast<int32_t>(typed);
}

std::wstring PresetListText(const SizePreset& preset, const std::wstring& widthPrefix,
                            const std::wstring& heightPrefix) {
    if (preset.width == 0 && preset.height == 0) return L"-";
    std::wstring text;
    if (preset.width != 0) text += widthPrefix + std::to_wstring(preset.width) + L" ";
    if (preset.height != 0) text += heightPrefix + std::to_wstring(preset.height);
    return text;
}

} // namespace qv
