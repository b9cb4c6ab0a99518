// Taking paths apart. Both separators count in both builds, because paths typed on Windows may
// use either and archive member names arrive with '/'.
#pragma once

#include <string>

namespace qv {

// The folder part, without the trailing separator except at a root ("C:\\", "\\\\", "/"), so the
// result can be watched or listed as it is; empty when the path has no folder part.
std::wstring FolderOf(const std::wstring& path);
// The part after the last separator.
std::wstring FileNameOf(const std::wstring& path);
// The extension of the file name with its dot (".jpg"), as written; empty when it has none.
std::wstring ExtensionOf(const std::wstring& path);
// The file name without its extension.
std::wstring StemOf(const std::wstring& path);
// The fully qualified form of `path` against the current folder (GetFullPathNameW on Windows);
// `path` itself when it cannot be resolved. Paths from users are made absolute where they enter,
// before anything changes the current folder.
std::wstring FullPathOf(const std::wstring& path);
bool IsAbsolutePath(const std::wstring& path);

} // namespace qv
