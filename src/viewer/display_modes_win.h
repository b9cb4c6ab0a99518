// Switching between the ViewWindow, the SubWindow and full screen; the SubWindow's panes, the
// slideshow and the list window. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/view_geometry.h"

namespace qv {

// Full screen: the ViewWindow maximised over its monitor without frame. Leaving returns to the
// mode full screen was entered from.
void EnterFullScreen();
void LeaveFullScreen();
// `show` is the ShowWindow command for the SubWindow (start-up may ask for maximised).
void EnterSubWindow(int show = SW_SHOW);
void LeaveSubWindow(bool showViewWindow = true);
// Back to the ViewWindow from whichever mode is current.
void ReturnToViewWindow();

// While a slideshow runs or the history window is open every key reaches the window: the message
// loop then leaves the accelerators alone.
bool AcceleratorsSuspended();
// Whether pane 1 shows the alternative display image (a selection's dimmed display copy) rather
// than the plain image; 5730 switches it.
bool AlternativeDisplayShown();

// 5250, 5310, 5311, 5530, 5710, 5720-5722.
bool HandleDisplayCommand(int32_t command);

// SubWindow panes (sub_window_win.cpp).
LRESULT CALLBACK ImagePaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ResultPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Creates the panes when missing and places them in the SubWindow's client.
void LayOutSubWindow();
// The window the current surface paints in.
HWND SurfaceWindow();
// Repaints both panes and the zoom field.
void RefreshPanes();
// The client size of a pane with the scroll bars' room included.
ViewSize PaneSize();
// Both panes show the same scroll bars.
void SetPaneScrollBars(const PaneScrollBars& bars);
void SetPaneLayout(int32_t layout);
int32_t PaneLayout();

// Slideshow (slideshow_win.cpp).
bool StartSlideshow();
void StopSlideshow();
bool SlideshowRunning();
// Any key, left or middle click stops a running show; true when `message` was used for that.
bool StopSlideshowOnInput(const MSG& message);

// List window (list_window_win.cpp).
LRESULT CALLBACK ListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ShowListWindow();
void CloseListWindow();
// After a load, a re-sort or a new listing: refills the rows when the list changed, else
// selects the current entry.
void SyncListWindow();
// No row selected: the image shown is none of the list's (a pasted one).
void ClearListWindowSelection();

} // namespace qv
