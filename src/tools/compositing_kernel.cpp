#include "tools/compositing_kernel.h"

#include <algorithm>
#include <cstring>

#include "tools/filter_tables.h"

namespace qv {

namespace {

// One channel of overlay `o` over base `b` before the opacity.
uint8_t Mixed(const BlendTable& t, int32_t mode, uint8_t b, uint8_t o) {
    switch (mode) {
    case kMixMultiply: return t.t[b][o];
    case kMixScreen: return static_cast<uint8_t>(255 - t.t[255 - b][255 - o]);
    case kMixOverlay:
        return b < 128 ? static_cast<uint8_t>(2 * t.t[b][o]) : static_cast<uint8_t>(255 - 2 * t.t[255 - b][255 - o]);
    default: return o;
    }
}

// The rows and columns of the image the overlay covers, clipped: [x0, x1) and top-down [y0, y1).
struct Cover {
    int32_t x0, x1, y0, y1;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Cover CoverOf(const KernelJob& job, const OverlayPixels& o, const CompositeParams& p) {
    // 64-bit: a far-off position plus the overlay's side must not wrap round into the image
    auto clip = [](int64_t v, int32_t size) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, size)); };
    return Cover{clip(p.x, job.width), clip(int64_t{p.x} + o.width, job.width), clip(p.y, job.height),
                 clip(int64_t{p.y} + o.height, job.height)};
}

} // namespace

bool CompositeModeFromName(const char* name, int32_t* mode) {
    static const char* const kNames[] = {"normal", "multiply", "screen", "overlay"};
    for (int32_t i = 0; i <= kMixModeLast; ++i)
        if (std::strcmp(name, kNames[i]) == 0) {
            *mode = i;
            return true;
        }
    return false;
}

bool IsNeutralComposite(const KernelJob& job, const OverlayPixels& overlay, const CompositeParams& p) {
    return overlay.pixels == nullptr || p.opacity <= 0 || CoverOf(job, overlay, p).Empty();
}

void CompositeOverlay(const KernelJob& job, const OverlayPixels& overlay, const CompositeParams& p) {
    const size_t rowBytes = static_cast<size_t>(job.width) * 3;
    for (int32_t row = job.rowBegin; row < job.rowEnd; ++row)
        std::memcpy(job.dest + static_cast<size_t>(row) * job.stride,
                    job.source + static_cast<size_t>(row) * job.stride, rowBytes);
    if (IsNeutralComposite(job, overlay, p)) return;
    const BlendTable& t = *job.blend;
    const uint8_t alpha = GetFilterTables().strength[std::clamp(p.opacity, 0, 100)];
    const int32_t mode = p.mode >= kMixNormal && p.mode <= kMixModeLast ? p.mode : kMixNormal;
    const uint8_t key[3] = {static_cast<uint8_t>(p.colour >> 16), static_cast<uint8_t>(p.colour >> 8),
                            static_cast<uint8_t>(p.colour)}; // blue, green, red as the pixels hold them
    const Cover c = CoverOf(job, overlay, p);
    for (int32_t y = c.y0; y < c.y1; ++y) {
        const int32_t row = job.height - 1 - y; // both images are stored bottom-up
        if (row < job.rowBegin || row >= job.rowEnd) continue;
        const int32_t overlayRow = overlay.height - 1 - (y - p.y);
        const uint8_t* o =
            overlay.pixels + static_cast<size_t>(overlayRow) * overlay.stride + static_cast<size_t>(c.x0 - p.x) * 3;
        uint8_t* d = job.dest + static_cast<size_t>(row) * job.stride + static_cast<size_t>(c.x0) * 3;
        for (int32_t x = c.x0; x < c.x1; ++x, o += 3, d += 3) {
            if (p.transparent && o[0] == key[0] && o[1] == key[1] && o[2] == key[2]) continue;
            for (int ch = 0; ch < 3; ++ch)
                d[ch] = BlendChannel(t, alpha, Mixed(t, mode, d[ch], o[ch]), d[ch]);
        }
    }
}

} // namespace qv
