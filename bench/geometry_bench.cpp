// Geometry speed on a 6000 x 4000 24-bit photograph-like picture made at the start:
//   - Resize to 3000 x 2000 and to 4500 x 3000, on one thread and on every core, against libvips'
//     vips_resize with one thread (its default Lanczos-3 kernel) and ImageMagick's resize (its
//     default filter for a reduction, Lanczos, limited to one thread);
//   - the final pass of Turn by angle at 10.0 degrees, one thread and every core, against
//     libvips' vips_rotate (bilinear, one thread) and ImageMagick's rotation;
//   - the immediate quarter turn against a plain transposing copy of the same bytes, and against
//     memcpy as the memory's own limit.
// Every contender runs once per round, the rounds interleaved, and each line prints the median,
// min and max of its wall times and the ratio reference / ours of the medians (above 1: ours is
// faster). The references are benchmark-only Debian packages, libvips-dev and libmagickwand-dev;
// without them the benchmark prints "reference missing" and exits with status 1.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "model/image_buffer.h"
#include "image/image_turn.h"
#include "tools/kernel_job.h"
#include "tools/resize_kernel.h"
#include "tools/turn_kernel.h"

#ifdef QV_HAVE_VIPS
#include <vips/vips.h>
#endif
#ifdef QV_HAVE_MAGICKWAND
#include <wand/MagickWand.h>
#endif

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;
constexpr int kRounds = 7;

struct Contender {
    std::string name;
    std::function<bool()> run;
    std::function<void()> prepare; // untimed, before each run
    bool reference = true;         // false for our own variants
    std::vector<double> seconds;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs every contender once per round; the first one is ours, the ratios are against it.
void RunInterleaved(const char* title, std::vector<Contender>& contenders, int rounds = kRounds) {
    for (int r = 0; r < rounds; ++r)
        for (Contender& c : contenders) {
            if (c.prepare) c.prepare();
            c.seconds.push_back(qvbench::BestSeconds(1, c.run));
        }
    std::printf("%s\n", title);
    const double ours = Median(contenders[0].seconds);
    for (const Contender& c : contenders) {
        const double median = Median(c.seconds);
        const auto [lo, hi] = std::minmax_element(c.seconds.begin(), c.seconds.end());
        std::printf("  %-34s median %8.1f ms  (min %8.1f, max %8.1f)", c.name.c_str(), median * 1e3, *lo * 1e3,
                    *hi * 1e3);
        if (c.reference)
            std::printf("  ours is %.2fx as fast", median / ours);
        else if (&c != &contenders[0])
            std::printf("  %.2fx the speed of the first line", ours / median);
        std::printf("\n");
    }
}

// Smooth shading with a little noise, like a photograph, so no filter can skip work on flat areas.
void MakePicture(qv::ImageBuffer* image) {
    qv::PrepareImage(image, kWidth, kHeight, 24, nullptr);
    uint32_t seed = 1;
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = image->pixels + static_cast<size_t>(y) * qv::ImageStride(image);
        for (uint32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = static_cast<int>(seed >> 29) - 4;
            double u = x / 700.0, v = y / 500.0;
            int bgr[3] = {static_cast<int>(128 + 90 * std::sin(u) * std::cos(v)),
                          static_cast<int>(128 + 80 * std::sin(u * 0.7 + v)),
                          static_cast<int>(100 + 60 * std::cos(u - v * 1.3))};
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<uint8_t>(std::clamp(bgr[c] + noise, 0, 255));
        }
    }
}

#ifdef QV_HAVE_VIPS
// Resize or rotate with libvips on one thread, from the same bytes in memory into memory.
bool VipsRun(const qv::ImageBuffer& image, double scaleX, double scaleY, double angle) {
    VipsImage* in = vips_image_new_from_memory(image.pixels, static_cast<size_t>(qv::ImageStride(&image)) * kHeight,
                                               kWidth, kHeight, 3, VIPS_FORMAT_UCHAR);
    if (in == nullptr) return false;
    VipsImage* out = nullptr;
    int rc =
        angle != 0 ? vips_rotate(in, &out, angle, nullptr) : vips_resize(in, &out, scaleX, "vscale", scaleY, nullptr);
    size_t size = 0;
    void* pixels = rc == 0 ? vips_image_write_to_memory(out, &size) : nullptr;
    g_free(pixels);
    if (out) g_object_unref(out);
    g_object_unref(in);
    return pixels != nullptr;
}
#endif

#ifdef QV_HAVE_MAGICKWAND
// ImageMagick works on its own copy of the picture; making that copy is left out of the time.
struct MagickRun {
    MagickWand* original = nullptr;
    MagickWand* copy = nullptr;
    explicit MagickRun(const qv::ImageBuffer& image) {
        original = NewMagickWand();
        MagickConstituteImage(original, kWidth, kHeight, "BGR", CharPixel, image.pixels);
    }
    ~MagickRun() {
        if (copy) DestroyMagickWand(copy);
        DestroyMagickWand(original);
    }
    void Prepare() {
        if (copy) DestroyMagickWand(copy);
        copy = CloneMagickWand(original);
    }
};
#endif

} // namespace

int main(int argc, char** argv) {
    bool missing = false;
#ifdef QV_HAVE_VIPS
    if (VIPS_INIT(argv[0]) != 0) return 1;
    vips_concurrency_set(1);
    vips_cache_set_max(0); // every run computes afresh
#else
    missing = true;
#endif
#ifdef QV_HAVE_MAGICKWAND
    MagickWandGenesis();
    MagickSetResourceLimit(ThreadResource, 1);
#else
    missing = true;
#endif
    qv::ImageBuffer image{};
    MakePicture(&image);
    const int cores = qv::KernelThreadCount();
    std::printf("geometry on %ux%u 24-bit, %d cores, %d interleaved rounds (a shared machine: compare ratios)\n",
                kWidth, kHeight, cores, kRounds);

    const uint32_t sizes[][2] = {{3000, 2000}, {4500, 3000}};
    for (const auto& size : sizes) {
        const int32_t w = static_cast<int32_t>(size[0]), h = static_cast<int32_t>(size[1]);
        auto ours = [&image, w, h](int threads) {
            uint8_t* out = qv::ResizePixels(image, w, h, threads);
            qv::FreePixelBlock(out);
            return out != nullptr;
        };
        std::vector<Contender> c;
        c.push_back({"ours, one thread", [&] { return ours(1); }, nullptr, false, {}});
        c.push_back({"ours, every core", [&] { return ours(cores); }, nullptr, false, {}});
#ifdef QV_HAVE_VIPS
        const double scaleX = static_cast<double>(w) / kWidth, scaleY = static_cast<double>(h) / kHeight;
        c.push_back({"vips_resize, one thread", [&] { return VipsRun(image, scaleX, scaleY, 0); }, nullptr, true, {}});
#endif
#ifdef QV_HAVE_MAGICKWAND
        MagickRun magick(image);
        c.push_back(
            {"ImageMagick resize, one thread",
             [&] { return MagickResizeImage(magick.copy, size[0], size[1], UndefinedFilter, 1.0) == MagickTrue; },
             [&] { magick.Prepare(); },
             {}});
#endif
        char title[80];
        std::snprintf(title, sizeof title, "Resize %ux%u -> %ux%u", kWidth, kHeight, size[0], size[1]);
        RunInterleaved(title, c);
    }

    {
        std::vector<Contender> c;
        auto ours = [&image](int threads) {
            int32_t w = 0, h = 0;
            uint8_t* out = qv::TurnPixelsByAngle(image, 100, 0xFFFFFF, threads, &w, &h);
            qv::FreePixelBlock(out);
            return out != nullptr;
        };
        c.push_back({"ours, one thread", [&] { return ours(1); }, nullptr, false, {}});
        c.push_back({"ours, every core", [&] { return ours(cores); }, nullptr, false, {}});
#ifdef QV_HAVE_VIPS
        c.push_back(
            {"vips_rotate (bilinear), one thread", [&] { return VipsRun(image, 1, 1, 10.0); }, nullptr, true, {}});
#endif
#ifdef QV_HAVE_MAGICKWAND
        MagickRun magick(image);
        PixelWand* white = NewPixelWand();
        PixelSetColor(white, "white");
        c.push_back({"ImageMagick rotate, one thread",
                     [&] { return MagickRotateImage(magick.copy, white, 10.0) == MagickTrue; },
                     [&] { magick.Prepare(); },
                     true,
                     {}});
#endif
        RunInterleaved("Turn by angle 10.0 degrees, final pass", c, 5);
#ifdef QV_HAVE_MAGICKWAND
        DestroyPixelWand(white);
#endif
    }

    {
        // both write into a block that is already mapped, so the page faults are nobody's
        const size_t bytes = static_cast<size_t>(qv::ImageStride(kHeight, 24)) * kWidth + 4;
        std::vector<uint8_t> target(bytes, 1);
        const uint8_t* src = image.pixels;
        const size_t srcStride = qv::ImageStride(&image), dstStride = qv::ImageStride(kHeight, 24);
        std::vector<Contender> c;
        c.push_back({"ours (tiled quarter turn)",
                     [&] {
                         qv::TurnPixels(src, kWidth, kHeight, 3, qv::kTurn90, target.data());
                         return true;
                     },
                     nullptr,
                     true,
                     {}});
        c.push_back({"plain transposing copy",
                     [&] {
                         for (uint32_t y = 0; y < kHeight; ++y)
                             for (uint32_t x = 0; x < kWidth; ++x)
                                 std::memcpy(&target[x * dstStride + (kHeight - 1 - y) * 3],
                                             src + y * srcStride + x * 3, 3);
                         return true;
                     },
                     nullptr,
                     true,
                     {}});
        c.push_back({"memcpy of the same bytes",
                     [&] {
                         std::memcpy(target.data(), src, srcStride * kHeight);
                         return true;
                     },
                     nullptr,
                     true,
                     {}});
        RunInterleaved("Immediate turn 90 degrees clockwise", c, 9);
    }

    qv::FreeImagePixels(&image);
#ifdef QV_HAVE_MAGICKWAND
    MagickWandTerminus();
#endif
#ifdef QV_HAVE_VIPS
    vips_shutdown();
#endif
    if (missing) {
        std::printf("reference missing: install libvips-dev and libmagickwand-dev\n");
        return 1;
    }
    return 0;
}
