// Records shared by the load pipeline and the decoders: the facts a decoder learnt about the
// file (LoadInfo), the options it is handed (LoadOptions) and the common codec context.
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "model/settings.h"

namespace qv {

struct LoadInfo {
    bool interlaced = false;   // PNG Adam7, GIF interlaced image, JPEG progressive
    bool transparency = false; // PNG tRNS or alpha, GIF transparent index
    int32_t textPresent = 0;   // PNG: number of text chunks; JPEG: non-zero with EXIF data
    int32_t commentPresent = 0;
    int32_t orientation = 1; // EXIF orientation; 1 for every other format
    bool exifPresent = false;
};

// Decoder options from the settings' LImg slots, handed over before each call.
struct LoadOptions {
    bool gamma = true;                // PNG gamma correction
    int32_t displayGamma = 2200;      // x 1000; what the PNG decoder gets is DecoderGamma()
    bool alpha = true;                // PNG/GIF: blend transparency onto the background
    bool fileBackground = true;       // PNG/GIF: the file's own background colour may be used
    uint32_t background = 0x00FFFFFF; // COLORREF
    bool autoRotate = true;           // JPEG EXIF orientation

    // The display gamma the PNG decoder is given: 0 with gamma off, 1 when the setting is negative.
    int32_t DecoderGamma() const { return !gamma ? 0 : displayGamma < 0 ? 1 : displayGamma; }
};

// The one conversion from the Settings record.
LoadOptions LoadOptionsFrom(const Settings& settings);

// Every codec context begins with these fields, in this order. `mapping` owns the file handle,
// the mapping handle and the view when the codec works on a file; memory decoders leave it empty.
struct MappedFile;
struct CodecContext {
    MappedFile* mapping = nullptr;
    const uint8_t* start = nullptr; // first byte of the data
    const uint8_t* pos = nullptr;   // current position
    const uint8_t* end = nullptr;   // one past the last byte
    ImageBuffer* image = nullptr;   // the record being filled or written
    CodecStatus status = kCodecOk;

    uint32_t Remaining() const { return static_cast<uint32_t>(end - pos); }
    bool Fail(CodecStatus s) {
        status = s;
        return false;
    }
};

} // namespace qv
