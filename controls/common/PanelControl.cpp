#include "controls/common/PanelControl.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <cmath>

namespace controls {

namespace {
bool g_realTimers = true;
}

CPanelControl::CPanelControl(QWidget* parent, Scaling scaling)
    : QWidget(parent)
    , m_scaling(scaling)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPanelControl::~CPanelControl()
{
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it->qtId != 0)
            killTimer(it->qtId);
    }
}

QVariant CPanelControl::Invoke(int dispid, const QVariantList& args)
{
    switch (dispid) {
    case DispidRefresh:
        if (!args.isEmpty())
            return {};
        invalidateAll();
        return true;
    case DispidEnabled:
        return property(args, [&] { return isEnabled(); }, [&](const QVariant& v) {
            setEnabled(v.toBool());
            setModified();
        });
    default:
        return {};
    }
}

void CPanelControl::setBitmaps(QImage panel, QImage sprite)
{
    m_panel = std::move(panel);
    m_sprite = std::move(sprite);
    invalidateAll();
}

int CPanelControl::mapCoord(int v, int extent, int size) const
{
    if (size <= 0)
        return 0;
    if (m_scaling == Scaling::Round)
        return static_cast<int>(std::lround(static_cast<double>(extent) * v / size));
    return static_cast<int>(static_cast<long long>(extent) * v / size);
}

int CPanelControl::mapX(int x, int base) const
{
    return mapCoord(x, width(), base > 0 ? base : (m_scaleBase > 0 ? m_scaleBase : m_panel.width()));
}

int CPanelControl::mapY(int y, int base) const
{
    return mapCoord(y, height(), base > 0 ? base : (m_scaleBase > 0 ? m_scaleBase : m_panel.height()));
}

QRect CPanelControl::mapRect(const PanelRect& r, int base) const
{
    const int l = mapX(r.left, base);
    const int t = mapY(r.top, base);
    return QRect(l, t, mapX(r.right, base) - l, mapY(r.bottom, base) - t);
}

const QImage& CPanelControl::image()
{
    ensureCanvas();
    return m_canvas;
}

void CPanelControl::setRealTimers(bool on)
{
    g_realTimers = on;
}

int CPanelControl::timerPeriod(int id) const
{
    const auto it = m_timers.constFind(id);
    return it == m_timers.cend() ? 0 : it->period;
}

void CPanelControl::copyPiece(const QImage& image, const PanelRect& src, const PanelRect& dst, int base)
{
    if (image.isNull())
        return; // a control without its bitmaps stays undrawn
    ensureCanvas();
    QPainter p(&m_canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(mapRect(dst, base), image, QRect(src.left, src.top, src.width(), src.height()));
    p.end();
    update();
}

void CPanelControl::stretchPanel()
{
    if (m_panel.isNull())
        return;
    paintOnCanvas([&](QPainter& p) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(0, 0, width(), height()), m_panel);
    });
}

void CPanelControl::drawBorder()
{
    paintOnCanvas([&](QPainter& p) {
        const int cx = width();
        const int cy = height();
        const QColor topLeft(0x20, 0x20, 0x20);
        const QColor bottomRight(0xE0, 0xE0, 0xE0);
        p.fillRect(0, 0, cx - 1, 1, topLeft);
        p.fillRect(0, 0, 1, cy - 1, topLeft);
        p.fillRect(cx - 1, 0, 1, cy, bottomRight);
        p.fillRect(0, cy - 1, cx, 1, bottomRight);
    });
}

void CPanelControl::invalidateAll()
{
    m_canvasValid = false;
    update();
}

void CPanelControl::ensureCanvas()
{
    if (m_canvasValid && m_canvas.size() == size())
        return;
    m_canvas = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_canvas.fill(Qt::black);
    m_canvasValid = true;
    fullPaint();
}

int CPanelControl::hitKey(const QPoint& widgetPoint, std::span<const PanelRect> keys, int base) const
{
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (mapRect(keys[i], base).contains(widgetPoint))
            return static_cast<int>(i);
    }
    return -1;
}

int CPanelControl::pressAnalyserKey(const QMouseEvent* event, std::span<const PanelRect> keys, int base)
{
    const int key = event->button() == Qt::LeftButton ? hitKey(event->position().toPoint(), keys, base) : -1;
    if (key < 0) {
        fireStockMouse(DispidMouseDown, event);
        return -1;
    }
    m_analyserKey = key;
    copyPiece(m_sprite, keys[static_cast<std::size_t>(key)], keys[static_cast<std::size_t>(key)], base);
    return key;
}

int CPanelControl::releaseAnalyserKey(const QMouseEvent* event, std::span<const PanelRect> keys, int base)
{
    const int key = m_analyserKey;
    if (event->button() != Qt::LeftButton || key < 0 || key >= static_cast<int>(keys.size())) {
        fireStockMouse(DispidMouseUp, event);
        return -1;
    }
    m_analyserKey = -1;
    copyFromPanel(keys[static_cast<std::size_t>(key)], base);
    return key;
}

void CPanelControl::fireEvent(int dispid, const QVariantList& args)
{
    emit controlEvent(dispid, args);
}

void CPanelControl::fireStockMouse(int dispid, const QMouseEvent* event)
{
    short button = 0;
    const Qt::MouseButtons buttons = event->button() != Qt::NoButton ? Qt::MouseButtons(event->button())
                                                                     : event->buttons();
    if (buttons & Qt::LeftButton)
        button |= 1;
    if (buttons & Qt::RightButton)
        button |= 2;
    if (buttons & Qt::MiddleButton)
        button |= 4;
    short shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= 1;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= 2;
    if (event->modifiers() & Qt::AltModifier)
        shift |= 4;
    const QPoint pos = event->position().toPoint();
    emit controlEvent(dispid, {button, shift, pos.x(), pos.y()});
    if (dispid == DispidMouseDown)
        emit MouseDown(button, shift, pos.x(), pos.y());
    else if (dispid == DispidMouseUp)
        emit MouseUp(button, shift, pos.x(), pos.y());
    else if (dispid == DispidMouseMove)
        emit MouseMove(button, shift, pos.x(), pos.y());
}

void CPanelControl::startPanelTimer(int id, int periodMs)
{
    killPanelTimer(id);
    Timer t;
    t.period = periodMs;
    if (g_realTimers)
        t.qtId = startTimer(periodMs);
    m_timers.insert(id, t);
}

void CPanelControl::killPanelTimer(int id)
{
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    if (it->qtId != 0)
        killTimer(it->qtId);
    m_timers.erase(it);
}

void CPanelControl::onTimer(int) {}

void CPanelControl::paintEvent(QPaintEvent* event)
{
    ensureCanvas();
    QPainter p(this);
    p.drawImage(event->rect(), m_canvas, event->rect());
}

void CPanelControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_canvasValid = false;
}

void CPanelControl::timerEvent(QTimerEvent* event)
{
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it->qtId == event->timerId()) {
            onTimer(it.key());
            return;
        }
    }
    QWidget::timerEvent(event);
}

} // namespace controls
