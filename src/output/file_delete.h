// The delete command on the current image's file: the shell sends it to the Recycle Bin (asking
// first unless NoRecycMsg is on), the file list loses its entry and the entry now at its place is
// opened, or the view empties when nothing is left. Nothing happens for archive members, pasted
// images and images without a path. Portable: the window layer supplies the question about unsaved
// changes and the shell's operation.
#pragma once

#include <cstdint>
#include <string>

#include "image/open_image.h"
#include "platform/platform.h"

namespace qv {

struct DeleteHooks {
    void* context = nullptr;
    // False when the user cancelled the unsaved-changes question.
    bool (*askUnsavedChanges)(void* context) = nullptr;
    // The shell's delete of `path` to the Recycle Bin (RecycleFile with the command's question).
    RecycleResult (*recycle)(void* context, const std::wstring& path) = nullptr;
};

enum class DeleteOutcome {
    NotApplicable, // no file of its own: an archive member, a pasted image, no path
    Cancelled,     // the unsaved-changes question was cancelled
    Kept,          // the shell's question was answered No, or the file could not go
    OpenedNext,    // the list's entry at the same place (entry 0 after the last) is shown
    Emptied,       // nothing left to show: the empty view, no path
};

// The shell's question is asked unless `noQuestion` (NoRecycMsg) is on; RecycleUi for either.
RecycleUi DeleteRecycleUi(bool noQuestion);

// A file that has already vanished is not asked about and still leaves the list.
DeleteOutcome DeleteCurrentFile(ImageSession* session, const DeleteHooks& hooks, const OpenImageOptions& options,
                                const ImageSessionHooks& sessionHooks);

} // namespace qv
