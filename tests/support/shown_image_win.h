// What the real program shows, for the end-to-end tests that step through images: the file or
// member part of the title, and bounded waits for it and for the colour at the centre of the view.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e_support_win.h"

namespace qvtest {

// The file or member part of the title, before the image facts ("a2.bmp  ( 8x8  24bit ... )");
// empty while no image is shown.
std::wstring ShownName(HWND window);

::testing::AssertionResult WaitForShown(HWND window, const std::wstring& name, DWORD timeoutMs = kStepTimeoutMs);

// The title is set before the picture is painted: polls the centre of the client area.
::testing::AssertionResult WaitForCentreColour(HWND window, COLORREF colour, DWORD timeoutMs = kStepTimeoutMs);

} // namespace qvtest
