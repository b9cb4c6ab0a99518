// JPEG decode and encode speed against libjpeg-turbo itself, in this process and from the same
// bytes in memory, on one large photographic-looking picture (6000 x 4000, quality 90, 4:2:0)
// made by our encoder at the start. Our codec is built on the library, so the ratios show what
// our wrapping costs or saves:
//   decode: DecodeJpeg into a fresh ImageBuffer vs TurboJPEG's tjDecompress2 to bottom-up BGR, into
//           a fresh block (the same work) and into a block already in use (no page supply)
//   encode: WriteJpegMemory (optimised Huffman tables, as the program writes) vs the libjpeg
//           interface with the same settings, and TurboJPEG's tjCompress2 (no table optimisation)
// usage: jpeg_bench [RUNS]
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first
#include <jpeglib.h>
#include <turbojpeg.h>

#include "bench_timing.h"
#include "codecs/jpeg_codec.h"
#include "platform/platform.h"

using namespace qv;

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;

// Smooth shading, mid-frequency texture and sensor-like noise: compresses like a photograph.
void MakePhoto(ImageBuffer* image) {
    CodecStatus status = kCodecOk;
    if (!PrepareImage(image, kWidth, kHeight, 24, &status)) {
        std::fprintf(stderr, "no memory for the picture\n");
        std::exit(1);
    }
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = ImageRowFromTop(image, y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            double fx = x / static_cast<double>(kWidth), fy = y / static_cast<double>(kHeight);
            double sky = 150 + 80 * std::sin(fx * 3.1 + fy * 1.7);
            double texture = 25 * std::sin(x * 0.07 + std::sin(y * 0.05) * 3) * std::cos(y * 0.031 + x * 0.002);
            double edge = (std::sin(fx * 40) > 0.6 && fy > 0.5) ? -60 : 0;
            int noise = static_cast<int>(seed % 13) - 6;
            for (int c = 0; c < 3; ++c) {
                double v = sky * (0.7 + 0.15 * c) + texture * (1.0 - 0.2 * c) + edge + noise;
                row[3 * x + c] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
            }
        }
    }
}

// The libjpeg interface encoding as our writer sets it up: BGR rows from the top, quality 90,
// 4:2:0, optimised Huffman tables, into a block of the given room.
bool LibjpegEncode(const ImageBuffer& image, uint8_t* block, unsigned long capacity, unsigned long* used) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = block;
    unsigned long size = capacity;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 2;
    c.optimize_coding = TRUE;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(ImageRowFromTop(&image, c.next_scanline));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    *used = size;
    // a destination that outgrew the block was allocated by the library
    if (out != block) {
        std::free(out);
        return false;
    }
    return size > 0;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    const double megapixels = kWidth * static_cast<double>(kHeight) / 1e6;

    ImageBuffer photo{};
    MakePhoto(&photo);
    JpegEncodeOptions options;
    options.quality = 90;
    options.sampling = kSampling2x2;
    std::vector<uint8_t> block(static_cast<size_t>(kWidth) * kHeight * 3);
    JpegContext ctx;
    if (!WriteJpegMemory(photo, options, block.data(), static_cast<uint32_t>(block.size()), &ctx)) {
        std::fprintf(stderr, "jpeg_bench: our encoder failed on the test picture\n");
        return 1;
    }
    const std::vector<uint8_t> jpeg(block.begin(), block.begin() + ctx.bytesUsed);
    std::printf("picture: %u x %u (%.1f MP), quality 90, 4:2:0, %zu bytes\n", kWidth, kHeight, megapixels, jpeg.size());
    qvbench::PrintRatioNote();

    tjhandle decompressor = tjInitDecompress(), compressor = tjInitCompress();
    if (!decompressor || !compressor) return 1;
    const int pitch = static_cast<int>(ImageStride(kWidth, 24));
    const size_t blockBytes = static_cast<size_t>(pitch) * kHeight + 4;
    std::vector<uint8_t> warm(blockBytes, 1);
    auto tjDecode = [&](uint8_t* out) {
        return tjDecompress2(decompressor, jpeg.data(), static_cast<unsigned long>(jpeg.size()), out, kWidth, pitch,
                             kHeight, TJPF_BGR, TJFLAG_BOTTOMUP) == 0;
    };

    qvbench::Job ours{"DecodeJpeg", [&] {
                          ImageBuffer decoded{};
                          JpegContext c;
                          bool ok = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), &decoded, &c);
                          FreeImagePixels(&decoded);
                          return ok;
                      }};
    qvbench::Job tjFresh{"tjDecompress2 into a fresh block", [&] {
                             LargeBlock fresh(static_cast<uint8_t*>(AllocLargeBlock(blockBytes)));
                             return fresh && tjDecode(fresh.get());
                         }};
    qvbench::Job tjWarm{"tjDecompress2 into a block in use", [&] { return tjDecode(warm.data()); }};
    qvbench::Report("jpeg", "decode 24 MP", qvbench::Compare(runs, ours, {tjFresh, tjWarm}), megapixels, "MP/s");

    qvbench::Job oursEncode{"WriteJpegMemory", [&] {
                                JpegContext c;
                                return WriteJpegMemory(photo, options, block.data(),
                                                       static_cast<uint32_t>(block.size()), &c) &&
                                       c.bytesUsed > 0;
                            }};
    qvbench::Job libjpegEncode{"libjpeg, same settings", [&] {
                                   unsigned long used = 0;
                                   return LibjpegEncode(photo, block.data(), block.size(), &used);
                               }};
    qvbench::Job tjEncode{"tjCompress2, no table optimisation", [&] {
                              unsigned char* out = block.data();
                              unsigned long size = block.size();
                              // bottom-up: the block starts with the last row, as TJFLAG_BOTTOMUP reads it
                              return tjCompress2(compressor, photo.pixels, kWidth, pitch, kHeight, TJPF_BGR, &out,
                                                 &size, TJSAMP_420, 90, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC) == 0;
                          }};
    qvbench::Report("jpeg", "encode 24 MP, quality 90", qvbench::Compare(runs, oursEncode, {libjpegEncode, tjEncode}),
                    megapixels, "MP/s");

    tjDestroy(decompressor);
    tjDestroy(compressor);
    FreeImagePixels(&photo);
    return 0;
}
