// quorvel-cli `edit` operations of the area selection: load a mask, build one with the tool's own
// shapes, invert, feather and write it out, so masked edits can be scripted and tested without the
// mouse. The mask then holds for every later operation that honours one (EditContext::mask).
//
// A mask file is data, not a picture: it is read as stored (no gamma, no transparency, no EXIF
// turn) and must have the picture's size. Each pixel gives one value, 255 protected, 0 editable:
// a grey pixel (red = green = blue) its grey, any other colour its grey through the grey weights,
// which is what an 8-bit grey file, a 24-bit file or a palette file all come to.
//
// As in the program, taking a mask makes an 8-bit picture 24-bit, since a mask cannot weigh a
// palette.
#include <algorithm>
#include <string>
#include <vector>

#include "cli_command.h"
#include "model/codec_status.h"
#include "edit_op.h"
#include "model/grey_weights.h"
#include "model/image_buffer.h"
#include "image/load_pipeline.h"
#include "tools/mask_feather.h"
#include "tools/selection_kernel.h"
#include "tools/selection_outline.h"

namespace qvcli {
namespace {

size_t PixelCount(const qv::ImageBuffer& image) {
    return static_cast<size_t>(static_cast<uint32_t>(image.header.biWidth)) *
           static_cast<uint32_t>(image.header.biHeight);
}

// Gets the picture ready to take a mask; kEditOk or kEditRefused.
int PrepareForMask(qv::ImageBuffer* image, std::wstring* error) {
    if (qv::MakeImageMaskable(image)) return kEditOk;
    *error = L"no memory for the 24-bit copy of the 8-bit picture";
    return kEditRefused;
}

// Combines the inside plane with the run's mask in its --select-mode.
int CombineInto(qv::ImageBuffer* image, const EditContext& context, const std::vector<uint8_t>& inside,
                std::wstring* error) {
    if (int code = PrepareForMask(image, error); code != kEditOk) return code;
    EditMask& mask = *context.selection;
    bool exists = !mask.bytes.empty();
    if (!exists) mask.bytes.assign(inside.size(), qv::kMaskEditable);
    qv::CombineShape(mask.bytes.data(), inside.data(), inside.size(), qv::CombineRuleFor(mask.mode, exists));
    return kEditOk;
}

int LoadMask(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    qv::ImageBuffer* file = qv::AllocImageRecord();
    if (file == nullptr) {
        *error = L"no memory";
        return kEditRefused;
    }
    qv::LoadOptions asStored;
    asStored.gamma = false;
    asStored.alpha = false;
    asStored.autoRotate = false;
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    int code = kEditOk;
    if (!qv::DecodeFile(value.c_str(), asStored, false, file, &info, &status)) {
        *error = value + L": " + Widen(qv::CodecStatusText(status));
        code = kEditBadValue;
    } else if (file->header.biWidth != image->header.biWidth || file->header.biHeight != image->header.biHeight) {
        *error = value + L" is " + std::to_wstring(file->header.biWidth) + L" x " +
                 std::to_wstring(file->header.biHeight) + L", the picture " + std::to_wstring(image->header.biWidth) +
                 L" x " + std::to_wstring(image->header.biHeight);
        code = kEditBadValue;
    } else if ((code = PrepareForMask(image, error)) == kEditOk) {
        const qv::GreyWeights& grey = qv::GetGreyWeights();
        uint32_t w = static_cast<uint32_t>(file->header.biWidth), h = static_cast<uint32_t>(file->header.biHeight);
        std::vector<uint8_t>& bytes = context.selection->bytes;
        bytes.resize(PixelCount(*image));
        bool palette = file->header.biBitCount == 8;
        for (uint32_t y = 0; y < h; ++y) {
            // both blocks are bottom-up, so memory row y of the file is memory row y of the mask
            const uint8_t* row = file->pixels + static_cast<size_t>(y) * qv::ImageStride(file);
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t b, g, r;
                if (palette) {
                    const RGBQUAD& c = file->palette[row[x]];
                    b = c.rgbBlue, g = c.rgbGreen, r = c.rgbRed;
                } else {
                    b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
                }
                bytes[static_cast<size_t>(y) * w + x] = (b == g && g == r) ? g : qv::GreyOf(grey, b, g, r);
            }
        }
    }
    qv::FreeImageRecord(file);
    return code;
}

int SelectMode(qv::ImageBuffer*, const std::wstring& value, const EditContext& context, std::wstring* error) {
    static const wchar_t* const kModes[] = {L"new", L"add", L"remove"};
    for (int32_t m = 0; m < 3; ++m)
        if (value == kModes[m]) {
            context.selection->mode = m;
            return kEditOk;
        }
    *error = L"the mode is new, add or remove";
    return kEditBadValue;
}

int SelectBox(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error,
              bool ellipse) {
    long v[4];
    if (!ParseIntList(value, 4, v) || std::any_of(v, v + 4, [](long n) { return n < INT32_MIN || n > INT32_MAX; })) {
        *error = L"needs LEFT,TOP,RIGHT,BOTTOM: the corner pixels, counted from the top-left";
        return kEditBadValue;
    }
    std::vector<uint8_t> inside(PixelCount(*image));
    qv::ImagePoint a{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])};
    qv::ImagePoint b{static_cast<int32_t>(v[2]), static_cast<int32_t>(v[3])};
    int32_t w = image->header.biWidth, h = image->header.biHeight;
    if (ellipse)
        qv::FillEllipseShape(inside.data(), w, h, a, b);
    else
        qv::FillRectangleShape(inside.data(), w, h, a, b);
    return CombineInto(image, context, inside, error);
}

int SelectRect(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return SelectBox(image, value, context, error, false);
}

int SelectEllipse(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    return SelectBox(image, value, context, error, true);
}

int SelectOutline(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    int numbers = static_cast<int>(std::count(value.begin(), value.end(), L',')) + 1;
    std::vector<long> v(static_cast<size_t>(numbers));
    if (numbers % 2 != 0 || numbers / 2 > static_cast<int>(qv::kOutlineClosesAt) ||
        !ParseIntList(value, numbers, v.data()) ||
        std::any_of(v.begin(), v.end(), [](long n) { return n < INT32_MIN || n > INT32_MAX; })) {
        *error = L"needs X,Y pairs of the outline's corners (at most " + std::to_wstring(qv::kOutlineClosesAt) + L")";
        return kEditBadValue;
    }
    std::vector<qv::ImagePoint> corners;
    for (int i = 0; i < numbers; i += 2)
        corners.push_back({static_cast<int32_t>(v[i]), static_cast<int32_t>(v[i + 1])});
    std::vector<uint8_t> inside(PixelCount(*image));
    qv::FillOutlineShape(inside.data(), image->header.biWidth, image->header.biHeight, corners.data(), corners.size());
    return CombineInto(image, context, inside, error);
}

int SelectColour(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error,
                 bool connected) {
    long v[3];
    if (!ParseIntList(value, 3, v) || v[0] < 0 || v[1] < 0 || v[0] >= image->header.biWidth ||
        v[1] >= image->header.biHeight || v[2] < qv::kAreRangeMin || v[2] > qv::kAreRangeMax) {
        *error = L"needs X,Y,RANGE: a pixel of the picture (from the top-left) and a range of 0-255";
        return kEditBadValue;
    }
    if (int code = PrepareForMask(image, error); code != kEditOk) return code;
    std::vector<uint8_t> inside(PixelCount(*image));
    qv::PixelPlane plane = qv::PlaneOf24Bit(image->pixels, image->header.biWidth, image->header.biHeight);
    qv::FillSimilarColour(inside.data(), plane, {static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])},
                          static_cast<int32_t>(v[2]), connected, context.threads);
    return CombineInto(image, context, inside, error);
}

int SelectConnectedColour(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context,
                          std::wstring* error) {
    return SelectColour(image, value, context, error, true);
}

int SelectEveryColour(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context,
                      std::wstring* error) {
    return SelectColour(image, value, context, error, false);
}

int InvertSelectionMask(qv::ImageBuffer* image, const std::wstring&, const EditContext& context, std::wstring* error) {
    if (int code = PrepareForMask(image, error); code != kEditOk) return code;
    std::vector<uint8_t>& bytes = context.selection->bytes;
    if (bytes.empty()) bytes.assign(PixelCount(*image), qv::kMaskEditable); // no mask: everything was editable
    qv::InvertMask(bytes.data(), bytes.size());
    return kEditOk;
}

int Feather(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    long r = 0;
    if (!ParseIntList(value, 1, &r) || r < qv::kAreSmoothMin || r > qv::kAreSmoothMax) {
        *error = L"the radius is 1-100";
        return kEditBadValue;
    }
    std::vector<uint8_t>& bytes = context.selection->bytes;
    if (bytes.empty()) return kEditOk; // nothing to soften
    if (!qv::FeatherMask(bytes.data(), image->header.biWidth, image->header.biHeight, static_cast<int32_t>(r),
                         context.threads)) {
        *error = L"no memory for the feathering plane";
        return kEditRefused;
    }
    return kEditOk;
}

// Writes the mask as an 8-bit grey picture (everything editable, all 0, without a mask).
int WriteMask(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error) {
    const CliEncoder* encoder = EncoderForPath(value);
    if (encoder == nullptr) {
        *error = L"no encoder for the extension of " + value;
        return kEditBadValue;
    }
    qv::ImageBuffer* out = qv::AllocImageRecord();
    uint32_t w = static_cast<uint32_t>(image->header.biWidth), h = static_cast<uint32_t>(image->header.biHeight);
    qv::CodecStatus status = qv::kCodecOk;
    if (out == nullptr || !qv::PrepareImage(out, w, h, 8, &status)) {
        qv::FreeImageRecord(out);
        *error = L"no memory";
        return kEditRefused;
    }
    for (uint32_t i = 0; i < 256; ++i)
        out->palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
    out->sourceFormat = qv::kFormatBmp;
    const std::vector<uint8_t>& bytes = context.selection->bytes;
    if (!bytes.empty())
        for (uint32_t y = 0; y < h; ++y)
            std::copy_n(bytes.data() + static_cast<size_t>(y) * w, w,
                        out->pixels + static_cast<size_t>(y) * qv::ImageStride(out));
    uint32_t written = encoder->encode(*out, value, Args{});
    qv::FreeImageRecord(out);
    if (written != qv::kCodecOk) {
        *error = value + L": " + Widen(qv::CodecStatusText(written));
        return kEditRefused;
    }
    return kEditOk;
}

} // namespace

QV_CLI_EDIT_OP("--mask", "--mask FILE  (grey, the picture's size: 255 protected, 0 editable)", true, LoadMask);
QV_CLI_EDIT_OP("--select-mode", "--select-mode new|add|remove  (how the shapes after it combine; new at first)", true,
               SelectMode);
QV_CLI_EDIT_OP("--select-rect", "--select-rect L,T,R,B  (corner pixels from the top-left, both included)", true,
               SelectRect);
QV_CLI_EDIT_OP("--select-ellipse", "--select-ellipse L,T,R,B  (the ellipse inside that box)", true, SelectEllipse);
QV_CLI_EDIT_OP("--select-outline", "--select-outline X,Y,X,Y,...  (a freehand outline's corners)", true, SelectOutline);
QV_CLI_EDIT_OP("--select-colour", "--select-colour X,Y,RANGE  (similar colour joined to pixel X,Y)", true,
               SelectConnectedColour);
QV_CLI_EDIT_OP("--select-colour-all", "--select-colour-all X,Y,RANGE  (every pixel similar to X,Y)", true,
               SelectEveryColour);
QV_CLI_EDIT_OP("--invert-mask", "--invert-mask", false, InvertSelectionMask);
QV_CLI_EDIT_OP("--feather", "--feather R  (smooth the mask's edges, radius 1-100)", true, Feather);
QV_CLI_EDIT_OP("--write-mask", "--write-mask FILE  (the mask as an 8-bit grey picture)", true, WriteMask);

} // namespace qvcli
