// TextBuffer: the growable wide string used for paths, filters, messages and lists. Storage comes
// from the private heap; a null data pointer is the empty string.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

struct TextBuffer {
    wchar_t* data = nullptr;
    uint32_t capacityBytes = 0;
    uint32_t length = 0; // in characters, without the terminating 0

    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    TextBuffer(TextBuffer&& other) noexcept;
    TextBuffer& operator=(TextBuffer&& other) noexcept;
    ~TextBuffer() { Free(); }

    // Room for n characters and a terminator. Keeps the block when it is large enough, otherwise
    // replaces it by a zero-filled one of (n + 32 characters) rounded down to 64 bytes. On failure
    // the buffer becomes empty and false is returned.
    bool Reserve(uint32_t n);
    bool Append(const wchar_t* text, uint32_t n);
    bool Append(const wchar_t* text);
    bool Set(const wchar_t* text);
    bool Set(const std::wstring& text) { return Clear(), Append(text.data(), static_cast<uint32_t>(text.size())); }
    void Clear(); // length 0, block kept
    void Free();  // block released

    const wchar_t* c_str() const { return data ? data : L""; }
    std::wstring str() const { return std::wstring(c_str(), length); }
    bool empty() const { return length == 0; }
};

} // namespace qv
