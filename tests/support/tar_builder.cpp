#include "tar_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qvtest {

namespace {

constexpr size_t kBlock = 512;

void PutOctal(std::string* block, size_t at, size_t width, uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*llo", static_cast<int>(width - 1), static_cast<unsigned long long>(value));
    std::memcpy(&(*block)[at], text, width - 1);
}

std::string Header(const std::string& name, const std::string& prefix, uint64_t size, int64_t mtime, char type,
                   TarFlavour flavour, bool badChecksum) {
    std::string h(kBlock, '\0');
    std::memcpy(&h[0], name.data(), std::min<size_t>(name.size(), 100));
    PutOctal(&h, 100, 8, 0644);
    PutOctal(&h, 108, 8, 1000);
    PutOctal(&h, 116, 8, 1000);
    PutOctal(&h, 124, 12, size);
    PutOctal(&h, 136, 12, static_cast<uint64_t>(mtime));
    h[156] = type;
    if (flavour == TarFlavour::Gnu) {
        std::memcpy(&h[257], "ustar  ", 8);
    } else {
        std::memcpy(&h[257], "ustar", 6);
        std::memcpy(&h[263], "00", 2);
        std::memcpy(&h[345], prefix.data(), std::min<size_t>(prefix.size(), 155));
    }
    std::memset(&h[148], ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : h)
        sum += c;
    if (badChecksum) sum += 1;
    char text[8];
    std::snprintf(text, sizeof text, "%06o", sum);
    std::memcpy(&h[148], text, 7);
    return h;
}

void AppendData(std::string* out, const std::string& data) {
    *out += data;
    out->append((kBlock - data.size() % kBlock) % kBlock, '\0');
}

std::string PaxRecord(const std::string& key, const std::string& value) {
    std::string body = " " + key + "=" + value + "\n";
    size_t length = body.size() + 1;
    while (std::to_string(length).size() + body.size() != length)
        ++length;
    return std::to_string(length) + body;
}

std::string Entry(const TarEntry& e, TarFlavour flavour) {
    std::string out, name = e.name, prefix;
    if (name.size() > 100) {
        if (flavour == TarFlavour::Gnu) {
            out += Header("././@LongLink", "", name.size() + 1, 0, 'L', flavour, false);
            AppendData(&out, name + '\0');
            name = name.substr(0, 100);
        } else if (flavour == TarFlavour::Pax) {
            std::string records = PaxRecord("path", name) + PaxRecord("mtime", std::to_string(e.mtime) + ".5");
            out += Header("PaxHeaders/x", "", records.size(), 0, 'x', flavour, false);
            AppendData(&out, records);
            name = name.substr(0, 100);
        } else {
            size_t slash = name.rfind('/', name.size() - 2);
            prefix = name.substr(0, slash);
            name = name.substr(slash + 1);
        }
    }
    out += Header(name, prefix, e.data.size(), e.mtime, e.type, flavour, e.badChecksum);
    AppendData(&out, e.data);
    return out;
}

} // namespace

std::string BuildTar(const std::vector<TarEntry>& entries, TarFlavour flavour) {
    std::string out;
    for (const TarEntry& e : entries)
        out += Entry(e, flavour);
    out.append(2 * kBlock, '\0');
    return out;
}

std::vector<uint64_t> TarHeaderOffsets(const std::vector<TarEntry>& entries, TarFlavour flavour) {
    std::vector<uint64_t> offsets;
    uint64_t at = 0;
    for (const TarEntry& e : entries) {
        offsets.push_back(at);
        at += Entry(e, flavour).size();
    }
    return offsets;
}

} // namespace qvtest
