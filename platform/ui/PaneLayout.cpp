#include "platform/ui/PaneLayout.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace ui {

namespace {

using Rect = CPaneLayout::Rect;

Rect R(int l, int t, int r, int b)
{
    return Rect{l, t, r, b, true};
}

int Share(int first, int second)
{
    return (first + 2) * 1000 / std::max(1, first + second + 4);
}

} // namespace

CPaneLayout::Rects CPaneLayout::PaneRects(int mask, int X, int Y)
{
    Rects rects{};
    const Rect whole = R(0, 0, 1000, 1000);
    const Rect top = R(0, 0, 1000, Y), bottom = R(0, Y, 1000, 1000);
    const Rect left = R(0, 0, X, 1000), right = R(X, 0, 1000, 1000);
    const Rect bottomLeft = R(0, Y, X, 1000), bottomRight = R(X, Y, 1000, 1000);
    switch (mask & 15) {
    case 1: rects[kGraph] = whole; break;
    case 2: rects[kValues] = whole; break;
    case 4: rects[kAlarms] = whole; break;
    case 8: rects[kPanel] = whole; break;
    case 3: rects[kGraph] = top; rects[kValues] = bottom; break;
    case 5: rects[kGraph] = top; rects[kAlarms] = bottom; break;
    case 6: rects[kValues] = left; rects[kAlarms] = right; break;
    case 7: rects[kGraph] = top; rects[kValues] = bottomLeft; rects[kAlarms] = bottomRight; break;
    case 9: rects[kGraph] = left; rects[kPanel] = right; break;
    case 10: rects[kValues] = left; rects[kPanel] = right; break;
    case 11: rects[kGraph] = top; rects[kValues] = bottomLeft; rects[kPanel] = bottomRight; break;
    case 12: rects[kAlarms] = left; rects[kPanel] = right; break;
    case 13: rects[kGraph] = top; rects[kAlarms] = bottomLeft; rects[kPanel] = bottomRight; break;
    case 14: rects[kValues] = left; rects[kAlarms] = R(X, 0, 1000, Y); rects[kPanel] = bottomRight; break;
    case 15:
        rects[kGraph] = R(0, 0, X, Y);
        rects[kValues] = R(X, 0, 1000, Y);
        rects[kAlarms] = bottomLeft;
        rects[kPanel] = bottomRight;
        break;
    default: break;
    }
    return rects;
}

QRect CPaneLayout::ToPixels(const Rect& rect, int W, int H)
{
    const int x = W * rect.l / 1000 + 1;
    const int y = H * rect.t / 1000 + 1;
    return QRect(x, y, W * rect.r / 1000 - 1 - x, H * rect.b / 1000 - 1 - y);
}

CPaneLayout::Divider CPaneLayout::HitTest(int mask, int X, int Y, int W, int H, int x, int y, Crossing crossing)
{
    const int dividerX = W * X / 1000;
    const int dividerY = H * Y / 1000;
    const bool onX = x >= dividerX - 2 && x <= dividerX + 2;
    const bool onY = std::abs(y - dividerY) < 3;
    switch (mask & 15) {
    case 3:
    case 5: return onY ? kY : kNone;
    case 6:
    case 9:
    case 10:
    case 12: return onX ? kX : kNone;
    case 7:
    case 11:
    case 13:
        // The vertical divider runs below the pane across the top only.
        if (onY)
            return kY;
        return onX && y > dividerY + 2 ? kX : kNone;
    case 14:
        // The horizontal divider runs right of the values only.
        if (onX)
            return kX;
        return onY && x > dividerX + 2 ? kY : kNone;
    case 15:
        if (crossing == kHorizontalFirst && onY)
            return kY;
        if (onX)
            return kX;
        return onY ? kY : kNone;
    default: return kNone;
    }
}

int CPaneLayout::DragRatio(int position, int extent)
{
    if (extent <= 0)
        return kMinRatio;
    return std::clamp(position * 1000 / extent, kMinRatio, kMaxRatio);
}

QSize CPaneLayout::MinimumSize(Pane pane)
{
    switch (pane) {
    case kGraph: return {270, 120};
    case kValues: return {190, 100};
    case kAlarms: return {150, 100};
    case kPanel: return {150, 150};
    default: return {0, 0};
    }
}

CPaneLayout::Reset CPaneLayout::ResetFor(int mask, const Style& style)
{
    Reset reset;
    reset.ratioX = reset.ratioY = style.unusedRatio;
    const QSize g = MinimumSize(kGraph), v = MinimumSize(kValues), a = MinimumSize(kAlarms), p = MinimumSize(kPanel);
    auto sideBySide = [&](QSize first, QSize second) {
        reset.scrollSize =
            QSize(first.width() + second.width() + 4, std::max(first.height(), second.height()) + style.besidePad);
        reset.ratioX = Share(first.width(), second.width());
    };
    auto stacked = [&](QSize first, QSize second) {
        reset.scrollSize =
            QSize(std::max(first.width(), second.width()) + style.besidePad, first.height() + second.height() + 4);
        reset.ratioY = Share(first.height(), second.height());
    };
    // With a pane across the top the two below share a row.
    auto acrossTop = [&](QSize topPane, QSize bl, QSize br) {
        const int below = std::max(bl.height(), br.height());
        const int width = std::max(bl.width() + br.width() + 4, topPane.width() + 2);
        reset.scrollSize = QSize(width, topPane.height() + below + 4);
        reset.ratioY = Share(topPane.height(), below);
        reset.ratioX = style.acrossTopShareOfWidth ? (bl.width() + 2) * 1000 / width : Share(bl.width(), br.width());
    };
    switch (mask & 15) {
    case 0: reset.scrollSize = style.empty; break;
    case 1: reset.scrollSize = g + QSize(2, 2); break;
    case 2: reset.scrollSize = v + QSize(2, 2); break;
    case 4: reset.scrollSize = a + QSize(2, 2); break;
    case 8: reset.scrollSize = p + QSize(2, 2); break;
    case 3: stacked(g, v); break;
    case 5: stacked(g, a); break;
    case 6: sideBySide(v, a); break;
    case 9: sideBySide(g, p); break;
    case 10: sideBySide(v, p); break;
    case 12: sideBySide(a, p); break;
    case 7: acrossTop(g, v, a); break;
    case 11: acrossTop(g, v, p); break;
    case 13: acrossTop(g, a, p); break;
    case 14: {
        const int right = std::max(a.width(), p.width());
        reset.scrollSize =
            QSize(v.width() + right + 4, std::max(v.height() + style.tallLeftPad, a.height() + p.height() + 4));
        reset.ratioX = Share(v.width(), right);
        reset.ratioY = Share(a.height(), p.height());
        break;
    }
    case 15: {
        const int leftW = std::max(g.width(), a.width()), rightW = std::max(v.width(), p.width());
        const int topH = std::max(g.height(), v.height()), bottomH = std::max(a.height(), p.height());
        reset.scrollSize = QSize(leftW + rightW + 4, topH + bottomH + 4);
        reset.ratioX = Share(leftW, rightW);
        reset.ratioY = Share(topH, bottomH);
        break;
    }
    default: break;
    }
    return reset;
}

QSize CPaneLayout::ExtentFor(int mask, int ratioX, int ratioY, const Sizes& wanted)
{
    const Rects rects = PaneRects(mask, ratioX, ratioY);
    int width = 0, height = 0;
    for (int i = 0; i < kPaneCount; ++i) {
        const Rect& r = rects[std::size_t(i)];
        if (!r.valid || r.r <= r.l || r.b <= r.t)
            continue;
        // The pane's share of the extent less its margins and the rounding
        // of the placement.
        const QSize want = wanted[std::size_t(i)];
        width = std::max(width, (want.width() + 3) * 1000 / (r.r - r.l) + 1);
        height = std::max(height, (want.height() + 3) * 1000 / (r.b - r.t) + 1);
    }
    return {width, height};
}

QSize CPaneLayout::FirstSize(int mask, int ratioX, int ratioY, QWidget* const (&panes)[kPaneCount], QSize floor)
{
    Sizes own;
    for (int i = 0; i < kPaneCount; ++i)
        if (panes[i])
            own[std::size_t(i)] = panes[i]->sizeHint();
    return FirstSize(mask, ratioX, ratioY, own, floor);
}

QSize CPaneLayout::FirstSize(int mask, int ratioX, int ratioY, const Sizes& own, QSize floor)
{
    Sizes wanted;
    for (int i = 0; i < kPaneCount; ++i)
        wanted[std::size_t(i)] = MinimumSize(Pane(i)).expandedTo(own[std::size_t(i)]);
    return ExtentFor(mask, ratioX, ratioY, wanted).expandedTo(floor);
}

} // namespace ui
