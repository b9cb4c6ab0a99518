#include "app/accelerators_win.h"

#include <vector>

#include "settings/accelerator_blob.h"

namespace qv {

HACCEL BuildAcceleratorTable(const std::string& stored) {
    // A stored table is used as it stands; the defaults give only the commands that have a key.
    std::vector<AccelEntry> entries = stored.empty() ? DefaultAcceleratorEntries() : DecodeAccelerators(stored);
    std::vector<ACCEL> table;
    for (const AccelEntry& e : entries)
        if (e.key != 0) table.push_back(ACCEL{static_cast<BYTE>(e.flags | FVIRTKEY), e.key, e.command});
    if (table.empty()) return nullptr;
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

std::string StoreAcceleratorTable(HACCEL table) {
    if (!table) return {};
    ACCEL records[kDefaultAcceleratorCount];
    int count = CopyAcceleratorTableW(table, records, static_cast<int>(kDefaultAcceleratorCount));
    std::vector<AccelEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back(AccelEntry{records[i].fVirt, records[i].key, records[i].cmd});
    return EncodeAccelerators(entries);
}

} // namespace qv
