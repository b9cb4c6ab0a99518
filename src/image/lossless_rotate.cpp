#include "image/lossless_rotate.h"

#include "app/command_ids.h"
#include "codecs/jpeg_codec.h"
#include "platform/platform.h"

namespace qv {

namespace {

bool SameFileTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

} // namespace

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

uint32_t LosslessRotateFile(const std::wstring& path, const FILETIME& loadedTime, int32_t code) {
    FILETIME now{};
    if (!GetFileFacts(path.c_str(), nullptr, &now) || IsDirectory(path.c_str())) return 30002;
    if (!SameFileTime(now, loadedTime)) return 30005;
    // The fixed options of a lossless turn: every marker kept (orientation reset when turned), no
    // trimming, no greyscale, baseline.
    JpegTransformOptions options = LosslessSaveOptions(code, false, kCopyAll, false, false);
    JpegContext ctx;
    if (!TransformJpegFileInPlace(path.c_str(), options, &ctx)) return 30004;
    return 0;
}

} // namespace qv
