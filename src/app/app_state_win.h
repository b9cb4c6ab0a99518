// What only the top layer keeps: where the program and its settings file are, and the accelerator
// table. Start-up writes it; the key configuration replaces the table. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace qv {

struct AppState {
    std::wstring exePath, exeFolder, settingsPath;
    HACCEL accelerators = nullptr;
};

extern AppState g_app;

} // namespace qv
