// Reader for the old plain-text form of the settings file, answering as the system's private
// profile functions do: sections and keys ignore ASCII case, values are trimmed and lose one pair
// of enclosing quotes, the first occurrence wins.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qv {

class LegacyIni {
public:
    // Parses the text as the system's profile functions read it: after a UTF-16LE or UTF-8
    // byte-order mark in that form, otherwise in the ANSI code page.
    void Parse(const std::string& bytes);
    bool Load(const std::wstring& path);

    // Missing key or empty value: the default. Otherwise leading blanks, a sign and decimal digits
    // (or 0x and hex digits) are read; anything else reads as 0. The result is truncated to 32 bits.
    int32_t GetInt(const wchar_t* section, const wchar_t* key, int32_t fallback) const;
    // At most `capacity` - 1 characters, like a 260-character buffer.
    std::wstring GetString(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                           size_t capacity = 260) const;
    // Hex digits of `size` bytes followed by a checksum byte (sum of the bytes modulo 256);
    // false when the key is missing, the length differs or the checksum is wrong.
    bool GetStruct(const wchar_t* section, const wchar_t* key, uint8_t* out, size_t size) const;

private:
    const std::wstring* Find(const wchar_t* section, const wchar_t* key) const;
    std::map<std::wstring, std::map<std::wstring, std::wstring>> sections_; // folded names
};

} // namespace qv
