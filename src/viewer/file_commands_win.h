// Opening images: the session hooks of the window layer, the open dialog, reload, stepping
// through the list, the unsaved-changes question and the check made on activation. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "image/open_image.h"

namespace qv {

// The hooks and options every OpenImage call of the program passes.
const ImageSessionHooks& WindowSessionHooks();
OpenImageOptions CurrentOpenOptions();

// OpenImage for a path, or an entry of the list, with the program's hooks.
void OpenImageFromPath(const std::wstring& path, const int32_t* key);
void OpenImageIndex(uint32_t index);

// The open-file dialog with the program's filter, starting in the folder of the last shown file;
// false when the user cancelled.
bool ShowOpenDialog(std::wstring* chosen);

// False when the user cancelled (or asked to save and saving failed).
bool AskUnsavedChanges();

void PollFolderOnActivation();

bool HandleFileCommand(int32_t command);

} // namespace qv
