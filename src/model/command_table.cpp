#include "model/command_table.h"

#include <algorithm>
#include <iterator>

#include "model/image_buffer.h"
#include "model/ui_strings.h"

namespace qv {

namespace {

using O = CommandOwner;
using E = EnableRule;
using C = CheckRule;

constexpr CommandRow Row(int32_t number, CommandOwner owner, EnableRule enable = E::Always, CheckRule check = C::None,
                         uint8_t flags = 0) {
    return CommandRow{number, owner, enable, check, flags};
}
// An editing tool: disabled without an image, while another tool is open, and until the tool
// framework brings its handler.
constexpr CommandRow Tool(int32_t number, CommandOwner owner = O::None) {
    return CommandRow{number, owner, E::Image, C::None, kCommandTool | kCommandWaitsForTool};
}
constexpr uint8_t kWaits = kCommandWaitsForTool;
constexpr CommandRow WithText(CommandRow row, int32_t text, DisplayMode mode) {
    row.alternativeText = text;
    row.alternativeMode = mode;
    return row;
}

// clang-format off
// Sorted by number; one row per command.
constexpr CommandRow kRows[] = {
    // ---- file
    Row(kCmdOpen,                O::File,     E::Always,         C::None, kWaits),
    Row(kCmdReload,              O::File,     E::ImageFile,      C::None, kWaits),
    Row(kCmdSaveAs,              O::Save,     E::Image),
    Row(kCmdSave,                O::Save,     E::SubWindowImage, C::None, kCommandArchiveBound),
    Row(kCmdLosslessPending,     O::Lossless, E::JpegImage,      C::None, kCommandArchiveBound | kWaits),
    Row(kCmdLosslessTurnRight,   O::Lossless, E::JpegImage,      C::None, kCommandArchiveBound | kWaits),
    Row(kCmdLosslessTurnLeft,    O::Lossless, E::JpegImage,      C::None, kCommandArchiveBound | kWaits),
    Row(kCmdCopy,                O::Output,   E::Image),
    Row(kCmdPaste,               O::Output,   E::ClipboardImage, C::None, kWaits),
    Row(kCmdFileOperation,       O::Output,   E::FilePath,       C::None, kCommandArchiveBound | kWaits),
    Row(kCmdCopyDisplayed,       O::Output,   E::Image),
    Row(kCmdCommentEditor,       O::Comments, E::CommentImage,   C::None, kCommandArchiveBound | kWaits),
    Row(kCmdTextInfo,            O::Comments, E::TextImage),
    Row(kCmdWallpaper,           O::Output,   E::Image),
    Row(kCmdPrint,               O::Output,   E::Image),
    // ---- edit
    Row(kCmdCountColours,        O::Output,   E::Image),
    Row(kCmdHistogram,           O::Tools,    E::Image),
    // undo and redo go to an open tool's own undo list, or do nothing while it is open
    Row(kCmdUndo,                O::Tools,    E::Image),
    Row(kCmdRedo,                O::Tools,    E::Image),
    Row(kCmdHistoryWindow,       O::History,  E::Always,         C::None, kWaits),
    Tool(kCmdTrim,               O::Tools),
    Tool(kCmdResize,             O::Tools),
    Tool(kCmdMargins,            O::Tools),
    Tool(kCmdAreaSelection,      O::Tools),
    Tool(kCmdClearSelection),
    Tool(kCmdTurnByAngle,        O::Tools),
    Tool(kCmdTurnRight,          O::Tools),
    Tool(kCmdTurn180,            O::Tools),
    Tool(kCmdTurnLeft,           O::Tools),
    Tool(kCmdMirror,             O::Tools),
    Tool(kCmdFlip,               O::Tools),
    Tool(kCmdLevels,             O::Tools),
    Tool(kCmdGamma,              O::Tools),
    Tool(kCmdBrightness,         O::Tools),
    Tool(kCmdContrast,           O::Tools),
    Tool(kCmdHueLightnessSaturation, O::Tools),
    Tool(kCmdNegative,           O::Tools),
    Tool(kCmdShadowsHighlights,  O::Tools),
    Tool(kCmdGreyscale,          O::Tools),
    Tool(kCmdColourBalance,      O::Tools),
    Tool(kCmdUnsharpMask,        O::Tools),
    Tool(kCmdSoften,             O::Tools),
    Tool(kCmdFocus,              O::Tools),
    Tool(kCmdEqualiseLuminance,  O::Tools),
    Tool(kCmdReplaceColour,      O::Tools),
    Tool(kCmdNoiseReduction,     O::Tools),
    Tool(kCmdPaintBrush,         O::Tools),
    Tool(kCmdCorrectionBrush,    O::Tools),
    Tool(kCmdText,               O::Tools),
    Tool(kCmdComposite,          O::Tools),
    // ---- zoom, fit, sort
    Row(kCmdZoomFit,             O::View),
    Row(kCmdZoomActual,          O::View),
    Row(kCmdZoomIn,              O::View),
    Row(kCmdZoomOut,             O::View),
    Row(kCmdSlideshow,           O::Display,  E::Always,         C::None, kWaits),
    Row(kCmdSortByName,          O::List,     E::Always,         C::SortOrder),
    Row(kCmdSortByDate,          O::List,     E::Always,         C::SortOrder),
    Row(kCmdSortBySize,          O::List,     E::Always,         C::SortOrder),
    Row(kCmdZoom1000,            O::View),
    Row(kCmdZoom400,             O::View),
    Row(kCmdZoom200,             O::View),
    Row(kCmdZoom50,              O::View),
    Row(kCmdZoom25,              O::View),
    Row(kCmdZoom10,              O::View),
    Tool(kCmdColourFilter,       O::Tools),
    Tool(kCmdMosaic,             O::Tools),
    Tool(kCmdJitter,             O::Tools),
    Tool(kCmdEmboss,             O::Tools),
    Tool(kCmdExtractEdges,       O::Tools),
    Tool(kCmdPosterize,          O::Tools),
    Tool(kCmdEdgePreservingSmoothing, O::Tools),
    // ---- display
    WithText(Row(kCmdSubWindow,  O::Display), kStrSubWindowItemBack, DisplayMode::SubWindow),
    Row(kCmdListWindow,          O::Display),
    Row(kCmdTopMost,             O::WindowStyle, E::Always,                   C::Top),
    Row(kCmdCentreOnMonitor,     O::Arrange,     E::ViewWindowOnly),
    Row(kCmdCaptionBar,          O::WindowStyle, E::ViewWindowOnly,           C::CapBar),
    Row(kCmdFrame,               O::WindowStyle, E::ViewWindowWithoutCaption, C::Frame),
    Row(kCmdToolBar,             O::WindowStyle, E::Always,                   C::VTBar),
    Row(kCmdAutoNavigator,       O::WindowStyle, E::Always,                   C::AutoNavi),
    Row(kCmdBackgroundWhite,     O::Background,  E::Always,                   C::Background),
    Row(kCmdBackgroundLightGrey, O::Background,  E::Always,                   C::Background),
    Row(kCmdBackgroundGrey,      O::Background,  E::Always,                   C::Background),
    Row(kCmdBackgroundDarkGrey,  O::Background,  E::Always,                   C::Background),
    Row(kCmdBackgroundBlack,     O::Background,  E::Always,                   C::Background),
    Row(kCmdArrangeGrid,         O::Arrange),
    Row(kCmdArrangeSideBySide,   O::Arrange),
    Row(kCmdArrangeStacked,      O::Arrange),
    Row(kCmdArrangeCentre,       O::Arrange),
    Row(kCmdArrangeClose,        O::Arrange),
    // ---- tools and help
    Row(kCmdOptions,             O::Options,  E::Always,         C::None, kWaits),
    Row(kCmdExternalProgramFirst,     O::External),
    Row(kCmdExternalProgramFirst + 1, O::External),
    Row(kCmdExternalProgramFirst + 2, O::External),
    Row(kCmdExternalProgramFirst + 3, O::External),
    Row(kCmdExternalProgramFirst + 4, O::External),
    Row(kCmdExternalProgramFirst + 5, O::External),
    Row(kCmdExternalProgramFirst + 6, O::External),
    Row(kCmdExternalProgramFirst + 7, O::External),
    Row(kCmdNoExternalProgram,   O::None,     E::Never),
    Row(kCmdHelp,                O::Help),
    Row(kCmdStartupInfo,         O::Help),
    Row(kCmdAbout,               O::Help),
    // ---- main popup
    WithText(Row(kCmdFullScreen, O::Display), kStrFullScreenItemLeave, DisplayMode::FullScreen),
    Row(kCmdMinimise,            O::Shell),
    Row(kCmdClose,               O::Shell),
    // ---- keys without menu items
    Row(kCmdZoomFitOrActual,     O::View),
    Row(kCmdZoomStepIn,          O::View),
    Row(kCmdZoomStepOut,         O::View),
    Row(kCmdScrollLeft,          O::View),
    Row(kCmdScrollRight,         O::View),
    Row(kCmdScrollUp,            O::View),
    Row(kCmdScrollDown,          O::View),
    // ---- the list
    Row(kCmdFirstImage,          O::File,     E::Always,         C::None, kWaits),
    Row(kCmdLastImage,           O::File,     E::Always,         C::None, kWaits),
    Row(kCmdPreviousImage,       O::File,     E::Always,         C::None, kWaits),
    Row(kCmdNextImage,           O::File,     E::Always,         C::None, kWaits),
    // ---- SubWindow only
    Row(kCmdScrollBars,          O::Display),
    Row(kCmdPaneSingle,          O::Display),
    Row(kCmdPaneSideBySide,      O::Display),
    Row(kCmdPaneStacked,         O::Display),
    Row(kCmdAlternativeDisplay,  O::Display),
    Row(kCmdSubNavigator,        O::Display),
    Row(kCmdToggleDither,        O::Save),
    Row(kCmdSavePreview,         O::Save),
    Row(kCmdToggleInterlace,     O::Save),
    Row(kCmdToggleSaveGamma,     O::Save),
    Row(kCmdToggleProgressive,   O::Save),
    Row(kCmdToggleExifCopy,      O::Save),
    Row(kCmdSampling0,           O::Save),
    Row(kCmdSampling0 + 1,       O::Save),
    Row(kCmdSampling0 + 2,       O::Save),
    Row(kCmdMarkers0,            O::Save),
    Row(kCmdMarkers0 + 1,        O::Save),
    Row(kCmdMarkers0 + 2,        O::Save),
    Row(kCmdToggleTrim,          O::Save),
    Row(kCmdSaveComment,         O::Comments, E::Always,         C::None, kWaits),
    // the open tool's apply and cancel (Enter and Esc in the SubWindow)
    Row(kCmdApplyTool,           O::Tools,    E::Always,         C::None, kCommandTool),
    Row(kCmdCancelTool,          O::Tools,    E::Always,         C::None, kCommandTool),
};
// clang-format on

constexpr bool ByNumber(const CommandRow& a, const CommandRow& b) {
    return a.number < b.number;
}
static_assert(std::is_sorted(std::begin(kRows), std::end(kRows), ByNumber), "keep the rows sorted by number");
static_assert(std::adjacent_find(std::begin(kRows), std::end(kRows),
                                 [](const CommandRow& a, const CommandRow& b) { return a.number == b.number; }) ==
                  std::end(kRows),
              "one row per command");

bool Enabled(EnableRule rule, const MenuFacts& f) {
    bool jpeg = f.sourceFormat == kFormatJpeg, png = f.sourceFormat == kFormatPng;
    switch (rule) {
    case E::Always: return true;
    case E::Never: return false;
    case E::Image: return f.hasImage;
    case E::ImageFile: return f.hasImage && f.hasFilePath;
    case E::SubWindowImage: return f.hasImage && f.mode == DisplayMode::SubWindow;
    case E::JpegImage: return f.hasImage && jpeg;
    case E::CommentImage: return f.hasImage && (jpeg || png);
    case E::TextImage: return f.hasImage && f.textPresent;
    case E::FilePath: return f.hasFilePath;
    case E::ClipboardImage: return f.clipboardHasDib;
    case E::ViewWindowOnly: return f.mode == DisplayMode::ViewWindow;
    case E::ViewWindowWithoutCaption: return f.mode == DisplayMode::ViewWindow && !f.capBar;
    }
    return true;
}

bool Checked(const CommandRow& row, const MenuFacts& f) {
    switch (row.check) {
    case C::None: return false;
    case C::Top: return f.top;
    case C::CapBar: return f.capBar;
    case C::Frame: return f.frame;
    case C::VTBar: return f.vtBar;
    case C::AutoNavi: return f.autoNavi;
    case C::SortOrder: return row.number - kCmdSortByName == (f.sortOrder == 0 || f.sortOrder == 1 ? f.sortOrder : 2);
    case C::Background: return row.number - kCmdBackgroundWhite == f.background;
    }
    return false;
}

} // namespace

std::span<const CommandRow> CommandTable() {
    return kRows;
}

const CommandRow* FindCommand(int32_t number) {
    const CommandRow key{number};
    const CommandRow* it = std::lower_bound(std::begin(kRows), std::end(kRows), key, ByNumber);
    return it != std::end(kRows) && it->number == number ? it : nullptr;
}

bool CommandHasHandler(int32_t command) {
    const CommandRow* row = FindCommand(command);
    return row && row->owner != CommandOwner::None;
}

bool CommandWaitsForTool(int32_t command) {
    const CommandRow* row = FindCommand(command);
    return row && (row->flags & kCommandWaitsForTool);
}

bool IsToolCommand(int32_t command) {
    const CommandRow* row = FindCommand(command);
    return row && (row->flags & kCommandTool);
}

MenuItemState MenuStateByRules(int32_t command, const MenuFacts& f) {
    MenuItemState s;
    const CommandRow* row = FindCommand(command);
    if (!row) return s;
    s.enabled = Enabled(row->enable, f);
    s.checked = Checked(*row, f);
    if (f.archiveMember && (row->flags & kCommandArchiveBound)) s.enabled = false;
    if (f.toolOpen && (row->flags & kCommandWaitsForTool)) s.enabled = false;
    return s;
}

MenuItemState MenuStateOf(int32_t command, const MenuFacts& f) {
    MenuItemState s = MenuStateByRules(command, f);
    if (!CommandHasHandler(command)) s.enabled = false;
    return s;
}

int32_t MenuTextNumber(int32_t command, DisplayMode mode) {
    const CommandRow* row = FindCommand(command);
    if (row && row->alternativeText != 0 && row->alternativeMode == mode) return row->alternativeText;
    return command;
}

} // namespace qv
