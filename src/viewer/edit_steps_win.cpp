#include "viewer/edit_steps_win.h"

#include "image/edit_commit.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/view_window_win.h"

namespace qv {

bool CommitAndShowEdit(ImageBuffer* result, int32_t label, bool sizeChanged, int32_t pendingRotation,
                       const uint8_t* newMask) {
    RecordedEdit edit;
    edit.label = UiText(static_cast<uint32_t>(label));
    edit.uneditedLabel = UiText(kStrUneditedImage);
    edit.sizeChanged = sizeChanged;
    edit.pendingRotation = pendingRotation;
    edit.newMask = newMask;
    uint32_t message = CommitRecordedEdit(&g_session, result, edit, WindowSessionHooks(), &g_settings.Format);
    if (message != 0) {
        ErrorBox(CurrentMainWindow(), message);
        return false;
    }
    ShowLoadedImage();
    return true;
}

void StepEditHistory(int32_t target) {
    if (ToolIsOpen(g_session) || !HasCurrentImage(g_session)) return;
    SetCursor(Ui().waitCursor);
    EditStep step = RestoreEditStep(&g_session, target, WindowSessionHooks(), &g_settings.Format);
    if (step == EditStep::Unreadable) ErrorBox(CurrentMainWindow(), kStrHistoryNotRead);
    if (step == EditStep::Restored) ShowLoadedImage();
    SetCursor(Ui().arrowCursor);
}

} // namespace qv
