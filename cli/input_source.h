// What `info` and `convert` read: a file, or an archive member named ARCHIVE::member the way the
// viewer's title names it (inner folder and name; either slash, ASCII case ignored), so that a
// script reaches exactly what the viewer opens.
#pragma once

#include <cstdint>
#include <string>

#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "model/load_types.h"

namespace qvcli {

struct InputBytes {
    std::string bytes; // the whole file, or the member
    std::wstring name; // the file's path, or the member's name (for the plug-in fallback)
    bool member = false;
};

// False with a status when nothing could be read: 50004 for a file that cannot be read, 50007
// for a member the archive does not list, or the archive reader's own (50002 above the member
// ceiling). A plain file's bytes are read only when `fileBytes` asks for them.
bool ReadInput(const std::wstring& text, bool fileBytes, InputBytes* input, qv::CodecStatus* status);

// Decodes what ReadInput gave as the load pipeline would: a file with its file time, a member
// without one.
bool DecodeInput(const std::wstring& text, const InputBytes& input, const qv::LoadOptions& options, bool wantFrames,
                 qv::ImageBuffer* image, qv::LoadInfo* info, qv::CodecStatus* status);

} // namespace qvcli
