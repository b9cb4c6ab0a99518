#include "codecs/gif_lzw.h"

#include <cstring>

namespace qv {

namespace {
inline uint64_t Load64LE(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
} // namespace

// Every string the table holds is a run of the output already written: a new entry is the
// previous string plus the first index of the current one, and those two lie side by side. So an
// entry is kept as (where it starts, how long it is) and decoding any code is one forward copy.
// The literal codes start in a table of all byte values, so a literal takes the same copy as a
// string and the loop has no branch on the kind of code (photographs mix them at random).
// Copies go 16 bytes at a time; the output has kGifLzwOutputSlack bytes of room for that.
namespace {
struct Identity {
    uint8_t bytes[256 + 16];
    constexpr Identity() : bytes() {
        for (int i = 0; i < 256; ++i)
            bytes[i] = static_cast<uint8_t>(i);
    }
};
constexpr Identity kIdentity;
} // namespace

GifLzwResult DecodeGifLzw(const uint8_t* blocks, const uint8_t* end, uint32_t minCodeSize, uint8_t* out,
                          uint32_t outSize) {
    GifLzwResult result;
    if (minCodeSize < 2 || minCodeSize > 8) {
        result.damaged = true;
        return result;
    }
    const uint32_t clearCode = 1u << minCodeSize;
    const uint32_t endCode = clearCode + 1;
    const uint8_t* from[kGifLzwMaxCodes];
    uint16_t length[kGifLzwMaxCodes];
    for (uint32_t c = 0; c < clearCode; ++c) {
        from[c] = kIdentity.bytes + c;
        length[c] = 1;
    }

    uint32_t width = minCodeSize + 1;
    uint32_t mask = (1u << width) - 1;
    uint32_t next = clearCode + 2;
    bool havePrevious = false;
    const uint8_t* previous = nullptr; // where the previous code's string was written
    uint32_t previousLength = 0;

    uint64_t bits = 0;
    uint32_t bitCount = 0;
    // the sub-block being read: `in` its next byte, `left` the bytes after it in the block
    const uint8_t* in = blocks;
    uint32_t left = 0;
    bool more = true; // false once the terminating zero-length block (or the end) was reached
    uint32_t pos = 0;

    while (pos < outSize) {
        if (bitCount < width) {
            if (left >= 8) {
                // The bytes past the counted ones land above bitCount; a later refill ORs the
                // same bytes into the same places, so they do no harm. They never reach past
                // this sub-block.
                bits |= Load64LE(in) << bitCount;
                uint32_t take = (63 - bitCount) >> 3;
                in += take;
                left -= take;
                bitCount += take * 8;
            } else {
                while (bitCount <= 56) {
                    if (left == 0) {
                        if (!more || in >= end || *in == 0) {
                            more = false;
                            break;
                        }
                        left = *in++;
                        if (left > static_cast<uint32_t>(end - in)) left = static_cast<uint32_t>(end - in);
                        continue;
                    }
                    bits |= static_cast<uint64_t>(*in++) << bitCount;
                    --left;
                    bitCount += 8;
                }
                if (bitCount < width) {
                    result.damaged = true;
                    break;
                }
            }
        }
        uint32_t code = static_cast<uint32_t>(bits) & mask;
        bits >>= width;
        bitCount -= width;

        if ((code & ~1u) == clearCode) {
            if (code == endCode) break;
            width = minCodeSize + 1;
            mask = (1u << width) - 1;
            next = clearCode + 2;
            havePrevious = false;
            continue;
        }
        if (havePrevious) {
            // A code one past the table is the previous string plus its own first index; with
            // the table full (an encoder may go on without a clear code) no entry is added and
            // the codes stay 12 bits wide.
            if (code > next) {
                result.damaged = true;
                break;
            }
            if (next < kGifLzwMaxCodes) {
                from[next] = previous;
                length[next] = static_cast<uint16_t>(previousLength + 1);
                ++next;
                if (next == (1u << width) && width < 12) {
                    ++width;
                    mask = (1u << width) - 1;
                }
            }
        } else if (code > clearCode) { // the first code after a clear must be a literal
            result.damaged = true;
            break;
        }
        havePrevious = true;

        uint8_t* dst = out + pos;
        const uint8_t* src = from[code];
        uint32_t count = length[code];
        previous = dst;
        previousLength = count;
        if (count > outSize - pos) {
            count = outSize - pos; // clipped: only the string's first indices fit
            for (uint32_t i = 0; i < count; ++i)
                dst[i] = src[i];
            pos += count;
            break;
        }
        // A string that starts less than 16 bytes back overlaps its own copy: byte by byte.
        const uintptr_t distance = reinterpret_cast<uintptr_t>(dst) - reinterpret_cast<uintptr_t>(src);
        if (distance >= 16 || code < clearCode) {
            for (uint32_t i = 0; i < count; i += 16)
                std::memcpy(dst + i, src + i, 16);
        } else {
            for (uint32_t i = 0; i < count; ++i)
                dst[i] = src[i];
        }
        pos += count;
    }
    result.produced = pos;
    return result;
}

// ---- encoder ----------------------------------------------------------------------------------

void GifLzwEncoder::Begin(uint32_t minCodeSize, std::vector<uint8_t>* out) {
    out_ = out;
    bits_ = 0;
    bitCount_ = 0;
    minCodeSize_ = minCodeSize;
    clearCode_ = 1u << minCodeSize;
    prefix_ = -1;
    ResetTable();
    Emit(clearCode_);
}

void GifLzwEncoder::ResetTable() {
    width_ = minCodeSize_ + 1;
    nextCode_ = clearCode_ + 2;
    std::memset(head_, 0xFF, sizeof head_);
}

void GifLzwEncoder::Emit(uint32_t code) {
    bits_ |= static_cast<uint64_t>(code) << bitCount_;
    bitCount_ += width_;
    while (bitCount_ >= 8) {
        out_->push_back(static_cast<uint8_t>(bits_));
        bits_ >>= 8;
        bitCount_ -= 8;
    }
}

inline uint32_t GifLzwEncoder::Find(uint32_t prefix, uint8_t value) const {
    uint32_t key = prefix << 8 | value;
    uint32_t hash = (key * 2654435761u) >> (32 - 13);
    for (uint16_t code = head_[hash]; code != kNone; code = chain_[code]) {
        if (key_[code] == key) return code;
    }
    return kNone;
}

void GifLzwEncoder::Add(const uint8_t* indices, size_t count) {
    size_t i = 0;
    if (prefix_ < 0 && count > 0) prefix_ = indices[i++];
    uint32_t prefix = static_cast<uint32_t>(prefix_);
    for (; i < count; ++i) {
        uint8_t value = indices[i];
        uint32_t found = Find(prefix, value);
        if (found != kNone) {
            prefix = found;
            continue;
        }
        Emit(prefix);
        // The decoder adds this entry only when it reads the next code, so the width grows one
        // code later here than the entry count alone suggests.
        uint32_t key = prefix << 8 | value;
        uint32_t hash = (key * 2654435761u) >> (32 - 13);
        key_[nextCode_] = key;
        chain_[nextCode_] = head_[hash];
        head_[hash] = static_cast<uint16_t>(nextCode_);
        ++nextCode_;
        if (nextCode_ - 1 == (1u << width_) && width_ < 12) ++width_;
        if (nextCode_ == kGifLzwMaxCodes) {
            Emit(clearCode_);
            ResetTable();
        }
        prefix = value;
    }
    if (prefix_ >= 0) prefix_ = static_cast<int32_t>(prefix);
}

void GifLzwEncoder::Finish() {
    if (prefix_ >= 0) {
        Emit(static_cast<uint32_t>(prefix_));
        // the decoder adds an entry for this code before it reads the end code
        ++nextCode_;
        if (nextCode_ - 1 == (1u << width_) && width_ < 12) ++width_;
    }
    Emit(clearCode_ + 1);
    if (bitCount_ > 0) out_->push_back(static_cast<uint8_t>(bits_));
    bits_ = 0;
    bitCount_ = 0;
}

} // namespace qv
