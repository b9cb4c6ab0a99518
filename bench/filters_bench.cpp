// Filter speed on a 6000 x 4000 photograph-like picture, every figure the median (with min and max)
// of runs interleaved with the references' in the same process:
//   - the Gaussian soften at radius 6 (sigma 3) against libvips' gaussblur 3 and ImageMagick's
//     blur 0x3, on one thread (VIPS concurrency 1, one Magick thread) and on every core;
//   - the unsharp mask's recompute against libvips' sharpen on one thread;
//   - the 3 x 3 soften against memcpy of the picture.
// The references are loaded at run time (libvips from Debian's libvips-tools or libvips42,
// MagickCore from imagemagick), so the benchmark builds without their headers; a reference that
// is missing prints "reference missing" and the program exits 1 after the figures it could take.
// usage: filters_bench [WIDTH HEIGHT [RUNS]]
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "platform/platform.h"
#include "tools/gaussian_blur_kernel.h"
#include "tools/soften_kernel.h"
#include "tools/unsharp_kernel.h"

namespace {

using qvbench::BestSeconds;

// ---- the references, through the few entry points the benchmark needs

struct Vips {
    void* lib = nullptr;
    int (*init)(const char*) = nullptr;
    void (*cacheSetMax)(int) = nullptr;
    void (*concurrencySet)(int) = nullptr;
    void* (*fromMemory)(const void*, size_t, int, int, int, int) = nullptr;
    int (*gaussblur)(void*, void**, double, ...) = nullptr;
    int (*sharpen)(void*, void**, ...) = nullptr;
    void* (*toMemory)(void*, size_t*) = nullptr;
    void (*unref)(void*) = nullptr;
    void (*gfree)(void*) = nullptr;
    const char* (*errorBuffer)() = nullptr;

    bool Load() {
        lib = dlopen("libvips.so.42", RTLD_NOW | RTLD_GLOBAL);
        if (lib == nullptr) return false;
        auto get = [&](auto* fn, const char* name) {
            *fn = reinterpret_cast<std::remove_reference_t<decltype(*fn)>>(dlsym(RTLD_DEFAULT, name));
            return *fn != nullptr;
        };
        return get(&init, "vips_init") && get(&cacheSetMax, "vips_cache_set_max") &&
               get(&concurrencySet, "vips_concurrency_set") && get(&fromMemory, "vips_image_new_from_memory") &&
               get(&gaussblur, "vips_gaussblur") && get(&sharpen, "vips_sharpen") &&
               get(&toMemory, "vips_image_write_to_memory") && get(&unref, "g_object_unref") && get(&gfree, "g_free") &&
               get(&errorBuffer, "vips_error_buffer") && init("filters_bench") == 0;
    }
    // Runs one operation on `in` and makes it compute every pixel into memory.
    bool Run(void* in, const std::function<int(void*, void**)>& op) {
        void* out = nullptr;
        if (op(in, &out) != 0) {
            std::fprintf(stderr, "vips: %s\n", errorBuffer());
            return false;
        }
        size_t size = 0;
        void* pixels = toMemory(out, &size);
        unref(out);
        if (pixels == nullptr) return false;
        gfree(pixels);
        return true;
    }
};

struct Magick {
    void* lib = nullptr;
    void (*genesis)(const char*, int) = nullptr;
    void* (*acquireException)() = nullptr;
    void* (*constitute)(size_t, size_t, const char*, int, const void*, void*) = nullptr;
    void* (*blur)(const void*, double, double, void*) = nullptr;
    void* (*destroy)(void*) = nullptr;
    int (*setLimit)(int, unsigned long long) = nullptr;
    unsigned long long (*getLimit)(int) = nullptr;
    static constexpr int kCharPixel = 1, kThreadResource = 6;

    bool Load() {
        lib = dlopen("libMagickCore-6.Q16.so.6", RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr) return false;
        auto get = [&](auto* fn, const char* name) {
            *fn = reinterpret_cast<std::remove_reference_t<decltype(*fn)>>(dlsym(lib, name));
            return *fn != nullptr;
        };
        if (!(get(&genesis, "MagickCoreGenesis") && get(&acquireException, "AcquireExceptionInfo") &&
              get(&constitute, "ConstituteImage") && get(&blur, "BlurImage") && get(&destroy, "DestroyImage") &&
              get(&setLimit, "SetMagickResourceLimit") && get(&getLimit, "GetMagickResourceLimit")))
            return false;
        genesis("filters_bench", 0);
        return true;
    }
};

// ---- timing: one run of each contender in turn, so the machine's other work falls on all alike

struct Contender {
    std::string name;
    std::function<bool()> run;
    int against = -1; // index of the contender this one is compared with, -1 for none
    std::vector<double> seconds;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void RunInterleaved(const char* title, std::vector<Contender>& group, int runs) {
    for (int r = 0; r < runs; ++r)
        for (Contender& c : group)
            c.seconds.push_back(BestSeconds(1, c.run));
    std::printf("%s (median of %d interleaved runs, min-max)\n", title, runs);
    for (const Contender& c : group) {
        auto [lo, hi] = std::minmax_element(c.seconds.begin(), c.seconds.end());
        std::printf("  %-44s %8.1f ms  (%.1f-%.1f)", c.name.c_str(), Median(c.seconds) * 1e3, *lo * 1e3, *hi * 1e3);
        if (c.against >= 0)
            std::printf("   this / %s = %.2f", group[c.against].name.c_str(),
                        Median(c.seconds) / Median(group[c.against].seconds));
        std::printf("\n");
    }
}

std::vector<uint8_t> MakePicture(int32_t w, int32_t h, uint32_t stride) {
    std::vector<uint8_t> px(static_cast<size_t>(stride) * h + 4);
    uint32_t seed = 1;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = static_cast<int>((seed >> 24) & 15) - 8;
            double u = x / 300.0, v = y / 200.0;
            int base[3] = {static_cast<int>(128 + 90 * std::sin(u) * std::cos(v)),
                           static_cast<int>(128 + 80 * std::sin(u * 0.7 + v)),
                           static_cast<int>(100 + 60 * std::cos(u - v * 1.3))};
            for (int c = 0; c < 3; ++c)
                px[static_cast<size_t>(y) * stride + x * 3 + c] =
                    static_cast<uint8_t>(std::clamp(base[c] + noise, 0, 255));
        }
    return px;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each group shows as it ends, even into a file
    const int32_t w = argc > 2 ? std::atoi(argv[1]) : 6000, h = argc > 2 ? std::atoi(argv[2]) : 4000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 7;
    const int cores = qv::KernelThreadCount();
    const uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    std::vector<uint8_t> src = MakePicture(w, h, stride), dst(src.size());
    // the references take rows without padding
    std::vector<uint8_t> packed(static_cast<size_t>(w) * 3 * h);
    for (int32_t y = 0; y < h; ++y)
        std::memcpy(&packed[static_cast<size_t>(y) * w * 3], &src[static_cast<size_t>(y) * stride], size_t(w) * 3);
    qv::KernelJob job = qv::WholeImageJob(src.data(), dst.data(), w, h, nullptr);
    std::printf("filters on %dx%d 24-bit, %d cores (a shared machine: compare ratios, not times)\n", w, h, cores);

    Vips vips;
    Magick magick;
    const bool haveVips = vips.Load(), haveMagick = magick.Load();
    if (!haveVips) std::printf("libvips: reference missing (install libvips-tools)\n");
    if (!haveMagick) std::printf("MagickCore: reference missing (install imagemagick)\n");
    void* vipsIn = nullptr;
    void* magickIn = nullptr;
    void* magickException = nullptr;
    if (haveVips) {
        vips.cacheSetMax(0); // every run computes, none comes from the operation cache
        vipsIn = vips.fromMemory(packed.data(), packed.size(), w, h, 3, 0 /* unsigned char */);
    }
    if (haveMagick) {
        magickException = magick.acquireException();
        magickIn = magick.constitute(static_cast<size_t>(w), static_cast<size_t>(h), "BGR", Magick::kCharPixel,
                                     packed.data(), magickException);
        if (magick.getLimit(Magick::kThreadResource) != static_cast<unsigned long long>(cores))
            std::printf("MagickCore: its thread limit is not where expected; its thread counts are unknown\n");
    }

    auto ours = [&](int radius, int threads, qv::KernelPath path) {
        return [&, radius, threads, path] { return qv::RunGaussianBlur(job, radius, threads, path); };
    };
    auto vipsGauss = [&](int threads) {
        return [&, threads] {
            vips.concurrencySet(threads);
            return vips.Run(vipsIn, [&](void* in, void** out) { return vips.gaussblur(in, out, 3.0, nullptr); });
        };
    };
    auto magickBlur = [&](int threads) {
        return [&, threads] {
            magick.setLimit(Magick::kThreadResource, static_cast<unsigned long long>(threads));
            void* out = magick.blur(magickIn, 0.0, 3.0, magickException);
            if (out != nullptr) magick.destroy(out);
            return out != nullptr;
        };
    };
    auto withReferences = [&](std::vector<Contender> group, int threads) {
        if (haveVips) group.push_back({"libvips gaussblur 3", vipsGauss(threads), 0});
        if (haveMagick) group.push_back({"ImageMagick blur 0x3", magickBlur(threads), 0});
        return group;
    };

    std::vector<Contender> one = withReferences({{"ours, Gaussian radius 6", ours(6, 1, qv::KernelPath::Best)},
                                                 {"ours, SSE2 path", ours(6, 1, qv::KernelPath::Sse2), 0},
                                                 {"ours, plain path", ours(6, 1, qv::KernelPath::Plain), 0}},
                                                1);
    RunInterleaved("Gaussian blur, sigma 3, one thread", one, runs);
    std::vector<Contender> all =
        withReferences({{"ours, Gaussian radius 6", ours(6, cores, qv::KernelPath::Best)}}, cores);
    RunInterleaved(("Gaussian blur, sigma 3, " + std::to_string(cores) + " threads").c_str(), all, runs);

    qv::LargeBlock difference(reinterpret_cast<uint8_t*>(qv::MakeUnsharpDifference(src.data(), w, h, 1)));
    qv::UnsharpParams unsharp;
    unsharp.amount = 30;
    unsharp.threshold = 8;
    unsharp.difference = reinterpret_cast<const int8_t*>(difference.get());
    std::vector<Contender> sharp = {
        {"ours, unsharp recompute", [&] { return qv::RunUnsharp(job, unsharp, 1), true; }},
        {"ours, unsharp difference (once on opening)",
         [&] {
             qv::LargeBlock d(reinterpret_cast<uint8_t*>(qv::MakeUnsharpDifference(src.data(), w, h, 1)));
             return d != nullptr;
         },
         0},
    };
    if (haveVips)
        sharp.push_back({"libvips sharpen",
                         [&] {
                             vips.concurrencySet(1);
                             return vips.Run(vipsIn,
                                             [&](void* in, void** out) { return vips.sharpen(in, out, nullptr); });
                         },
                         0});
    RunInterleaved("unsharp mask, one thread", sharp, runs);

    qv::SoftenParams box;
    box.strength3 = 10;
    std::vector<Contender> soft = {
        {"memcpy of the picture", [&] { return std::memcpy(dst.data(), src.data(), src.size()) != nullptr; }},
        {"ours, 3 x 3 soften, one thread", [&] { return qv::RunSoften(job, box, 1); }, 0},
        {"ours, 3 x 3 soften, " + std::to_string(cores) + " threads", [&] { return qv::RunSoften(job, box, cores); },
         0},
    };
    RunInterleaved("3 x 3 soften", soft, runs);

    if (vipsIn != nullptr) vips.unref(vipsIn);
    if (magickIn != nullptr) magick.destroy(magickIn);
    return haveVips && haveMagick ? 0 : 1;
}
