// One-time conversion of the old text form of the settings file into the binary form.
#pragma once

#include <string>

namespace qv {

// True when the file exists and its fourth byte is not 0 (a binary file's header never has that).
bool IsLegacySettingsFile(const std::wstring& path);

// Copies the file to the same name with ".txt", rewrites the original as a binary file from the
// copy's keys and deletes the copy. False when the copy or the writer fails: nothing is migrated
// and the old text is put back (or, when that fails too, kept in the ".txt" copy).
bool MigrateLegacySettings(const std::wstring& path);

} // namespace qv
