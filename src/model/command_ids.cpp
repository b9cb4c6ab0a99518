#include "model/command_ids.h"

namespace qv {

int32_t MouseActionCommand(int32_t action) {
    switch (action) {
    case 0: return kCmdClose;
    case 1: return kCmdSubWindow;
    case 2: return kCmdFullScreen;
    case 3: return kCmdMinimise;
    default: return 0;
    }
}

} // namespace qv
