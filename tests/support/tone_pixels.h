// Runs a handful of pixels through a tone pass, for tests that compare a tool with values worked
// out by hand from its formulas.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "tools/kernel_job.h"
#include "tools/tone_kernel.h"

namespace qvtest {

struct Bgr {
    uint8_t b, g, r;
    bool operator==(const Bgr&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Bgr& p) {
    return out << "(b " << int(p.b) << ", g " << int(p.g) << ", r " << int(p.r) << ")";
}

// The pixels as one row of a 24-bit image, through the pass on one thread, without a mask.
inline std::vector<Bgr> MapThroughPass(const qv::TonePass& pass, const std::vector<Bgr>& pixels) {
    int32_t width = static_cast<int32_t>(pixels.size());
    qv::KernelJob probe = qv::WholeImageJob(nullptr, nullptr, width, 1, nullptr);
    std::vector<uint8_t> source(probe.stride), dest(probe.stride);
    for (size_t i = 0; i < pixels.size(); ++i) {
        source[i * 3] = pixels[i].b, source[i * 3 + 1] = pixels[i].g, source[i * 3 + 2] = pixels[i].r;
    }
    qv::RunTonePass(pass, qv::WholeImageJob(source.data(), dest.data(), width, 1, nullptr), 1);
    std::vector<Bgr> out(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        out[i] = {dest[i * 3], dest[i * 3 + 1], dest[i * 3 + 2]};
    return out;
}

} // namespace qvtest
