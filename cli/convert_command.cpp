// quorvel-cli `convert IN OUT [load flags] [encoder flags]`: decodes IN by its content, applies
// the load options a viewer user would have set, and writes OUT with the encoder registered for
// its extension.
#include <cwctype>

#include "cli_command.h"
#include "edit_op.h"
#include "image/image_turn.h"
#include "image/load_pipeline.h"
#include "input_source.h"
#include "model/codec_status.h"
#include "model/image_buffer.h"

namespace qvcli {
namespace {

// Load flags taking on|off; the value is consumed only when it is one of those, so encoder flags
// of the same name with a number (png --gamma 45455) still reach the encoder.
const wchar_t* const kSwitches[] = {L"--gamma", L"--alpha", L"--file-background", L"--autorot"};
const wchar_t* const kValued[] = {L"--display-gamma", L"--background"};

bool ParseSwitch(const std::wstring& v, bool* out) {
    if (v == L"on")
        *out = true;
    else if (v == L"off")
        *out = false;
    else
        return false;
    return true;
}

// Splits `args` (after IN OUT) into load options and what goes on to the encoder.
bool ReadLoadOptions(const Args& args, qv::LoadOptions* options, Args* rest) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        bool handled = false;
        for (const wchar_t* name : kSwitches) {
            bool value = false;
            if (a == name && i + 1 < args.size() && ParseSwitch(args[i + 1], &value)) {
                if (a == L"--gamma")
                    options->gamma = value;
                else if (a == L"--alpha")
                    options->alpha = value;
                else if (a == L"--file-background")
                    options->fileBackground = value;
                else
                    options->autoRotate = value;
                ++i;
                handled = true;
            }
        }
        for (const wchar_t* name : kValued) {
            if (a != name) continue;
            if (i + 1 >= args.size()) return false;
            const std::wstring& v = args[++i];
            wchar_t* end = nullptr;
            if (a == L"--display-gamma") {
                long n = std::wcstol(v.c_str(), &end, 10);
                if (v.empty() || *end != 0) return false;
                options->displayGamma = static_cast<int32_t>(n);
            } else if (!ParseColour(v, &options->background)) {
                return false;
            }
            handled = true;
        }
        if (!handled) rest->push_back(a);
    }
    return true;
}

int Fail(uint32_t status) {
    PrintError(Widen(qv::CodecStatusText(status)) + L"\n");
    return 1;
}

int RunConvert(const Args& given) {
    Args args = given;
    if (!TakePluginsOption(&args) || args.size() < 2) return 2;
    qv::LoadOptions options;
    Args rest;
    if (!ReadLoadOptions(Args(args.begin() + 2, args.end()), &options, &rest)) {
        PrintError(L"convert: --display-gamma takes a number, --background RRGGBB\n");
        return 2;
    }
    const CliEncoder* encoder = EncoderForPath(args[1]);
    if (encoder == nullptr) {
        PrintError(L"convert: no encoder for the extension of " + args[1] + L"\n");
        return 2;
    }

    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::ImageBuffer* turned = qv::AllocImageRecord();
    if (image == nullptr || turned == nullptr) {
        qv::FreeImageRecord(image);
        qv::FreeImageRecord(turned);
        return Fail(qv::kCodecOutOfMemory);
    }
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    int code = 0;
    InputBytes input;
    if (!ReadInput(args[0], false, &input, &status) ||
        !DecodeInput(args[0], input, options, false, image, &info, &status)) {
        code = Fail(status);
    } else {
        const qv::ImageBuffer* out = image;
        if (qv::AutoRotate(*image, info.orientation, options.autoRotate, turned) != qv::kTurnNone) out = turned;
        uint32_t written = encoder->encode(*out, args[1], rest);
        if (written != qv::kCodecOk) code = Fail(written);
    }
    qv::FreeImageRecord(image);
    qv::FreeImageRecord(turned);
    return code;
}

} // namespace

QV_CLI_COMMAND(
    "convert",
    "convert IN|ARCHIVE::MEMBER OUT [--gamma on|off] [--display-gamma N] [--alpha on|off] [--file-background on|off] "
    "[--background RRGGBB] [--autorot on|off] [--plugins DIR] [encoder flags: --depth N --dither ...]",
    RunConvert);

} // namespace qvcli
