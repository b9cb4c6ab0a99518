// Files dropped on the ViewWindow, the SubWindow or the list window. Windows only.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace qv {

// Asks about unsaved changes (stops on Cancel), brings the current main window to the front,
// opens the first path here (a shortcut resolved, a folder refused) and starts a new process with
// /v for every further path. Finishes the drop.
void OpenDroppedFiles(HDROP drop);

} // namespace qv
