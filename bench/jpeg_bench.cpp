// JPEG decode and encode speed against libjpeg-turbo's own tools on one large photographic-looking
// picture (6000 x 4000, quality 90, 4:2:0) made by our encoder at the start.
//   decode: DecodeJpeg into the ImageBuffer vs tjbench's decompression (in memory) and djpeg (process)
//   encode: WriteJpegMemory (optimised Huffman tables, as the program writes) vs cjpeg -optimize
//           (same work, process) and tjbench's compression (in memory, without table optimisation)
// Ratios above 1 mean we are faster.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/jpeg_codec.h"
#include "platform/platform.h"

using namespace qv;

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;
constexpr int kRounds = 3;

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

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

bool WritePpm(const ImageBuffer& image, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%u %u\n255\n", kWidth, kHeight);
    std::vector<uint8_t> row(kWidth * 3);
    for (uint32_t y = 0; y < kHeight; ++y) {
        const uint8_t* src = ImageRowFromTop(&image, y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            row[3 * x] = src[3 * x + 2];
            row[3 * x + 1] = src[3 * x + 1];
            row[3 * x + 2] = src[3 * x];
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

// Best wall time of a shell command over the rounds.
double BestCommandSeconds(const std::string& command) {
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        double t0 = Now();
        if (std::system(command.c_str()) != 0) return -1;
        best = std::min(best, Now() - t0);
    }
    return best;
}

// The first "Throughput: N Megapixels/sec" after `section` in tjbench's report.
double TjbenchMegapixels(const std::string& command, const char* section) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    pclose(pipe);
    size_t at = out.find(section);
    if (at == std::string::npos) return -1;
    at = out.find("Throughput:", at);
    if (at == std::string::npos) return -1;
    return std::atof(out.c_str() + at + 11);
}

bool HaveTool(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

void PrintRatio(const char* what, double oursMps, double refMps) {
    if (refMps <= 0) {
        std::printf("%-44s ours %7.1f MP/s   reference unavailable\n", what, oursMps);
        return;
    }
    std::printf("%-44s ours %7.1f MP/s   ref %7.1f MP/s   ratio %.2fx\n", what, oursMps, refMps, oursMps / refMps);
}

} // namespace

int main() {
    char folder[] = "/tmp/qvbench-jpeg-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    std::string dir = folder, jpegPath = dir + "/photo.jpg", ppmPath = dir + "/photo.ppm";
    double megapixels = kWidth * static_cast<double>(kHeight) / 1e6;

    ImageBuffer photo{};
    MakePhoto(&photo);
    JpegEncodeOptions options;
    options.quality = 90;
    options.sampling = kSampling2x2;
    std::vector<uint8_t> block(static_cast<size_t>(kWidth) * kHeight * 3);
    JpegContext ctx;
    double encodeBest = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        double t0 = Now();
        if (!WriteJpegMemory(photo, options, block.data(), static_cast<uint32_t>(block.size()), &ctx)) {
            std::fprintf(stderr, "encode failed\n");
            return 1;
        }
        encodeBest = std::min(encodeBest, Now() - t0);
    }
    uint32_t jpegBytes = ctx.bytesUsed;
    {
        OutputFile out;
        if (!out.Create(Utf8ToWide(jpegPath).c_str()) || !out.Write(block.data(), jpegBytes) || !out.Close()) return 1;
    }
    if (!WritePpm(photo, ppmPath)) return 1;
    std::printf("picture: %u x %u (%.1f MP), quality 90, 4:2:0, %u bytes\n", kWidth, kHeight, megapixels, jpegBytes);

    ImageBuffer decoded{};
    double decodeBest = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        double t0 = Now();
        if (!DecodeJpeg(block.data(), jpegBytes, &decoded, &ctx)) {
            std::fprintf(stderr, "decode failed\n");
            return 1;
        }
        decodeBest = std::min(decodeBest, Now() - t0);
    }
    double oursDecode = megapixels / decodeBest, oursEncode = megapixels / encodeBest;

    // Every load fills a fresh, zero-filled pixel block, and its first touch costs page faults that
    // tjbench, which reuses one buffer, never pays. Measure that cost on its own (one byte a page).
    size_t blockBytes = static_cast<size_t>(ImageStride(kWidth, 24)) * kHeight + 4;
    double faultBest = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        double t0 = Now();
        auto* fresh = static_cast<volatile uint8_t*>(AllocLargeBlock(blockBytes));
        if (!fresh) return 1;
        for (size_t at = 0; at < blockBytes; at += 4096)
            fresh[at] = 1;
        faultBest = std::min(faultBest, Now() - t0);
        FreeLargeBlock(const_cast<uint8_t*>(fresh));
    }
    std::printf("decode: %.1f ms, of which first touch of the fresh %.0f MB block %.1f ms\n", decodeBest * 1e3,
                blockBytes / 1e6, faultBest * 1e3);

    if (HaveTool("tjbench")) {
        double tj = TjbenchMegapixels("tjbench " + jpegPath + " -benchtime 2 -warmup 1 -nowrite 2>&1", "Decompress");
        PrintRatio("decode vs tjbench (in memory)", oursDecode, tj);
        PrintRatio("decode vs tjbench, fresh-block faults excluded", megapixels / (decodeBest - faultBest), tj);
    }
    if (HaveTool("djpeg")) {
        double s = BestCommandSeconds("djpeg -ppm -outfile /dev/null " + jpegPath);
        PrintRatio("decode vs djpeg -ppm (whole process)", oursDecode, s > 0 ? megapixels / s : -1);
    }
    if (HaveTool("cjpeg")) {
        double s = BestCommandSeconds("cjpeg -quality 90 -sample 2x2 -optimize -outfile /dev/null " + ppmPath);
        PrintRatio("encode vs cjpeg -optimize (whole process)", oursEncode, s > 0 ? megapixels / s : -1);
    }
    if (HaveTool("tjbench")) {
        double tj = TjbenchMegapixels("tjbench " + ppmPath + " 90 -subsamp 420 -benchtime 2 -warmup 1 -nowrite 2>&1",
                                      "Compress");
        PrintRatio("encode vs tjbench (in memory, no optimise)", oursEncode, tj);
    }
    FreeImagePixels(&decoded);
    FreeImagePixels(&photo);
    std::remove(jpegPath.c_str());
    std::remove(ppmPath.c_str());
    rmdir(folder);
    return 0;
}
