// The options dialog (command 5410 and the /o start): a tab control over six pages bound to the
// settings, the external programs, the plug-ins, the keys, the shell registration, the font and
// the language. Confirming applies in a fixed order: the start settings written at once, the
// ViewWindow's placement, the rest of the settings, keys, program menu items, plug-ins, the shell,
// and last, once the dialog is gone, the language and font swap. Windows only.
#pragma once

#include <cstdint>

namespace qv {

bool HandleOptionsCommand(int32_t command);

} // namespace qv
