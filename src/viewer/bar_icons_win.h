// The small pictures of the SubWindow's main tool bar, drawn at start rather than shipped, so
// that they follow no language and need no resource. Windows only.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace qv {

enum BarIcon : int {
    kIconOpen,
    kIconSaveAs,
    kIconSave,
    kIconPrevious,
    kIconNext,
    kIconFit,
    kIconActualSize,
    kIconFullScreen,
    kIconViewer,
    kBarIconCount,
};

constexpr int kBarIconSize = 16;

// An image list of kBarIconCount pictures in BarIcon order; null when GDI fails. The caller owns it.
HIMAGELIST CreateBarIcons();

} // namespace qv
