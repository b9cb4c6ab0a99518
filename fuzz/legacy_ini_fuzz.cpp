// Parses arbitrary bytes as the old text settings file and asks for every key of the slot table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/legacy_ini.h"
#include "settings/settings_slots.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv::LegacyIni ini;
    ini.Parse(std::string(reinterpret_cast<const char*>(data), size));
    const qv::SlotInfo* table = qv::SlotTable();
    uint8_t record[64];
    for (uint32_t i = 0; i < qv::kSettingsSlotCount; ++i) {
        const qv::SlotInfo& info = table[i];
        if (!info.section) continue;
        for (const wchar_t* key : {info.key, info.keyG, info.keyB}) {
            if (!key) continue;
            ini.GetInt(info.section, key, info.legacyDefault);
            ini.GetString(info.section, key, L"", 260);
            ini.GetStruct(info.section, key, record, sizeof record);
        }
    }
    return 0;
}
