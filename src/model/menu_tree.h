// The context menu as data: which popup holds which items, which items are radio items, and which
// items are enabled or checked when a popup opens. The window layer builds and shows the menus.
#pragma once

#include <cstdint>
#include <span>

#include "viewer/view_geometry.h"

namespace qv {

struct MenuPopupLayout {
    int32_t number; // the submenu's number (also its text); 0 for the main and zoom-preset popups
    std::span<const int32_t> items;
    bool radio = false; // every item is a radio item
};

// The main popup, the zoom-preset popup and every submenu; an item whose number is a submenu's
// opens that submenu. The tools popup lists only its fixed items: the external programs follow.
std::span<const MenuPopupLayout> MenuPopups();
const MenuPopupLayout* FindMenuPopup(int32_t number);
const MenuPopupLayout& MainPopup();
const MenuPopupLayout& ZoomPresetPopup();

// True for commands whose handlers exist. Every other command is shown disabled; a subsystem that
// brings a handler adds its numbers to this one list.
bool CommandHasHandler(int32_t command);

// What decides the menu states.
struct MenuFacts {
    DisplayMode mode = DisplayMode::ViewWindow;
    bool hasImage = false;
    bool archiveMember = false; // the current image comes from a ZIP, RAR or plug-in listing
    bool hasFilePath = false;
    uint32_t sourceFormat = 0;
    bool textPresent = false;
    bool clipboardHasDib = false;
    bool top = false, capBar = true, frame = true, vtBar = true, autoNavi = true;
    int32_t sortOrder = 0;
    int32_t background = 0; // of the current surface, 0-4
};

struct MenuItemState {
    bool enabled = true;
    bool checked = false;
};

// The enabling and check rules alone.
MenuItemState MenuStateByRules(int32_t command, const MenuFacts& facts);
// The rules, then disabled when the command has no handler yet.
MenuItemState MenuStateOf(int32_t command, const MenuFacts& facts);

// The text number of an item: the alternative texts of 5310 and 5530 in their modes.
int32_t MenuTextNumber(int32_t command, DisplayMode mode);

} // namespace qv
