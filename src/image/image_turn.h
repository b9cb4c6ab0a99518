// Turning and flipping an image into another record by whole quarter turns and mirrors: the
// immediate turn and flip commands and the automatic rotation after loading a JPEG share it.
// The same codes name the pending lossless rotation that a lossless JPEG save writes.
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"

namespace qv {

// Rotation codes, relative to the picture as it was: as the turns take them, as the pending
// lossless rotation keeps them and as the lossless save reads them back.
enum TurnCode : int32_t {
    kTurnNone = 0,
    kTurn90 = 1, // 90 degrees clockwise
    kTurn180 = 2,
    kTurn270 = 3,    // 90 degrees counter-clockwise
    kTurnMirror = 4, // mirrored left-right
    kTurnFlip = 5,   // flipped top-bottom
};

// Turns or flips an 8-bit or 24-bit `source` by `code` (kTurn90 ... kTurnFlip) into `target` (its
// old pixels freed; palette, resolution and source facts carried over, the resolution swapped
// with the axes by the quarter turns). False with `*status` on a bad code, size or memory failure;
// `target` then holds no pixels.
bool TurnImage(const ImageBuffer& source, int32_t code, ImageBuffer* target, CodecStatus* status);

// The pixel move alone, from a block of `width` x `height` pixels of `bytesPerPixel` (1 or 3) into
// a block of the turned size; rows bottom-up and padded to 4 bytes in both.
void TurnPixels(const uint8_t* source, uint32_t width, uint32_t height, uint32_t bytesPerPixel, int32_t code,
                uint8_t* target);

// The code of `operation` (a turn or flip code) applied to a picture that already carries
// `pending`; -1 when no single code expresses the result (a quarter turn after a mirror or flip,
// and a mirror or flip after a quarter turn, would need a transposition).
int32_t ComposeRotation(int32_t pending, int32_t operation);

// The turn that shows a picture of the given EXIF orientation upright: 6 -> 90, 8 -> 270, any
// other value except 1 -> 180, 1 -> none.
int32_t TurnForOrientation(int32_t orientation);

// The automatic rotation after a load: when `autoRotate` is on and the orientation asks for it,
// turns `current` into `result` and returns the code to keep as the pending lossless rotation
// (kTurnNone when nothing was turned or the turn failed).
int32_t AutoRotate(const ImageBuffer& current, int32_t orientation, bool autoRotate, ImageBuffer* result);

} // namespace qv
