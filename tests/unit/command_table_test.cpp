// The command table: every number the program shows or sends has exactly one row, so the dispatch
// and the menu states can rely on it; the tool rows are where the tool framework will plug in.
#include <gtest/gtest.h>

#include "model/command_table.h"
#include "model/menu_tree.h"
#include "settings/accelerator_blob.h"

namespace qv {
namespace {

TEST(CommandTable, EveryMenuItemAndEveryKeyHasARow) {
    for (const MenuPopupLayout& p : MenuPopups())
        for (int32_t item : p.items)
            if (!FindMenuPopup(item)) EXPECT_NE(FindCommand(item), nullptr) << item;
    for (const AccelEntry& e : DefaultAcceleratorEntries())
        EXPECT_NE(FindCommand(e.command), nullptr) << e.command;
    EXPECT_EQ(FindCommand(kMenuFile), nullptr); // submenus are no commands
    EXPECT_EQ(FindCommand(4999), nullptr);
}

TEST(CommandTable, ToolRowsWaitForTheToolFramework) {
    int tools = 0;
    for (const CommandRow& row : CommandTable()) {
        if (!(row.flags & kCommandTool)) continue;
        ++tools;
        bool edit = (row.number >= kCmdTrim && row.number <= kCmdComposite) ||
                    (row.number >= kCmdColourFilter && row.number <= kCmdEdgePreservingSmoothing);
        EXPECT_TRUE(edit || row.number == kCmdApplyTool || row.number == kCmdCancelTool) << row.number;
        EXPECT_EQ(row.owner, CommandOwner::None) << row.number;
    }
    EXPECT_EQ(tools, 39); // the 37 tools, apply and cancel
    EXPECT_TRUE(IsToolCommand(kCmdResize));
    EXPECT_FALSE(IsToolCommand(kCmdUndo));
    // a tool needs an image before its handler can open it
    MenuFacts none;
    EXPECT_FALSE(MenuStateByRules(kCmdResize, none).enabled);
}

TEST(CommandTable, KeyOnlyCommandsAreHandled) {
    for (int32_t c : {kCmdZoomFitOrActual, kCmdZoomStepIn, kCmdScrollLeft, kCmdScrollDown, kCmdNextImage,
                      kCmdSavePreview, kCmdToggleDither, kCmdMarkers0 + 2})
        EXPECT_TRUE(CommandHasHandler(c)) << c;
}

} // namespace
} // namespace qv
