// The thread's keyboard and mouse hooks while the SubWindow is shown, and the rule that keys
// typed into an edit field reach the field. Windows only.
#pragma once

#include <windows.h>

namespace qv {

// What the open editing tool tells the hooks; the tool framework fills it in when a tool opens.
// Null entries mean "no tool".
struct SubWindowToolHooks {
    bool (*toolOpen)() = nullptr;
    bool (*toolTakesEnter)() = nullptr; // false while the tool captures the mouse or refuses Enter
    bool (*colourPicking)() = nullptr;
    void (*endColourPicking)() = nullptr;
    bool (*areaDragging)() = nullptr; // the area-selection tool's drag: keys are left alone
};
void SetSubWindowToolHooks(const SubWindowToolHooks& hooks);
// True while a tool is open (its hooks say so).
bool SubWindowToolOpen();

// Entering the SubWindow installs both hooks; leaving it and shutdown remove them.
void InstallSubWindowHooks();
void RemoveSubWindowHooks();

// True for a key message bound for an edit field or a list box of a combo: the message loop then
// leaves it untranslated by the accelerators, so digits, Space, arrows and the rest reach it.
bool KeyReachesField(const MSG& message);

} // namespace qv
