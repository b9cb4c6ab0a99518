// The surface the current image is shown on. The viewer's display modes own the current value;
// the menus, the tools and the output services read it.
#pragma once

#include <cstdint>

namespace qv {

// The values are the numbers the settings file and the command line use.
enum class DisplayMode : int32_t { ViewWindow = 0, SubWindow = 1, FullScreen = 2 };

} // namespace qv
