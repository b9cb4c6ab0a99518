// The EXIF marker walk, IFD walk and information record, the size patch and orientation reset,
// the thumbnail locator and the comment reader and rewriter on untrusted bytes. Inputs that do not
// start as a JPEG are wrapped as the TIFF structure of an EXIF APP1 so that the IFD code is reached.
// The orientation read is always one the viewer turns by (1, 3, 6 or 8), and after a reset it is 1.
// Runs in the test command: 1000
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65000) return 0;
    std::vector<uint8_t> jpeg;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
        jpeg.assign(data, data + size);
    } else {
        uint32_t length = static_cast<uint32_t>(size) + 8;
        jpeg = {0xFF, 0xD8, 0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), 'E', 'x',
                'i',  'f',  0,    0};
        jpeg.insert(jpeg.end(), data, data + size);
        jpeg.insert(jpeg.end(), {0xFF, 0xD9});
    }
    uint32_t n = static_cast<uint32_t>(jpeg.size());

    qv::WalkJpegMarkers(jpeg.data(), n, false);
    int32_t orientation = qv::ReadExifOrientation(jpeg.data(), n);
    if (orientation != 1 && orientation != 3 && orientation != 6 && orientation != 8) __builtin_trap();
    qv::ExifInfo info;
    qv::ReadExifInfo(jpeg.data(), n, &info, nullptr);

    qv::ExifThumbnail thumb;
    qv::CodecStatus status = qv::kCodecOk;
    if (qv::FindExifThumbnail(jpeg.data(), n, &thumb, &status)) {
        std::string file(jpeg.begin(), jpeg.end()), out;
        static const uint8_t kSmall[] = {0xFF, 0xD8, 0xFF, 0xD9};
        qv::ReplaceExifThumbnailMemory(file, thumb, kSmall, sizeof kSmall, &out);
    }
    std::vector<uint8_t> payload;
    if (qv::CopyExifForSave(jpeg.data(), n, &payload) && payload.size() > 6)
        qv::PatchExifImageSize(payload.data() + 6, static_cast<uint32_t>(payload.size() - 6), 1234, 567);
    std::vector<uint8_t> copy = jpeg;
    if (qv::ResetExifOrientation(copy.data(), n) && qv::ReadExifOrientation(copy.data(), n) != 1) __builtin_trap();

    qv::ReadJpegCommentMemory(jpeg.data(), n);
    std::vector<uint8_t> rewritten;
    int32_t change = 0;
    bool wrote = false;
    qv::RewriteJpegCommentMemory(jpeg.data(), n, "fuzz\r\ncomment", &rewritten, &change, &wrote, &status);
    qv::RewriteJpegCommentMemory(jpeg.data(), n, "", &rewritten, &change, &wrote, &status);
    return 0;
}
