// The one way an image reaches the screen: the three standing image records, the commit step that
// alone replaces the current image, and OpenImage, which turns a path (or an entry of the current
// list) into a committed current image or an empty view. Portable: the window layer supplies the
// title, cursor, animation timer and refresh through ImageSessionHooks.
#pragma once

#include <cstdint>
#include <string>

#include "image/edit_position.h"
#include "image/image_turn.h"
#include "image/save_pipeline.h"
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
    bool transparentColour = false;          // the save pipeline's transparent-colour flag
    int32_t pendingRotation = kTurnNone;     // undone by a lossless save
    EditPosition edits;                      // against the last save: the modified mark
    int32_t emptyWidth = 0, emptyHeight = 0; // the empty view's size after a failed load
};

// The program's one session, used by its GUI thread: written by OpenImage and the commit step,
// the result image by its owner (image/result_image.h); read by the viewer, the tools and the
// output. Tests and quorvel-cli keep sessions of their own.
extern ImageSession g_session;

inline bool HasCurrentImage(const ImageSession& s) {
    return s.current.pixels != nullptr;
}

// Calls into the window layer and into Parts that own their state; any may be null.
struct ImageSessionHooks {
    void* context = nullptr;
    void (*beginLoad)(void* context) = nullptr;      // loading title, wait cursor
    void (*stopAnimation)(void* context) = nullptr;  // the frame timer of an animated image
    void (*dropSelection)(void* context) = nullptr;  // the selection mask and its display copy
    void (*remapSelection)(void* context) = nullptr; // a kept mask follows the new pixels
    void (*clearHistory)(void* context) = nullptr;   // the edit history
    void (*endLoad)(void* context) = nullptr;        // refresh the view, title, arrow cursor
};

struct OpenImageOptions {
    LoadOptions load;
    int32_t* saveFormat = nullptr; // the Format setting, which a commit may change
};

// Makes `incoming` (the staging or result record) the current image; `incoming` keeps no pixels.
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

// Frees the three records' pixels, the save preview's file and the list (shutdown).
void FreeImageSession(ImageSession* session);

} // namespace qv
