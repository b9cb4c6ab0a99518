// The two heavy selection operations on a 6000 x 4000 picture against a memcpy of its mask (24 MB,
// the least any whole-mask operation costs): feathering at radius 50 and a global similar-colour
// pick, each on one core and on every core, and feathering a mask of noise, where no position can
// skip the weighted sum (the worst case). The runs are interleaved (reference, then each
// operation, round after round) so that other work on the machine touches all of them alike;
// each figure is the median with the minimum and maximum of the rounds.
// usage: selection_bench [WIDTH HEIGHT [ROUNDS]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_timing.h"
#include "tools/kernel_job.h"
#include "tools/mask_feather.h"
#include "tools/selection_kernel.h"

namespace {

struct Series {
    const char* name;
    std::vector<double> seconds;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int32_t width = argc > 2 ? std::atoi(argv[1]) : 6000;
    int32_t height = argc > 2 ? std::atoi(argv[2]) : 4000;
    int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    if (width < 8 || height < 8 || rounds < 1) return 2;
    const int cores = qv::KernelThreadCount();
    size_t count = static_cast<size_t>(width) * static_cast<uint32_t>(height);
    uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;

    // A picture of smooth colour fields with noise, and a mask of hard-edged blocks: both passes of
    // the feathering and every branch of the pick see realistic data.
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height + 4), mask(count), noise(count), work(count),
        inside(count);
    uint32_t seed = 7;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            uint8_t* p = &pixels[static_cast<size_t>(y) * stride + 3 * static_cast<uint32_t>(x)];
            p[0] = static_cast<uint8_t>(x * 255 / width + (seed >> 29));
            p[1] = static_cast<uint8_t>(y * 255 / height + (seed >> 28 & 7));
            p[2] = static_cast<uint8_t>(((x / 300 + y / 200) & 1) * 120 + (seed >> 26 & 15));
            size_t i = static_cast<size_t>(y) * static_cast<uint32_t>(width) + static_cast<uint32_t>(x);
            mask[i] = ((x / 500 + y / 333) & 1) ? 255 : 0;
            noise[i] = static_cast<uint8_t>(seed >> 24);
        }
    qv::PixelPlane plane = qv::PlaneOf24Bit(pixels.data(), width, height);

    Series reference{"memcpy of the mask", {}};
    Series series[] = {{"feather r=50, 1 core", {}},
                       {"feather r=50, all cores", {}},
                       {"similar colour, global, 1 core", {}},
                       {"similar colour, global, all cores", {}},
                       {"feather r=50, noise mask, 1 core", {}}};
    auto feather = [&](int threads, const std::vector<uint8_t>& from = {}) {
        const uint8_t* source = from.empty() ? mask.data() : from.data();
        return [&, threads, source] {
            std::memcpy(work.data(), source, count);
            return qv::FeatherMask(work.data(), width, height, 50, threads);
        };
    };
    auto pick = [&](int threads) {
        return [&, threads] {
            return qv::FillSimilarColour(inside.data(), plane, {width / 3, height / 2}, 50, false, threads);
        };
    };
    for (int r = 0; r < rounds; ++r) {
        reference.seconds.push_back(qvbench::BestSeconds(1, [&] {
            std::memcpy(work.data(), mask.data(), count);
            return true;
        }));
        // the feathering figures include the same memcpy, which restores the mask between runs
        series[0].seconds.push_back(qvbench::BestSeconds(1, feather(1)));
        series[1].seconds.push_back(qvbench::BestSeconds(1, feather(cores)));
        series[2].seconds.push_back(qvbench::BestSeconds(1, pick(1)));
        series[3].seconds.push_back(qvbench::BestSeconds(1, pick(cores)));
        series[4].seconds.push_back(qvbench::BestSeconds(1, feather(1, noise)));
    }

    double ref = Median(reference.seconds);
    std::printf("%d x %d, %d rounds, %d cores; median (min-max) ms\n", width, height, rounds, cores);
    std::printf("  %-36s %9.2f (%.2f-%.2f)\n", reference.name, ref * 1e3,
                *std::min_element(reference.seconds.begin(), reference.seconds.end()) * 1e3,
                *std::max_element(reference.seconds.begin(), reference.seconds.end()) * 1e3);
    for (const Series& s : series) {
        double med = Median(s.seconds);
        std::printf("  %-36s %9.2f (%.2f-%.2f)  / memcpy = %.1f\n", s.name, med * 1e3,
                    *std::min_element(s.seconds.begin(), s.seconds.end()) * 1e3,
                    *std::max_element(s.seconds.begin(), s.seconds.end()) * 1e3, med / ref);
    }
    return 0;
}
