#include "zip_builder.h"

#include <zlib.h>

#include <algorithm>

namespace qvtest {

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kDescriptorSignature = 0x08074b50;
constexpr uint32_t kDescriptorSize = 16;

void Put16(std::string* s, uint32_t v) {
    s->push_back(static_cast<char>(v & 0xFF));
    s->push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string* s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string Packed(const ZipMember& m) {
    std::string packed = m.deflate ? RawDeflate(m.data) : m.data;
    packed.resize(packed.size() - std::min<size_t>(m.cutPacked, packed.size()));
    return packed;
}

uint32_t DescriptorSize(const ZipMember& m) {
    return (m.flags & kZipFlagDescriptor) ? kDescriptorSize : 0;
}

} // namespace

std::string RawDeflate(const std::string& in) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(in.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::vector<uint32_t> ZipMemberOffsets(const std::vector<ZipMember>& members) {
    std::vector<uint32_t> offsets;
    uint32_t at = 0;
    for (const ZipMember& m : members) {
        offsets.push_back(at);
        at += 30 + static_cast<uint32_t>(m.name.size() + Packed(m).size()) + DescriptorSize(m);
    }
    return offsets;
}

std::string BuildZip(const std::vector<ZipMember>& members, const std::string& comment) {
    std::string body, central;
    for (const ZipMember& m : members) {
        std::string packed = Packed(m);
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()));
        uint32_t offset = static_cast<uint32_t>(body.size());
        uint32_t packedSize = static_cast<uint32_t>(packed.size());
        uint32_t size = static_cast<uint32_t>(m.data.size() + m.sizeDelta);
        auto common = [&](std::string* s, bool local) {
            bool zeros = local && (m.flags & kZipFlagDescriptor);
            Put16(s, 20);
            Put16(s, m.flags);
            Put16(s, m.method >= 0 ? static_cast<uint32_t>(m.method) : m.deflate ? 8 : 0);
            Put16(s, 0x6000); // 12:00
            Put16(s, (44 << 9) | (3 << 5) | 15);
            Put32(s, zeros ? 0 : crc);
            Put32(s, zeros ? 0 : packedSize);
            Put32(s, zeros ? 0 : size);
            Put16(s, static_cast<uint32_t>(m.name.size()));
            Put16(s, 0);
        };
        Put32(&body, kLocalHeaderSignature);
        common(&body, true);
        body += m.name + packed;
        if (m.flags & kZipFlagDescriptor) {
            Put32(&body, kDescriptorSignature);
            Put32(&body, crc);
            Put32(&body, packedSize);
            Put32(&body, size);
        }
        Put32(&central, kCentralHeaderSignature);
        Put16(&central, 20);
        common(&central, false);
        Put16(&central, 0);
        Put16(&central, 0);
        Put16(&central, 0);
        Put32(&central, 0);
        Put32(&central, offset);
        central += m.name;
    }
    std::string eocd;
    Put32(&eocd, kEndRecordSignature);
    Put32(&eocd, 0);
    Put16(&eocd, static_cast<uint32_t>(members.size()));
    Put16(&eocd, static_cast<uint32_t>(members.size()));
    Put32(&eocd, static_cast<uint32_t>(central.size()));
    Put32(&eocd, static_cast<uint32_t>(body.size()));
    Put16(&eocd, static_cast<uint32_t>(comment.size()));
    return body + central + eocd + comment;
}

} // namespace qvtest
