// The one way an image reaches the screen: the three standing image records, the commit step that
// alone replaces the current image, and OpenImage, which turns a path (or an entry of the current
// list) into a committed current image or an empty view. Portable: the window layer supplies the
// title, cursor, animation timer and refresh through ImageSessionHooks.
#pragma once

#include <cstdint>
#include <string>

#include "image/edit_history.h"
#include "image/edit_position.h"
#include "image/image_turn.h"
#include "image/save_pipeline.h"
#include "image/selection_mask.h"
#include "model/image_buffer.h"
#include "model/load_types.h"
#include "sources/file_list.h"

namespace qv {

constexpr int32_t kEmptyViewWidth = 400;
constexpr int32_t kEmptyViewHeight = 300;
constexpr int32_t kSaveFormatJpegLossless = 5;
constexpr int32_t kSaveFormatJpeg = 2;

// Who holds the result image now; its rules of hand-over are in image/result_image.h.
enum class ResultState : int32_t { None, Rotation, SavePreview, ToolPreview };

// What the application keeps beside the current image.
struct ImageSession {
    ImageBuffer staging{}; // filled by the decoders
    ImageBuffer current{}; // replaced only by CommitImage
    ImageBuffer result{};  // written only through image/result_image.h
    ResultState resultState = ResultState::None;
    SavePreview preview; // the save preview's file and options; its image is `result`
    LoadInfo info;
    FileList list;
    bool lastLoadFailed = false;
    bool loadedFromPlainPath = false;
    bool transparentColour = false;      // the save pipeline's transparent-colour flag
    int32_t pendingRotation = kTurnNone; // undone by a lossless save
    EditPosition edits;                  // against the last save: the modified mark
    EditHistory history;                 // the snapshot of every step (image/edit_history.h)
    SelectionMask mask;                  // the area selection's protection mask, or none
    // The number of the open tool (1-27), 0 when none is open. While one is, loading, navigation
    // and every other edit wait: the tool works on a copy of the current image and commits over it.
    int32_t openTool = 0;
    int32_t emptyWidth = 0, emptyHeight = 0; // the empty view's size after a failed load
};

// The program's one session, used by its GUI thread: written by OpenImage and the commit step,
// the result image by its owner (image/result_image.h); read by the viewer, the tools and the
// output. Tests and quorvel-cli keep sessions of their own.
extern ImageSession g_session;

inline bool HasCurrentImage(const ImageSession& s) {
    return s.current.pixels != nullptr;
}
// The tool-active mark: commands that change the image check it and do nothing while it is set.
inline bool ToolIsOpen(const ImageSession& s) {
    return s.openTool != 0;
}

// Calls into the window layer; any may be null.
struct ImageSessionHooks {
    void* context = nullptr;
    void (*beginLoad)(void* context) = nullptr;     // loading title, wait cursor
    void (*stopAnimation)(void* context) = nullptr; // the frame timer of an animated image
    void (*endLoad)(void* context) = nullptr;       // refresh the view, title, arrow cursor
};

struct OpenImageOptions {
    LoadOptions load;
    int32_t* saveFormat = nullptr; // the Format setting, which a commit may change
};

// Makes `incoming` (the staging or result record) the current image; `incoming` keeps no pixels.
// With `dropMask` the selection mask goes, otherwise a kept mask's display copy is redrawn.
void CommitImage(ImageSession* session, ImageBuffer* incoming, bool dropMask, const ImageSessionHooks& hooks,
                 int32_t* saveFormat);

// Decoding into the staging image. Both fill session->info from the decoder that succeeded.
bool LoadFromPath(ImageSession* session, const std::wstring& path, const LoadOptions& options);
bool LoadFromArchive(ImageSession* session, const LoadOptions& options);

// A path with an optional member key, or (empty path) entry `index` of the current list.
void OpenImage(ImageSession* session, const std::wstring& path, const int32_t* key, const OpenImageOptions& options,
               const ImageSessionHooks& hooks);
void OpenImageAt(ImageSession* session, uint32_t index, const OpenImageOptions& options,
                 const ImageSessionHooks& hooks);

// A pasted clipboard bitmap (`pasted`, read by ReadDibMemory) becomes the current image of no
// file: the load facts reset, the mask dropped, the edit history cleared (its snapshot files deleted), the
// path and name forgotten (a save then asks for a name) and an archive list left for a folder one.
void OpenPastedImage(ImageSession* session, ImageBuffer* pasted, const OpenImageOptions& options,
                     const ImageSessionHooks& hooks);
// The shown file was deleted and no entry of the list is left to show: the empty view of a failed
// load, without its failure text, and no path.
void CloseDeletedImage(ImageSession* session, const ImageSessionHooks& hooks);

// Frees the three records' pixels, the mask, the save preview's file, every snapshot file of the
// edit history and the list (shutdown).
void FreeImageSession(ImageSession* session);

} // namespace qv
