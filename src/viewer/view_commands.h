// Command numbers the viewer's geometry handles or asks the window layer to run. They are the
// WM_COMMAND identifiers of the menus and accelerators; they join the one command table later.
#pragma once

#include <cstdint>

namespace qv {

constexpr int32_t kCmdZoomFit = 5210;
constexpr int32_t kCmdZoomActual = 5220; // 100 %
constexpr int32_t kCmdZoomIn = 5230;     // double
constexpr int32_t kCmdZoomOut = 5240;    // halve
constexpr int32_t kCmdZoom1000 = 5260;
constexpr int32_t kCmdZoom400 = 5261;
constexpr int32_t kCmdZoom200 = 5262;
constexpr int32_t kCmdZoom50 = 5263;
constexpr int32_t kCmdZoom25 = 5264;
constexpr int32_t kCmdZoom10 = 5265;
constexpr int32_t kCmdBackgroundWhite = 5341;
constexpr int32_t kCmdBackgroundLightGrey = 5342;
constexpr int32_t kCmdBackgroundGrey = 5343;
constexpr int32_t kCmdBackgroundDarkGrey = 5344;
constexpr int32_t kCmdBackgroundBlack = 5345;
constexpr int32_t kCmdZoomFitOrActual = 5600; // fit at 100 %, otherwise 100 %
constexpr int32_t kCmdZoomStepIn = 5610;      // + 10 %
constexpr int32_t kCmdZoomStepOut = 5611;     // - 10 %
constexpr int32_t kCmdScrollLeft = 5650;
constexpr int32_t kCmdScrollRight = 5651;
constexpr int32_t kCmdScrollUp = 5652;
constexpr int32_t kCmdScrollDown = 5653;
constexpr int32_t kCmdFirstImage = 5700;
constexpr int32_t kCmdLastImage = 5701;
constexpr int32_t kCmdPreviousImage = 5702;
constexpr int32_t kCmdNextImage = 5703;

} // namespace qv
