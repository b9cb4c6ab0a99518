// quorvel-cli `info FILE`: what the load pipeline learns about a file, then the sections that
// formats with more to tell have registered.
#include "cli_command.h"
#include "image/format_detect.h"
#include "image/load_pipeline.h"
#include "input_source.h"
#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "platform/platform.h"

namespace qvcli {
namespace {

const wchar_t* FormatName(uint32_t format) {
    switch (format) {
    case qv::kFormatBmp: return L"BMP";
    case qv::kFormatPng: return L"PNG";
    case qv::kFormatJpeg: return L"JPEG";
    case qv::kFormatTiff: return L"TIFF";
    case qv::kFormatGif: return L"GIF";
    case qv::kFormatUnreadable: return L"unreadable";
    default: return L"unknown";
    }
}

int RunInfo(const Args& given) {
    Args args = given;
    if (!TakePluginsOption(&args) || args.size() != 1) return 2;
    const std::wstring& path = args[0];
    InputBytes input;
    qv::CodecStatus status = qv::kCodecOk;
    if (!ReadInput(path, true, &input, &status)) {
        PrintError(Widen(qv::CodecStatusText(status)) + L"\n");
        return 1;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(input.bytes.data());
    const auto size = static_cast<uint32_t>(input.bytes.size());
    qv::SourceFormat format = qv::DetectFormatFromMemory(bytes, size);

    qv::ImageBuffer* image = qv::AllocImageRecord();
    if (image == nullptr) {
        Print(L"format: " + std::wstring(FormatName(format)) + L"\n");
        PrintError(Widen(qv::CodecStatusText(qv::kCodecOutOfMemory)) + L"\n");
        return 1;
    }
    qv::LoadInfo info;
    bool ok = DecodeInput(path, input, qv::LoadOptions{}, true, image, &info, &status);
    // an image that no built-in codec read came from a plug-in
    bool byPlugin = ok && image->sourceFormat == qv::kFormatNone;
    Print(L"format: " + std::wstring(byPlugin ? L"plug-in" : FormatName(format)) + L"\n");
    if (!ok) {
        qv::FreeImageRecord(image);
        PrintError(Widen(qv::CodecStatusText(status)) + L"\n");
        return 1;
    }
    auto line = [](const wchar_t* name, long long value) { Print(name + std::to_wstring(value) + L"\n"); };
    line(L"width: ", image->header.biWidth);
    line(L"height: ", image->header.biHeight);
    line(L"bit depth: ", image->header.biBitCount);
    line(L"source bit depth: ", image->sourceBitDepth);
    line(L"file size: ", image->fileSize);
    line(L"interlaced: ", info.interlaced);
    line(L"transparency: ", info.transparency);
    line(L"text chunks: ", info.textPresent);
    line(L"comment: ", info.commentPresent);
    line(L"orientation: ", info.orientation);
    line(L"exif: ", info.exifPresent);
    qv::FreeImageRecord(image);

    int code = 0;
    for (const InfoSection& section : InfoSections()) {
        int rc = section.print(path, bytes, size);
        if (rc != 0) code = rc;
    }
    return code;
}

} // namespace

QV_CLI_COMMAND("info", "info FILE|ARCHIVE::MEMBER [--plugins DIR]", RunInfo);

} // namespace qvcli
