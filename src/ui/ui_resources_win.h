// The user interface's shared resources: the program instance, the UI font, the cursors, brushes
// and metrics every window uses, and the Documents folder the file dialogs fall back to. Only the
// functions below write the record (start-up creates, shutdown releases); every window reads it.
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace qv {

// The program's own cursor resources (res/resource_ids.h numbers them the same way).
constexpr int kFirstProgramCursor = 200;
constexpr int kLastProgramCursor = 242;
constexpr int kNavigatorCursor = 215;

struct UiResources {
    HINSTANCE instance = nullptr;
    HFONT font = nullptr; // null until CreateUiFont; UiFont() stands in for it
    HBRUSH lightBrush = nullptr, darkBrush = nullptr;
    HCURSOR arrowCursor = nullptr, waitCursor = nullptr, appStartingCursor = nullptr, noCursor = nullptr;
    HCURSOR programCursors[kLastProgramCursor - kFirstProgramCursor + 1] = {};
    int checkMarkWidth = 0, scrollBarWidth = 0, minTrackWidth = 0;
    std::wstring documentsFolder;
};

const UiResources& Ui();

// Start-up, in its order: cursors, metrics and folders first; the font once the language module
// (its face name) and the settings (height, weight) are there; the brushes after the menus.
void InitUiResources(HINSTANCE instance);
void CreateUiFont(int32_t height, int32_t weight);
void CreateUiBrushes();
// Shutdown: the brushes go with the windows, the font after the message loop.
void ReleaseUiBrushes();
void ReleaseUiFont();

// Program cursor `id` (200-242), or the arrow when it is not among the resources.
HCURSOR ProgramCursor(int id);

// The UI font, or the stock GUI font before it exists.
HFONT UiFont();

} // namespace qv
