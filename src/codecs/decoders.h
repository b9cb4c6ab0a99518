// The built-in decoders, each from a block of memory. They share one shape so that the load
// pipeline can dispatch by detected format: decode `size` bytes at `data` into `target` (a record
// the caller owns; its palette is cleared and any old pixels freed first), fill `info` with what
// the file told, and return true. On failure return false with `*status` set; `target` then
// holds no pixels. Every decoder sets target->fileSize = size; the file forms of the pipeline set
// fileTime afterwards. No decoder reads outside [data, data + size).
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "model/load_types.h"

namespace qv {

bool ReadBmpMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, LoadInfo* info, CodecStatus* status);

bool ReadPngMemory(const uint8_t* data, uint32_t size, const LoadOptions& options, ImageBuffer* target, LoadInfo* info,
                   CodecStatus* status);

bool ReadJpegMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, LoadInfo* info, CodecStatus* status);

bool ReadTiffMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, LoadInfo* info, CodecStatus* status);

// With `wantFrames`, an animated file also gets an AnimationFrames record attached to
// target->animation (owned by the image from then on).
bool ReadGifMemory(const uint8_t* data, uint32_t size, const LoadOptions& options, bool wantFrames, ImageBuffer* target,
                   LoadInfo* info, CodecStatus* status);

} // namespace qv
