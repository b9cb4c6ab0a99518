#include "image/comment_rewrite.h"

#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "image/save_pipeline.h"
#include "model/image_buffer.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace qv {

std::string ReadFileComment(const std::wstring& path, uint32_t sourceFormat) {
    std::string text;
    if (sourceFormat == kFormatPng) text = ReadPngComment(path.c_str());
    if (sourceFormat == kFormatJpeg && !ReadJpegComment(path.c_str(), &text)) text.clear();
    if (text.size() > kCommentMaxBytes) text.resize(kCommentMaxBytes);
    return text;
}

bool RewriteFileComment(const std::wstring& path, uint32_t sourceFormat, const std::string& text,
                        const std::wstring& tempFolder, LoadInfo* info, CommentRewrite* result) {
    *result = CommentRewrite{};
    if (sourceFormat != kFormatPng && sourceFormat != kFormatJpeg) return false;
    // the shell recycles only a fully qualified path; any other it would delete for good
    std::wstring target = FullPathOf(path);
    std::wstring temp;
    if (!CreateTempFile(tempFolder, &temp)) return false;
    bool rewritten = false;
    if (sourceFormat == kFormatPng) {
        PngCommentChange change;
        rewritten = ReplacePngComment(target.c_str(), temp.c_str(), text.c_str(), &change) == kCodecOk;
        result->wrote = change.wrote;
        result->delta = change.delta;
    } else {
        CodecStatus status = kCodecOk;
        rewritten = RewriteJpegComment(target.c_str(), temp.c_str(), text, &result->delta, &result->wrote, &status);
    }
    bool ok = rewritten;
    if (rewritten && result->wrote) {
        SaveFailure failure;
        ok = PlaceSavedFile(temp, target, &failure);
        if (ok) GetFileFacts(target.c_str(), &result->newSize, &result->newTime);
    }
    DeleteFilePath(temp.c_str());
    if (!ok) {
        *result = CommentRewrite{};
        return false;
    }
    if (result->wrote) {
        info->commentPresent += result->delta;
        if (sourceFormat == kFormatPng) info->textPresent += result->delta;
    }
    return true;
}

} // namespace qv
