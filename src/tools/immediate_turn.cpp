#include "tools/immediate_turn.h"

#include <cstring>

#include "model/command_ids.h"
#include "image/image_turn.h"
#include "tools/tool_result.h"

namespace qv {

int32_t ImmediateTurnCode(int32_t command) {
    switch (command) {
    case kCmdTurnRight: return kTurn90;
    case kCmdTurn180: return kTurn180;
    case kCmdTurnLeft: return kTurn270;
    case kCmdMirror: return kTurnMirror;
    case kCmdFlip: return kTurnFlip;
    default: return kTurnNone;
    }
}

bool ImmediateTurn(const ImageBuffer& current, int32_t command, int32_t* pendingRotation, ImageBuffer* result,
                   CodecStatus* status) {
    const int32_t code = ImmediateTurnCode(command);
    const uint16_t bits = current.header.biBitCount;
    if (code == kTurnNone || current.pixels == nullptr || (bits != 8 && bits != 24) || &current == result) {
        *status = kCodecCannotConvert;
        return false;
    }
    const uint32_t w = static_cast<uint32_t>(current.header.biWidth),
                   h = static_cast<uint32_t>(current.header.biHeight);
    const bool swap = code == kTurn90 || code == kTurn270;
    uint8_t* block = AllocPixelBlock(swap ? h : w, swap ? w : h, bits, status);
    if (block == nullptr) return false;
    TurnPixels(current.pixels, w, h, bits / 8, code, block);
    TakeToolResult(result, block, static_cast<int32_t>(swap ? h : w), static_cast<int32_t>(swap ? w : h), bits);
    std::memcpy(result->palette, current.palette, sizeof result->palette);
    // the resolution belongs to the axis it measures, so it turns with the picture
    result->header.biXPelsPerMeter = swap ? current.header.biYPelsPerMeter : current.header.biXPelsPerMeter;
    result->header.biYPelsPerMeter = swap ? current.header.biXPelsPerMeter : current.header.biYPelsPerMeter;
    const int32_t composed = ComposeRotation(*pendingRotation, code);
    if (composed >= 0) {
        *pendingRotation = composed;
        if (current.sourceFormat == kFormatJpeg) result->sourceFormat = kFormatJpeg;
    }
    return true;
}

} // namespace qv
