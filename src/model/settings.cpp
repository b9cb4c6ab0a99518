#include "model/settings.h"

namespace qv {

Settings g_settings;

} // namespace qv
