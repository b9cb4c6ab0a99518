#include "model/load_types.h"

namespace qv {

LoadOptions LoadOptionsFrom(const Settings& s) {
    LoadOptions o;
    o.gamma = s.Gamma;
    o.displayGamma = s.DispGam;
    o.alpha = s.Alpha;
    o.fileBackground = s.FBG;
    o.background = s.BGColor;
    o.autoRotate = s.AutoRot;
    return o;
}

} // namespace qv
