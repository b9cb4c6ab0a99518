// The thread's keyboard and mouse hooks while the SubWindow is shown, and the rule that keys
// typed into an edit field reach the field. Windows only.
#pragma once

#include <windows.h>

namespace qv {

// What the open editing tool tells the viewer; the tool framework fills it in at start-up. Null
// entries mean "no tool".
struct SubWindowToolHooks {
    void (*cancelTool)() = nullptr; // closes the open tool without applying
    bool (*toolOpen)() = nullptr;
    bool (*toolTakesEnter)() = nullptr; // false while the tool captures the mouse or refuses Enter
    bool (*colourPicking)() = nullptr;
    void (*endColourPicking)() = nullptr;
    bool (*areaDragging)() = nullptr; // the area-selection tool's drag: keys are left alone
    // The panes' mouse, drawing and cursor for a tool that takes points from the view. `pane` is
    // 1 for the source pane and 2 for the result; points are in the pane's client pixels.
    bool (*paneMouse)(int pane, UINT message, WPARAM keys, POINT client) = nullptr; // true: taken
    void (*paintPane)(int pane, HDC dc) = nullptr;                                  // over the image
    bool (*paneCursor)(int pane, POINT client) = nullptr;                           // true: the tool set the cursor
};
void SetSubWindowToolHooks(const SubWindowToolHooks& hooks);
// True while a tool is open (its hooks say so).
bool SubWindowToolOpen();
// Closes the open tool without applying; nothing without one. Every path that closes or changes
// the view, or loads another image, calls it first.
void CancelOpenTool();
// The panes ask the open tool first; without one, or when it declines, they go on as usual.
bool ToolTakesPaneMouse(int pane, UINT message, WPARAM keys, POINT client);
void PaintToolOverPane(int pane, HDC dc);
bool SetToolPaneCursor(int pane, POINT client);

// Entering the SubWindow installs both hooks; leaving it and shutdown remove them.
void InstallSubWindowHooks();
void RemoveSubWindowHooks();

// True for a key message bound for an edit field or a list box of a combo: the message loop then
// leaves it untranslated by the accelerators, so digits, Space, arrows and the rest reach it.
bool KeyReachesField(const MSG& message);

} // namespace qv
