// Levels with histogram: black point, white point and gamma per channel, the histogram counts
// and the marker arithmetic of the histogram control. The levels tool window counts once when it
// opens (CountLevelsHistogram, the mask applied) and the histogram window of command 5111 counts
// the current image the same way; the control (Quorvel_hgmc_class) has one pixel per level and
// turns mouse moves into MarkerNear, drags into DragLevelsMarker and clicks elsewhere into
// ClickLevel. The edit boxes clamp to LevelsBlackRange / LevelsWhiteRange / kGamma range.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"
#include "tools/tone_kernel.h"

namespace qv {

enum LevelsChannel : int32_t {
    kLevelsBlue = 0,
    kLevelsGreen = 1,
    kLevelsRed = 2,
    kLevelsCombined = 3, // its parameters map all three channels; the default
};

constexpr int32_t kLevelsGrabDistance = 4;   // pixels (= levels) either side of a marker
constexpr int32_t kLevelsControlWidth = 256; // one pixel per level

struct LevelsPoints {
    int32_t black = 0;   // 0 .. white - 1
    int32_t white = 255; // black + 1 .. 255
    int32_t gamma = 0;   // kGammaMin .. kGammaMax
};

struct LevelsParams {
    LevelsPoints channel[4]; // indexed by LevelsChannel
    int32_t current = kLevelsCombined;
};

// The points that map the pixels: the combined channel's for all three while it is selected,
// otherwise each channel's own.
const LevelsPoints& EffectiveLevels(const LevelsParams& params, int32_t channel);
bool IsNeutralLevels(const LevelsParams& params);

// out = G_gamma[S_(white - black)[v - black]]; below black 0, from white upward 255.
void BuildLevelsTable(const LevelsPoints& points, uint8_t* table);
void BuildLevelsLookup(const LevelsParams& params, ChannelLookup* lookup);

// Counts per level of blue, green and red, and their sum. 24-bit pixels with mask value 255 are
// not counted (all pixels without a mask); an 8-bit image counts every pixel through its palette,
// since the tool maps its palette for all of them.
struct LevelsHistogram {
    uint64_t count[4][256]; // indexed by LevelsChannel
};
bool CountLevelsHistogram(const ImageBuffer& image, const uint8_t* mask, LevelsHistogram* histogram);
// The bars of one channel are scaled to its tallest count.
uint64_t TallestCount(const LevelsHistogram& histogram, int32_t channel);
// The height of the bar of `count` in a control `height` pixels tall: a level that any pixel has
// shows at least one pixel, the tallest fills the height.
int32_t HistogramBarHeight(uint64_t count, uint64_t tallest, int32_t height);

enum class LevelsMarker { kNone, kBlack, kWhite };

// The level under control x (one pixel per level), clamped to 0..255.
int32_t LevelAtControlX(int32_t x);
// The marker a pointer at `level` grabs: within kLevelsGrabDistance of the black marker (while left
// of the white one) or of the white marker; the nearer one when both qualify.
LevelsMarker MarkerNear(const LevelsPoints& points, int32_t level);
// Moves a grabbed marker to `level`, kept inside black 0 .. white - 1 and white black + 1 .. 255.
void DragLevelsMarker(LevelsPoints* points, LevelsMarker marker, int32_t level);
// A click away from the markers: the left button sets the black point, the right the white point,
// each clamped as a drag would be.
void ClickLevel(LevelsPoints* points, bool rightButton, int32_t level);
ValueRange LevelsBlackRange(const LevelsPoints& points);
ValueRange LevelsWhiteRange(const LevelsPoints& points);
// Store an edit box's value, clamped to the field's current range.
void SetLevelsBlack(LevelsPoints* points, int32_t value);
void SetLevelsWhite(LevelsPoints* points, int32_t value);
void SetLevelsGamma(LevelsPoints* points, int32_t value);

} // namespace qv
