#include "sources/plugin_host.h"

#include <algorithm>

#include "model/settings.h"
#include "platform/ascii_case.h"

namespace qv {

PluginFolder CurrentPluginFolder() {
    return PluginFolder{g_settings.SPI, g_settings.PluginNames};
}

bool PluginFolderExists(const std::wstring& folder) {
    return !folder.empty() && IsDirectory(folder.c_str());
}

bool IsPluginDisabled(const PluginFolder& folder, const std::wstring& fileName) {
    return std::any_of(folder.disabled.begin(), folder.disabled.end(),
                       [&](const std::wstring& name) { return EqualsIgnoreAsciiCase(name, fileName); });
}

} // namespace qv
