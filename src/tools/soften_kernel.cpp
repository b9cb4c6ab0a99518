#include "tools/soften_kernel.h"

#include "tools/box_blur_kernel.h"
#include "tools/filter_tables.h"
#include "tools/gaussian_blur_kernel.h"

namespace qv {

bool IsNeutralSoften(const SoftenParams& p) {
    switch (p.mode) {
    case kSoftenBox5: return p.strength5 == 0;
    case kSoftenGaussian: return p.radius == 0;
    default: return p.strength3 == 0;
    }
}

bool RunSoften(const KernelJob& job, const SoftenParams& p, int threads) {
    if (p.mode == kSoftenGaussian) return RunGaussianBlur(job, p.radius, threads, p.path);
    BoxBlurParams box;
    box.size = p.mode == kSoftenBox5 ? 5 : 3;
    // each step of the strength box is a tenth of full strength, through the percentage table
    box.strength = GetFilterTables().strength[10 * (p.mode == kSoftenBox5 ? p.strength5 : p.strength3)];
    RunKernelBands(job, BoxBlurBand, &box, threads);
    return true;
}

} // namespace qv
