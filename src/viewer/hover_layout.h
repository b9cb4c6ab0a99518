// The arithmetic of the ViewWindow's hover helpers: when the hover tool bar and the navigator
// appear, where the navigator goes, when a hidden cursor comes back, where the tool bar's
// full-screen buttons start and what its position field says. The window layer measures and asks.
#pragma once

#include <cstdint>
#include <string>

#include "viewer/view_geometry.h"

namespace qv {

constexpr int32_t kToolBarStripHeight = 22;   // pointer this close to the top shows the tool bar
constexpr int32_t kToolBarMinimumClient = 48; // smaller clients never show it
constexpr int32_t kToolBarHostWidth = 400;    // outside full screen
constexpr int32_t kToolBarHostHeight = 24;
constexpr int32_t kNavigatorStripWidth = 22;     // rightmost client pixels that call the navigator
constexpr int32_t kNavigatorStripBottom = 120;   // ... above this y
constexpr int32_t kNavigatorKeepBottom = 121;    // full screen keeps it while above this y
constexpr int32_t kNavigatorMinimumClient = 240; // both client sides larger than this
constexpr int32_t kCursorWakeDistance = 16;      // a larger move in x or y shows a hidden cursor

// The pointer is in the top strip of a client tall enough to carry the tool bar.
bool InToolBarStrip(ViewPoint p, ViewSize client);

struct AutoNavigatorFacts {
    DisplayMode mode = DisplayMode::ViewWindow;
    bool enabled = false;      // AutoNavi
    bool shown = false;        // the navigator is up now
    bool shownByStrip = false; // ... and this rule put it there
    ViewSize client;
    ViewSize scaled; // the image as drawn
};

enum class NavigatorChange { None, Show, Hide };

// What a pointer move at `p` (client coordinates) does to the automatic navigator.
NavigatorChange AutoNavigatorOnMove(const AutoNavigatorFacts& f, ViewPoint p);

// Top-left corner of a navigator window of `size` placed at the top right of `anchor` (screen
// rectangle of the view or pane client), its right edge kept inside `workArea`; `belowTop` pushes
// it down, as below the full-screen tool bar.
ViewPoint NavigatorPosition(ViewRect anchor, ViewRect workArea, ViewSize size, int32_t belowTop);

// A hidden cursor comes back after the pointer went more than 16 pixels away in x or y.
bool CursorShouldWake(ViewPoint hiddenAt, ViewPoint now);

// Width of the spacer that pushes the full-screen group to the right edge: the room left of the
// group less what the buttons before the spacer take, never negative.
int32_t FullScreenSpacerWidth(int32_t barWidth, int32_t beforeSpacer, int32_t groupWidth);

// The tool bar's position field: "3 / 12" for the third of twelve entries, empty without a list.
std::wstring PositionFieldText(uint32_t current, uint32_t count);

} // namespace qv
