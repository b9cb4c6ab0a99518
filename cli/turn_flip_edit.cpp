// quorvel-cli edit: the immediate turns and flips, `--rotate 90|180|270` (clockwise) and
// `--flip h|v` (h mirrors left-right, v flips top-bottom), through the program's own commands.
#include <string>
#include <utility>

#include "model/command_ids.h"
#include "model/codec_status.h"
#include "edit_op.h"
#include "model/image_buffer.h"
#include "image/image_turn.h"
#include "tools/immediate_turn.h"

namespace qvcli {
namespace {

int ApplyCommand(qv::ImageBuffer* image, int32_t command, std::wstring* error) {
    qv::ImageBuffer* turned = qv::AllocImageRecord();
    qv::CodecStatus status = qv::kCodecOutOfMemory;
    int32_t pending = qv::kTurnNone; // the output is written afresh, so nothing stays pending
    if (turned == nullptr || !qv::ImmediateTurn(*image, command, &pending, turned, &status)) {
        *error = Widen(qv::CodecStatusText(status));
        qv::FreeImageRecord(turned);
        return kEditRefused;
    }
    std::swap(*image, *turned); // the old pixels leave with `turned`
    qv::FreeImageRecord(turned);
    return kEditOk;
}

int Rotate(qv::ImageBuffer* image, const std::wstring& value, const EditContext&, std::wstring* error) {
    int32_t command = value == L"90"    ? qv::kCmdTurnRight
                      : value == L"180" ? qv::kCmdTurn180
                      : value == L"270" ? qv::kCmdTurnLeft
                                        : 0;
    if (command == 0) {
        *error = L"takes 90, 180 or 270 (degrees clockwise), not " + value;
        return kEditBadValue;
    }
    return ApplyCommand(image, command, error);
}

int Flip(qv::ImageBuffer* image, const std::wstring& value, const EditContext&, std::wstring* error) {
    int32_t command = value == L"h" ? qv::kCmdMirror : value == L"v" ? qv::kCmdFlip : 0;
    if (command == 0) {
        *error = L"takes h (mirror left-right) or v (flip top-bottom), not " + value;
        return kEditBadValue;
    }
    return ApplyCommand(image, command, error);
}

} // namespace

QV_CLI_GEOMETRY_EDIT_OP("--rotate", "--rotate 90|180|270   turn clockwise", true, Rotate);
QV_CLI_GEOMETRY_EDIT_OP("--flip", "--flip h|v            mirror left-right (h) or flip top-bottom (v)", true, Flip);

} // namespace qvcli
