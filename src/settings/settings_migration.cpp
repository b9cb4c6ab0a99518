#include "settings/settings_migration.h"

#include <algorithm>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "settings/accelerator_blob.h"
#include "settings/legacy_ini.h"
#include "settings/settings_file.h"
#include "settings/settings_slots.h"

namespace qv {

namespace {

constexpr uint32_t kLegacyAccelRecordBytes = 12;
constexpr int32_t kLegacyAccelCountDefault = 112;
constexpr int32_t kLegacyAccelMaxRecords = 120;

std::wstring TextCopyPath(const std::wstring& path) {
    return path.substr(0, path.size() - ExtensionOf(path).size()) + L".txt";
}

void MigrateAccelerators(const LegacyIni& ini, SettingsWriter& writer) {
    std::vector<AccelEntry> table = DefaultAcceleratorEntries();
    int32_t num = ini.GetInt(L"Akey", L"Num", kLegacyAccelCountDefault);
    uint32_t records = static_cast<uint32_t>(std::clamp(num, 0, kLegacyAccelMaxRecords));
    std::vector<uint8_t> raw(records * kLegacyAccelRecordBytes);
    if (records && ini.GetStruct(L"Akey", L"SaveKey", raw.data(), raw.size())) {
        for (uint32_t r = 0; r < records; ++r) {
            const uint8_t* p = raw.data() + r * kLegacyAccelRecordBytes;
            uint32_t command = p[8] | (p[9] << 8) | (p[10] << 16) | (static_cast<uint32_t>(p[11]) << 24);
            for (AccelEntry& e : table) {
                if (e.command != command) continue;
                e.flags = p[0];
                e.key = static_cast<uint16_t>(p[4] | (p[5] << 8));
            }
        }
    }
    std::string blob = EncodeAccelerators(table);
    writer.WriteBlob(kSlotSaveKey, blob.data(), static_cast<uint32_t>(blob.size()));
}

// A writer that failed may have left half a binary file: the old text goes back in its place, so
// that the next start migrates again. The copy is kept when even that fails, as the one place the
// user's settings still are.
bool RestoreLegacyText(const std::wstring& copy, const std::wstring& path) {
    if (CopyFilePath(copy.c_str(), path.c_str())) DeleteFilePath(copy.c_str());
    return false;
}

} // namespace

bool IsLegacySettingsFile(const std::wstring& path) {
    RandomAccessFile file;
    uint8_t head[4];
    uint32_t got = 0;
    return file.OpenReadShared(path.c_str()) && file.ReadAt(0, head, 4, &got) && got == 4 && head[3] != 0;
}

bool MigrateLegacySettings(const std::wstring& path) {
    std::wstring copy = TextCopyPath(path);
    if (!CopyFilePath(path.c_str(), copy.c_str())) return false;
    LegacyIni ini;
    if (!ini.Load(copy)) {
        DeleteFilePath(copy.c_str());
        return false;
    }
    SettingsWriter writer;
    if (!writer.Open(path, /*fresh=*/true)) return RestoreLegacyText(copy, path);
    for (uint32_t slot = 0; slot < kSettingsSlotCount; ++slot) {
        const SlotInfo& info = SlotInfoOf(slot);
        if (!info.section) continue;
        if (info.rule == LoadRule::Accelerators) {
            MigrateAccelerators(ini, writer);
        } else if (info.kind == SlotKind::Text) {
            std::wstring text = ini.GetString(info.section, info.key, L"");
            if (!text.empty()) writer.WriteText(slot, text);
        } else if (info.kind == SlotKind::Color && info.keyG) {
            uint32_t def = static_cast<uint32_t>(info.legacyDefault);
            uint32_t red = static_cast<uint32_t>(ini.GetInt(info.section, info.key, def & 0xFF));
            uint32_t green = static_cast<uint32_t>(ini.GetInt(info.section, info.keyG, (def >> 8) & 0xFF));
            uint32_t blue = static_cast<uint32_t>(ini.GetInt(info.section, info.keyB, (def >> 16) & 0xFF));
            writer.WriteInt(slot, static_cast<int32_t>(MakeColor(red, green, blue)));
        } else if (info.kind != SlotKind::Blob) {
            writer.WriteInt(slot, ini.GetInt(info.section, info.key, info.legacyDefault));
        }
    }
    if (!writer.Close()) return RestoreLegacyText(copy, path);
    DeleteFilePath(copy.c_str());
    return true;
}

} // namespace qv
