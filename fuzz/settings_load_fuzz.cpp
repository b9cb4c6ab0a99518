// The start-up load of arbitrary settings files, and the stored key table. Loading is the one
// gate every stored value passes, so what it lets through must survive the shutdown save: load,
// save, load and save again give the same file. The key table built from any stored blob (the
// raw input, and what the load kept) has the 122 commands in their order with keys a table can
// hold.
// Runs in the test command: 300 (each input costs tens of milliseconds under the sanitizers)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_scratch_file.h"
#include "model/settings.h"
#include "settings/accelerator_blob.h"
#include "settings/settings_file.h"
#include "settings/settings_load.h"

namespace {

void CheckKeyTable(const std::string& blob) {
    static const std::vector<qv::AccelEntry> defaults = qv::DefaultAcceleratorEntries();
    std::vector<qv::AccelEntry> table = qv::CommandKeysFromStored(blob);
    if (table.size() != defaults.size()) __builtin_trap();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].command != defaults[i].command || table[i].flags > 0x0F || table[i].key > 0xFF) __builtin_trap();
    // whole records only; what is decoded encodes to records that decode the same (the byte after
    // the flags is padding and need not survive)
    std::vector<qv::AccelEntry> records = qv::DecodeAccelerators(blob);
    if (records.size() != blob.size() / qv::kAccelRecordBytes) __builtin_trap();
    std::vector<qv::AccelEntry> again = qv::DecodeAccelerators(qv::EncodeAccelerators(records));
    if (again.size() != records.size()) __builtin_trap();
    for (size_t i = 0; i < records.size(); ++i)
        if (again[i].flags != records[i].flags || again[i].key != records[i].key ||
            again[i].command != records[i].command)
            __builtin_trap();
}

// Loads the file at `from` and saves the record to `to`, as start-up and shutdown do.
void LoadThenSave(const std::string& from, const std::string& to, qv::Settings* settings) {
    {
        qv::SettingsReader reader;
        reader.Open(qvfuzz::Wide(from));
        qv::LoadSettings(reader, L"/tmp", settings);
    }
    std::remove(to.c_str());
    qv::SettingsWriter writer;
    if (!writer.Open(qvfuzz::Wide(to), true)) __builtin_trap();
    qv::SaveSettings(writer, *settings);
    if (!writer.Close()) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckKeyTable(std::string(reinterpret_cast<const char*>(data), size));

    static const std::string input = qvfuzz::ScratchName("load_in"), first = qvfuzz::ScratchName("load_a"),
                             second = qvfuzz::ScratchName("load_b");
    if (!qvfuzz::WriteScratch(input, data, size)) return 0;
    qv::Settings loaded, reloaded;
    LoadThenSave(input, first, &loaded);
    if (loaded.SaveKey.size() > qv::kMaxAcceleratorBlobBytes || loaded.SaveKey.size() % qv::kAccelRecordBytes)
        __builtin_trap();
    CheckKeyTable(loaded.SaveKey);
    LoadThenSave(first, second, &reloaded);
    if (qvfuzz::ReadScratch(first) != qvfuzz::ReadScratch(second)) __builtin_trap();
    return 0;
}
