#include "app/key_names.h"

#include <array>

namespace qv {

namespace {

constexpr uint8_t kFlagShift = 4, kFlagControl = 8;

std::array<std::wstring, 256> BuildNames() {
    std::array<std::wstring, 256> n;
    n[0x08] = L"BackSpace";
    n[0x09] = L"Tab";
    n[0x0D] = L"Enter";
    n[0x1B] = L"Esc";
    n[0x20] = L"Space";
    const wchar_t* moves[] = {L"PageUp", L"PageDown", L"End", L"Home", L"Left", L"Up", L"Right", L"Down"};
    for (int i = 0; i < 8; ++i)
        n[0x21 + i] = moves[i];
    n[0x2D] = L"Insert";
    n[0x2E] = L"Delete";
    for (wchar_t c = L'0'; c <= L'9'; ++c)
        n[c] = std::wstring(1, c);
    for (wchar_t c = L'A'; c <= L'Z'; ++c)
        n[c] = std::wstring(1, c);
    n[0x60] = L"[Num] 0 "; // the trailing blank is part of the name
    for (int i = 1; i <= 9; ++i)
        n[0x60 + i] = L"[Num] " + std::to_wstring(i);
    n[0x6A] = L"[Num] *";
    n[0x6B] = L"[Num] +";
    n[0x6D] = L"[Num] -";
    n[0x6E] = L"[Num] .";
    n[0x6F] = L"[Num] /";
    for (int i = 0; i < 12; ++i)
        n[0x70 + i] = L"F" + std::to_wstring(i + 1);
    const wchar_t* oem[] = {L":", L";", L",", L"-", L".", L"/", L"@"}; // Japanese layout
    for (int i = 0; i < 7; ++i)
        n[0xBA + i] = oem[i];
    n[0xDB] = L"[";
    n[0xDC] = L"\\";
    n[0xDD] = L"]";
    n[0xDE] = L"^";
    n[0xE2] = L"_";
    n[0xF0] = L"CapsLock";
    return n;
}

const std::array<std::wstring, 256>& Names() {
    static const std::array<std::wstring, 256> names = BuildNames();
    return names;
}

std::vector<uint16_t> BuildAssignable() {
    std::vector<uint16_t> keys = {0x08, 0x09, 0x0D, 0x1B, 0x20};
    for (uint16_t k = 0x21; k <= 0x28; ++k)
        keys.push_back(k);
    keys.insert(keys.end(), {0x2D, 0x2E, 0xF0});
    for (uint16_t k = 0xBA; k <= 0xC0; ++k)
        keys.push_back(k);
    for (uint16_t k = 0xDB; k <= 0xDE; ++k)
        keys.push_back(k);
    keys.push_back(0xE2);
    for (uint16_t k = 0x30; k <= 0x39; ++k)
        keys.push_back(k);
    for (uint16_t k = 0x41; k <= 0x5A; ++k)
        keys.push_back(k);
    for (uint16_t k = 0x70; k <= 0x7B; ++k)
        keys.push_back(k);
    for (uint16_t k = 0x60; k <= 0x6B; ++k)
        keys.push_back(k);
    for (uint16_t k = 0x6D; k <= 0x6F; ++k)
        keys.push_back(k);
    return keys;
}

} // namespace

const wchar_t* KeyName(uint16_t virtualKey) {
    if (virtualKey > 0xFF) return nullptr;
    const std::wstring& name = Names()[virtualKey];
    return name.empty() ? nullptr : name.c_str();
}

const wchar_t* ModifierPrefix(uint8_t flags) {
    switch (flags) {
    case 5: return L"Shift+";
    case 9: return L"Ctrl+";
    case 13: return L"Ctrl+Shift+";
    default: return L"";
    }
}

std::wstring ShortcutText(const AccelEntry& entry) {
    const wchar_t* name = entry.key ? KeyName(entry.key) : nullptr;
    if (!name) return {};
    return std::wstring(ModifierPrefix(entry.flags)) + name;
}

const std::vector<uint16_t>& AssignableKeys() {
    static const std::vector<uint16_t> keys = BuildAssignable();
    return keys;
}

bool KeyTaken(const std::vector<AccelEntry>& table, uint16_t key, bool ctrl, bool shift) {
    for (const AccelEntry& e : table)
        if (e.key == key && ((e.flags & kFlagControl) != 0) == ctrl && ((e.flags & kFlagShift) != 0) == shift)
            return true;
    return false;
}

uint8_t AssignmentFlags(bool ctrl, bool shift) {
    return static_cast<uint8_t>(1 | (ctrl ? kFlagControl : 0) | (shift ? kFlagShift : 0));
}

} // namespace qv
