// Every command number of the program in one table. They are the WM_COMMAND identifiers of the
// menus, accelerators and tool bars, and the string numbers of the menu texts (a submenu's number
// names its text as well).
#pragma once

#include <cstdint>

namespace qv {

// ---- submenus of the context menu
constexpr int32_t kMenuFile = 5000;
constexpr int32_t kMenuEdit = 5100;
constexpr int32_t kMenuSelectionAndPainting = 5105;
constexpr int32_t kMenuSizeAndOrientation = 5106;
constexpr int32_t kMenuColour = 5107;
constexpr int32_t kMenuEffects = 5108;
constexpr int32_t kMenuZoom = 5200;
constexpr int32_t kMenuSort = 5251;
constexpr int32_t kMenuDisplay = 5300;
constexpr int32_t kMenuBackground = 5340;
constexpr int32_t kMenuArrange = 5350;
constexpr int32_t kMenuTools = 5400;
constexpr int32_t kMenuHelp = 5500;

// ---- file
constexpr int32_t kCmdOpen = 5010;
constexpr int32_t kCmdReload = 5011;
constexpr int32_t kCmdSaveAs = 5012;
constexpr int32_t kCmdSave = 5013;              // SubWindow only
constexpr int32_t kCmdLosslessPending = 5014;   // make the pending rotation permanent
constexpr int32_t kCmdLosslessTurnRight = 5020; // lossless turn by 90 degrees clockwise
constexpr int32_t kCmdLosslessTurnLeft = 5021;  // lossless turn by 90 degrees counter-clockwise
constexpr int32_t kCmdCopy = 5030;
constexpr int32_t kCmdPaste = 5031;
constexpr int32_t kCmdFileOperation = 5032;
constexpr int32_t kCmdCopyDisplayed = 5035;
constexpr int32_t kCmdCommentEditor = 5040;
constexpr int32_t kCmdTextInfo = 5041;
constexpr int32_t kCmdWallpaper = 5050;
constexpr int32_t kCmdPrint = 5060;

// ---- edit
constexpr int32_t kCmdCountColours = 5110;
constexpr int32_t kCmdHistogram = 5111;
constexpr int32_t kCmdUndo = 5115;
constexpr int32_t kCmdRedo = 5116;
constexpr int32_t kCmdHistoryWindow = 5117;
constexpr int32_t kCmdTrim = 5120;
constexpr int32_t kCmdResize = 5121;
constexpr int32_t kCmdMargins = 5122;
constexpr int32_t kCmdAreaSelection = 5130;
constexpr int32_t kCmdClearSelection = 5131;
constexpr int32_t kCmdTurnByAngle = 5140;
constexpr int32_t kCmdTurnRight = 5150; // 90 degrees clockwise
constexpr int32_t kCmdTurn180 = 5151;
constexpr int32_t kCmdTurnLeft = 5152; // 90 degrees counter-clockwise
constexpr int32_t kCmdMirror = 5153;
constexpr int32_t kCmdFlip = 5154;
constexpr int32_t kCmdLevels = 5160;
constexpr int32_t kCmdGamma = 5161;
constexpr int32_t kCmdBrightness = 5162;
constexpr int32_t kCmdContrast = 5163;
constexpr int32_t kCmdHueLightnessSaturation = 5164;
constexpr int32_t kCmdNegative = 5165;
constexpr int32_t kCmdShadowsHighlights = 5166;
constexpr int32_t kCmdGreyscale = 5167;
constexpr int32_t kCmdColourBalance = 5168;
constexpr int32_t kCmdUnsharpMask = 5170;
constexpr int32_t kCmdSoften = 5171;
constexpr int32_t kCmdFocus = 5172;
constexpr int32_t kCmdEqualiseLuminance = 5180;
constexpr int32_t kCmdReplaceColour = 5181;
constexpr int32_t kCmdNoiseReduction = 5182;
constexpr int32_t kCmdPaintBrush = 5190;
constexpr int32_t kCmdCorrectionBrush = 5191;
constexpr int32_t kCmdText = 5192;
constexpr int32_t kCmdComposite = 5193;
constexpr int32_t kCmdColourFilter = 5270;
constexpr int32_t kCmdMosaic = 5271;
constexpr int32_t kCmdJitter = 5272;
constexpr int32_t kCmdEmboss = 5273;
constexpr int32_t kCmdExtractEdges = 5274;
constexpr int32_t kCmdPosterize = 5275;
constexpr int32_t kCmdEdgePreservingSmoothing = 5276;

// ---- zoom, fit and scroll
constexpr int32_t kCmdZoomFit = 5210;
constexpr int32_t kCmdZoomActual = 5220; // 100 %
constexpr int32_t kCmdZoomIn = 5230;     // double
constexpr int32_t kCmdZoomOut = 5240;    // halve
constexpr int32_t kCmdSlideshow = 5250;
constexpr int32_t kCmdSortByName = 5252; // sort order 0; 5253 and 5254 are orders 1 and 2
constexpr int32_t kCmdSortByDate = 5253;
constexpr int32_t kCmdSortBySize = 5254;
constexpr int32_t kCmdZoom1000 = 5260;
constexpr int32_t kCmdZoom400 = 5261;
constexpr int32_t kCmdZoom200 = 5262;
constexpr int32_t kCmdZoom50 = 5263;
constexpr int32_t kCmdZoom25 = 5264;
constexpr int32_t kCmdZoom10 = 5265;
constexpr int32_t kCmdZoomFitOrActual = 5600; // fit at 100 %, otherwise 100 %
constexpr int32_t kCmdZoomStepIn = 5610;      // + 10 %
constexpr int32_t kCmdZoomStepOut = 5611;     // - 10 %
constexpr int32_t kCmdScrollLeft = 5650;
constexpr int32_t kCmdScrollRight = 5651;
constexpr int32_t kCmdScrollUp = 5652;
constexpr int32_t kCmdScrollDown = 5653;

// ---- display
constexpr int32_t kCmdSubWindow = 5310;
constexpr int32_t kCmdListWindow = 5311;
constexpr int32_t kCmdTopMost = 5320;
constexpr int32_t kCmdCentreOnMonitor = 5321; // centre the ViewWindow on its monitor
constexpr int32_t kCmdCaptionBar = 5330;
constexpr int32_t kCmdFrame = 5331;
constexpr int32_t kCmdToolBar = 5332;
constexpr int32_t kCmdAutoNavigator = 5333;
constexpr int32_t kCmdBackgroundWhite = 5341; // BgColor = command - 5341
constexpr int32_t kCmdBackgroundLightGrey = 5342;
constexpr int32_t kCmdBackgroundGrey = 5343;
constexpr int32_t kCmdBackgroundDarkGrey = 5344;
constexpr int32_t kCmdBackgroundBlack = 5345;
constexpr int32_t kCmdArrangeGrid = 5351;
constexpr int32_t kCmdArrangeSideBySide = 5352;
constexpr int32_t kCmdArrangeStacked = 5353;
constexpr int32_t kCmdArrangeCentre = 5354;
constexpr int32_t kCmdArrangeClose = 5355;

// ---- tools and help
// Opens the key configuration until the options dialog, whose page reaches it, exists.
constexpr int32_t kCmdOptions = 5410;
constexpr int32_t kCmdExternalProgramFirst = 5420; // 5420 + n, n = 0-7
constexpr int32_t kExternalProgramCount = 8;
constexpr int32_t kCmdNoExternalProgram = 5430; // disabled placeholder
constexpr int32_t kCmdHelp = 5510;
constexpr int32_t kCmdStartupInfo = 5515;
constexpr int32_t kCmdAbout = 5520;

// ---- main popup
constexpr int32_t kCmdFullScreen = 5530;
constexpr int32_t kCmdMinimise = 5540;
constexpr int32_t kCmdClose = 5550;

// ---- the list
constexpr int32_t kCmdFirstImage = 5700;
constexpr int32_t kCmdLastImage = 5701;
constexpr int32_t kCmdPreviousImage = 5702;
constexpr int32_t kCmdNextImage = 5703;

// ---- SubWindow only
constexpr int32_t kCmdScrollBars = 5710;
constexpr int32_t kCmdPaneSingle = 5720; // pane layouts 0-2
constexpr int32_t kCmdPaneSideBySide = 5721;
constexpr int32_t kCmdPaneStacked = 5722;
constexpr int32_t kCmdAlternativeDisplay = 5730;
constexpr int32_t kCmdSubNavigator = 5740;
constexpr int32_t kCmdToggleDither = 5800;
constexpr int32_t kCmdSavePreview = 5810;
constexpr int32_t kCmdToggleInterlace = 5820;
constexpr int32_t kCmdToggleSaveGamma = 5840;
constexpr int32_t kCmdToggleProgressive = 5850;
constexpr int32_t kCmdToggleExifCopy = 5855;
constexpr int32_t kCmdSampling0 = 5860; // 5860-5862: Sampling 0-2
constexpr int32_t kCmdMarkers0 = 5870;  // 5870-5872: JMarker 0-2
constexpr int32_t kCmdToggleTrim = 5880;
constexpr int32_t kCmdSaveComment = 5890;
constexpr int32_t kCmdApplyTool = 5900;
constexpr int32_t kCmdCancelTool = 5901;

// Menu texts: string N, then string N + 10000 appended.
constexpr int32_t kMenuSuffixOffset = 10000;

// DClick and LRClick values: 0 close, 1 SubWindow, 2 full screen, 3 minimise.
int32_t MouseActionCommand(int32_t action);

// One handler per subsystem; each answers false for numbers it does not own.
using CommandHandler = bool (*)(int32_t command);

} // namespace qv
