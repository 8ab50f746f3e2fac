#include "controllers/live/ControllerPaneLayout.h"

#include <QWidget>

#include <algorithm>

namespace controllers {

namespace {

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

CControllerPaneLayout::Reset CControllerPaneLayout::ResetFor(int mask)
{
    static constexpr Style kStyle{0, 2, QSize(0, 0), 2, false};
    return CPaneLayout::ResetFor(mask, kStyle);
}

QSize CControllerPaneLayout::FirstSize(int mask, int ratioX, int ratioY, QWidget* const (&panes)[kPaneCount])
{
    return CPaneLayout::FirstSize(mask, ratioX, ratioY, panes, ResetFor(mask).scrollSize);
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
