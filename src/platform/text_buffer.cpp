#include "platform/text_buffer.h"

#include <cstring>
#include <cwchar>

#include "platform/platform.h"

namespace qv {

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : data(other.data), capacityBytes(other.capacityBytes), length(other.length) {
    other.data = nullptr;
    other.capacityBytes = 0;
    other.length = 0;
}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
    if (this != &other) {
        Free();
        data = other.data;
        capacityBytes = other.capacityBytes;
        length = other.length;
        other.data = nullptr;
        other.capacityBytes = 0;
        other.length = 0;
    }
    return *this;
}

bool TextBuffer::Reserve(uint32_t n) {
    constexpr uint64_t unit = sizeof(wchar_t);
    uint64_t needed = (static_cast<uint64_t>(n) + 1) * unit;
    if (data && capacityBytes >= needed) return true;
    uint64_t size = (static_cast<uint64_t>(n) * unit + 64) & ~uint64_t{63};
    wchar_t* block = size <= UINT32_MAX ? static_cast<wchar_t*>(PrivateAlloc(static_cast<size_t>(size))) : nullptr;
    if (!block) {
        Free();
        return false;
    }
    if (data && length) std::memcpy(block, data, length * unit);
    PrivateFree(data);
    data = block;
    capacityBytes = static_cast<uint32_t>(size);
    return true;
}

bool TextBuffer::Append(const wchar_t* text, uint32_t n) {
    uint64_t total = static_cast<uint64_t>(length) + n;
    if (total >= UINT32_MAX / sizeof(wchar_t) || !Reserve(static_cast<uint32_t>(total))) return false;
    if (n) std::memmove(data + length, text, n * sizeof(wchar_t));
    length = static_cast<uint32_t>(total);
    data[length] = 0;
    return true;
}

bool TextBuffer::Append(const wchar_t* text) {
    return Append(text, static_cast<uint32_t>(std::wcslen(text)));
}

bool TextBuffer::Set(const wchar_t* text) {
    Clear();
    return Append(text);
}

void TextBuffer::Clear() {
    length = 0;
    if (data) data[0] = 0;
}

void TextBuffer::Free() {
    PrivateFree(data);
    data = nullptr;
    capacityBytes = 0;
    length = 0;
}

} // namespace qv
