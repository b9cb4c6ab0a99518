// Small placements and control set-ups that several windows and dialogs share.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// A `width` x `height` window rectangle centred on `owner` (on the owner's monitor when the owner
// is hidden, minimised or missing), kept inside that monitor's work area.
RECT CentredOnOwner(HWND owner, int width, int height);
// Moves an existing window to the rectangle above; its size stays.
void CentreOnOwner(HWND window, HWND owner);

// Appends a list-view column headed by language string `heading`.
void AddListViewColumn(HWND list, int index, uint32_t heading, int width);

} // namespace qv
