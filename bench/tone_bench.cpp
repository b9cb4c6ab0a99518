// Each tone and colour tool's recompute (its per-recompute tables and the pass over the picture,
// as the tool window's worker runs it) on a 6000 x 4000 24-bit picture, against memcpy of the same
// bytes measured in the same run: the runs of each tool alternate with memcpy runs, and the line
// shows the medians with their min and max and the ratio of the medians. The goal is a ratio of
// at most 3 on one thread for every tool that works through tables alone; HLS and equalisation
// compute their colour model per pixel and are listed for information. The machine these run on
// is shared, so beside the wall times the line gives the ratio of the thread's CPU times, which a
// run that is preempted half way does not inflate. A tool with a vector path is also run on its
// plain loops in the same rounds (the "plain ratio" column), which is what a processor without the
// vectors gets.
//
//   tone_bench [--runs N] [--threads N] [--width W --height H]
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "model/image_buffer.h"
#include "tools/colour_kernel.h"
#include "tools/hls_kernel.h"
#include "tools/kernel_job.h"
#include "tools/levels_kernel.h"
#include "tools/tone_kernel.h"

namespace {

struct Spread {
    double median, min, max;
};

Spread SpreadOf(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t.front(), t.back()};
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Wall and CPU seconds of one run of `job`.
template <class Job> void TimeOnce(const Job& job, std::vector<double>* wall, std::vector<double>* cpu) {
    double c0 = ThreadCpuSeconds();
    wall->push_back(qvbench::BestSeconds(1, job));
    cpu->push_back(ThreadCpuSeconds() - c0);
}

struct Picture {
    int32_t width, height;
    uint32_t stride;
    std::vector<uint8_t> source, dest;
};

// A photograph-like spread of colours: smooth gradients with some noise, so no branch of a
// kernel is always taken.
void Fill(Picture* p) {
    uint32_t seed = 12345;
    for (int32_t y = 0; y < p->height; ++y) {
        uint8_t* row = p->source.data() + static_cast<size_t>(y) * p->stride;
        for (int32_t x = 0; x < p->width; ++x) {
            seed = seed * 1103515245u + 12345u;
            int noise = static_cast<int>((seed >> 16) & 15) - 8;
            row[x * 3] = static_cast<uint8_t>(std::clamp(x * 255 / p->width + noise, 0, 255));
            row[x * 3 + 1] = static_cast<uint8_t>(std::clamp(y * 255 / p->height + noise, 0, 255));
            row[x * 3 + 2] = static_cast<uint8_t>(std::clamp((x + y) * 255 / (p->width + p->height) - noise, 0, 255));
        }
    }
}

struct Tool {
    const char* name;
    bool tableTool;  // held to the 3x goal
    bool vectorPath; // has a faster path than the plain loops: both are measured
    // prepares the tool's tables (the per-recompute part) and returns its pass
    qv::TonePass (*prepare)(const Picture& picture, void* scratch, qv::KernelPath path);
};

// One scratch record large enough for any op.
union Scratch {
    qv::ChannelLookup lookup;
    qv::GreyscaleOp grey;
    qv::ShadowHighlightOp shadow;
    qv::LuminanceShiftOp shift;
    qv::HlsOp hls;
    qv::ReplaceColourOp replace;
    qv::EqualiseOp equalise;
    Scratch() {}
};

qv::ChannelLookup* Lookup(void* s) {
    return &static_cast<Scratch*>(s)->lookup;
}

int32_t g_mean = 128; // contrast's mean luminance, computed once when the tool opens

const Tool kTools[] = {
    {"levels", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         qv::LevelsParams p;
         p.channel[qv::kLevelsCombined] = {12, 230, 20};
         qv::BuildLevelsLookup(p, Lookup(s));
         return qv::LookupPass(Lookup(s), path);
     }},
    {"gamma", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         qv::ChannelAdjustParams p;
         qv::SetChannelAdjustValue(&p, 0, 35);
         qv::BuildChannelAdjustLookup(p, 128, Lookup(s));
         return qv::LookupPass(Lookup(s), path);
     }},
    {"brightness", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         qv::ChannelAdjustParams p;
         p.mode = qv::ChannelAdjustMode::kBrightness;
         qv::SetChannelAdjustValue(&p, 0, 40);
         qv::BuildChannelAdjustLookup(p, 128, Lookup(s));
         return qv::LookupPass(Lookup(s), path);
     }},
    {"contrast", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         qv::ChannelAdjustParams p;
         p.mode = qv::ChannelAdjustMode::kContrast;
         qv::SetChannelAdjustValue(&p, 0, 30);
         qv::BuildChannelAdjustLookup(p, g_mean, Lookup(s));
         return qv::LookupPass(Lookup(s), path);
     }},
    {"posterize", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         qv::BuildPosterizeLookup(qv::PosterizeParams{}, Lookup(s));
         return qv::LookupPass(Lookup(s), path);
     }},
    {"negative", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         qv::BuildNegativeLookup(Lookup(s));
         return qv::LookupPass(Lookup(s), path);
     }},
    {"greyscale", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         return qv::PrepareGreyscale(qv::GreyscaleParams{}, &static_cast<Scratch*>(s)->grey, path);
     }},
    {"shadows-highlights", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         return qv::PrepareShadowHighlight({30, 30}, &static_cast<Scratch*>(s)->shadow, path);
     }},
    {"colour-balance", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         return qv::PrepareColourBalance({40, -10, -30}, &static_cast<Scratch*>(s)->shift, path);
     }},
    {"colour-filter", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         return qv::PrepareColourFilter(qv::ColourFilterParams{}, &static_cast<Scratch*>(s)->shift, path);
     }},
    {"replace-colour", true, true,
     [](const Picture&, void* s, qv::KernelPath path) {
         return qv::PrepareReplaceColour(qv::ReplaceColourParams{}, &static_cast<Scratch*>(s)->replace, path);
     }},
    {"hls", false, false,
     [](const Picture&, void* s, qv::KernelPath path) {
         return qv::PrepareHls({40, 30, -20}, &static_cast<Scratch*>(s)->hls);
     }},
    {"hls-near-colour", false, false,
     [](const Picture&, void* s, qv::KernelPath path) {
         qv::HlsParams p{40, 30, -20};
         p.limit = true;
         p.reference = qv::MakeColor(128, 128, 128);
         p.range = 60;
         return qv::PrepareHls(p, &static_cast<Scratch*>(s)->hls);
     }},
    {"equalise", false, false,
     [](const Picture& pic, void* s, qv::KernelPath) {
         return qv::PrepareEqualise(pic.source.data(), pic.width, pic.height, &static_cast<Scratch*>(s)->equalise);
     }},
};

long Arg(int argc, char** argv, const char* name, long fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::strtol(argv[i + 1], nullptr, 10);
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    int runs = static_cast<int>(std::max(3L, Arg(argc, argv, "--runs", 7)));
    int threads = static_cast<int>(std::max(1L, Arg(argc, argv, "--threads", 1)));
    Picture pic;
    pic.width = static_cast<int32_t>(Arg(argc, argv, "--width", 6000));
    pic.height = static_cast<int32_t>(Arg(argc, argv, "--height", 4000));
    pic.stride = qv::ImageStride(static_cast<uint32_t>(pic.width), 24);
    size_t bytes = static_cast<size_t>(pic.stride) * pic.height;
    pic.source.resize(bytes + 4);
    pic.dest.resize(bytes + 4);
    Fill(&pic);
    g_mean = qv::MeanLuminance24(pic.source.data(), pic.width, pic.height);
    auto scratch = std::make_unique<Scratch>();

    std::printf("tone tools on %d x %d (%.1f MB), %d thread(s), %d interleaved runs each; reference memcpy\n",
                pic.width, pic.height, bytes / 1e6, threads, runs);
    std::printf("%-20s %26s %27s %7s %8s %11s\n", "tool", "tool ms median (min..max)", "memcpy ms median (min..max)",
                "ratio", "cpu ratio", "plain ratio");
    struct Row {
        const char* name;
        double ratio;
        bool tableTool;
    };
    std::vector<Row> rows;
    for (const Tool& tool : kTools) {
        std::vector<double> own, ref, plain, ownCpu, refCpu, plainCpu;
        auto run = [&](qv::KernelPath path) {
            return [&, path] {
                qv::TonePass pass = tool.prepare(pic, scratch.get(), path);
                qv::KernelJob job =
                    qv::WholeImageJob(pic.source.data(), pic.dest.data(), pic.width, pic.height, nullptr);
                qv::RunTonePass(pass, job, threads);
                return true;
            };
        };
        for (int i = 0; i < runs; ++i) {
            TimeOnce(
                [&] {
                    std::memcpy(pic.dest.data(), pic.source.data(), bytes);
                    return pic.dest[bytes / 2] == pic.source[bytes / 2];
                },
                &ref, &refCpu);
            TimeOnce(run(qv::KernelPath::Best), &own, &ownCpu);
            if (tool.vectorPath) TimeOnce(run(qv::KernelPath::Plain), &plain, &plainCpu);
        }
        Spread a = SpreadOf(own), b = SpreadOf(ref);
        double ratio = a.median / b.median;
        double cpuRatio = SpreadOf(ownCpu).median / SpreadOf(refCpu).median;
        rows.push_back({tool.name, ratio, tool.tableTool});
        char plainText[16] = "";
        if (tool.vectorPath) std::snprintf(plainText, sizeof plainText, "%6.2fx", SpreadOf(plain).median / b.median);
        std::printf("%-20s %8.1f (%6.1f..%6.1f)     %8.1f (%6.1f..%6.1f)    %6.2fx %7.2fx %11s%s\n", tool.name,
                    a.median * 1e3, a.min * 1e3, a.max * 1e3, b.median * 1e3, b.min * 1e3, b.max * 1e3, ratio, cpuRatio,
                    plainText, tool.tableTool ? (ratio <= 3.0 ? "" : "  over the 3x goal") : "  (model per pixel)");
    }
    std::vector<Row> tables;
    for (const Row& r : rows)
        if (r.tableTool) tables.push_back(r);
    std::sort(tables.begin(), tables.end(), [](const Row& x, const Row& y) { return x.ratio > y.ratio; });
    std::printf("worst three table tools:");
    for (size_t i = 0; i < 3 && i < tables.size(); ++i)
        std::printf(" %s %.2fx%s", tables[i].name, tables[i].ratio, i + 1 < 3 ? "," : "\n");
    return 0;
}
