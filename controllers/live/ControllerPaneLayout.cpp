#include "controllers/live/ControllerPaneLayout.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace controllers {

namespace {

using Rect = CControllerPaneLayout::Rect;

Rect R(int l, int t, int r, int b)
{
    return Rect{l, t, r, b, true};
}

int Share(int first, int second)
{
    return (first + 2) * 1000 / std::max(1, first + second + 4);
}

int Cycle(int position, int first, int last, int step)
{
    position += step;
    if (position > last)
        return first;
    if (position < first)
        return last;
    return position;
}

} // namespace

CControllerPaneLayout::Rects CControllerPaneLayout::PaneRects(int mask, int X, int Y)
{
    Rects rects{};
    const Rect whole = R(0, 0, 1000, 1000);
    const Rect top = R(0, 0, 1000, Y), bottom = R(0, Y, 1000, 1000);
    const Rect left = R(0, 0, X, 1000), right = R(X, 0, 1000, 1000);
    const Rect bottomLeft = R(0, Y, X, 1000), bottomRight = R(X, Y, 1000, 1000);
    switch (mask & 15) {
    case 1: rects[kGraph] = whole; break;
    case 2: rects[kValues] = whole; break;
    case 3: rects[kGraph] = top; rects[kValues] = bottom; break;
    case 4: rects[kEvents] = whole; break;
    case 5: rects[kGraph] = top; rects[kEvents] = bottom; break;
    case 6: rects[kValues] = left; rects[kEvents] = right; break;
    case 7: rects[kGraph] = top; rects[kValues] = bottomLeft; rects[kEvents] = bottomRight; break;
    case 8: rects[kPanel] = whole; break;
    case 9: rects[kGraph] = left; rects[kPanel] = right; break;
    case 10: rects[kValues] = left; rects[kPanel] = right; break;
    case 11: rects[kGraph] = top; rects[kValues] = bottomLeft; rects[kPanel] = bottomRight; break;
    case 12: rects[kEvents] = left; rects[kPanel] = right; break;
    case 13: rects[kGraph] = top; rects[kEvents] = bottomLeft; rects[kPanel] = bottomRight; break;
    case 14: rects[kValues] = left; rects[kEvents] = R(X, 0, 1000, Y); rects[kPanel] = bottomRight; break;
    case 15:
        rects[kGraph] = R(0, 0, X, Y);
        rects[kValues] = R(X, 0, 1000, Y);
        rects[kEvents] = bottomLeft;
        rects[kPanel] = bottomRight;
        break;
    default: break;
    }
    return rects;
}

QRect CControllerPaneLayout::ToPixels(const Rect& rect, int W, int H)
{
    const int x = W * rect.l / 1000 + 1;
    const int y = H * rect.t / 1000 + 1;
    return QRect(x, y, W * rect.r / 1000 - 1 - x, H * rect.b / 1000 - 1 - y);
}

CControllerPaneLayout::Divider CControllerPaneLayout::HitTest(int mask, int X, int Y, int W, int H, int x, int y)
{
    const int barX = W * X / 1000;
    const int barY = H * Y / 1000;
    const bool onX = x >= barX - 2 && x <= barX + 2;
    const bool onY = std::abs(y - barY) < 3;
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
        if (onY)
            return kY;
        return onX && y > barY ? kX : kNone;
    case 14:
        if (onY && x > barX + 2)
            return kY;
        return onX ? kX : kNone;
    case 15:
        if (onY)
            return kY;
        return onX ? kX : kNone;
    default: return kNone;
    }
}

int CControllerPaneLayout::DragRatio(int position, int extent)
{
    if (extent <= 0)
        return kMinRatio;
    return std::clamp(position * 1000 / extent, kMinRatio, kMaxRatio);
}

QSize CControllerPaneLayout::NaturalSize(Pane pane)
{
    switch (pane) {
    case kGraph: return {270, 120};
    case kPanel: return {150, 150};
    case kValues: return {190, 100};
    case kEvents: return {150, 100};
    default: return {0, 0};
    }
}

CControllerPaneLayout::Reset CControllerPaneLayout::ResetFor(int mask)
{
    Reset reset;
    const QSize g = NaturalSize(kGraph), v = NaturalSize(kValues), e = NaturalSize(kEvents), p = NaturalSize(kPanel);
    auto sideBySide = [&](QSize first, QSize second) {
        reset.scrollSize = QSize(first.width() + second.width() + 4, std::max(first.height(), second.height()) + 2);
        reset.ratioX = Share(first.width(), second.width());
    };
    auto stacked = [&](QSize first, QSize second) {
        reset.scrollSize = QSize(std::max(first.width(), second.width()) + 2, first.height() + second.height() + 4);
        reset.ratioY = Share(first.height(), second.height());
    };
    auto acrossTop = [&](QSize topPane, QSize bl, QSize br) {
        const int below = std::max(bl.height(), br.height());
        const int width = std::max(bl.width() + br.width() + 4, topPane.width() + 2);
        reset.scrollSize = QSize(width, topPane.height() + below + 4);
        reset.ratioY = Share(topPane.height(), below);
        reset.ratioX = Share(bl.width(), br.width());
    };
    switch (mask & 15) {
    case 0: reset.scrollSize = QSize(0, 0); break;
    case 1: reset.scrollSize = g + QSize(2, 2); break;
    case 2: reset.scrollSize = v + QSize(2, 2); break;
    case 4: reset.scrollSize = e + QSize(2, 2); break;
    case 8: reset.scrollSize = p + QSize(2, 2); break;
    case 3: stacked(g, v); break;
    case 5: stacked(g, e); break;
    case 6: sideBySide(v, e); break;
    case 9: sideBySide(g, p); break;
    case 10: sideBySide(v, p); break;
    case 12: sideBySide(e, p); break;
    case 7: acrossTop(g, v, e); break;
    case 11: acrossTop(g, v, p); break;
    case 13: acrossTop(g, e, p); break;
    case 14: {
        const int right = std::max(e.width(), p.width());
        reset.scrollSize = QSize(v.width() + right + 4, std::max(v.height() + 2, e.height() + p.height() + 4));
        reset.ratioX = Share(v.width(), right);
        reset.ratioY = Share(e.height(), p.height());
        break;
    }
    case 15: {
        const int leftW = std::max(g.width(), e.width()), rightW = std::max(v.width(), p.width());
        const int topH = std::max(g.height(), v.height()), bottomH = std::max(e.height(), p.height());
        reset.scrollSize = QSize(leftW + rightW + 4, topH + bottomH + 4);
        reset.ratioX = Share(leftW, rightW);
        reset.ratioY = Share(topH, bottomH);
        break;
    }
    default: break;
    }
    return reset;
}

int CControllerMenu::QorinStep(int position, Key key)
{
    const int step = key == kDown ? 1 : -1;
    if (position >= 21 && position <= 22)
        return key == kM ? 2 : Cycle(position, 21, 22, step);
    if (position >= 31 && position <= 36)
        return key == kM ? 3 : Cycle(position, 31, 36, step);
    if (key == kM)
        return position == 2 ? 21 : position == 3 ? 31 : position;
    return Cycle(std::clamp(position, 1, 3), 1, 3, step);
}

int CControllerMenu::DuskarStep(int position, Key key)
{
    const int step = key == kDown ? 1 : -1;
    struct Level {
        int first, last, up;
    };
    static constexpr Level levels[] = {{101, 112, 1}, {201, 213, 2}, {301, 323, 3}};
    for (const Level& level : levels) {
        if (position >= level.first && position <= level.last)
            return key == kM ? level.up : Cycle(position, level.first, level.last, step);
    }
    if (key == kM)
        return position;
    return Cycle(std::clamp(position, 1, 3), 1, 3, step);
}

int CControllerPanelRules::QorinType(int modelCode)
{
    if (modelCode < 3)
        return 2;
    return modelCode == 3 || modelCode == 5 ? 1 : 0;
}

int CControllerPanelRules::DuskarType(int modelCode)
{
    return modelCode == 42 || modelCode == 44 ? 1 : 0;
}

CControllerPanelRules::Alternative CControllerPanelRules::QorinAlternative(int position)
{
    static constexpr int c3[] = {18, 18, 18, 1, 1, 1};
    static constexpr int c4[] = {3, 5, 7, 1, 3, 7};
    if (position < 31 || position > 36)
        return {};
    return {true, 11, 17, c3[position - 31], c4[position - 31]};
}

void CPaneBarDrag::Press(QWidget*, int mask, int ratioX, int ratioY, QSize extent, QPoint at)
{
    m_dragging =
        CControllerPaneLayout::HitTest(mask, ratioX, ratioY, extent.width(), extent.height(), at.x(), at.y());
}

bool CPaneBarDrag::Move(QWidget* widget, int mask, int& ratioX, int& ratioY, QSize extent, QPoint at)
{
    if (m_dragging == CControllerPaneLayout::kX) {
        ratioX = CControllerPaneLayout::DragRatio(at.x(), extent.width());
        return true;
    }
    if (m_dragging == CControllerPaneLayout::kY) {
        ratioY = CControllerPaneLayout::DragRatio(at.y(), extent.height());
        return true;
    }
    const auto hit =
        CControllerPaneLayout::HitTest(mask, ratioX, ratioY, extent.width(), extent.height(), at.x(), at.y());
    if (hit == CControllerPaneLayout::kX)
        widget->setCursor(Qt::SizeHorCursor);
    else if (hit == CControllerPaneLayout::kY)
        widget->setCursor(Qt::SizeVerCursor);
    else
        widget->unsetCursor();
    return false;
}

bool CPaneBarDrag::Release(QWidget* widget, int mask, int& ratioX, int& ratioY, QSize extent, QPoint at)
{
    if (m_dragging == CControllerPaneLayout::kNone)
        return false;
    const bool moved = Move(widget, mask, ratioX, ratioY, extent, at);
    m_dragging = CControllerPaneLayout::kNone;
    return moved;
}

} // namespace controllers
