#include "rar_builder.h"

#include "platform/crc32.h"

namespace qvtest {

namespace {

void Put16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v));
    out->push_back(static_cast<char>(v >> 8));
}
void Put32(std::string* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

uint32_t Crc(const std::string& bytes) {
    return qv::Crc32Update(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A block: its CRC (the low 16 bits of the CRC-32 of everything after the CRC field) and `body`,
// which starts with the type.
void PutBlock(std::string* out, const std::string& body) {
    Put16(out, Crc(body) & 0xFFFF);
    *out += body;
}

} // namespace

std::string BuildStoredRar(const std::vector<RarMember>& members) {
    std::string out("Rar!\x1a\x07\x00", 7);
    std::string main;
    main.push_back('\x73');
    Put16(&main, 0);  // flags
    Put16(&main, 13); // size
    Put16(&main, 0);
    Put32(&main, 0);
    PutBlock(&out, main);
    for (const RarMember& m : members) {
        std::string name = m.name;
        for (char& c : name)
            if (c == '/') c = '\\';
        std::string h;
        h.push_back('\x74');
        Put16(&h, 0x8000);                                             // data follows the header
        Put16(&h, static_cast<uint32_t>(32 + name.size()));            // header size
        Put32(&h, static_cast<uint32_t>(m.data.size()));               // packed
        Put32(&h, static_cast<uint32_t>(m.data.size() + m.sizeDelta)); // unpacked
        h.push_back('\x02');                                           // Windows
        Put32(&h, Crc(m.data));
        Put32(&h, (45u << 9 | 3u << 5 | 7u) << 16 | 12u << 11); // 2025-03-07 12:00
        h.push_back(20);                                        // version to extract
        h.push_back('\x30');                                    // stored
        Put16(&h, static_cast<uint32_t>(name.size()));
        Put32(&h, 0x20); // archive attribute
        h += name;
        PutBlock(&out, h);
        out += m.data;
    }
    out += std::string("\xC4\x3D\x7B\x00\x40\x07\x00", 7); // end of archive
    return out;
}

} // namespace qvtest
