// One row per command: its number, its text, the rule that enables and checks its menu item, and
// the owner whose handler runs it. The handled list, the dispatch (app/commands_win.cpp) and the
// menu states all come from these rows; adding a command is one row plus a case in its owner's
// handler. Portable.
#pragma once

#include <cstdint>
#include <span>

#include "model/command_ids.h"
#include "model/display_mode.h"

namespace qv {

// Whose handler runs a command. None: the command is shown but disabled until a handler exists.
enum class CommandOwner : uint8_t {
    None,
    Shell,       // close, minimise
    Display,     // display modes, slideshow, list window, pane layouts, scroll bars
    File,        // open, reload, stepping through the list
    Save,        // save as, save over, save preview, save options
    View,        // zoom, fit and scroll of the current surface
    Background,  // the ViewWindow's background colour
    ExifInfo,    // the EXIF information dialog
    Lossless,    // lossless JPEG turns
    List,        // the sort order
    Options,     // the options dialog
    Arrange,     // centring and arranging the instances
    External,    // the external programs
    Help,        // help and About
    WindowStyle, // Top, CapBar, Frame, VTBar, AutoNavi
    History,     // the history window
    Tools,       // the editing tools (the tool framework's handler)
    Output,      // clipboard, wallpaper, printing, colour count, deleting the file
    Comments,    // the comment editor, the text information, the save comment
};
constexpr int kCommandOwnerCount = static_cast<int>(CommandOwner::Comments) + 1;

// When a menu item is enabled; every rule but Always also needs what it names.
enum class EnableRule : uint8_t {
    Always,
    Never,
    Image,                    // a current image
    ImageFile,                // a current image with a path to read again
    SubWindowImage,           // a current image shown in the SubWindow
    JpegImage,                // a current image decoded from JPEG data
    CommentImage,             // a current JPEG or PNG image
    TextImage,                // a current image whose file carries text
    FilePath,                 // a current path
    ClipboardImage,           // a device-independent bitmap on the clipboard
    ViewWindowOnly,           // the ViewWindow is the display
    ViewWindowWithoutCaption, // the ViewWindow without its caption bar
};

// What checks a menu item.
enum class CheckRule : uint8_t {
    None,
    Top,
    CapBar,
    Frame,
    VTBar,
    AutoNavi,
    SortOrder,  // radio: the list's order is the command's (any other order sorts by size)
    Background, // radio: the current surface's background colour is the command's
};

// Row flags.
constexpr uint8_t kCommandArchiveBound = 1 << 0; // disabled while the image is an archive member
// An editing tool or edit: the tool framework's command, whose number is also the string number of
// its edit-history label.
constexpr uint8_t kCommandTool = 1 << 1;
// Ignored (and shown disabled) while a tool is open: it would load another image or change the
// current one under the tool's working copy.
constexpr uint8_t kCommandWaitsForTool = 1 << 2;

struct CommandRow {
    int32_t number = 0;
    CommandOwner owner = CommandOwner::None;
    EnableRule enable = EnableRule::Always;
    CheckRule check = CheckRule::None;
    uint8_t flags = 0;
    // The text shown in `alternativeMode` instead of the command's own (string `number`).
    int32_t alternativeText = 0;
    DisplayMode alternativeMode = DisplayMode::ViewWindow;
};

// Every command, sorted by number.
std::span<const CommandRow> CommandTable();
// Null for a number without a row (submenus have none).
const CommandRow* FindCommand(int32_t number);

// True for commands whose handlers exist. Every other command is shown disabled.
bool CommandHasHandler(int32_t command);
bool IsToolCommand(int32_t command);
// True for commands that do nothing while a tool is open (kCommandWaitsForTool).
bool CommandWaitsForTool(int32_t command);

// What decides the menu states.
struct MenuFacts {
    DisplayMode mode = DisplayMode::ViewWindow;
    bool hasImage = false;
    bool archiveMember = false; // the current image comes from a ZIP, RAR or plug-in listing
    bool toolOpen = false;      // an editing tool is open
    bool hasFilePath = false;
    uint32_t sourceFormat = 0;
    bool textPresent = false;
    bool clipboardHasDib = false;
    bool top = false, capBar = true, frame = true, vtBar = true, autoNavi = true;
    int32_t sortOrder = 0;
    int32_t background = 0; // of the current surface, 0-4
};

struct MenuItemState {
    bool enabled = true;
    bool checked = false;
};

// The enabling and check rules alone.
MenuItemState MenuStateByRules(int32_t command, const MenuFacts& facts);
// The rules, then disabled when the command has no handler yet.
MenuItemState MenuStateOf(int32_t command, const MenuFacts& facts);

// The text number of an item: the alternative texts of 5310 and 5530 in their modes.
int32_t MenuTextNumber(int32_t command, DisplayMode mode);

} // namespace qv
