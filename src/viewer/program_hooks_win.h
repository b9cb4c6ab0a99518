// What the viewer's windows hand up to the program's top layer. The viewer knows nothing above it:
// start-up installs these hooks, and the windows call through them for command dispatch, the menus
// and the messages that concern the whole program. Every hook may be missing (nothing happens).
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

enum class CommandSource { Program, Accelerator };

struct ProgramHooks {
    // Runs a command number; false when nobody handles it or it was dropped.
    bool (*runCommand)(int32_t command, CommandSource source) = nullptr;
    // The program's share of a main window's messages: the context menu and its owner-drawn items,
    // Alt alone, dropped files, a forwarded command line (WM_COPYDATA), closing and the end of the
    // session. True when handled, with the message's answer in *result.
    bool (*windowMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = nullptr;
    // The built popup of a submenu of the menu tree (the SubWindow's tool-group buttons); null when
    // there is none.
    HMENU (*menuPopup)(int32_t number) = nullptr;
    // The zoom-preset menu at a screen point.
    void (*zoomPresetMenu)(HWND owner, POINT screen) = nullptr;
};

void SetProgramHooks(const ProgramHooks& hooks);

// Runs a command number in the window of the current DisplayMode; false when nobody handles it or
// the command was dropped (during a mouse drag; from an accelerator while the ViewWindow is
// minimised, except minimise/restore).
bool RunCommand(int32_t command, CommandSource source = CommandSource::Program);
// WM_COMMAND: notification code 1 marks an accelerator.
bool RunCommandMessage(WPARAM wParam);
// Hands a message to the top layer; false when it did not take it.
bool ProgramWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
HMENU ProgramMenuPopup(int32_t number);
void ShowZoomPresetMenu(HWND owner, POINT screen);

} // namespace qv
