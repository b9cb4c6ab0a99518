// Reads every slot of an arbitrary settings file, then rewrites it and reads the result again:
// the rewritten file must always open.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/settings_file.h"

namespace {

std::wstring ScratchPath() {
    std::string narrow = "/tmp/qv_settings_fuzz_" + std::to_string(getpid()) + ".ini";
    return std::wstring(narrow.begin(), narrow.end());
}

void ReadAll(qv::SettingsReader& reader) {
    qv::TextBuffer text;
    for (uint32_t slot = 0; slot < qv::kSettingsSlotCount + 2; ++slot) {
        reader.ReadInt(slot, 0);
        reader.ReadText(slot, &text);
        reader.ReadBlobBytes(slot);
    }
    reader.ReadNameList(208);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::wstring path = ScratchPath();
    static const std::string narrow(path.begin(), path.end());
    FILE* f = std::fopen(narrow.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    {
        qv::SettingsReader reader;
        reader.Open(path);
        ReadAll(reader);
    }
    {
        qv::SettingsWriter writer;
        if (!writer.Open(path)) __builtin_trap();
        if (!writer.Close()) __builtin_trap();
    }
    qv::SettingsReader again;
    if (!again.Open(path) || again.count() != qv::kSettingsSlotCount) __builtin_trap();
    ReadAll(again);
    return 0;
}
