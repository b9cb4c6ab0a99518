// The print command: a dialog (template 4100) with a live page preview (class Quorvel_prtp_class)
// where the image is placed by position and size or fills the printable area, the system's page
// setup and print dialogs, and one page printed with StretchDIBits. The chosen printer's settings
// and the placement are kept for the program's run. Windows only.
#pragma once

namespace qv {

// Without a printer the dialog does not open: message 30001.
void PrintCommand();

} // namespace qv
