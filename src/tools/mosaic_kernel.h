// Mosaic (5271): the image cut into blocks from its top-left corner, each block filled with the
// mean of the pixels it covers; optionally every second row of blocks shifted by half a block like
// bricks, and each block drawn as a tile with a light top-left and a dark bottom-right border. The
// tool window binds its boxes and check boxes to MosaicParams and calls RunMosaic on each recompute.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

constexpr int32_t kMosaicBlockMin = 2, kMosaicBlockMax = 100, kMosaicBlockDefault = 10; // MosBlockW, MosBlockH
constexpr int32_t kMosaicTileStep = 20; // how much a tile's borders are lightened and darkened

struct MosaicParams {
    int32_t blockWidth = kMosaicBlockDefault;
    int32_t blockHeight = kMosaicBlockDefault;
    bool sync = true;   // MosSync: square blocks, the height follows the width
    bool shift = false; // MosShift
    bool tile = false;  // MosTile
};

// Mosaic always records a history entry.
inline bool IsNeutralMosaic(const MosaicParams&) {
    return false;
}

// The block height in use: the width when synchronised.
inline int32_t MosaicBlockHeight(const MosaicParams& p) {
    return p.sync ? p.blockWidth : p.blockHeight;
}

// Writes job.dest rows [rowBegin, rowEnd), mask blended. Block sizes must lie in 2 .. 100.
void RunMosaic(const KernelJob& job, const MosaicParams& p, int threads);

} // namespace qv
