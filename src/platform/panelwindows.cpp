#include "platform/panelwindows.h"

namespace tavrin {

bool PanelWindows::setBlurBehind(WId, const QList<QRect>& rects) { return !rects.isEmpty(); }

void PanelWindows::setClickRegion(WId, const QList<QRect>&) {}

void PanelWindows::showOnAllDesktops(WId, bool) {}

bool PanelWindows::stackUnder(WId, WId) { return false; }

} // namespace tavrin
