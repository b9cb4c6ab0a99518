// Text (5192): the glyphs of a string, as the font service hands them out (grey coverage 0-64,
// rows top-down and padded to 4 bytes), drawn premultiplied into the working copy with an opacity,
// and a shadow drawn first under them. The fetching of glyphs is Windows only
// (tools/text_glyphs_win.h); laying them out and drawing them is portable and tested here.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/kernel_job.h"

namespace qv {

constexpr int32_t kTextCoverageMax = 64; // the grey glyph bitmaps' full coverage

// V[i] = (i x 255) >> 6: a glyph bitmap's coverage as a blend weight.
uint8_t GlyphCoverageWeight(uint8_t value);

struct Glyph {
    std::vector<uint8_t> bits; // coverage 0-64, `pitch` bytes a row, top row first; empty: a space
    int32_t width = 0;         // black box
    int32_t height = 0;
    uint32_t pitch = 0;
    int32_t originX = 0; // the box's left from the pen
    int32_t originY = 0; // the box's top above the baseline
    int32_t advance = 0; // the pen's step to the next character
};

struct TextGlyphs {
    std::vector<Glyph> glyphs;
    int32_t ascent = 0; // the font's, from its metrics
};

struct TextParams {
    uint32_t colour = 0xFFFFFF; // packed red | green << 8 | blue << 16
    int32_t opacity = 70;       // percent 0-100
    int32_t spacing = 0;        // pixels added after every character
    bool shadow = true;
    int32_t shadowX = 2, shadowY = 2;
    uint32_t shadowColour = 0x000000;
    int32_t x = 0, y = 0; // where the text's ink starts, image pixels from the top-left
};

// The smallest origin x and the smallest (ascent - origin y) over the glyphs that have ink: the ink's
// top-left relative to the pen at the top of the line. Both 0 without ink.
void TextInkOffsets(const TextGlyphs& text, int32_t* left, int32_t* top);

// The ink's width and height (the shadow not counted), for drawing its outline while it is dragged.
void TextInkSize(const TextGlyphs& text, int32_t spacing, int32_t* width, int32_t* height);

// Nothing would change: opacity 0 or no glyph with ink.
bool IsNeutralText(const TextGlyphs& text, const TextParams& p);

// Writes job.dest rows [rowBegin, rowEnd): the source with the shadow and then the text over it,
// clipped to the image. The selection mask is not used.
void DrawTextGlyphs(const KernelJob& job, const TextGlyphs& text, const TextParams& p);

} // namespace qv
