// Margins (command 5122): borders of one colour around the picture. No worker and no preview:
// the window keeps MarginsParams from its four fields (MarginFromField, MarginDrag) and the
// colour box, and on Apply (when !MarginsNeutral) calls AddMargins on the GUI thread, committing
// the block with label 5122; a null block is message 30003.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"

namespace qv {

constexpr int32_t kMarginDragStep = 2;              // pixels of margin per pixel dragged over a label
constexpr uint32_t kMarginDefaultColour = 0xFFFFFF; // packed red | green << 8 | blue << 16

struct MarginsParams {
    int32_t top = 0, bottom = 0, left = 0, right = 0; // `MgnT`, `MgnB`, `MgnL`, `MgnR`
    uint32_t colour = kMarginDefaultColour;           // `MgnBgCol`
};

// A typed margin: negative becomes 0.
int32_t MarginFromField(int64_t typed);
// The margin a drag over its label gives: 2 per pixel from the value at the press, at least 0.
int32_t MarginDrag(int32_t valueAtPress, int32_t dxPixels);

bool MarginsNeutral(const MarginsParams& m);

// The size with the margins: (L + W + R) x (T + H + B). False when a side passes 2^31 - 1 pixels
// or the 24-bit block would reach 2^32 bytes.
bool MarginsSize(int32_t width, int32_t height, const MarginsParams& m, int32_t* newWidth, int32_t* newHeight);

// A new 24-bit block holding the picture (8-bit expanded through its palette) inside the margins,
// or null when the size does not fit or memory is short. Negative margins count as 0.
uint8_t* AddMargins(const ImageBuffer& image, const MarginsParams& m, int32_t* newWidth, int32_t* newHeight);

} // namespace qv
