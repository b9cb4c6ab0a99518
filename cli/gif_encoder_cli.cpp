// `convert` to .gif: --depth 1-8 (default 8), --dither, --interlace, --transparent RRGGBB.
#include <cwchar>

#include "cli_command.h"
#include "codecs/gif_codec.h"

namespace {

// "RRGGBB" in hex to a COLORREF (red | green << 8 | blue << 16).
bool ParseColour(const std::wstring& text, uint32_t* colour) {
    if (text.size() != 6) return false;
    wchar_t* end = nullptr;
    unsigned long rgb = std::wcstoul(text.c_str(), &end, 16);
    if (*end != 0) return false;
    *colour = static_cast<uint32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return true;
}

uint32_t EncodeGifFile(const qv::ImageBuffer& image, const std::wstring& path, const qvcli::Args& args) {
    qv::GifWriteOptions options;
    long depth = 8;
    if (!qvcli::FlagNumber(args, L"--depth", 8, &depth) || depth < 1 || depth > 8) {
        qvcli::PrintError(L"quorvel-cli: --depth for GIF is 1 to 8\n");
        return qv::kCodecCannotConvert;
    }
    options.depth = static_cast<uint32_t>(depth);
    options.dither = qvcli::HasFlag(args, L"--dither");
    options.interlace = qvcli::HasFlag(args, L"--interlace");
    std::wstring colour;
    if (qvcli::FlagValue(args, L"--transparent", &colour)) {
        if (!ParseColour(colour, &options.transparentColour)) {
            qvcli::PrintError(L"quorvel-cli: --transparent takes RRGGBB in hex\n");
            return qv::kCodecCannotConvert;
        }
        options.transparent = true;
    }
    return qv::WriteGifFile(path.c_str(), image, options);
}

} // namespace

QV_CLI_ENCODER(L".gif", EncodeGifFile);
