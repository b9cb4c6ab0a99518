// Saving never writes the target directly: the current image is encoded into a fresh temporary
// file, and only a complete file replaces the target (the old one goes to the Recycle Bin). The
// temporary file doubles as the save preview, reused while no option changes.
#pragma once

#include <cstdint>
#include <string>

#include "codecs/exif.h"
#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "model/load_types.h"
#include "model/settings.h"
#include "platform/win32_types.h"

namespace qv {

enum SaveFormat : int32_t {
    kSaveBmp = 0,
    kSavePng = 1,
    kSaveJpeg = 2,
    kSaveTiff = 3,
    kSaveGif = 4,
    kSaveJpegLossless = 5,
};

// The default extension of a format ("bmp", ... "jpg"); "" outside 0-5.
const wchar_t* SaveFormatExtension(int32_t format);
// The format a file's content gives for saving over it; -1 when the content is none of the five.
int32_t SaveFormatForDetected(uint32_t sourceFormat);
// The same for the file at `path`: what it holds decides, never its name.
int32_t SaveOverFormat(const wchar_t* path);

// The save dialog's name without its extension (the text after the last "." that follows the last
// "\" or "/"); false when there is none to take away.
bool WithoutExtension(const std::wstring& name, std::wstring* stripped);

// One type of the save dialog: its label string and patterns. The lossless row is offered only for
// an image decoded from JPEG data. Returns the number of rows written (5 or 6).
struct SaveFilterRow {
    uint32_t label = 0;
    const wchar_t* patterns = L"";
};
constexpr size_t kMaxSaveFilterRows = 6;
size_t SaveFilterRows(bool jpegSource, SaveFilterRow rows[kMaxSaveFilterRows]);

// Every option an encoding depends on, with the load options the preview is decoded with; two
// equal records give the same file.
struct SaveOptions {
    int32_t format = kSaveBmp;
    int32_t bmpDepth = 24, pngDepth = 24, tifDepth = 24, gifDepth = 8;
    bool pngGray = false, jpgGray = false, tifGray = false, jpegTGray = false;
    bool dither = false;
    int32_t level = 9, filter = 0;
    bool interlace = false;
    bool writeGamma = false;
    int32_t saveGamma = 2200;
    uint32_t alphaColour = 0xFFFFFF;
    int32_t quality = 75, sampling = 0;
    bool progressive = false, exifCopy = false;
    int32_t jMarker = 2;
    bool jpgTrim = true, jpgLimit = false;
    int32_t jpgLimitValue = 100;
    int32_t losslessTurn = 0; // the pending rotation a lossless save writes into the file
    LoadOptions load;

    bool operator==(const SaveOptions& o) const;
};

// The one conversion from the Settings record; `pendingRotation` is the session's.
SaveOptions SaveOptionsFrom(const Settings& settings, int32_t pendingRotation);

// What is saved besides the options: the image and the facts of its source.
struct SaveSource {
    const ImageBuffer* image = nullptr;
    bool transparentColour = false;
    bool hasComment = false;
    std::string comment; // ANSI
    bool exifPresent = false;
    std::string sourceBytes; // the source file or archive member, for EXIF copying and lossless saves
    std::wstring sourcePath; // plain files: the current path; lossless saves read it again
    bool fromArchive = false;
    FILETIME loadedTime{}; // the source file's time when it was loaded
    // Told when a long step starts (true) and ends (false), for the window to show it: the PNG
    // encoder's compression.
    void (*progress)(void* context, bool busy) = nullptr;
    void* progressContext = nullptr;
};

// How a failed save is reported: a language string (30001-30013, 50001-50024) or the JPEG
// library's own text.
struct SaveFailure {
    uint32_t message = 0;
    std::wstring libraryText;
};

// The options of a lossless turn of the current file by rotation `code`: the lossless format with
// every marker kept, no trimming, baseline, colour kept; every other option as given.
SaveOptions LosslessTurnOptions(SaveOptions options, int32_t code);

// After a re-encoding JPEG save with the EXIF block copied: the file's EXIF thumbnail becomes the
// saved image scaled down with the Resize tool's resampling (longer side 160). Unchanged when the
// file has no thumbnail or the new one cannot be made or put in (the file keeps the old one);
// Failed when the rewrite itself failed and may have cut the file short, which fails the save.
ThumbnailRewrite RebuildExifThumbnail(const wchar_t* path, const ImageBuffer& image, bool grey);

// Runs the encoder of options.format into `path`.
bool EncodeImageFile(const wchar_t* path, const SaveSource& source, const SaveOptions& options, SaveFailure* failure);

struct SavePreview {
    std::wstring tempPath; // empty: no preview file
    SaveOptions snapshot;
    bool imageShown = false; // the decoded preview is in the result image
};

// A lossless preview is shown at the current image's size (trimming may have cut its edges): each
// decoded row goes to the right-hand end of a row `width` wide, rows filling from the bottom, the
// rest zero. False (the image unchanged) when no block can be had.
bool FitPreviewToSize(ImageBuffer* preview, int32_t width, int32_t height);

// True when a preview image exists and every option equals the snapshot.
bool PreviewValid(const SavePreview& preview, const SaveOptions& current);
// Deletes the preview's temporary file and forgets it.
void DiscardPreview(SavePreview* preview);

// Encodes into a new temporary file of `tempFolder` (the system's when empty) and makes it the
// preview's file. On failure nothing is left behind.
bool EncodeToTemp(SavePreview* preview, const SaveSource& source, const SaveOptions& options,
                  const std::wstring& tempFolder, SaveFailure* failure);

// Copies `tempPath` beside the target, moves an existing target to the Recycle Bin and renames
// the copy into its place. 30008 when the copy or the rename fails (the old target untouched, or
// in the bin with the new file beside it); 50005, the target untouched, when the bin does not
// take the old file.
bool PlaceSavedFile(const std::wstring& tempPath, const std::wstring& target, SaveFailure* failure);

// SaveToPath without the window's notices: a valid preview's file is placed and kept; otherwise
// (also when the preview's file has vanished) a fresh encoding is placed and then deleted.
// `*encoded` tells whether the encoder ran.
bool SaveImageToPath(SavePreview* preview, const SaveSource& source, const SaveOptions& options,
                     const std::wstring& target, const std::wstring& tempFolder, SaveFailure* failure, bool* encoded);

} // namespace qv
