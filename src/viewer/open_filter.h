// The filter list of the open-file dialog: pairs of label and patterns, each ended by a NUL, the
// whole list ended by a second NUL.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv {

// `text(n)` gives language string n; `pluginPatterns` are the image plug-ins' patterns ("*.pic").
std::wstring BuildOpenFilter(const std::function<std::wstring(uint32_t)>& text, bool rarPresent,
                             const std::vector<std::wstring>& pluginPatterns);

} // namespace qv
