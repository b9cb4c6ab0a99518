// The SubWindow rebar's rules: numbers typed into its fields, the rows it starts with, what Enter
// and Esc do in the SubWindow, and when the tool-group menus switch like a menu bar.
#include "viewer/rebar_rules.h"

#include <gtest/gtest.h>

#include "model/command_ids.h"

namespace qv {
namespace {

constexpr uint32_t kEnter = 0x0D, kEscape = 0x1B, kSpace = 0x20;

TEST(RebarFieldNumbers, AcceptBlanksAroundDigitsAndClampIntoTheRange) {
    int32_t v = -1;
    EXPECT_TRUE(ParseFieldNumber(L"85", 1, 100, false, &v));
    EXPECT_EQ(v, 85);
    EXPECT_TRUE(ParseFieldNumber(L"  7 ", 1, 100, false, &v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(ParseFieldNumber(L"0", 1, 100, false, &v));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(ParseFieldNumber(L"250", 1, 100, false, &v));
    EXPECT_EQ(v, 100);
    // far beyond 32 bits still clamps instead of wrapping into a small number
    EXPECT_TRUE(ParseFieldNumber(L"99999999999999999999", 0, 9, false, &v));
    EXPECT_EQ(v, 9);
}

TEST(RebarFieldNumbers, RefuseTextThatIsNoNumberAndLeaveTheValue) {
    int32_t v = 42;
    EXPECT_FALSE(ParseFieldNumber(L"", 1, 100, false, &v));
    EXPECT_FALSE(ParseFieldNumber(L"   ", 1, 100, false, &v));
    EXPECT_FALSE(ParseFieldNumber(L"-5", 1, 100, false, &v));
    EXPECT_FALSE(ParseFieldNumber(L"5a", 1, 100, false, &v));
    EXPECT_FALSE(ParseFieldNumber(L"1 2", 1, 100, false, &v));
    EXPECT_FALSE(ParseFieldNumber(L"50%", 1, 100, false, &v)) << "a percent sign only where the field allows it";
    EXPECT_FALSE(ParseFieldNumber(nullptr, 1, 100, false, &v));
    EXPECT_EQ(v, 42);
}

TEST(RebarZoomField, ReadsAPercentageWithinOneTo1600) {
    double zoom = 0;
    EXPECT_TRUE(ParseZoomPercentText(L"200", &zoom));
    EXPECT_DOUBLE_EQ(zoom, 2.0);
    EXPECT_TRUE(ParseZoomPercentText(L"33 %", &zoom));
    EXPECT_DOUBLE_EQ(zoom, 0.33);
    EXPECT_TRUE(ParseZoomPercentText(L"5000%", &zoom));
    EXPECT_DOUBLE_EQ(zoom, 16.0);
    EXPECT_TRUE(ParseZoomPercentText(L"0", &zoom));
    EXPECT_DOUBLE_EQ(zoom, 0.01);
    zoom = 1.5;
    EXPECT_FALSE(ParseZoomPercentText(L"%", &zoom));
    EXPECT_FALSE(ParseZoomPercentText(L"34% 5", &zoom));
    EXPECT_DOUBLE_EQ(zoom, 1.5);
}

TEST(RebarRows, OneStoredRowMaximisesBandTwoOtherwiseTwoRowsMaximiseBandOne) {
    EXPECT_EQ(RebarRowsFromSetting(1), 1);
    EXPECT_EQ(RebarRowsFromSetting(0), 1);
    EXPECT_EQ(RebarRowsFromSetting(-3), 1);
    EXPECT_EQ(RebarRowsFromSetting(2), 2);
    EXPECT_EQ(RebarRowsFromSetting(7), 2);
    EXPECT_EQ(MaximisedBandIndex(1), 1);
    EXPECT_EQ(MaximisedBandIndex(2), 0);
}

SubWindowKeyAction Decide(uint32_t key, const SubWindowKeyFacts& f, bool* swallow) {
    return DecideSubWindowKey(key, f, swallow);
}

TEST(SubWindowKeys, EnterAppliesAnOpenToolUnlessItRefusesAndOtherwiseCommitsANumberField) {
    bool swallow = false;
    SubWindowKeyFacts f;
    f.toolOpen = true;
    f.numberFieldFocused = true;
    EXPECT_EQ(Decide(kEnter, f, &swallow), SubWindowKeyAction::ApplyTool);
    EXPECT_TRUE(swallow);
    f.toolTakesEnter = false; // capturing the mouse: Enter goes on, and no field commit either
    EXPECT_EQ(Decide(kEnter, f, &swallow), SubWindowKeyAction::None);
    EXPECT_FALSE(swallow);
    f = SubWindowKeyFacts{};
    f.numberFieldFocused = true;
    EXPECT_EQ(Decide(kEnter, f, &swallow), SubWindowKeyAction::CommitFieldPreview);
    EXPECT_TRUE(swallow);
    f.numberFieldFocused = false;
    EXPECT_EQ(Decide(kEnter, f, &swallow), SubWindowKeyAction::None);
    EXPECT_FALSE(swallow) << "Enter without tool or field keeps its accelerator (full screen)";
}

TEST(SubWindowKeys, EscEndsPickingThenCancelsTheToolThenClosesTheHistory) {
    bool swallow = false;
    SubWindowKeyFacts f;
    f.toolOpen = true;
    f.colourPicking = true;
    f.historyOpen = true;
    EXPECT_EQ(Decide(kEscape, f, &swallow), SubWindowKeyAction::EndColourPicking);
    EXPECT_TRUE(swallow);
    f.colourPicking = false;
    EXPECT_EQ(Decide(kEscape, f, &swallow), SubWindowKeyAction::CancelTool);
    EXPECT_TRUE(swallow);
    f.toolOpen = false;
    EXPECT_EQ(Decide(kEscape, f, &swallow), SubWindowKeyAction::CloseHistory);
    EXPECT_TRUE(swallow);
    f.historyOpen = false;
    EXPECT_EQ(Decide(kEscape, f, &swallow), SubWindowKeyAction::None);
    EXPECT_FALSE(swallow) << "Esc alone keeps its accelerator";
    f.toolOpen = true;
    EXPECT_EQ(Decide(kSpace, f, &swallow), SubWindowKeyAction::None);
    EXPECT_FALSE(swallow);
}

TEST(ToolGroupMenus, SwitchOnlyBetweenTheFourGroupsWithAnImage) {
    EXPECT_EQ(ToolGroupToSwitchTo(kMenuSelectionAndPainting, kMenuEffects, true), kMenuEffects);
    EXPECT_EQ(ToolGroupToSwitchTo(kMenuColour, kMenuSizeAndOrientation, true), kMenuSizeAndOrientation);
    EXPECT_EQ(ToolGroupToSwitchTo(kMenuColour, kMenuColour, true), 0) << "the open menu stays";
    EXPECT_EQ(ToolGroupToSwitchTo(kMenuColour, kMenuEffects, false), 0);
    EXPECT_EQ(ToolGroupToSwitchTo(0, kMenuEffects, true), 0) << "no menu open";
    EXPECT_EQ(ToolGroupToSwitchTo(kMenuColour, kCmdOpen, true), 0);
    EXPECT_EQ(ToolGroupToSwitchTo(kMenuColour, 0, true), 0);
}

} // namespace
} // namespace qv
