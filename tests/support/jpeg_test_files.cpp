#include "jpeg_test_files.h"

#include "codecs/jpeg_codec.h"
#include "model/image_buffer.h"

namespace qvtest {

namespace {

void Put16(std::vector<uint8_t>* b, uint16_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* b, uint32_t v) {
    Put16(b, static_cast<uint16_t>(v));
    Put16(b, static_cast<uint16_t>(v >> 16));
}
void Entry(std::vector<uint8_t>* b, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    Put16(b, tag);
    Put16(b, type);
    Put32(b, count);
    Put32(b, value);
}

} // namespace

std::vector<uint8_t> MinimalExifPayload(uint16_t orientation, uint16_t width, uint16_t height) {
    std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};
    Put32(&b, 8);
    constexpr uint32_t kExifIfd = 8 + 2 + 2 * 12 + 4;
    Put16(&b, 2);
    Entry(&b, 274, 3, 1, orientation);
    Entry(&b, 34665, 4, 1, kExifIfd);
    Put32(&b, 0);
    Put16(&b, 3);
    Entry(&b, 36864, 7, 4, '0' | '2' << 8 | '3' << 16 | '1' << 24);
    Entry(&b, 40962, 3, 1, width);
    Entry(&b, 40963, 3, 1, height);
    Put32(&b, 0);
    return b;
}

bool WriteTestJpeg(const std::wstring& path, uint32_t width, uint32_t height, uint16_t orientation) {
    qv::ImageBuffer image{};
    qv::CodecStatus status = qv::kCodecOk;
    if (!qv::PrepareImage(&image, width, height, 24, &status)) return false;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = qv::ImageRowFromTop(&image, y);
        for (uint32_t x = 0; x < width; ++x) {
            // blue-green-red: red towards the right, green towards the bottom
            row[3 * x] = 40;
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / height);
            row[3 * x + 2] = static_cast<uint8_t>(x * 255 / width);
        }
    }
    qv::JpegEncodeOptions options;
    options.quality = 90;
    options.sampling = qv::kSampling1x1;
    if (orientation != 0)
        options.exif = MinimalExifPayload(orientation, static_cast<uint16_t>(width), static_cast<uint16_t>(height));
    qv::JpegContext ctx;
    bool ok = qv::WriteJpegFile(image, path.c_str(), options, &ctx);
    qv::FreeImagePixels(&image);
    return ok;
}

} // namespace qvtest
