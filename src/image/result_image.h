// The session's result image has one owner: the functions here. Its state says who holds the
// record now, and every writer claims it first and hands it back after:
//
//   a load begins          DiscardResult: pixels freed, the save preview's file deleted, None
//   automatic rotation     Rotation, only from None (right after the load's discard); the turned
//                          image is committed at once and the record handed back
//   save preview (5810)    SavePreview, from None or its own earlier image; refused while a tool
//                          preview holds the record, so the command is ignored while a tool is open
//   a tool opens           ToolPreview, from anyone: a shown save preview loses its image (its file
//                          stays, made from the unchanged current image); the tool's worker writes
//                          the pixels while it runs, the GUI thread only after it has stopped
//   a tool closes          EndResult: pixels freed, None
//   an edit is committed   CommitEdit (a tool's apply, undo, redo): the incoming image becomes
//                          the current one and the save preview goes, file and all, because it
//                          was made from the image before the edit and must never be placed
//
// Portable: the viewer paints the record in pane 2 whatever the state, as long as it has pixels.
#pragma once

#include "image/open_image.h"

namespace qv {

const char* ResultStateName(ResultState state); // for test messages

// A load begins (and shutdown): nothing of the old image may survive into the new one.
void DiscardResult(ImageSession* session);
// Claims the record for `state` by the rules above; false (nothing changed) when refused.
bool BeginResult(ImageSession* session, ResultState state);
// The holder gives the record back: its pixels are freed and the state is None. A save preview's
// file stays for a later save with the same options.
void EndResult(ImageSession* session);
// The save preview's options changed: its shown image goes (only while it holds the record).
void DropSavePreviewImage(ImageSession* session);

// Commits `incoming` (the result record or an edit-history record) as an edit of the current
// image, keeping the selection mask, and discards the save preview. The result is None after.
void CommitEdit(ImageSession* session, ImageBuffer* incoming, const ImageSessionHooks& hooks, int32_t* saveFormat);

} // namespace qv
