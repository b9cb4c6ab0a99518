#include "sources/list_commands_win.h"

#include "app/app_state.h"
#include "app/command_ids.h"
#include "viewer/display_modes.h"

namespace qv {

bool HandleListCommand(int32_t command) {
    int32_t order;
    switch (command) {
    case kCmdSortByName: order = kSortByName; break;
    case kCmdSortByDate: order = kSortByDate; break;
    case kCmdSortBySize: order = kSortBySize; break;
    default: return false;
    }
    // the setting is what the next list is built with, so it changes even without a list
    g_app.settings.SortOrder = order;
    if (SetSortOrder(&g_app.session.list, order)) SyncListWindow();
    return true;
}

} // namespace qv
