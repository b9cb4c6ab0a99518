// quorvel-cli's PNG encoder for `convert`: --depth 1|2|4|8|24, --gray, --level 0-9,
// --filter 0-5 (0 adaptive), --interlace, --gamma N (x 1000), --dither.
#include "cli_command.h"
#include "codecs/png_codec.h"
#include "model/image_buffer.h"

namespace qvcli {

uint32_t EncodePngCommand(const qv::ImageBuffer& image, const std::wstring& path, const Args& args) {
    qv::PngWriteOptions options;
    long depth = 0, level = 0, filter = 0, gamma = 0;
    if (!FlagNumber(args, L"--depth", image.header.biBitCount == 24 ? 24 : 8, &depth) ||
        !FlagNumber(args, L"--level", 6, &level) || !FlagNumber(args, L"--filter", 0, &filter) ||
        !FlagNumber(args, L"--gamma", 0, &gamma) || depth < 0 || level < 0 || filter < 0 || filter > 5 || gamma < 0) {
        PrintError(L"png: --depth, --level, --filter and --gamma take non-negative numbers (--filter 0-5)\n");
        return qv::kCodecCannotConvert;
    }
    options.depth = static_cast<uint32_t>(depth);
    options.level = static_cast<int32_t>(level);
    options.filter = static_cast<uint32_t>(filter);
    options.gamma = static_cast<uint32_t>(gamma);
    options.grey = HasFlag(args, L"--gray");
    options.interlace = HasFlag(args, L"--interlace");
    options.dither = HasFlag(args, L"--dither");
    options.xResolution = image.header.biXPelsPerMeter;
    options.yResolution = image.header.biYPelsPerMeter;
    return qv::WritePngFile(path.c_str(), image, options);
}

QV_CLI_ENCODER(L".png", EncodePngCommand);

} // namespace qvcli
