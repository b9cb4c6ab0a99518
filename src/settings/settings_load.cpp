// Start-up load and the record part of the shutdown save, both driven by the slot table.
#include "settings/settings_load.h"

#include "settings/settings_file.h"
#include "settings/settings_slots.h"

namespace qv {

namespace {

bool OwnedByRecord(const SlotInfo& info) {
    const FieldRef& f = info.field;
    return f.integer || f.flag || f.color || f.text || f.textArray;
}

std::wstring* TextField(Settings* settings, const FieldRef& f) {
    if (f.text) return &(settings->*f.text);
    if (f.textArray) return &(settings->*f.textArray)[f.index];
    return nullptr;
}

const std::wstring* TextField(const Settings& settings, const FieldRef& f) {
    if (f.text) return &(settings.*f.text);
    if (f.textArray) return &(settings.*f.textArray)[f.index];
    return nullptr;
}

} // namespace

void LoadSettings(SettingsReader& reader, const std::wstring& documentsFolder, Settings* settings) {
    for (uint32_t slot = 0; slot < kSettingsSlotCount; ++slot) {
        const SlotInfo& info = SlotInfoOf(slot);
        const FieldRef& f = info.field;
        if (info.rule == LoadRule::Accelerators) {
            std::string blob = reader.ReadBlobBytes(slot);
            // Longer than the table can hold: the defaults apply.
            settings->SaveKey = blob.size() <= kMaxAcceleratorBlobBytes ? blob : std::string();
            continue;
        }
        if (info.rule == LoadRule::NameList) {
            settings->PluginNames = reader.ReadNameList(slot);
            continue;
        }
        if (!OwnedByRecord(info)) continue;
        if (std::wstring* text = TextField(settings, f)) {
            TextBuffer buffer;
            reader.ReadText(slot, &buffer);
            *text = buffer.str();
            if (info.rule == LoadRule::DocumentsFolder && (text->empty() || !IsDirectory(text->c_str())))
                *text = documentsFolder;
            continue;
        }
        int32_t value = ApplyLoadRule(info, reader.ReadInt(slot, info.legacyDefault));
        if (f.integer) settings->*f.integer = value;
        if (f.flag) settings->*f.flag = value != 0;
        if (f.color) settings->*f.color = static_cast<uint32_t>(value) & 0xFFFFFF;
    }
}

void SaveSettings(SettingsWriter& writer, const Settings& settings) {
    for (uint32_t slot = 0; slot < kSettingsSlotCount; ++slot) {
        // Dual and Start belong to the options dialog, 49-52 and 61-66 to the windows' placements.
        if (slot == kSlotDual || slot == kSlotStart) continue;
        if (slot >= kSlotVwinX && slot < kSlotVwinX + 4) continue;
        if (slot >= kSlotSwinMax && slot <= kSlotRebarRow) continue;
        const SlotInfo& info = SlotInfoOf(slot);
        if (info.rule == LoadRule::NameList) {
            writer.WriteNameList(slot, settings.PluginNames, settings.SPI);
            continue;
        }
        if (!OwnedByRecord(info)) continue;
        const FieldRef& f = info.field;
        if (const std::wstring* text = TextField(settings, f)) {
            writer.WriteText(slot, *text);
        } else if (f.integer) {
            writer.WriteInt(slot, settings.*f.integer);
        } else if (f.flag) {
            writer.WriteInt(slot, settings.*f.flag ? 1 : 0);
        } else if (f.color) {
            writer.WriteInt(slot, static_cast<int32_t>(settings.*f.color));
        }
    }
}

} // namespace qv
