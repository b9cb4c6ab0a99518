#include "app/accelerators_win.h"

#include <vector>

#include "app/accelerator_blob.h"
#include "app/command_ids.h"

namespace qv {

namespace {

// Until the command table brings its 122 defaults, the keys a viewer cannot do without.
std::vector<AccelEntry> ProvisionalKeys() {
    constexpr uint8_t plain = FVIRTKEY, ctrl = FVIRTKEY | FCONTROL, shift = FVIRTKEY | FSHIFT;
    return {
        {ctrl, 'O', kCmdOpen},
        {plain, VK_RETURN, kCmdFullScreen},
        {plain, VK_END, kCmdMinimise},
        {plain, VK_ESCAPE, kCmdClose},
        {plain, VK_SPACE, kCmdZoomFitOrActual},
        {plain, VK_PRIOR, kCmdZoomIn},
        {plain, VK_NEXT, kCmdZoomOut},
        {plain, VK_HOME, kCmdFitWindowToImage},
        {plain, VK_LEFT, kCmdFirstImage},
        {plain, VK_UP, kCmdPreviousImage},
        {plain, VK_DOWN, kCmdNextImage},
        {plain, VK_RIGHT, kCmdLastImage},
        {shift, VK_LEFT, kCmdScrollLeft},
        {shift, VK_RIGHT, kCmdScrollRight},
        {shift, VK_UP, kCmdScrollUp},
        {shift, VK_DOWN, kCmdScrollDown},
        {ctrl, VK_UP, kCmdZoomStepIn},
        {ctrl, VK_DOWN, kCmdZoomStepOut},
    };
}

} // namespace

HACCEL BuildAcceleratorTable(const std::string& stored) {
    std::vector<AccelEntry> entries = stored.empty() ? DefaultAcceleratorEntries() : DecodeAccelerators(stored);
    if (entries.empty()) entries = ProvisionalKeys();
    std::vector<ACCEL> table;
    for (const AccelEntry& e : entries)
        if (e.key != 0) table.push_back(ACCEL{static_cast<BYTE>(e.flags | FVIRTKEY), e.key, e.command});
    if (table.empty()) return nullptr;
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

} // namespace qv
