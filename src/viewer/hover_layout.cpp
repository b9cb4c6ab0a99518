#include "viewer/hover_layout.h"

#include <algorithm>

namespace qv {

bool InToolBarStrip(ViewPoint p, ViewSize client) {
    return client.height > kToolBarMinimumClient && p.y >= 0 && p.y < kToolBarStripHeight && p.x >= 0 &&
           p.x < client.width;
}

NavigatorChange AutoNavigatorOnMove(const AutoNavigatorFacts& f, ViewPoint p) {
    if (f.mode == DisplayMode::SubWindow) return NavigatorChange::None;
    bool inStrip = p.x >= f.client.width - kNavigatorStripWidth && p.x < f.client.width && p.y >= 0;
    if (f.shown) {
        // only a navigator this rule showed is taken away by it
        if (!f.shownByStrip) return NavigatorChange::None;
        int32_t bottom = f.mode == DisplayMode::FullScreen ? kNavigatorKeepBottom : kNavigatorStripBottom;
        return inStrip && p.y < bottom ? NavigatorChange::None : NavigatorChange::Hide;
    }
    if (!f.enabled || !inStrip || p.y >= kNavigatorStripBottom) return NavigatorChange::None;
    if (f.client.width <= kNavigatorMinimumClient || f.client.height <= kNavigatorMinimumClient)
        return NavigatorChange::None;
    bool larger = f.scaled.width > f.client.width || f.scaled.height > f.client.height;
    return larger ? NavigatorChange::Show : NavigatorChange::None;
}

ViewPoint NavigatorPosition(ViewRect anchor, ViewRect workArea, ViewSize size, int32_t belowTop) {
    int32_t right = std::min(anchor.right, workArea.right);
    return ViewPoint{right - size.width, anchor.top + belowTop};
}

bool CursorShouldWake(ViewPoint hiddenAt, ViewPoint now) {
    int32_t dx = now.x - hiddenAt.x, dy = now.y - hiddenAt.y;
    return dx > kCursorWakeDistance || dx < -kCursorWakeDistance || dy > kCursorWakeDistance ||
           dy < -kCursorWakeDistance;
}

int32_t FullScreenSpacerWidth(int32_t barWidth, int32_t beforeSpacer, int32_t groupWidth) {
    return std::max(0, barWidth - beforeSpacer - groupWidth);
}

std::wstring PositionFieldText(uint32_t current, uint32_t count) {
    if (count == 0 || current >= count) return std::wstring();
    return std::to_wstring(current + 1) + L" / " + std::to_wstring(count);
}

} // namespace qv
