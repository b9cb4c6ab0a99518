// quorvel-cli's BMP encoder for `convert`: --depth 1|4|8|24, --dither.
#include "cli_command.h"
#include "codecs/bmp_codec.h"
#include "model/image_buffer.h"

namespace qvcli {

uint32_t EncodeBmpCommand(const qv::ImageBuffer& image, const std::wstring& path, const Args& args) {
    long depth = 0;
    if (!FlagNumber(args, L"--depth", image.header.biBitCount == 24 ? 24 : 8, &depth) ||
        (depth != 1 && depth != 4 && depth != 8 && depth != 24)) {
        PrintError(L"bmp: --depth takes 1, 4, 8 or 24\n");
        return qv::kCodecCannotConvert;
    }
    qv::CodecStatus status = qv::kCodecOk;
    if (!qv::WriteBmpFile(path.c_str(), image, static_cast<uint32_t>(depth), HasFlag(args, L"--dither"), &status))
        return status;
    return qv::kCodecOk;
}

QV_CLI_ENCODER(L".bmp", EncodeBmpCommand);

} // namespace qvcli
