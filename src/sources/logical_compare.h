// The shell's logical name order, as the Windows shell sorts file names: runs of the digits 0-9
// compare by numeric value, every other character compares through a collation weight that ignores
// letter case and places punctuation before symbols before letters, accented letters right after
// their base letter. The same code runs in both builds so that lists sort identically.
#pragma once

#include <cstdint>

namespace qv {

// < 0, 0 or > 0 like wcscmp. Null pointers compare equal to everything.
int CompareLogical(const wchar_t* a, const wchar_t* b);

// The collation weight of one non-digit character (exposed for tests).
uint32_t LogicalWeight(wchar_t c);

} // namespace qv
