#include "charts/GraphWnd.h"
#include "charts/SunkEdge.h"

#include "platform/WindowMessage.h"
#include "platform/ui/MenuCommand.h"

#include <QAction>
#include <QBitmap>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRubberBand>
#include <QScrollBar>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kFull = 1000;
constexpr int kMinWidth = 10;

int ClampStart(int start, int width) { return std::clamp(start, 0, std::max(0, kFull - width)); }

// The zoom cursor: a magnifying glass drawn here, hot spot in the lens.
QCursor ZoomCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(3, 3, 16, 16);
    p.drawLine(17, 17, 28, 28);
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(3, 3, 16, 16);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(17, 17, 27, 27);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(8, 11, 14, 11);
    p.drawLine(11, 8, 11, 14);
    p.end();
    return QCursor(pixmap, 11, 11);
}

} // namespace

CGraphWnd::CGraphWnd(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    m_vertBar = new QScrollBar(Qt::Vertical, this);
    m_vertBar->setObjectName(QStringLiteral("302"));
    m_vertBar->hide();
    m_horzBar = new QScrollBar(Qt::Horizontal, this);
    m_horzBar->setObjectName(QStringLiteral("301"));
    m_horzBar->hide();
    m_band = new QRubberBand(QRubberBand::Rectangle, this);
    connect(m_horzBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_settingBars)
            ScrollTo(true, v);
    });
    connect(m_vertBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_settingBars)
            ScrollTo(false, v);
    });
}

CGraphWnd::~CGraphWnd() = default;

void CGraphWnd::SetFonts(std::unique_ptr<QFont> label, std::unique_ptr<QFont> title)
{
    m_labelFont = std::move(label);
    m_titleFont = std::move(title);
}

void CGraphWnd::SetWindow(int x0, int y0, int x1, int y1)
{
    m_x0 = x0;
    m_y0 = y0;
    m_x1 = x1;
    m_y1 = y1;
    Changed();
}

void CGraphWnd::SetZoomMode(bool on)
{
    m_zoomMode = on;
    UpdateCursorShape();
}

void CGraphWnd::SetColumns(std::vector<std::uint32_t> rightEdges, std::vector<std::uint32_t> values)
{
    m_columnEdges = std::move(rightEdges);
    m_columnValues = std::move(values);
}

void CGraphWnd::Changed()
{
    UpdateScrollBars();
    CreateFonts();
    update();
}

void CGraphWnd::SetHorzRange(int zoomPercent, unsigned axes)
{
    if (zoomPercent <= 0)
        return;
    const int width = std::clamp(100000 / zoomPercent, kMinWidth, kFull);
    const int half = width / 2;
    if (axes & kValueAxis) {
        const int start = ClampStart((m_y1 - m_y0) / 2 - half + m_y0, width);
        m_y0 = start;
        m_y1 = start + width;
    }
    if ((axes & kTimeAxis) && m_timeCursor) {
        const int start = ClampStart(GetCursorPos(kFull) - half, width);
        m_x0 = start;
        m_x1 = start + width;
    }
    Changed();
}

void CGraphWnd::SetVertRange(int percent, unsigned axes)
{
    auto scale = [percent](int& start, int& end) {
        const int old = end - start;
        const int width = std::clamp(int(std::int64_t(old) * percent / 100), kMinWidth, kFull);
        start = ClampStart(start + old / 2 - width / 2, width);
        end = start + width;
    };
    if (axes & kValueAxis)
        scale(m_y0, m_y1);
    if (axes & kTimeAxis)
        scale(m_x0, m_x1);
    Changed();
}

void CGraphWnd::ZoomAtPoint(int percent, int x, int y)
{
    const int plotHeight = std::max(1, m_plot.Height());
    const int plotWidth = std::max(1, m_plot.Width());
    {
        const int old = m_y1 - m_y0;
        const int height = std::clamp(old * percent / 100, kMinWidth, kFull);
        const int at = m_y0 + old * (m_plot.bottom - y) / plotHeight;
        m_y0 = ClampStart(at - height / 2, height);
        m_y1 = m_y0 + height;
    }
    if (m_timeCursor) {
        const int old = m_x1 - m_x0;
        const int width = std::clamp(old * percent / 100, kMinWidth, kFull);
        const int at = m_x0 + old * (x - m_plot.left) / plotWidth;
        m_x0 = ClampStart(at - width / 2, width);
        m_x1 = m_x0 + width;
    }
    Changed();
}

void CGraphWnd::Redraw()
{
    CreateFonts();
    update();
}

void CGraphWnd::UpdateScrollBars()
{
    m_settingBars = true;
    const int width = m_x1 - m_x0;
    if (width != kFull) {
        m_horzBar->setRange(0, kFull - width);
        m_horzBar->setPageStep(width);
        m_horzBar->setSingleStep(std::max(1, width / 10));
        m_horzBar->setValue(m_x0);
    }
    const int height = m_y1 - m_y0;
    if (height != kFull) {
        m_vertBar->setRange(0, kFull - height);
        m_vertBar->setPageStep(height);
        m_vertBar->setSingleStep(std::max(1, height / 10));
        m_vertBar->setValue(kFull - m_y1);
    }
    m_settingBars = false;
}

void CGraphWnd::ScrollTo(bool horizontal, int position)
{
    if (horizontal) {
        const int width = m_x1 - m_x0;
        m_x0 = ClampStart(position, width);
        m_x1 = m_x0 + width;
    } else {
        const int height = m_y1 - m_y0;
        m_y1 = kFull - ClampStart(position, height);
        m_y0 = m_y1 - height;
    }
    m_settingBars = true;
    QScrollBar* bar = horizontal ? m_horzBar : m_vertBar;
    bar->setValue(horizontal ? m_x0 : kFull - m_y1);
    m_settingBars = false;
    update();
}

bool CGraphWnd::DrawPlate(QPainter& p, const QRect& client) const
{
    if (Dragging() || client.width() < 50 || client.height() < 50)
        return false;
    const QRect frame = client.adjusted(1, 1, -2, -2);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(frame);
    DrawSunkEdge(p, frame);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    return true;
}

void CGraphWnd::Render(QPainter& painter, const QRect& client)
{
    painter.save();
    Draw(painter, client);
    painter.restore();
}

QImage CGraphWnd::RenderImage()
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    Render(painter, image.rect());
    return image;
}

void CGraphWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    Render(painter, rect());
}

void CGraphWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    CreateFonts();
}

void CGraphWnd::UpdateCursorShape()
{
    if (m_dragging)
        setCursor(Qt::CrossCursor);
    else if (m_zoomMode)
        setCursor(ZoomCursor());
    else
        unsetCursor();
}

void CGraphWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (m_zoomMode) {
        m_dragging = true;
        m_dragStart = m_dragCurrent = event->position().toPoint();
        m_band->setGeometry(QRect(m_dragStart, QSize()));
        m_band->show(); // the press grabs the mouse until the release
        UpdateCursorShape();
    }
}

void CGraphWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    m_dragCurrent = event->position().toPoint();
    m_band->setGeometry(QRect(QPoint(std::min(m_dragStart.x(), m_dragCurrent.x()), std::min(m_dragStart.y(), m_dragCurrent.y())),
                              QPoint(std::max(m_dragStart.x(), m_dragCurrent.x()), std::max(m_dragStart.y(), m_dragCurrent.y()))));
}

void CGraphWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint pt = event->position().toPoint();
    if (!m_zoomMode) {
        if (m_timeCursor && m_plot.Contains(pt.x(), pt.y())) {
            const float perMille = float(m_x0) + float(m_x1 - m_x0) * float(pt.x() - m_plot.left) /
                                                     float(std::max(1, m_plot.right - m_plot.left));
            OnCursorMoved(perMille);
            update();
            if (parentWidget())
                platform::SendMessageTo(parentWidget(), platform::WM_GRAPH_CHANGED, 0, 0);
        } else if (m_columnSelection && pt.x() >= 1 && m_plot.top < pt.y() && pt.y() < m_plot.bottom) {
            for (std::size_t i = 0; i < m_columnEdges.size() && i < m_columnValues.size(); ++i)
                if (int(m_columnEdges[i]) > pt.x()) {
                    m_selectedColumn = m_columnValues[i];
                    update();
                    break;
                }
        }
    }
    if (!m_dragging)
        return;
    m_dragging = false;
    m_band->hide();
    UpdateCursorShape();
    m_dragCurrent = pt;
    const int left = std::min(m_dragStart.x(), m_dragCurrent.x());
    const int top = std::min(m_dragStart.y(), m_dragCurrent.y());
    const int w = std::abs(m_dragCurrent.x() - m_dragStart.x());
    const int h = std::abs(m_dragCurrent.y() - m_dragStart.y());
    if (w < 5 && h < 5) {
        if (m_zoomMode)
            ZoomAtPoint(40, pt.x(), pt.y());
        return;
    }
    ZoomToRect(QRect(left, top, w, h));
}

void CGraphWnd::ZoomToRect(const QRect& r)
{
    const int plotWidth = std::max(1, m_plot.Width());
    const int plotHeight = std::max(1, m_plot.Height());
    const int rectLeft = r.left();
    const int rectBottom = r.top() + r.height();
    {
        const int old = m_y1 - m_y0;
        int height = r.height() * old / plotHeight;
        if (height >= kFull) {
            m_y0 = 0;
            m_y1 = kFull;
        } else {
            height = std::max(height, kMinWidth);
            m_y0 = ClampStart(m_y1 - old * (rectBottom - m_plot.top) / plotHeight, height);
            m_y1 = m_y0 + height;
        }
    }
    if (m_timeCursor) {
        const int old = m_x1 - m_x0;
        int width = r.width() * old / plotWidth;
        if (width >= kFull) {
            m_x0 = 0;
            m_x1 = kFull;
        } else {
            width = std::max(width, kMinWidth);
            m_x0 = ClampStart(m_x0 + old * (rectLeft - m_plot.left) / plotWidth, width);
            m_x1 = m_x0 + width;
        }
    }
    Changed();
}

QMenu* CGraphWnd::CreateGraphMenu(QWidget* parent, bool timeCursor)
{
    auto* menu = new QMenu(QStringLiteral("Graf"), parent);
    auto add = [](QMenu* m, int id, const QString& text) { return ui::WithCommandId(m->addAction(text), id); };
    QMenu* vertical = menu->addMenu(QStringLiteral("Změnit vertikální lupu"));
    for (int i = 0; i < 6; ++i)
        add(vertical, kCmdVertZoom100 + i, QStringLiteral("%1%").arg(kZoomPercents[i]));
    if (timeCursor) {
        QMenu* time = menu->addMenu(QStringLiteral("Časová lupa"));
        for (int i = 0; i < 6; ++i)
            add(time, kTimeZoomCommands[i], QStringLiteral("%1%").arg(kZoomPercents[i]));
    }
    add(menu, kCmdZoomOff, QStringLiteral("Vypnout lupy"));
    // The step zooms and the zoom selection belong to the Graf menu and the
    // graph tool bar of the view, not to this menu.
    menu->addSeparator();
    add(menu, kCmdReceivedQuantities, QStringLiteral("Přijímané veličiny ..."));
    add(menu, kCmdShownQuantities, QStringLiteral("Zobrazené veličiny ..."));
    add(menu, kCmdGrid, QStringLiteral("Rastr"));
    return menu;
}

void CGraphWnd::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_zoomMode) {
        ZoomAtPoint(300, event->pos().x(), event->pos().y());
        return;
    }
    QMenu* menu = CreateGraphMenu(this, m_timeCursor);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        const int id = action->data().toInt();
        if (id == kCmdGrid) {
            action->setCheckable(true);
            action->setChecked(m_grid);
        }
    }
    PrepareContextMenu(*menu);
    emit ContextMenuPreparing(menu);
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        if (action->data().isValid())
            emit ContextCommand(action->data().toInt());
    });
    menu->popup(event->globalPos());
}

void CGraphWnd::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::AltModifier) {
        bool horizontal = true;
        int delta = 0;
        const int width = m_x1 - m_x0;
        const int height = m_y1 - m_y0;
        switch (event->key()) {
        case Qt::Key_Left: delta = -width / 10; break;
        case Qt::Key_Right: delta = width / 10; break;
        case Qt::Key_Home: delta = -width / 2; break;
        case Qt::Key_End: delta = width / 2; break;
        case Qt::Key_Up: horizontal = false; delta = -height / 10; break;
        case Qt::Key_Down: horizontal = false; delta = height / 10; break;
        case Qt::Key_PageUp: horizontal = false; delta = -height / 2; break;
        case Qt::Key_PageDown: horizontal = false; delta = height / 2; break;
        default: QWidget::keyPressEvent(event); return;
        }
        QScrollBar* bar = horizontal ? m_horzBar : m_vertBar;
        if (bar->isHidden()) {
            QWidget::keyPressEvent(event);
            return;
        }
        ScrollTo(horizontal, (horizontal ? m_x0 : kFull - m_y1) + delta);
        return;
    }
    if (!m_timeCursor) {
        QWidget::keyPressEvent(event);
        return;
    }
    std::intptr_t records = 0;
    std::intptr_t pages = 0;
    switch (event->key()) {
    case Qt::Key_PageUp: pages = 1; break;
    case Qt::Key_PageDown: pages = -1; break;
    case Qt::Key_End: pages = 1; break;
    case Qt::Key_Home: pages = -1; break;
    case Qt::Key_Left: records = -std::max(1, event->count()); break;
    case Qt::Key_Right: records = std::max(1, event->count()); break;
    default: QWidget::keyPressEvent(event); return;
    }
    if (parentWidget())
        platform::PostMessageTo(parentWidget(), platform::WM_GRAPH_SCROLL_KEY, std::uintptr_t(records), pages);
    event->accept();
}
