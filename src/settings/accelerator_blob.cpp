#include "settings/accelerator_blob.h"

namespace qv {

std::string EncodeAccelerators(const std::vector<AccelEntry>& entries) {
    std::string out;
    out.reserve(entries.size() * kAccelRecordBytes);
    for (const AccelEntry& e : entries) {
        out.push_back(static_cast<char>(e.flags));
        out.push_back(0);
        out.push_back(static_cast<char>(e.key & 0xFF));
        out.push_back(static_cast<char>(e.key >> 8));
        out.push_back(static_cast<char>(e.command & 0xFF));
        out.push_back(static_cast<char>(e.command >> 8));
    }
    return out;
}

std::vector<AccelEntry> DecodeAccelerators(const std::string& blob) {
    std::vector<AccelEntry> entries;
    const auto* p = reinterpret_cast<const uint8_t*>(blob.data());
    for (size_t at = 0; at + kAccelRecordBytes <= blob.size(); at += kAccelRecordBytes) {
        AccelEntry e;
        e.flags = p[at];
        e.key = static_cast<uint16_t>(p[at + 2] | (p[at + 3] << 8));
        e.command = static_cast<uint16_t>(p[at + 4] | (p[at + 5] << 8));
        entries.push_back(e);
    }
    return entries;
}

namespace {

constexpr uint8_t kPlain = 1, kShift = 5, kCtrl = 9, kCtrlShift = 13;

struct DefaultKey {
    uint16_t command;
    uint8_t flags;
    uint16_t key;
};

// The configurable commands in the order of the key-configuration list, with their default keys.
constexpr DefaultKey kDefaultKeys[kDefaultAcceleratorCount] = {
    {5010, kCtrl, 'O'},
    {5011, kPlain, 0x08},
    {5012, kCtrl, 'S'},
    {5013},
    {5014},
    {5021},
    {5020},
    {5030, kPlain, 'C'},
    {5035},
    {5031, kPlain, 'V'},
    {5032, kPlain, 0x2E},
    {5040},
    {5041, kPlain, 0xF0},
    {5050},
    {5060},
    {5111},
    {5110},
    {5115, kCtrl, 'Z'},
    {5116, kCtrlShift, 'Z'},
    {5130},
    {5131},
    {5190},
    {5191},
    {5192},
    {5193},
    {5117},
    {5120},
    {5121},
    {5122},
    {5140},
    {5152, kCtrl, 0x25},
    {5150, kCtrl, 0x27},
    {5151},
    {5153},
    {5154},
    {5160},
    {5180},
    {5166},
    {5161},
    {5162},
    {5163},
    {5168},
    {5164},
    {5181},
    {5167},
    {5165},
    {5170},
    {5171},
    {5172},
    {5182},
    {5270},
    {5271},
    {5272},
    {5273},
    {5274},
    {5275},
    {5276},
    {5210},
    {5220},
    {5230, kPlain, 0x21},
    {5240, kPlain, 0x22},
    {5250},
    {5252},
    {5253},
    {5254},
    {5310, kPlain, 0x09},
    {5311},
    {5320, kPlain, 'T'},
    {5321, kPlain, 0x24},
    {5330, kPlain, 'W'},
    {5331},
    {5332},
    {5333},
    {5341},
    {5342},
    {5343},
    {5344},
    {5345},
    {5351},
    {5352},
    {5353},
    {5354},
    {5355},
    {5420, kPlain, '1'},
    {5421, kPlain, '2'},
    {5422, kPlain, '3'},
    {5423, kPlain, '4'},
    {5424, kPlain, '5'},
    {5425, kPlain, '6'},
    {5426, kPlain, '7'},
    {5427, kPlain, '8'},
    {5410, kPlain, 'O'},
    {5510},
    {5515},
    {5520},
    {5530, kPlain, 0x0D},
    {5540, kPlain, 0x23},
    {5550, kPlain, 0x1B},
    {5600, kPlain, 0x20},
    {5610, kCtrl, 0x26},
    {5611, kCtrl, 0x28},
    {5260},
    {5261},
    {5262},
    {5263},
    {5264},
    {5265},
    {5700, kPlain, 0x25},
    {5702, kPlain, 0x26},
    {5703, kPlain, 0x28},
    {5701, kPlain, 0x27},
    {5650, kShift, 0x25},
    {5651, kShift, 0x27},
    {5652, kShift, 0x26},
    {5653, kShift, 0x28},
    {5810, kPlain, 'A'},
    {5720, kPlain, 'S'},
    {5721, kPlain, 'D'},
    {5722, kPlain, 'F'},
    {5710},
    {5740},
    {5730},
};

} // namespace

std::vector<AccelEntry> DefaultAcceleratorEntries() {
    std::vector<AccelEntry> table;
    table.reserve(kDefaultAcceleratorCount);
    for (const DefaultKey& d : kDefaultKeys)
        table.push_back(AccelEntry{d.key ? d.flags : kPlain, d.key, d.command});
    return table;
}

std::vector<AccelEntry> CommandKeysFromStored(const std::string& blob) {
    std::vector<AccelEntry> table = DefaultAcceleratorEntries();
    std::vector<AccelEntry> stored = DecodeAccelerators(blob);
    for (AccelEntry& entry : table) {
        entry.flags = kPlain;
        entry.key = 0;
        for (const AccelEntry& record : stored) {
            if (record.command != entry.command) continue;
            entry.flags = record.flags & 0x0F;
            entry.key = record.key & 0xFF;
            break;
        }
    }
    return table;
}

std::string AcceleratorBlobToStore(const std::string& records) {
    if (records.size() >= kAccelRecordBytes) return records;
    return EncodeAccelerators(CommandKeysFromStored(std::string()));
}

} // namespace qv
