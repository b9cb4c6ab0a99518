// Turning an image by quarter turns into another record: the automatic rotation after loading a
// JPEG uses it until the geometry tools bring their own turn.
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"

namespace qv {

// Rotation codes, as the turn returns them and the lossless save reads them back.
enum TurnCode : int32_t { kTurnNone = 0, kTurn90 = 1, kTurn180 = 2, kTurn270 = 3 };

// Turns an 8-bit or 24-bit `source` clockwise by 90, 180 or 270 degrees into `target` (its old
// pixels freed; palette, resolution and source facts carried over, the resolution swapped with
// the axes). False with `*status` on a size or memory failure; `target` then holds no pixels.
bool TurnImage(const ImageBuffer& source, int32_t code, ImageBuffer* target, CodecStatus* status);

// The turn that shows a picture of the given EXIF orientation upright: 6 -> 90, 8 -> 270, any
// other value except 1 -> 180, 1 -> none.
int32_t TurnForOrientation(int32_t orientation);

// The automatic rotation after a load: when `autoRotate` is on and the orientation asks for it,
// turns `current` into `result` and returns the code to keep as the pending lossless rotation
// (kTurnNone when nothing was turned or the turn failed).
int32_t AutoRotate(const ImageBuffer& current, int32_t orientation, bool autoRotate, ImageBuffer* result);

} // namespace qv
