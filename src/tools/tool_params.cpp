#include "tools/tool_params.h"

#include <algorithm>

#include "settings/settings_file.h"
#include "settings/settings_load.h"

namespace qv {

namespace {

constexpr int32_t kDefaultBrushSize = 24;
int32_t g_brushSize = kDefaultBrushSize;

} // namespace

int32_t ClampToolValue(const ToolControlSpec& spec, int32_t value) {
    switch (spec.kind) {
    case ToolControlKind::Number:
    case ToolControlKind::Combo: return std::clamp(value, spec.lo, spec.hi);
    case ToolControlKind::Check: return value & 1;
    case ToolControlKind::Colour: return static_cast<int32_t>(static_cast<uint32_t>(value) & 0xFFFFFFu);
    }
    return value;
}

void ReadToolValues(std::span<const ToolControlSpec> specs, const SettingsReader& reader, int32_t* values) {
    for (size_t i = 0; i < specs.size(); ++i) {
        const ToolControlSpec& spec = specs[i];
        int32_t value = spec.slot != 0 ? ReadToolSetting(reader, spec.slot) : spec.initial;
        values[i] = ClampToolValue(spec, value);
        if (spec.flags & kControlBrushSize) g_brushSize = values[i];
    }
}

void WriteToolValues(std::span<const ToolControlSpec> specs, const int32_t* values, SettingsWriter& writer) {
    for (size_t i = 0; i < specs.size(); ++i)
        if (specs[i].slot != 0) writer.WriteInt(specs[i].slot, values[i]);
}

int32_t SharedBrushSize() {
    return g_brushSize;
}

void SetSharedBrushSize(int32_t size) {
    g_brushSize = size;
}

} // namespace qv
