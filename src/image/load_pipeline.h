// Decoding by detected format, from memory or from a path. Shared by the viewer, the clipboard
// and quorvel-cli.
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "model/load_types.h"

namespace qv {

// Decodes `size` bytes already known to be of `format` into `target`. Formats 0 and 6 fail
// with 50007.
bool DecodeMemory(SourceFormat format, const uint8_t* data, uint32_t size, const LoadOptions& options, bool wantFrames,
                  ImageBuffer* target, LoadInfo* info, CodecStatus* status);

// Maps the file (50004 when it cannot be), detects its format, decodes it and sets fileTime.
// When no built-in decoder succeeds and a fallback is installed, the fallback gets the bytes.
bool DecodeFile(const wchar_t* path, const LoadOptions& options, bool wantFrames, ImageBuffer* target, LoadInfo* info,
                CodecStatus* status);

// Bytes that came from an archive member called `name`: detects the format, decodes, and offers
// the bytes to the fallback when no built-in decoder succeeds. fileTime becomes 0.
bool DecodeMember(const wchar_t* name, const uint8_t* data, uint32_t size, const LoadOptions& options, bool wantFrames,
                  ImageBuffer* target, LoadInfo* info, CodecStatus* status);

// The plug-in decoders' way in: given the bytes, fill `target` or return false. `fromFile`: `name`
// is the file the bytes were mapped from (DecodeFile); otherwise it is an archive member's name.
using DecodeFallback = bool (*)(const wchar_t* name, const uint8_t* data, uint32_t size, bool fromFile,
                                ImageBuffer* target, LoadInfo* info);
void SetDecodeFallback(DecodeFallback fallback); // null removes it (the default)

} // namespace qv
