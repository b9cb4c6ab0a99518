// The top layer's side of the viewer's program hooks: command dispatch and the messages of the
// main windows that concern the whole program. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/program_hooks_win.h"

namespace qv {

// Runs a command through its owner's handler; false when none takes it or it was dropped.
bool RunProgramCommand(int32_t command, CommandSource source);
// The menus, drops, forwarded command lines and closing of the main windows.
bool ProgramMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// Start-up, before the first window is made.
void InstallProgramHooks();

} // namespace qv
