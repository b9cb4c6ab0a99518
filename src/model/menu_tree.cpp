#include "model/menu_tree.h"

#include <algorithm>
#include <iterator>

#include "model/command_ids.h"
#include "model/image_buffer.h"
#include "model/ui_strings.h"

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
constexpr int32_t kToolItems[] = {kCmdOptions, kCmdKeyConfigTemporary};
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

// Commands that do something today. Keep sorted.
constexpr int32_t kHandledCommands[] = {
    kCmdOpen,
    kCmdReload,
    kCmdSaveAs,
    kCmdSave,
    kCmdLosslessPending,
    kCmdLosslessTurnRight,
    kCmdLosslessTurnLeft,
    kCmdTextInfo,
    kCmdHistoryWindow,
    kCmdZoomFit,
    kCmdZoomActual,
    kCmdZoomIn,
    kCmdZoomOut,
    kCmdSlideshow,
    kCmdSortByName,
    kCmdSortByDate,
    kCmdSortBySize,
    kCmdZoom1000,
    kCmdZoom400,
    kCmdZoom200,
    kCmdZoom50,
    kCmdZoom25,
    kCmdZoom10,
    kCmdSubWindow,
    kCmdListWindow,
    kCmdTopMost,
    kCmdCentreOnMonitor,
    kCmdCaptionBar,
    kCmdFrame,
    kCmdToolBar,
    kCmdAutoNavigator,
    kCmdBackgroundWhite,
    kCmdBackgroundLightGrey,
    kCmdBackgroundGrey,
    kCmdBackgroundDarkGrey,
    kCmdBackgroundBlack,
    kCmdArrangeGrid,
    kCmdArrangeSideBySide,
    kCmdArrangeStacked,
    kCmdArrangeCentre,
    kCmdArrangeClose,
    kCmdKeyConfigTemporary,
    kCmdExternalProgramFirst,
    kCmdExternalProgramFirst + 1,
    kCmdExternalProgramFirst + 2,
    kCmdExternalProgramFirst + 3,
    kCmdExternalProgramFirst + 4,
    kCmdExternalProgramFirst + 5,
    kCmdExternalProgramFirst + 6,
    kCmdExternalProgramFirst + 7,
    kCmdHelp,
    kCmdAbout,
    kCmdFullScreen,
    kCmdMinimise,
    kCmdClose,
    kCmdZoomFitOrActual,
    kCmdZoomStepIn,
    kCmdZoomStepOut,
    kCmdFirstImage,
    kCmdLastImage,
    kCmdPreviousImage,
    kCmdNextImage,
    kCmdScrollBars,
    kCmdPaneSingle,
    kCmdPaneSideBySide,
    kCmdPaneStacked,
    kCmdSavePreview,
};

bool IsArchiveBound(int32_t command) {
    switch (command) {
    case kCmdSave:
    case kCmdLosslessPending:
    case kCmdLosslessTurnRight:
    case kCmdLosslessTurnLeft:
    case kCmdCommentEditor:
    case kCmdFileOperation: return true;
    default: return false;
    }
}

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

bool CommandHasHandler(int32_t command) {
    static_assert(std::is_sorted(std::begin(kHandledCommands), std::end(kHandledCommands)));
    return std::binary_search(std::begin(kHandledCommands), std::end(kHandledCommands), command);
}

MenuItemState MenuStateByRules(int32_t command, const MenuFacts& f) {
    MenuItemState s;
    bool jpeg = f.sourceFormat == kFormatJpeg, png = f.sourceFormat == kFormatPng;
    switch (command) {
    // file menu
    case kCmdReload: s.enabled = f.hasImage && f.hasFilePath; break;
    case kCmdSaveAs:
    case kCmdCopy:
    case kCmdCopyDisplayed:
    case kCmdWallpaper:
    case kCmdPrint: s.enabled = f.hasImage; break;
    case kCmdSave: s.enabled = f.hasImage && f.mode == DisplayMode::SubWindow; break;
    case kCmdLosslessPending:
    case kCmdLosslessTurnRight:
    case kCmdLosslessTurnLeft: s.enabled = f.hasImage && jpeg; break;
    case kCmdCommentEditor: s.enabled = f.hasImage && (jpeg || png); break;
    case kCmdTextInfo: s.enabled = f.hasImage && f.textPresent; break;
    case kCmdFileOperation: s.enabled = f.hasFilePath; break;
    case kCmdPaste: s.enabled = f.clipboardHasDib; break;
    // display menu
    case kCmdCentreOnMonitor: s.enabled = f.mode == DisplayMode::ViewWindow; break;
    case kCmdTopMost: s.checked = f.top; break;
    case kCmdCaptionBar:
        s.enabled = f.mode == DisplayMode::ViewWindow;
        s.checked = f.capBar;
        break;
    case kCmdFrame:
        s.enabled = f.mode == DisplayMode::ViewWindow && !f.capBar;
        s.checked = f.frame;
        break;
    case kCmdToolBar: s.checked = f.vtBar; break;
    case kCmdAutoNavigator: s.checked = f.autoNavi; break;
    // radio groups
    case kCmdSortByName:
    case kCmdSortByDate:
    case kCmdSortBySize: // any other order sorts by size
        s.checked = command - kCmdSortByName == (f.sortOrder == 0 || f.sortOrder == 1 ? f.sortOrder : 2);
        break;
    case kCmdBackgroundWhite:
    case kCmdBackgroundLightGrey:
    case kCmdBackgroundGrey:
    case kCmdBackgroundDarkGrey:
    case kCmdBackgroundBlack: s.checked = command - kCmdBackgroundWhite == f.background; break;
    case kCmdNoExternalProgram: s.enabled = false; break;
    default: break;
    }
    if (f.archiveMember && IsArchiveBound(command)) s.enabled = false;
    return s;
}

MenuItemState MenuStateOf(int32_t command, const MenuFacts& f) {
    MenuItemState s = MenuStateByRules(command, f);
    if (!CommandHasHandler(command)) s.enabled = false;
    return s;
}

int32_t MenuTextNumber(int32_t command, DisplayMode mode) {
    if (command == kCmdSubWindow && mode == DisplayMode::SubWindow) return kStrSubWindowItemBack;
    if (command == kCmdFullScreen && mode == DisplayMode::FullScreen) return kStrFullScreenItemLeave;
    return command;
}

} // namespace qv
