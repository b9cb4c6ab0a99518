// How keys are shown: the name of each virtual-key code, the modifier prefixes and the keys a
// command may be given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/accelerator_blob.h"

namespace qv {

// Null for codes that have no name (they cannot be shown or assigned).
const wchar_t* KeyName(uint16_t virtualKey);
// "Shift+", "Ctrl+", "Ctrl+Shift+" or "" by the full flag byte.
const wchar_t* ModifierPrefix(uint8_t flags);
// Prefix + name; empty without a key.
std::wstring ShortcutText(const AccelEntry& entry);
// The 91 codes of the key list, in its order.
const std::vector<uint16_t>& AssignableKeys();

// True when any entry already has `key` with the same Ctrl and Shift state.
bool KeyTaken(const std::vector<AccelEntry>& table, uint16_t key, bool ctrl, bool shift);
// The flags an assignment gives: 1, plus 8 for Ctrl, plus 4 for Shift.
uint8_t AssignmentFlags(bool ctrl, bool shift);

} // namespace qv
