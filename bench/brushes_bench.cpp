// The paint brush on a 6000 x 4000 picture: the fill of the whole picture and a stroke of 1,000
// points at diameter 128, each against one BlendTable pass (T[a][colour] + T[255 - a][pixel] per
// channel) over the same number of pixels, timed in pairs in the same run. The stroke also prints
// its time per stamp against the pass over one stamp's 128 x 128 pixels.
// usage: brushes_bench [WIDTH HEIGHT [PAIRS]]
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "paired_runs.h"
#include "tools/brush_kernel.h"

namespace {

// One BlendTable pass over `pixels` pixels of `block`, cycling through it.
void BlendPass(const std::vector<uint8_t>& source, std::vector<uint8_t>* dest, size_t pixels) {
    const qv::BlendTable& t = qv::GetBlendTable();
    const uint8_t colour[3] = {0x20, 0x80, 0xF0};
    const size_t bytes = source.size() / 3 * 3;
    size_t at = 0;
    for (size_t i = 0; i < pixels; ++i) {
        for (int c = 0; c < 3; ++c)
            (*dest)[at + c] = qv::BlendChannel(t, 128, colour[c], source[at + c]);
        at += 3;
        if (at >= bytes) at = 0;
    }
}

} // namespace

int main(int argc, char** argv) {
    int32_t width = argc > 2 ? std::atoi(argv[1]) : 6000;
    int32_t height = argc > 2 ? std::atoi(argv[2]) : 4000;
    int pairs = argc > 3 ? std::atoi(argv[3]) : 5;
    if (width < 256 || height < 256 || pairs < 1) return 2;
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    std::vector<uint8_t> source(static_cast<size_t>(stride) * height), pixels(source.size());
    uint32_t seed = 5;
    for (uint8_t& b : source) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    pixels = source;
    qv::BrushCanvas canvas = qv::MakeBrushCanvas(source.data(), pixels.data(), width, height, nullptr);
    qv::BrushTarget target;
    qv::PreparePaintTarget(0xF08020, 50, &target);

    // 1,000 points on a zigzag across the picture, 40 pixels apart: every segment walks past the
    // spacing (16 at diameter 128) a few times
    std::vector<qv::ImagePoint> points;
    for (int i = 0; i < 1000; ++i) {
        int32_t x = 100 + (i * 40) % (width - 200);
        int32_t row = (i * 40) / (width - 200);
        points.push_back({x, 100 + (row * 150 + (i % 2) * 20) % (height - 200)});
    }
    int32_t stamps = 0;
    auto stroke = [&] {
        qv::BrushStroke s;
        s.diameter = 128;
        qv::BeginBrushStroke(canvas, target, &s, points[0]);
        for (size_t i = 1; i < points.size(); ++i)
            qv::ExtendBrushStroke(canvas, target, &s, points[i]);
        stamps = s.stamps;
        return true;
    };
    stroke();
    const size_t stampPixels = static_cast<size_t>(stamps) * 128 * 128;
    const size_t allPixels = static_cast<size_t>(width) * static_cast<uint32_t>(height);

    qvbench::PairedFigures fill = qvbench::RunPaired(
        pairs, [&] { return qv::FillWithBrushTarget(canvas, target), true; },
        [&] { return BlendPass(source, &pixels, allPixels), true; });
    qvbench::PrintPaired("fill 6000x4000", "BlendTable pass", fill);
    qvbench::PairedFigures strokes =
        qvbench::RunPaired(pairs, stroke, [&] { return BlendPass(source, &pixels, stampPixels), true; });
    qvbench::PrintPaired("stroke 1000 points, diameter 128", "BlendTable pass", strokes);
    std::printf("%d stamps: %.1f us per stamp, the pass over 128 x 128 pixels %.1f us\n", stamps,
                strokes.oursMedian / stamps * 1e6, strokes.referenceMedian / stamps * 1e6);
    return 0;
}
