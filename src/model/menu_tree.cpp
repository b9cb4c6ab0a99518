#include "model/menu_tree.h"

#include <algorithm>
#include <iterator>

#include "model/command_ids.h"

namespace qv {

namespace {

constexpr int32_t kMainItems[] = {kMenuFile, kMenuEdit,      kMenuZoom,    kMenuDisplay, kMenuTools,
                                  kMenuHelp, kCmdFullScreen, kCmdMinimise, kCmdClose};
constexpr int32_t kFileItems[] = {kCmdOpen,
                                  kCmdReload,
                                  kCmdSaveAs,
                                  kCmdSave,
                                  kCmdLosslessPending,
                                  kCmdLosslessTurnLeft,
                                  kCmdLosslessTurnRight,
                                  kCmdCopy,
                                  kCmdCopyDisplayed,
                                  kCmdPaste,
                                  kCmdFileOperation,
                                  kCmdCommentEditor,
                                  kCmdTextInfo,
                                  kCmdWallpaper,
                                  kCmdPrint};
constexpr int32_t kEditItems[] = {
    kMenuSelectionAndPainting, kMenuSizeAndOrientation, kMenuColour, kMenuEffects, kCmdUndo, kCmdRedo, kCmdHistogram,
    kCmdCountColours};
constexpr int32_t kSelectionItems[] = {kCmdAreaSelection, kCmdClearSelection, kCmdPaintBrush,   kCmdCorrectionBrush,
                                       kCmdText,          kCmdComposite,      kCmdHistoryWindow};
constexpr int32_t kSizeItems[] = {kCmdTrim,      kCmdResize,  kCmdMargins, kCmdTurnByAngle, kCmdTurnLeft,
                                  kCmdTurnRight, kCmdTurn180, kCmdMirror,  kCmdFlip};
constexpr int32_t kColourItems[] = {kCmdLevels,
                                    kCmdEqualiseLuminance,
                                    kCmdShadowsHighlights,
                                    kCmdGamma,
                                    kCmdBrightness,
                                    kCmdContrast,
                                    kCmdColourBalance,
                                    kCmdHueLightnessSaturation,
                                    kCmdReplaceColour,
                                    kCmdGreyscale,
                                    kCmdNegative,
                                    kCmdUnsharpMask,
                                    kCmdSoften,
                                    kCmdFocus,
                                    kCmdNoiseReduction};
constexpr int32_t kEffectItems[] = {
    kCmdColourFilter, kCmdMosaic, kCmdJitter, kCmdEmboss, kCmdExtractEdges, kCmdPosterize, kCmdEdgePreservingSmoothing};
constexpr int32_t kZoomItems[] = {kCmdZoomFit, kCmdZoomActual, kCmdZoomIn, kCmdZoomOut, kCmdSlideshow, kMenuSort};
constexpr int32_t kSortItems[] = {kCmdSortByName, kCmdSortByDate, kCmdSortBySize};
constexpr int32_t kDisplayItems[] = {kCmdSubWindow,   kCmdListWindow, kCmdTopMost, kCmdCentreOnMonitor,
                                     kCmdCaptionBar,  kCmdFrame,      kCmdToolBar, kCmdAutoNavigator,
                                     kMenuBackground, kMenuArrange};
constexpr int32_t kBackgroundItems[] = {kCmdBackgroundWhite, kCmdBackgroundLightGrey, kCmdBackgroundGrey,
                                        kCmdBackgroundDarkGrey, kCmdBackgroundBlack};
constexpr int32_t kArrangeItems[] = {kCmdArrangeGrid, kCmdArrangeSideBySide, kCmdArrangeStacked, kCmdArrangeCentre,
                                     kCmdArrangeClose};
constexpr int32_t kToolItems[] = {kCmdOptions};
constexpr int32_t kHelpItems[] = {kCmdHelp, kCmdStartupInfo, kCmdAbout};
constexpr int32_t kZoomPresetItems[] = {kCmdZoom1000, kCmdZoom400, kCmdZoom200, kCmdZoom50, kCmdZoom25, kCmdZoom10};

constexpr MenuPopupLayout kPopups[] = {
    {0, kMainItems},
    {0, kZoomPresetItems},
    {kMenuFile, kFileItems},
    {kMenuEdit, kEditItems},
    {kMenuSelectionAndPainting, kSelectionItems},
    {kMenuSizeAndOrientation, kSizeItems},
    {kMenuColour, kColourItems},
    {kMenuEffects, kEffectItems},
    {kMenuZoom, kZoomItems},
    {kMenuSort, kSortItems, true},
    {kMenuDisplay, kDisplayItems},
    {kMenuBackground, kBackgroundItems, true},
    {kMenuArrange, kArrangeItems},
    {kMenuTools, kToolItems},
    {kMenuHelp, kHelpItems},
};

} // namespace

std::span<const MenuPopupLayout> MenuPopups() {
    return kPopups;
}

const MenuPopupLayout* FindMenuPopup(int32_t number) {
    if (number == 0) return nullptr;
    for (const MenuPopupLayout& p : kPopups)
        if (p.number == number) return &p;
    return nullptr;
}

const MenuPopupLayout& MainPopup() {
    return kPopups[0];
}

const MenuPopupLayout& ZoomPresetPopup() {
    return kPopups[1];
}

} // namespace qv
