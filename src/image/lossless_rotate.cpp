#include "image/lossless_rotate.h"

#include "model/command_ids.h"

namespace qv {

int32_t ComposePendingTurn(int32_t pending, int32_t turn) {
    if (turn < kTurn90 || turn > kTurn270) return -1;
    return ComposeRotation(pending, turn);
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
