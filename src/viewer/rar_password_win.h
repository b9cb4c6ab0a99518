// The password dialog (template 4400) that RAR access shows when an archive needs one.
#pragma once

#include <string>

namespace qv {

// `password` comes in as the remembered one, shown in the edit control, and goes out as the
// answer; false when the user cancelled.
bool AskRarPassword(std::wstring* password);

} // namespace qv
