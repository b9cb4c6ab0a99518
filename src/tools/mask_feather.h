// Feathering ("smooth edges") of the selection mask: a Gaussian blur of the mask, horizontally and
// then vertically, with the weights of gaussian_weights.h. The tool window calls FeatherMask when
// the smooth-edges dialog closes with OK.
//
// Near an edge the weights that fall outside the image are left out and the weighted sum is divided
// by the sum of the weights used; inside, the weighted sum is shifted right by the weights' shift.
// Either way a uniform area keeps its value exactly (the shared weights sum to at least 2^shift),
// which also lets a position whose kernel covers one value take it without computing the sum.
#pragma once

#include <cstdint>

namespace qv {

// The radius used: AreSmooth clamped to 1-100, and at most (min(width, height) - 1) / 2 so that
// the kernel fits the image. 0 for images one or two pixels wide or high (no blur).
int32_t FeatherRadius(int32_t smooth, int32_t width, int32_t height);

// Blurs the width x height mask in place in `threads` bands of rows. False, with the mask
// unchanged, when the temporary plane cannot be allocated (message 30001).
bool FeatherMask(uint8_t* mask, int32_t width, int32_t height, int32_t smooth, int threads = 1);

} // namespace qv
