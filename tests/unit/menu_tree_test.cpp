// The context-menu tree and the rules that enable and check its items.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "model/command_ids.h"
#include "model/image_buffer.h"
#include "model/menu_tree.h"
#include "settings/accelerator_blob.h"

namespace qv {
namespace {

TEST(MenuTree, EverySubmenuHangsOnceAndEveryNumberAppearsOnce) {
    std::map<int32_t, int> uses;
    for (const MenuPopupLayout& p : MenuPopups())
        for (int32_t item : p.items)
            ++uses[item];
    for (const auto& [number, count] : uses)
        EXPECT_EQ(count, 1) << number;
    for (const MenuPopupLayout& p : MenuPopups()) {
        if (p.number == 0) continue;
        EXPECT_EQ(uses.count(p.number), 1u) << "submenu " << p.number << " is not reachable";
        EXPECT_EQ(FindMenuPopup(p.number), &p);
    }
    EXPECT_EQ(FindMenuPopup(kCmdOpen), nullptr);
}

TEST(MenuTree, MainAndZoomPresetPopupsInTheirOrder) {
    const std::vector<int32_t> main(MainPopup().items.begin(), MainPopup().items.end());
    EXPECT_EQ(main, (std::vector<int32_t>{5000, 5100, 5200, 5300, 5400, 5500, 5530, 5540, 5550}));
    const std::vector<int32_t> zoom(ZoomPresetPopup().items.begin(), ZoomPresetPopup().items.end());
    EXPECT_EQ(zoom, (std::vector<int32_t>{5260, 5261, 5262, 5263, 5264, 5265}));
    const MenuPopupLayout* file = FindMenuPopup(kMenuFile);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->items.size(), 15u);
    // the JPEG items are listed 5014, 5021, 5020
    EXPECT_EQ(file->items[5], 5021);
    EXPECT_EQ(file->items[6], 5020);
}

TEST(MenuTree, OnlySortAndBackgroundAreRadioGroups) {
    std::set<int32_t> radio;
    for (const MenuPopupLayout& p : MenuPopups())
        if (p.radio) radio.insert(p.number);
    EXPECT_EQ(radio, (std::set<int32_t>{kMenuSort, kMenuBackground}));
}

TEST(MenuTree, EveryMenuCommandCanCarryAKey) {
    std::set<int32_t> configurable;
    for (const AccelEntry& e : DefaultAcceleratorEntries())
        configurable.insert(e.command);
    for (const MenuPopupLayout& p : MenuPopups())
        for (int32_t item : p.items)
            if (!FindMenuPopup(item)) EXPECT_EQ(configurable.count(item), 1u) << item;
}

MenuFacts ImageFacts(uint32_t format) {
    MenuFacts f;
    f.hasImage = true;
    f.hasFilePath = true;
    f.sourceFormat = format;
    return f;
}

TEST(MenuStates, FileMenuWithoutAnImage) {
    MenuFacts none;
    for (int32_t c : {5011, 5012, 5013, 5014, 5020, 5021, 5030, 5035, 5040, 5041, 5050, 5060})
        EXPECT_FALSE(MenuStateByRules(c, none).enabled) << c;
    EXPECT_TRUE(MenuStateByRules(kCmdOpen, none).enabled);
    EXPECT_FALSE(MenuStateByRules(kCmdFileOperation, none).enabled);
    none.clipboardHasDib = true;
    EXPECT_TRUE(MenuStateByRules(kCmdPaste, none).enabled);
}

TEST(MenuStates, FileMenuFollowsFormatSourceAndMode) {
    MenuFacts png = ImageFacts(kFormatPng);
    EXPECT_TRUE(MenuStateByRules(kCmdCommentEditor, png).enabled);
    EXPECT_FALSE(MenuStateByRules(kCmdLosslessPending, png).enabled);
    EXPECT_FALSE(MenuStateByRules(kCmdTextInfo, png).enabled);
    png.textPresent = true;
    EXPECT_TRUE(MenuStateByRules(kCmdTextInfo, png).enabled);
    EXPECT_FALSE(MenuStateByRules(kCmdSave, png).enabled); // ViewWindow
    png.mode = DisplayMode::SubWindow;
    EXPECT_TRUE(MenuStateByRules(kCmdSave, png).enabled);

    MenuFacts jpeg = ImageFacts(kFormatJpeg);
    for (int32_t c : {5014, 5020, 5021, 5040, 5032, 5011})
        EXPECT_TRUE(MenuStateByRules(c, jpeg).enabled) << c;
    jpeg.archiveMember = true;
    jpeg.mode = DisplayMode::SubWindow;
    for (int32_t c : {5013, 5014, 5020, 5021, 5040, 5032})
        EXPECT_FALSE(MenuStateByRules(c, jpeg).enabled) << c;
    EXPECT_TRUE(MenuStateByRules(kCmdReload, jpeg).enabled);
    EXPECT_FALSE(MenuStateByRules(kCmdPaste, jpeg).enabled);

    MenuFacts bmp = ImageFacts(kFormatBmp);
    bmp.hasFilePath = false; // a pasted image
    EXPECT_FALSE(MenuStateByRules(kCmdReload, bmp).enabled);
    EXPECT_TRUE(MenuStateByRules(kCmdCopy, bmp).enabled);
}

TEST(MenuStates, DisplayMenuChecksAndModes) {
    MenuFacts f;
    f.top = true;
    f.capBar = true;
    f.frame = true;
    f.vtBar = false;
    EXPECT_TRUE(MenuStateByRules(kCmdTopMost, f).checked);
    EXPECT_TRUE(MenuStateByRules(kCmdCaptionBar, f).checked);
    EXPECT_FALSE(MenuStateByRules(kCmdFrame, f).enabled); // only without the caption bar
    EXPECT_TRUE(MenuStateByRules(kCmdFrame, f).checked);
    EXPECT_FALSE(MenuStateByRules(kCmdToolBar, f).checked);
    EXPECT_TRUE(MenuStateByRules(kCmdAutoNavigator, f).checked);
    f.capBar = false;
    EXPECT_TRUE(MenuStateByRules(kCmdFrame, f).enabled);
    EXPECT_TRUE(MenuStateByRules(kCmdCentreOnMonitor, f).enabled);
    for (DisplayMode m : {DisplayMode::SubWindow, DisplayMode::FullScreen}) {
        f.mode = m;
        EXPECT_FALSE(MenuStateByRules(kCmdCentreOnMonitor, f).enabled);
        EXPECT_FALSE(MenuStateByRules(kCmdCaptionBar, f).enabled);
        EXPECT_FALSE(MenuStateByRules(kCmdFrame, f).enabled);
    }
}

TEST(MenuStates, RadioMarks) {
    MenuFacts f;
    for (int32_t order : {0, 1, 2, 7, -1}) {
        f.sortOrder = order;
        int32_t expected = order == 0 || order == 1 ? kCmdSortByName + order : kCmdSortBySize;
        for (int32_t c = kCmdSortByName; c <= kCmdSortBySize; ++c)
            EXPECT_EQ(MenuStateByRules(c, f).checked, c == expected) << order << " " << c;
    }
    f.background = 3;
    for (int32_t c = kCmdBackgroundWhite; c <= kCmdBackgroundBlack; ++c)
        EXPECT_EQ(MenuStateByRules(c, f).checked, c == kCmdBackgroundDarkGrey) << c;
}

TEST(MenuStates, CommandsWithoutHandlersStayDisabled) {
    MenuFacts jpeg = ImageFacts(kFormatJpeg);
    EXPECT_TRUE(MenuStateByRules(kCmdPrint, jpeg).enabled);
    EXPECT_EQ(MenuStateOf(kCmdPrint, jpeg).enabled, CommandHasHandler(kCmdPrint));
    EXPECT_TRUE(MenuStateOf(kCmdOpen, jpeg).enabled);
    EXPECT_TRUE(MenuStateOf(kCmdOptions, jpeg).enabled);
    EXPECT_FALSE(MenuStateOf(kCmdNoExternalProgram, jpeg).enabled);
}

TEST(MenuTexts, AlternativeTextsInTheirModes) {
    EXPECT_EQ(MenuTextNumber(kCmdSubWindow, DisplayMode::ViewWindow), 5310);
    EXPECT_EQ(MenuTextNumber(kCmdSubWindow, DisplayMode::SubWindow), 5309);
    EXPECT_EQ(MenuTextNumber(kCmdFullScreen, DisplayMode::FullScreen), 5531);
    EXPECT_EQ(MenuTextNumber(kCmdFullScreen, DisplayMode::SubWindow), 5530);
    EXPECT_EQ(MenuTextNumber(kCmdOpen, DisplayMode::FullScreen), 5010);
}

} // namespace
} // namespace qv
