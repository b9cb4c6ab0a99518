// Wine's Recycle Bin as the tests find it: SHFileOperationW with FOF_ALLOWUNDO moves a file into
// the XDG trash of the Unix home Wine runs with ($HOME/.local/share/Trash, when .local/share
// exists; otherwise it deletes the file for good). A name already taken gets a suffix there.
#pragma once

#include <string>

namespace qvtest {

// The trash folder ("...\.local\share\Trash") from WINEHOMEDIR; empty outside Wine.
std::wstring TrashFolder();
// Takes the file the bin holds under `name` (or `name` with a suffix) with exactly these bytes out
// of the bin again; false when there is none.
bool TakeFromTrash(const std::wstring& name, const std::string& bytes);

} // namespace qvtest
