// The Settings record against the settings file: every slot read through its load rule at
// start-up, and the record's share of the shutdown save.
#pragma once

#include <string>

#include "model/settings.h"

namespace qv {

class SettingsReader;
class SettingsWriter;

// Start-up load: every slot through its load rule. `documentsFolder` replaces `Open` when that is
// not an existing folder.
void LoadSettings(SettingsReader& reader, const std::wstring& documentsFolder, Settings* settings);

// The part of the shutdown save that comes from the record alone: slots 0, 3-29, 31-48, 53-60,
// 67-96, 207-209 (the name list filtered against the plug-in folder). The window placements and the
// accelerator table are written by their owners.
void SaveSettings(SettingsWriter& writer, const Settings& settings);

} // namespace qv
