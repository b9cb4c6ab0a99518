#include "image/plugin_sources.h"

#include "image/load_pipeline.h"
#include "sources/file_list.h"
#include "sources/plugin_host.h"

namespace qv {

namespace {

std::vector<std::wstring> Patterns(uint32_t kindMask) {
    return ListPluginPatterns(CurrentPluginFolder(), kindMask);
}

bool ListArchive(const wchar_t* path, ArchiveListing* out) {
    return ListArchiveWithPlugins(CurrentPluginFolder(), path, out);
}

bool Extract(const wchar_t* path, const FileEntry& entry, LargeBlock* out, uint32_t* length) {
    return ExtractWithPlugins(CurrentPluginFolder(), path, entry, out, length);
}

bool Decode(const wchar_t* name, const uint8_t* data, uint32_t size, bool fromFile, ImageBuffer* target, LoadInfo*) {
    return DecodeWithPlugins(CurrentPluginFolder(), name, data, size, fromFile, target);
}

} // namespace

void InstallPluginSources() {
    SourceHooks hooks = GetSourceHooks();
    hooks.pluginPatterns = Patterns;
    hooks.listPluginArchive = ListArchive;
    hooks.extractPlugin = Extract;
    SetSourceHooks(hooks);
    SetDecodeFallback(Decode);
}

} // namespace qv
