#include "image/lossless_rotate.h"

#include "model/command_ids.h"

namespace qv {

int32_t ComposePendingTurn(int32_t pending, int32_t turn) {
    if (turn < kTurn90 || turn > kTurn270) return -1;
    if (pending >= kTurnNone && pending <= kTurn270) return (pending + turn) % 4;
    // A mirrored picture turned by a quarter is a transposition, which has no code.
    if (turn != kTurn180) return -1;
    if (pending == kTurnMirror) return kTurnFlip;
    if (pending == kTurnFlip) return kTurnMirror;
    return -1;
}

int32_t LosslessCommandCode(int32_t command, int32_t pending) {
    switch (command) {
    case kCmdLosslessPending: return pending >= kTurnNone && pending <= kTurnFlip ? pending : -1;
    case kCmdLosslessTurnRight: return ComposePendingTurn(pending, kTurn90);
    case kCmdLosslessTurnLeft: return ComposePendingTurn(pending, kTurn270);
    default: return -1;
    }
}

bool LosslessAvailable(const ImageSession& session) {
    return HasCurrentImage(session) && session.current.sourceFormat == kFormatJpeg &&
           session.list.sourceKind == kSourceFolder && !session.list.currentPath.empty();
}

} // namespace qv
