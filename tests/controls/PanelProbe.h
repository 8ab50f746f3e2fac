#pragma once
// Pixel probes of a rendered control: is a piece shown as the sprite sheet
// (lit, pressed) or as the panel (off) has it?
#include "controls/common/PanelControl.h"

namespace probe {

// Mean difference per colour channel between the middle of `dst` on the
// control's canvas and `srcRect` of `src` stretched there.
double difference(controls::CPanelControl& c, const QImage& src, const controls::PanelRect& srcRect,
                  const controls::PanelRect& dst, int base = 0);
// The canvas shows that piece there.
bool shows(controls::CPanelControl& c, const QImage& src, const controls::PanelRect& srcRect,
           const controls::PanelRect& dst, int base = 0);
// The canvas shows the sprite sheet's piece `src` at `dst`.
bool sameAsSprite(controls::CPanelControl& c, const controls::PanelRect& src, const controls::PanelRect& dst,
                  int base = 0);
// A lit element: the sprite sheet's piece at the same place is shown.
inline bool isLit(controls::CPanelControl& c, const controls::PanelRect& r, int base = 0)
{
    return sameAsSprite(c, r, r, base);
}
// Switched off: the panel's own piece is shown.
inline bool isOff(controls::CPanelControl& c, const controls::PanelRect& r, int base = 0)
{
    return shows(c, c.panel(), r, r, base);
}

// Share of pixels that differ clearly between two pictures of one size.
double changedShare(const QImage& a, const QImage& b);

} // namespace probe
