// External programs (slots 12-19 paths, 20-27 names): the text of their menu items and the
// parameters they are started with. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

constexpr size_t kExternalProgramNameChars = 31; // longest menu text

// The menu text of a configured program: its name cut to 31 characters, or the program's file
// name when it has none.
std::wstring ExternalProgramMenuText(const std::wstring& path, const std::wstring& name);

struct ExternalProgramTarget {
    bool isExecutable = false; // the program path names an executable file
    std::wstring currentPath;  // the image file shown, or the archive shown from; empty without one
    bool fromArchive = false;
    int32_t memberKey = 0; // of the current archive entry
};

// The parameters: the current path in double quotes for an executable when there is one, with
// "/z<key> " in front for an archive member handed to the companion archive viewer; else empty.
std::wstring ExternalProgramParameters(const std::wstring& program, const ExternalProgramTarget& target);

} // namespace qv
