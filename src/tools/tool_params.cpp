#include "tools/tool_params.h"

#include <algorithm>

#include "settings/settings_file.h"
#include "settings/settings_load.h"

namespace qv {

namespace {

constexpr int32_t kDefaultBrushSize = 24;
int32_t g_brushSize = kDefaultBrushSize;

} // namespace

int32_t ClampToolValue(const ToolControlRow& row, int32_t value) {
    switch (row.kind) {
    case ToolControlKind::Number:
    case ToolControlKind::Combo:
    case ToolControlKind::Radio:
    case ToolControlKind::Stored: return std::clamp(value, row.lo, row.hi);
    case ToolControlKind::Button: return 0;
    case ToolControlKind::Check: return value & 1;
    case ToolControlKind::Colour: return static_cast<int32_t>(static_cast<uint32_t>(value) & 0xFFFFFFu);
    }
    return value;
}

void ReadToolValues(std::span<const ToolControlRow> rows, const SettingsReader& reader, int32_t* values) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const ToolControlRow& row = rows[i];
        int32_t value = row.slot != 0 ? ReadToolSetting(reader, row.slot) : row.initial;
        values[i] = ClampToolValue(row, value);
        if (row.flags & kControlBrushSize) g_brushSize = values[i];
    }
}

void WriteToolValues(std::span<const ToolControlRow> rows, const int32_t* values, SettingsWriter& writer) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].slot != 0) writer.WriteInt(rows[i].slot, values[i]);
}

int32_t SharedBrushSize() {
    return g_brushSize;
}

void SetSharedBrushSize(int32_t size) {
    g_brushSize = size;
}

} // namespace qv
