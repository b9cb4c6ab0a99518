// The one-time migration of an old text settings file, on arbitrary bytes. A file taken for the
// old form is rewritten as a binary settings file that no longer looks old, its temporary text
// copy is gone, and every integer and text slot holds what the text file said for its key.
// Runs in the test command: 250 (each input costs tens of milliseconds under the sanitizers)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_scratch_file.h"
#include "settings/legacy_ini.h"
#include "settings/settings_file.h"
#include "settings/settings_migration.h"
#include "settings/settings_slots.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = qvfuzz::ScratchName("migration");
    if (!qvfuzz::WriteScratch(path, data, size)) return 0;
    const std::wstring wide = qvfuzz::Wide(path);
    if (!qv::IsLegacySettingsFile(wide)) return 0;
    qv::LegacyIni ini;
    ini.Parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!qv::MigrateLegacySettings(wide)) __builtin_trap();
    if (qv::IsLegacySettingsFile(wide)) __builtin_trap();
    // the copy is the same name with ".txt" for its extension
    if (std::FILE* copy = std::fopen((path.substr(0, path.rfind('.')) + ".txt").c_str(), "rb")) {
        std::fclose(copy);
        __builtin_trap();
    }
    qv::SettingsReader reader;
    if (!reader.Open(wide) || reader.count() != qv::kSettingsSlotCount) __builtin_trap();
    const qv::SlotInfo* table = qv::SlotTable();
    for (uint32_t slot = 0; slot < qv::kSettingsSlotCount; ++slot) {
        const qv::SlotInfo& info = table[slot];
        if (!info.section || info.rule == qv::LoadRule::Accelerators) continue;
        if (info.kind == qv::SlotKind::Int || info.kind == qv::SlotKind::Bool ||
            (info.kind == qv::SlotKind::Color && !info.keyG)) {
            if (reader.ReadInt(slot, 0x5A5A5A5A) != ini.GetInt(info.section, info.key, info.legacyDefault))
                __builtin_trap();
        } else if (info.kind == qv::SlotKind::Text) {
            qv::TextBuffer text;
            reader.ReadText(slot, &text);
            if (text.str() != ini.GetString(info.section, info.key, L"")) __builtin_trap();
        }
    }
    return 0;
}
