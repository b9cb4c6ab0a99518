// The context menu as data: which popup holds which items and which items are radio items. The
// command table decides which items are enabled or checked; app/ builds and shows the menus.
#pragma once

#include <cstdint>
#include <span>

#include "model/command_table.h" // the rows that enable and check the items

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

} // namespace qv
