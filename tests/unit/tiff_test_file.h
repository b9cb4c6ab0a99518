// Builds small TIFF files for the reader's tests: header, strip data, IFD0 and the values that do
// not fit in an entry, in either byte order. Strip tags are added from the strips unless a test
// sets them itself.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

class TiffTestFile {
public:
    explicit TiffTestFile(bool bigEndian = false) : big_(bigEndian) {}

    void Short(uint16_t tag, std::vector<uint32_t> values) { Add(tag, 3, values); }
    void Long(uint16_t tag, std::vector<uint32_t> values) { Add(tag, 4, values); }
    void Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) {
        Field f{tag, 5, 1, {}};
        Put32(&f.bytes, numerator);
        Put32(&f.bytes, denominator);
        fields_.push_back(f);
    }
    void Ascii(uint16_t tag, const std::string& text) {
        Field f{tag, 2, static_cast<uint32_t>(text.size() + 1), std::vector<uint8_t>(text.begin(), text.end())};
        f.bytes.push_back(0);
        fields_.push_back(f);
    }
    // An entry written as given: its four value bytes hold `value` whatever the type and count.
    void Raw(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) { raw_.push_back({tag, type, count, value}); }
    void Remove(uint16_t tag) {
        std::erase_if(fields_, [tag](const Field& f) { return f.tag == tag; });
    }

    // Common first fields: size, bits, photometric (left out when negative), no compression.
    void Basic(uint32_t width, uint32_t height, std::vector<uint32_t> bits, int photometric) {
        Long(256, {width});
        Long(257, {height});
        Short(258, bits);
        Short(259, {1});
        if (photometric >= 0) Short(262, {static_cast<uint32_t>(photometric)});
    }

    void Strip(const std::vector<uint8_t>& bytes) { strips_.push_back(bytes); }
    void set_auto_strips(bool on) { autoStrips_ = on; }
    // Puts the strips into the file last first, so that their order in the file is not the order
    // of the offsets.
    void set_reverse_strips(bool on) { reverseStrips_ = on; }
    void set_next_ifd_to_self(bool on) { nextToSelf_ = on; }

    std::string Build() const {
        std::vector<uint8_t> out;
        out.push_back(big_ ? 'M' : 'I');
        out.push_back(big_ ? 'M' : 'I');
        Put16(&out, 42);
        Put32(&out, 0); // IFD offset, patched below
        std::vector<uint32_t> offsets(strips_.size()), counts(strips_.size());
        for (size_t n = 0; n < strips_.size(); ++n) {
            size_t i = reverseStrips_ ? strips_.size() - 1 - n : n;
            offsets[i] = static_cast<uint32_t>(out.size());
            counts[i] = static_cast<uint32_t>(strips_[i].size());
            out.insert(out.end(), strips_[i].begin(), strips_[i].end());
        }
        std::vector<Field> fields = fields_;
        if (autoStrips_ && !strips_.empty()) {
            fields.push_back(Make(273, 4, offsets));
            fields.push_back(Make(279, 4, counts));
        }
        if (out.size() & 1) out.push_back(0);
        uint32_t ifd = static_cast<uint32_t>(out.size());
        Patch32(&out, 4, ifd);
        uint32_t entries = static_cast<uint32_t>(fields.size() + raw_.size());
        std::vector<RawEntry> all;
        uint32_t extra = ifd + 2 + entries * 12 + 4;
        std::vector<uint8_t> tail;
        for (const Field& f : fields) {
            uint32_t value = 0;
            if (f.bytes.size() <= 4) {
                uint8_t b[4] = {};
                std::copy(f.bytes.begin(), f.bytes.end(), b);
                value = big_ ? (uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3])
                             : (b[0] | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
                all.push_back({f.tag, f.type, f.count, value});
            } else {
                all.push_back({f.tag, f.type, f.count, extra + static_cast<uint32_t>(tail.size())});
                tail.insert(tail.end(), f.bytes.begin(), f.bytes.end());
                if (tail.size() & 1) tail.push_back(0);
            }
        }
        for (const RawEntry& r : raw_)
            all.push_back(r);
        std::stable_sort(all.begin(), all.end(), [](const RawEntry& a, const RawEntry& b) { return a.tag < b.tag; });
        Put16(&out, static_cast<uint16_t>(entries));
        for (const RawEntry& r : all) {
            Put16(&out, r.tag);
            Put16(&out, r.type);
            Put32(&out, r.count);
            Put32(&out, r.value); // inline values were packed so that this writes them in file order
        }
        Put32(&out, nextToSelf_ ? ifd : 0);
        out.insert(out.end(), tail.begin(), tail.end());
        return std::string(out.begin(), out.end());
    }

private:
    struct Field {
        uint16_t tag, type;
        uint32_t count;
        std::vector<uint8_t> bytes; // the values in file order
    };
    struct RawEntry {
        uint16_t tag, type;
        uint32_t count, value;
    };

    Field Make(uint16_t tag, uint16_t type, const std::vector<uint32_t>& values) const {
        Field f{tag, type, static_cast<uint32_t>(values.size()), {}};
        for (uint32_t v : values) {
            if (type == 3)
                Put16(&f.bytes, static_cast<uint16_t>(v));
            else
                Put32(&f.bytes, v);
        }
        return f;
    }
    void Add(uint16_t tag, uint16_t type, const std::vector<uint32_t>& values) {
        fields_.push_back(Make(tag, type, values));
    }
    void Put16(std::vector<uint8_t>* out, uint16_t v) const {
        if (big_) {
            out->push_back(static_cast<uint8_t>(v >> 8));
            out->push_back(static_cast<uint8_t>(v));
        } else {
            out->push_back(static_cast<uint8_t>(v));
            out->push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    void Put32(std::vector<uint8_t>* out, uint32_t v) const {
        if (big_) {
            Put16(out, static_cast<uint16_t>(v >> 16));
            Put16(out, static_cast<uint16_t>(v));
        } else {
            Put16(out, static_cast<uint16_t>(v));
            Put16(out, static_cast<uint16_t>(v >> 16));
        }
    }
    void Patch32(std::vector<uint8_t>* out, size_t at, uint32_t v) const {
        std::vector<uint8_t> b;
        Put32(&b, v);
        std::copy(b.begin(), b.end(), out->begin() + at);
    }

    bool big_;
    bool autoStrips_ = true;
    bool reverseStrips_ = false;
    bool nextToSelf_ = false;
    std::vector<Field> fields_;
    std::vector<RawEntry> raw_;
    std::vector<std::vector<uint8_t>> strips_;
};

} // namespace qvtest
