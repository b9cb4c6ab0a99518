// Command numbers of the shell, beside the viewer's (viewer/view_commands.h). They are the
// WM_COMMAND identifiers of menus and accelerators and the string numbers of the menu texts.
#pragma once

#include <cstdint>

#include "viewer/view_commands.h"

namespace qv {

constexpr int32_t kCmdOpen = 5010;
constexpr int32_t kCmdReload = 5011;
constexpr int32_t kCmdLosslessPending = 5014;   // make the pending rotation permanent
constexpr int32_t kCmdLosslessTurnRight = 5020; // lossless turn by 90 degrees clockwise
constexpr int32_t kCmdLosslessTurnLeft = 5021;  // lossless turn by 90 degrees counter-clockwise
constexpr int32_t kCmdTextInfo = 5041;
constexpr int32_t kCmdSortByName = 5252;
constexpr int32_t kCmdSortByDate = 5253;
constexpr int32_t kCmdSortBySize = 5254;
constexpr int32_t kCmdSubWindow = 5310;
constexpr int32_t kCmdFitWindowToImage = 5321;
constexpr int32_t kCmdOptions = 5410;
constexpr int32_t kCmdFullScreen = 5530;
constexpr int32_t kCmdMinimise = 5540;
constexpr int32_t kCmdClose = 5550;

// DClick and LRClick values: 0 close, 1 SubWindow, 2 full screen, 3 minimise.
int32_t MouseActionCommand(int32_t action);

// One handler per subsystem; each answers false for numbers it does not own.
using CommandHandler = bool (*)(int32_t command);

} // namespace qv
