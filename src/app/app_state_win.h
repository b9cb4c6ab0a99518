// The process-wide state of the running program: window handles, the settings record, the image
// session and the viewer geometry. One instance, used by the GUI thread only. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "image/open_image.h"
#include "image/save_pipeline.h"
#include "model/settings.h"
#include "viewer/view_geometry.h"

namespace qv {

// Window class names; other instances find each other by the first two.
constexpr const wchar_t* kViewWindowClass = L"Quorvel_vwin_class";
constexpr const wchar_t* kSubWindowClass = L"Quorvel_swin_class";
constexpr const wchar_t* kToolBarHostClass = L"Quorvel_vbarbs_class";
constexpr const wchar_t* kListWindowClass = L"Quorvel_list_class";
constexpr const wchar_t* kHistoryWindowClass = L"Quorvel_hisw_class";
constexpr const wchar_t* kPane1Class = L"Quorvel_sch1_class";
constexpr const wchar_t* kPane2Class = L"Quorvel_sch2_class";
constexpr const wchar_t* kNavigatorClass = L"Quorvel_navi_class";
constexpr const wchar_t* kColourBoxClass = L"color_box";

constexpr UINT_PTR kSlideshowTimer = 100000;
constexpr UINT_PTR kAnimationTimer = 200000;

struct AppState {
    HINSTANCE instance = nullptr;
    std::wstring exePath, exeFolder, settingsPath, documentsFolder;
    Settings settings;

    HWND viewWindow = nullptr;
    HWND subWindow = nullptr;
    HWND listWindow = nullptr;
    DisplayMode displayMode = DisplayMode::ViewWindow;
    HACCEL accelerators = nullptr;
    bool acceleratorsSuspended = false; // slideshow, history window: every key reaches the window
    bool mouseDragging = false;         // set by the input code: commands are dropped meanwhile
    HFONT uiFont = nullptr;
    HBRUSH lightBrush = nullptr, darkBrush = nullptr;
    HCURSOR arrowCursor = nullptr, waitCursor = nullptr, appStartingCursor = nullptr, noCursor = nullptr;
    int checkMarkWidth = 0, scrollBarWidth = 0, minTrackWidth = 0;

    ImageSession session;
    ViewGeometry geometry;
    SavePreview preview;
};

extern AppState g_app;

// The ViewWindow, or the SubWindow in DisplayMode 1: owner of dialogs and message boxes.
HWND CurrentMainWindow();

} // namespace qv
