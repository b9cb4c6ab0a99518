// quorvel-cli convert to .tif / .tiff: --depth 1|4|8|24 (default 24), --gray (depth 8 as grey
// levels), --dither (error diffusion when colours are reduced).
#include "cli_command.h"
#include "codecs/tiff_encoder.h"

namespace {

uint32_t EncodeTiff(const qv::ImageBuffer& image, const std::wstring& path, const qvcli::Args& args) {
    long depth = 24;
    if (!qvcli::FlagNumber(args, L"--depth", 24, &depth) || (depth != 1 && depth != 4 && depth != 8 && depth != 24)) {
        qvcli::PrintError(L"quorvel-cli: --depth must be 1, 4, 8 or 24\n");
        return qv::kCodecCannotWrite;
    }
    qv::TiffWriteOptions options;
    options.depth = static_cast<uint32_t>(depth);
    options.grey = qvcli::HasFlag(args, L"--gray");
    options.dither = qvcli::HasFlag(args, L"--dither");
    qv::CodecStatus status = qv::kCodecOk;
    qv::WriteTiffFile(path.c_str(), image, options, &status);
    return status;
}

} // namespace

QV_CLI_ENCODER(L".tif", EncodeTiff);
QV_CLI_ENCODER(L".tiff", EncodeTiff);
