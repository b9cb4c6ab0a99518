#include "viewer/list_commands_win.h"

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "viewer/display_modes_win.h"

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
    g_settings.SortOrder = order;
    if (SetSortOrder(&g_session.list, order)) SyncListWindow();
    return true;
}

} // namespace qv
