// Turn by angle (command 5140): the angle field, the straightening line and the grid as plain
// arithmetic, the nearest-neighbour preview that the worker recomputes on every change, and the
// bilinear turn that Apply computes on the GUI thread afterwards.
//
// The tool window calls ParseTurnAngle on every change of the angle text (ClampTurnAngle on the
// result), TurnAngleDrag while the label is dragged, StraighteningAngle when a drawn line is
// released and TurnGridLines when it paints the grid. The worker runs TurnPreviewBand on a
// KernelJob of the working copy's size; Apply calls TurnPixelsByAngle (null: message 30003) for
// an angle other than 0 and commits the block with label 5140.
#pragma once

#include <cstdint>
#include <string>

#include "model/image_buffer.h"
#include "tools/kernel_job.h"

namespace qv {

constexpr int32_t kTurnAngleMin = -1800; // tenths of a degree
constexpr int32_t kTurnAngleMax = 1800;
constexpr int32_t kTurnAngleDragStep = 2;             // tenths per pixel dragged over the label
constexpr int32_t kTurnGridStep = 32;                 // screen pixels between grid lines
constexpr int32_t kStraightenMinSpan = 8;             // a shorter line (in both directions) is ignored
constexpr int32_t kTurnBorder = 5;                    // added to each side of the turned size
constexpr double kTurnPi = 3.1415926535;              // the turn's own pi: a turn by 90.0 gives exact sides
constexpr uint32_t kTurnDefaultBackground = 0xFFFFFF; // packed red | green << 8 | blue << 16

// Reads a typed angle in degrees ("-12.35", "+7", ".5") into tenths, rounding half away from
// zero on the typed digits themselves, so "0.05" is 1 and "-0.05" is -1. The value is not
// clamped (a huge number saturates far outside the range). False for anything but a number.
bool ParseTurnAngle(const std::wstring& text, int32_t* tenths);
int32_t ClampTurnAngle(int64_t tenths);
// The angle as the field shows it: one decimal ("-12.5", "0.0").
std::wstring FormatTurnAngle(int32_t tenths);

// The angle a drag over the label gives: 2 tenths per pixel from the value at the press, clamped.
int32_t TurnAngleDrag(int32_t valueAtPress, int32_t dxPixels);

// The angle that makes a line drawn from (x0, y0) to (x1, y1) on the screen (y downward)
// horizontal, or vertical when `vertical` is set, on top of the current angle: brought into
// -90.0 ... 90.0 degrees and rounded to the one decimal the field shows. False when the line spans
// no more than 8 pixels either way.
bool StraighteningAngle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t currentTenths, bool vertical,
                        int32_t* newTenths);

// Positions of the grid lines over an image area starting at `start` and `length` pixels long
// (every 32 pixels after the start). Returns how many there are; writes at most `capacity`.
int32_t TurnGridLines(int32_t start, int32_t length, int32_t* positions, int32_t capacity);

// The 8.8 fixed-point steps of an angle: s = trunc(sin x 256), c = trunc(cos x 256).
struct TurnSteps {
    int32_t s = 0;
    int32_t c = 256;
};
TurnSteps TurnStepsFor(int32_t tenths);

// The size Apply produces: trunc(|W cos| + |H sin|) + 5 by trunc(|W sin| + |H cos|) + 5.
void TurnedSize(int32_t width, int32_t height, int32_t tenths, int64_t* turnedWidth, int64_t* turnedHeight);

struct TurnPreviewParams {
    TurnSteps steps;
    uint32_t background = kTurnDefaultBackground;
};
TurnPreviewParams MakeTurnPreviewParams(int32_t tenths, uint32_t background);

// Preview band: dest rows [rowBegin, rowEnd) of the picture turned about its centre, each pixel
// the nearest source pixel or the background where none lies. 24-bit source and dest of the same
// size; the mask is not used (the turn changes the picture's size).
void TurnPreviewBand(const KernelJob& job, const void* params);

// The final turn: a new 24-bit block of TurnedSize, bilinear, the background blended in at the
// picture's edges and filling the corners. 8-bit images are expanded first. Null when the angle is
// 0, the size reaches 2^32 bytes or memory is short.
uint8_t* TurnPixelsByAngle(const ImageBuffer& image, int32_t tenths, uint32_t background, int threads,
                           int32_t* turnedWidth, int32_t* turnedHeight);

} // namespace qv
