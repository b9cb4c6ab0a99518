#include "tools/text_kernel.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "tools/filter_tables.h"

namespace qv {

namespace {

bool HasInk(const Glyph& g) {
    return g.width > 0 && g.height > 0 && g.bits.size() >= static_cast<size_t>(g.pitch) * g.height &&
           g.pitch >= static_cast<uint32_t>(g.width);
}

// The whole string once in `colour` with its ink's top-left offsets already taken off: pen at
// (penX, lineTop), each glyph's box at the pen plus its origin.
void DrawPass(const KernelJob& job, const TextGlyphs& text, int64_t penX, int64_t lineTop, uint32_t colour,
              uint8_t alpha, int32_t spacing) {
    const BlendTable& t = *job.blend;
    const uint8_t channel[3] = {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                                static_cast<uint8_t>(colour)};
    uint8_t k[3]; // the colour premultiplied by the opacity, once
    for (int c = 0; c < 3; ++c)
        k[c] = t.t[alpha][channel[c]];
    const uint8_t keep = static_cast<uint8_t>(255 - alpha);
    for (const Glyph& g : text.glyphs) {
        if (HasInk(g)) {
            const int64_t left = penX + g.originX, top = lineTop + text.ascent - g.originY;
            const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(top + g.height, job.height);
            const int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(left + g.width, job.width);
            for (int64_t y = y0; y < y1; ++y) {
                const int64_t row = job.height - 1 - y; // the image is stored bottom-up, the glyph top-down
                if (row < job.rowBegin || row >= job.rowEnd) continue;
                const uint8_t* src = g.bits.data() + static_cast<size_t>(y - top) * g.pitch;
                uint8_t* d = job.dest + static_cast<size_t>(row) * job.stride;
                for (int64_t x = x0; x < x1; ++x) {
                    const uint8_t cover = GlyphCoverageWeight(src[x - left]);
                    if (cover == 0) continue;
                    uint8_t* px = d + x * 3;
                    for (int c = 0; c < 3; ++c)
                        px[c] = static_cast<uint8_t>(t.t[cover][k[c] + t.t[keep][px[c]]] + t.t[255 - cover][px[c]]);
                }
            }
        }
        penX += int64_t{g.advance} + spacing;
    }
}

} // namespace

uint8_t GlyphCoverageWeight(uint8_t value) {
    // the font service never gives more than 64; a larger byte counts as full coverage
    return static_cast<uint8_t>((std::min<int32_t>(value, kTextCoverageMax) * 255) >> 6);
}

void TextInkOffsets(const TextGlyphs& text, int32_t* left, int32_t* top) {
    int32_t l = INT32_MAX, tp = INT32_MAX;
    for (const Glyph& g : text.glyphs)
        if (HasInk(g)) {
            l = std::min(l, g.originX);
            tp = std::min(tp, text.ascent - g.originY);
        }
    *left = l == INT32_MAX ? 0 : l;
    *top = tp == INT32_MAX ? 0 : tp;
}

void TextInkSize(const TextGlyphs& text, int32_t spacing, int32_t* width, int32_t* height) {
    int32_t left = 0, top = 0;
    TextInkOffsets(text, &left, &top);
    int64_t pen = 0, right = 0, bottom = 0;
    for (const Glyph& g : text.glyphs) {
        if (HasInk(g)) {
            right = std::max(right, pen + g.originX + g.width);
            bottom = std::max<int64_t>(bottom, int64_t{text.ascent} - g.originY + g.height);
        }
        pen += int64_t{g.advance} + spacing;
    }
    *width = static_cast<int32_t>(std::clamp<int64_t>(right - left, 0, INT32_MAX));
    *height = static_cast<int32_t>(std::clamp<int64_t>(bottom - top, 0, INT32_MAX));
}

bool IsNeutralText(const TextGlyphs& text, const TextParams& p) {
    if (p.opacity <= 0) return true;
    return std::none_of(text.glyphs.begin(), text.glyphs.end(), HasInk);
}

void DrawTextGlyphs(const KernelJob& job, const TextGlyphs& text, const TextParams& p) {
    const size_t rowBytes = static_cast<size_t>(job.width) * 3;
    for (int32_t row = job.rowBegin; row < job.rowEnd; ++row)
        std::memcpy(job.dest + static_cast<size_t>(row) * job.stride,
                    job.source + static_cast<size_t>(row) * job.stride, rowBytes);
    if (IsNeutralText(text, p)) return;
    const uint8_t alpha = GetFilterTables().strength[std::clamp(p.opacity, 0, 100)];
    int32_t left = 0, top = 0;
    TextInkOffsets(text, &left, &top);
    const int64_t penX = int64_t{p.x} - left, lineTop = int64_t{p.y} - top;
    if (p.shadow) DrawPass(job, text, penX + p.shadowX, lineTop + p.shadowY, p.shadowColour, alpha, p.spacing);
    DrawPass(job, text, penX, lineTop, p.colour, alpha, p.spacing);
}

} // namespace qv
