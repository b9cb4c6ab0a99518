#include "tools/kernel_job.h"

#include <thread>
#include <vector>

namespace qv {

KernelJob WholeImageJob(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, const uint8_t* mask) {
    KernelJob job;
    job.width = width;
    job.height = height;
    job.stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    job.source = source;
    job.dest = dest;
    job.mask = mask;
    job.blend = &GetBlendTable();
    job.rowBegin = 0;
    job.rowEnd = height;
    return job;
}

int KernelThreadCount() {
    unsigned n = std::thread::hardware_concurrency();
    if (n == 0) return 1;
    return n > 64 ? 64 : static_cast<int>(n);
}

void RunKernelBands(const KernelJob& job, BandKernel kernel, const void* params, int threads) {
    int32_t rows = job.rowEnd - job.rowBegin;
    // below a few rows per band the thread start costs more than the band
    constexpr int32_t kMinRowsPerBand = 16;
    if (threads > rows / kMinRowsPerBand) threads = rows / kMinRowsPerBand;
    if (threads <= 1) {
        kernel(job, params);
        return;
    }
    std::vector<KernelJob> bands(static_cast<size_t>(threads), job);
    for (int i = 0; i < threads; ++i) {
        bands[i].rowBegin = job.rowBegin + static_cast<int32_t>(static_cast<int64_t>(rows) * i / threads);
        bands[i].rowEnd = job.rowBegin + static_cast<int32_t>(static_cast<int64_t>(rows) * (i + 1) / threads);
    }
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(threads - 1));
    for (int i = 1; i < threads; ++i)
        workers.emplace_back(kernel, std::cref(bands[i]), params);
    kernel(bands[0], params); // this thread takes the first band
    for (std::thread& t : workers)
        t.join();
}

} // namespace qv
