// Plug-ins are Windows libraries: the native build finds none, and every operation fails the way
// a missing plug-in folder makes it fail.
#include "sources/plugin_host.h"

namespace qv {

std::vector<std::wstring> ListPluginPatterns(const PluginFolder&, uint32_t) {
    return {};
}

bool DecodeWithPlugins(const PluginFolder&, const wchar_t*, const uint8_t*, uint32_t, bool, ImageBuffer*) {
    return false;
}

bool ListArchiveWithPlugins(const PluginFolder&, const wchar_t*, ArchiveListing*) {
    return false;
}

bool ExtractWithPlugins(const PluginFolder&, const wchar_t*, const FileEntry&, LargeBlock* out, uint32_t* length) {
    out->reset();
    *length = 0;
    return false;
}

bool PluginArchiveBusy() {
    return false;
}

bool ShowPluginSettings(const PluginFolder&, const std::wstring&, void*) {
    return false;
}

std::vector<PluginFileFacts> ListPluginFiles(const PluginFolder&) {
    return {};
}

} // namespace qv
