// What only the top layer keeps: where the program and its settings file are, and the accelerator
// table. Start-up writes it; the key configuration replaces the table. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace qv {

struct AppState {
    std::wstring exePath, exeFolder, settingsPath;
    int32_t osClass = 0; // CurrentOsClass() at start-up; 0 (before XP) ends it
    HACCEL accelerators = nullptr;
};

extern AppState g_app;

} // namespace qv
