// The program's registration with the shell: the per-user file associations in the registry, the
// shortcut in the Send To folder. Failures
// are silent: the options dialog closes normally whatever the registry or the shell did.
// Windows only.
#pragma once

#include <cstdint>
#include <string>

#include "app/shell_associations.h"

namespace qv {

// The OS class of the running system (RtlGetVersion: the version the system really is, whatever
// the manifest claims).
int32_t CurrentOsClass();
// The association boxes can be changed only before Vista.
bool AssociationsEditable();

// The real registry under HKEY_CURRENT_USER.
AssociationRegistry UserRegistry();

// <Send To folder>\<the executable's base name>.lnk
std::wstring SendToShortcutPath(const std::wstring& exePath);
bool SendToShortcutExists(const std::wstring& exePath);
// Creates the shortcut (target and icon the executable, no arguments, shown normally) or deletes it.
bool SetSendToShortcut(const std::wstring& exePath, bool present);

} // namespace qv
