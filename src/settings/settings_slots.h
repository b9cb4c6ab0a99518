// The slot table: for each of the 210 slots its legacy INI section and key, its kind, the default
// used when migrating, the rule applied when the start-up load reads it, and the Settings field it
// fills. Migration, the start-up load and the shutdown save all walk this one table.
#pragma once

#include <cstdint>
#include <string>

#include "model/settings.h"
#include "settings/settings_file.h"

namespace qv {

enum class SlotKind : uint8_t {
    Int,
    Bool,  // integer of which only bit 0 counts
    Color, // integer holding a COLORREF; three legacy keys (R, G, B) or one
    Text,  // UTF-16 blob
    Blob,  // binary blob
};

enum class LoadRule : uint8_t {
    None,            // stored value as it is
    NonZero,         // non-zero = on
    Bit0,            // bit 0
    Range,           // lo..hi kept, else fallback
    OneOf,           // one of kept[] kept, else fallback
    NegativeTo,      // negative becomes fallback
    DocumentsFolder, // the Documents folder when not an existing directory
    Accelerators,    // at most 732 bytes, 6 per entry
    NameList,        // NUL-separated names
    OwnerTool,       // read and written by its tool, not by the start-up load
};

struct FieldRef {
    int32_t Settings::*integer = nullptr;
    bool Settings::*flag = nullptr;
    uint32_t Settings::*color = nullptr;
    std::wstring Settings::*text = nullptr;
    std::wstring (Settings::*textArray)[8] = nullptr;
    uint8_t index = 0;
};

struct SlotInfo {
    uint16_t slot;
    const wchar_t* section; // null: no legacy key
    const wchar_t* key;     // colour with three keys: keyR, keyG, keyB
    const wchar_t* keyG;
    const wchar_t* keyB;
    SlotKind kind;
    int32_t legacyDefault;
    LoadRule rule;
    int32_t lo, hi, fallback; // Range: lo..hi else fallback; OneOf / NegativeTo: fallback
    int32_t kept[4];
    uint8_t keptCount;
    FieldRef field;
};

const SlotInfo& SlotInfoOf(uint32_t slot); // slot < kSettingsSlotCount
const SlotInfo* SlotTable();               // kSettingsSlotCount rows, row i is slot i

// The load rule of `info` applied to a stored (or defaulted) integer.
int32_t ApplyLoadRule(const SlotInfo& info, int32_t value);

} // namespace qv
