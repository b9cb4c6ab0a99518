// quorvel-cli's JPEG parts: the EXIF section of `info`, the JPEG encoder of `convert`, and
// `jpegtran` for the lossless transformations.
#include <cstring>

#include "cli_command.h"
#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "model/image_buffer.h"

namespace {

int PrintExif(const std::wstring&, const unsigned char* data, unsigned size) {
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) return 0;
    qvcli::Print(L"orientation: " + std::to_wstring(qv::ReadExifOrientation(data, size)) + L"\n");
    qv::ExifInfo info;
    if (!qv::ReadExifInfo(data, size, &info, nullptr)) return 0;
    qvcli::Print(L"EXIF:\n");
    for (int i = 0; i < qv::kExifInfoItems; ++i) {
        if (!info.items[i].present) continue;
        qvcli::Print(L"  " + qv::ExifEnglishString(qv::kExifLabelBase + i) + L": " + info.items[i].value + L"\n");
    }
    return 0;
}
QV_CLI_INFO_SECTION(PrintExif);

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out.push_back(c < 256 ? static_cast<char>(c) : '?');
    return out;
}

void ReportLibraryMessage(const qv::JpegContext& ctx) {
    if (ctx.libraryMessage[0]) qvcli::PrintError(std::wstring(L"JPEG library: ") + ctx.libraryMessage + L"\n");
}

uint32_t EncodeJpeg(const qv::ImageBuffer& image, const std::wstring& path, const qvcli::Args& args) {
    qv::JpegEncodeOptions options;
    long quality = 75, sampling = 0, limit = 0;
    if (!qvcli::FlagNumber(args, L"--quality", 75, &quality) || !qvcli::FlagNumber(args, L"--sampling", 0, &sampling) ||
        !qvcli::FlagNumber(args, L"--limit", 0, &limit) || sampling < 0 || sampling > 2 || limit < 0)
        return qv::kCodecCannotConvert;
    options.quality = static_cast<int32_t>(quality);
    options.sampling = static_cast<int32_t>(sampling);
    options.grey = qvcli::HasFlag(args, L"--gray");
    options.progressive = qvcli::HasFlag(args, L"--progressive");
    std::wstring comment;
    if (qvcli::FlagValue(args, L"--comment", &comment)) options.comment = Narrow(comment);
    options.xPelsPerMeter = image.header.biXPelsPerMeter;
    options.yPelsPerMeter = image.header.biYPelsPerMeter;
    qv::JpegContext ctx;
    bool ok = limit > 0 ? qv::WriteJpegFileLimited(image, path.c_str(), options, static_cast<uint32_t>(limit), &ctx)
                        : qv::WriteJpegFile(image, path.c_str(), options, &ctx);
    if (ok) return qv::kCodecOk;
    ReportLibraryMessage(ctx);
    return ctx.status == qv::kCodecOk ? qv::kCodecCannotWrite : ctx.status;
}
QV_CLI_ENCODER(L".jpg", EncodeJpeg);
QV_CLI_ENCODER(L".jpeg", EncodeJpeg);
QV_CLI_ENCODER(L".jpe", EncodeJpeg);

int RunJpegtran(const qvcli::Args& args) {
    if (args.size() < 2) return 2;
    qv::JpegTransformOptions options;
    std::wstring value;
    bool haveRotate = qvcli::FlagValue(args, L"--rotate", &value);
    if (haveRotate) {
        if (value == L"90")
            options.transform = qv::kTransformTurn90;
        else if (value == L"180")
            options.transform = qv::kTransformTurn180;
        else if (value == L"270")
            options.transform = qv::kTransformTurn270;
        else
            return 2;
    }
    if (qvcli::FlagValue(args, L"--flip", &value)) {
        if (haveRotate) return 2;
        if (value == L"h")
            options.transform = qv::kTransformFlipH;
        else if (value == L"v")
            options.transform = qv::kTransformFlipV;
        else
            return 2;
    }
    options.markerCopy = qv::kCopyComments;
    if (qvcli::FlagValue(args, L"--markers", &value)) {
        if (value == L"none")
            options.markerCopy = qv::kCopyNone;
        else if (value == L"comments")
            options.markerCopy = qv::kCopyComments;
        else if (value == L"all")
            options.markerCopy = qv::kCopyAll;
        else
            return 2;
    }
    options.trim = qvcli::HasFlag(args, L"--trim");
    options.forceGrey = qvcli::HasFlag(args, L"--gray");
    options.progressive = qvcli::HasFlag(args, L"--progressive");
    options.resetOrientation = options.markerCopy == qv::kCopyAll && options.transform != qv::kTransformNone;
    qv::JpegContext ctx;
    if (!qv::TransformJpegFile(args[0].c_str(), args[1].c_str(), options, &ctx)) {
        ReportLibraryMessage(ctx);
        qvcli::PrintError(L"jpegtran: " + qvcli::Widen(qv::CodecStatusText(ctx.status)) + L"\n");
        return 1;
    }
    return 0;
}
QV_CLI_COMMAND("jpegtran",
               "IN OUT [--rotate 90|180|270 | --flip h|v] [--trim] [--gray] [--progressive] "
               "[--markers none|comments|all]",
               RunJpegtran);

} // namespace
