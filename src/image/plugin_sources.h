// Puts the plug-ins of the settings' plug-in folder behind the load pipeline's decode fallback and
// the file list's plug-in hooks. Each call reads the folder setting afresh, so a folder changed in
// the options applies to the next load. RAR access keeps its own hooks.
#pragma once

namespace qv {

void InstallPluginSources();

} // namespace qv
