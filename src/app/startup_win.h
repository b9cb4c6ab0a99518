// Start-up, the message loop and what happens after it: the life of the process. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/instance_request.h"

namespace qv {

// The GUI entry point's body; returns the exit code.
int RunQuorvel(HINSTANCE instance, int showCommand);

// Opens a path as the command line, drag and drop and forwarded requests do: nothing when it does
// not exist, the unsaved-changes question, shortcuts resolved, folders refused.
void OpenPathFromRequest(const std::wstring& path, const int32_t* memberKey);

// The target of a .lnk file (not checked for existence); false when it cannot be read.
bool ResolveShortcutTarget(const std::wstring& shortcut, std::wstring* target);
// One new process of this program per non-empty path, each started with /v "path".
void StartViewerProcesses(const std::vector<std::wstring>& paths);

// A request that a second start forwarded (data kind 0).
void HandleInstanceRequest(const InstanceRequest& request);

// The shutdown steps run by the ViewWindow's close handler; false when the user cancelled.
bool ShutDownFromClose(bool askUnsaved);

} // namespace qv
