#include "settings/legacy_ini.h"

#include "settings/settings_file.h"
#include "platform/platform.h"

namespace qv {

namespace {

std::wstring Fold(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return out;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xFEFF;
}

std::wstring Trim(const std::wstring& text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

// Strict UTF-8 decoding; false on the first invalid sequence.
bool DecodeUtf8(const std::string& bytes, std::wstring* out) {
    out->clear();
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        uint32_t c = p[i];
        size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
        if (extra == 9 || i + extra >= n + (extra ? 0 : 1)) return false;
        if (extra) {
            c &= 0x3F >> extra;
            for (size_t k = 1; k <= extra; ++k) {
                if ((p[i + k] & 0xC0) != 0x80) return false;
                c = (c << 6) | (p[i + k] & 0x3F);
            }
        }
        i += extra + 1;
        if constexpr (sizeof(wchar_t) == 2) {
            if (c > 0xFFFF) {
                c -= 0x10000;
                out->push_back(static_cast<wchar_t>(0xD800 | (c >> 10)));
                out->push_back(static_cast<wchar_t>(0xDC00 | (c & 0x3FF)));
                continue;
            }
        }
        out->push_back(static_cast<wchar_t>(c));
    }
    return true;
}

// The text as the profile functions read it: UTF-16 after its byte-order mark, UTF-8 after
// its mark, and anything else in the ANSI code page (which is what they wrote).
std::wstring DecodeProfileText(const std::string& bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t n = bytes.size();
    std::wstring text;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return DecodeUtf16(p + 2, n - 2);
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF && DecodeUtf8(bytes.substr(3), &text)) return text;
    return AnsiToWide(p, n);
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

} // namespace

void LegacyIni::Parse(const std::string& bytes) {
    sections_.clear();
    std::wstring text = DecodeProfileText(bytes);
    std::map<std::wstring, std::wstring>* current = nullptr;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = Trim(text.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            size_t close = line.find(L']');
            std::wstring name =
                Fold(Trim(line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1)));
            current = &sections_[name];
            continue;
        }
        if (!current) continue;
        size_t eq = line.find(L'=');
        std::wstring key = Fold(Trim(line.substr(0, eq)));
        std::wstring value = eq == std::wstring::npos ? std::wstring() : Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        current->emplace(key, value); // the first occurrence wins
    }
}

bool LegacyIni::Load(const std::wstring& path) {
    std::string bytes;
    if (!ReadWholeFile(path.c_str(), &bytes)) return false;
    Parse(bytes);
    return true;
}

const std::wstring* LegacyIni::Find(const wchar_t* section, const wchar_t* key) const {
    auto s = sections_.find(Fold(section));
    if (s == sections_.end()) return nullptr;
    auto k = s->second.find(Fold(key));
    return k == s->second.end() ? nullptr : &k->second;
}

int32_t LegacyIni::GetInt(const wchar_t* section, const wchar_t* key, int32_t fallback) const {
    const std::wstring* value = Find(section, key);
    if (!value || value->empty()) return fallback;
    size_t i = 0;
    while (i < value->size() && IsBlank((*value)[i]))
        ++i;
    bool negative = false;
    if (i < value->size() && ((*value)[i] == L'-' || (*value)[i] == L'+')) negative = (*value)[i++] == L'-';
    uint32_t base = 10;
    if (i + 1 < value->size() && (*value)[i] == L'0' && ((*value)[i + 1] == L'x' || (*value)[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    uint32_t result = 0;
    for (; i < value->size(); ++i) {
        int d = HexDigit((*value)[i]);
        if (d < 0 || static_cast<uint32_t>(d) >= base) break;
        result = result * base + static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(negative ? 0u - result : result);
}

std::wstring LegacyIni::GetString(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                                  size_t capacity) const {
    const std::wstring* value = Find(section, key);
    std::wstring out = value ? *value : std::wstring(fallback ? fallback : L"");
    if (capacity == 0) return {};
    if (out.size() > capacity - 1) out.resize(capacity - 1);
    return out;
}

bool LegacyIni::GetStruct(const wchar_t* section, const wchar_t* key, uint8_t* out, size_t size) const {
    const std::wstring* value = Find(section, key);
    if (!value || value->size() != size * 2 + 2) return false;
    uint8_t sum = 0;
    std::vector<uint8_t> bytes(size + 1);
    for (size_t i = 0; i <= size; ++i) {
        int hi = HexDigit((*value)[2 * i]), lo = HexDigit((*value)[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
        if (i < size) sum = static_cast<uint8_t>(sum + bytes[i]);
    }
    if (sum != bytes[size]) return false;
    for (size_t i = 0; i < size; ++i)
        out[i] = bytes[i];
    return true;
}

} // namespace qv
