// `--plugins DIR`, which `info`, `convert` and `list` take: the image and archive plug-ins of DIR
// read what the built-in codecs and archive readers do not, as they would in the viewer with DIR
// as its plug-in folder.
#include "cli_command.h"
#include "image/plugin_sources.h"
#include "model/settings.h"
#include "platform/paths.h"

namespace qvcli {

bool TakePluginsOption(Args* args) {
    for (size_t i = 0; i < args->size(); ++i) {
        if ((*args)[i] != L"--plugins") continue;
        if (i + 1 >= args->size()) {
            PrintError(L"--plugins takes a folder\n");
            return false;
        }
        qv::g_settings.SPI = qv::FullPathOf((*args)[i + 1]);
        qv::g_settings.PluginNames.clear();
        args->erase(args->begin() + static_cast<std::ptrdiff_t>(i), args->begin() + static_cast<std::ptrdiff_t>(i) + 2);
        qv::InstallPluginSources();
#ifndef _WIN32
        PrintError(L"plug-ins are Windows libraries: this build reads none\n");
#endif
        return true;
    }
    return true;
}

} // namespace qvcli
