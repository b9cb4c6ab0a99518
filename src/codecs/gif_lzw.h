// GIF's variable-width LZW coding: the decoder that expands an image's gathered data and the
// encoder that writes one, both with codes of up to 12 bits, least significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

constexpr uint32_t kGifLzwMaxCodes = 4096;
// The decoder copies strings in 16-byte steps: the output needs this many writable bytes after
// its end.
constexpr uint32_t kGifLzwOutputSlack = 16;

struct GifLzwResult {
    uint32_t produced = 0; // indices written, at most outSize
    bool damaged = false;  // a code beyond the table or a missing end code broke the data off
};

// Expands LZW data at minimum code size `minCodeSize` (2-8) into at most `outSize` indices.
// `blocks` points at the length byte of the first data sub-block; the chain ends at a zero
// length byte or at `end`, whichever comes first. Indices past outSize are dropped; decoding
// stops at the end code, at a code the table does not hold yet (damaged), or when the data runs
// out (damaged).
GifLzwResult DecodeGifLzw(const uint8_t* blocks, const uint8_t* end, uint32_t minCodeSize, uint8_t* out,
                          uint32_t outSize);

// Greedy longest-match encoder with hash chains over the string table. Feed indices in file
// order with Add; Finish writes the last code and the end code. The packed bytes are appended to
// `out` (without the sub-block framing).
class GifLzwEncoder {
public:
    void Begin(uint32_t minCodeSize, std::vector<uint8_t>* out);
    void Add(const uint8_t* indices, size_t count);
    void Finish();

private:
    void Emit(uint32_t code);
    void ResetTable();
    uint32_t Find(uint32_t prefix, uint8_t value) const;

    static constexpr uint32_t kHashSize = 8192;
    static constexpr uint16_t kNone = 0xFFFF;
    std::vector<uint8_t>* out_ = nullptr;
    uint64_t bits_ = 0;
    uint32_t bitCount_ = 0;
    uint32_t minCodeSize_ = 0;
    uint32_t clearCode_ = 0;
    uint32_t width_ = 0;
    uint32_t nextCode_ = 0;
    int32_t prefix_ = -1; // code of the string matched so far, -1 before the first index
    uint16_t head_[kHashSize];
    uint16_t chain_[kGifLzwMaxCodes];
    uint32_t key_[kGifLzwMaxCodes]; // prefix << 8 | value of each string code
};

} // namespace qv
