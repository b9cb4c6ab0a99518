// The comment of a PNG or JPEG file, read and rewritten in place without decoding the picture.
// The rewrite goes through a temporary file and is placed as a save is: the old file goes to the
// Recycle Bin only once the new one lies complete beside it.
#pragma once

#include <cstdint>
#include <string>

#include "model/load_types.h"
#include "platform/win32_types.h"

namespace qv {

// What the editor holds and writes: 4096 characters, 4096 bytes in the ANSI code page.
constexpr size_t kCommentMaxChars = 4096;
constexpr size_t kCommentMaxBytes = 4096;

// The first "Comment" text of a PNG (sourceFormat kFormatPng) or the first COM segment of a JPEG
// (kFormatJpeg), in the file's bytes; empty when there is none.
std::string ReadFileComment(const std::wstring& path, uint32_t sourceFormat);

struct CommentRewrite {
    bool wrote = false; // false: nothing to do (no text and no comment before), the file untouched
    int32_t delta = 0;  // +1 added, 0 replaced, -1 removed
    FILETIME newTime{}; // the file's last-write time after the rewrite
    uint64_t newSize = 0;
};

// Replaces the comment of the file at `path` by `text` (ANSI bytes; empty removes it), working in
// a temporary file of `tempFolder` (the system's when empty). On success the counts of `info`
// follow the change (PNG: its text and comment counts, JPEG: its comment count). False, the
// counts unchanged, when no temporary file can be had, the rewrite fails or the new file cannot
// be placed; the file at `path` then still holds its old version (or the bin does).
bool RewriteFileComment(const std::wstring& path, uint32_t sourceFormat, const std::string& text,
                        const std::wstring& tempFolder, LoadInfo* info, CommentRewrite* result);

} // namespace qv
