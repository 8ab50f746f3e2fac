#include "controls/common/PanelArt.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>

namespace controls::art {

unsigned digitSegments(int digit)
{
    static constexpr std::array<unsigned, 10> table{
        SegA | SegB | SegC | SegD | SegE | SegF,        // 0
        SegB | SegC,                                    // 1
        SegA | SegB | SegD | SegE | SegG,               // 2
        SegA | SegB | SegC | SegD | SegG,               // 3
        SegB | SegC | SegF | SegG,                      // 4
        SegA | SegC | SegD | SegF | SegG,               // 5
        SegA | SegC | SegD | SegE | SegF | SegG,        // 6
        SegA | SegB | SegC,                             // 7
        SegA | SegB | SegC | SegD | SegE | SegF | SegG, // 8
        SegA | SegB | SegC | SegD | SegF | SegG,        // 9
    };
    return digit >= 0 && digit < 10 ? table[static_cast<std::size_t>(digit)] : 0;
}

QRect qrect(const PanelRect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

QImage newImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0x80, 0x80, 0x80));
    return img;
}

void drawPlate(QPainter& p, const QRect& r, QColor face)
{
    // A flat face, so that pieces copied from the sprite sheet blend in anywhere.
    p.fillRect(r, face);
    p.setPen(QPen(face.darker(150), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(3, 3, -4, -4));
    p.setPen(QPen(face.lighter(130), 1));
    p.drawRect(r.adjusted(5, 5, -6, -6));
}

void drawWindow(QPainter& p, const QRect& r, QColor glass)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r.adjusted(-4, -4, 4, 4), QColor(0x14, 0x14, 0x14));
    p.fillRect(r.adjusted(-2, -2, 2, 2), QColor(0x50, 0x50, 0x50));
    p.fillRect(r, glass);
}

namespace {

// The hexagonal bar of one segment between two points.
QPolygonF bar(QPointF a, QPointF b, double t)
{
    const QPointF d = b - a;
    const double len = std::max(1.0, std::hypot(d.x(), d.y()));
    const QPointF u = d / len;
    const QPointF n(-u.y() * t / 2, u.x() * t / 2);
    const QPointF h = u * (t / 2);
    return QPolygonF({a + h * 0.2, a + h + n, b - h + n, b - h * 0.2, b - h - n, a + h - n});
}

} // namespace

void drawSegments(QPainter& p, const QRectF& cell, unsigned on, const DisplayColours& c)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(cell, c.window);
    const double w = cell.width();
    const double h = cell.height();
    const double t = std::max(2.0, std::min(w * 0.145, h * 0.095));
    // The glyph leaves the right quarter of its bottom row for the point.
    const double left = cell.left() + w * 0.16;
    const double right = cell.left() + w * 0.80;
    const double top = cell.top() + h * 0.08;
    const double bottom = cell.top() + h * 0.86;
    const double mid = (top + bottom) / 2;
    const double slant = w * 0.08;
    auto at = [&](double x, double y) {
        // Italic lean: the top leans right.
        const double k = (bottom - y) / (bottom - top);
        return QPointF(x + slant * k, y);
    };
    const double g = t * 0.15;
    const std::array<QPolygonF, 7> bars{
        bar(at(left + g, top), at(right - g, top), t),       // a
        bar(at(right, top + g), at(right, mid - g), t),      // b
        bar(at(right, mid + g), at(right, bottom - g), t),   // c
        bar(at(left + g, bottom), at(right - g, bottom), t), // d
        bar(at(left, mid + g), at(left, bottom - g), t),     // e
        bar(at(left, top + g), at(left, mid - g), t),        // f
        bar(at(left + g, mid), at(right - g, mid), t),       // g
    };
    p.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const bool lit = (on >> i) & 1U;
        p.setBrush(lit ? c.lit : c.unlit);
        p.drawPolygon(bars[i]);
    }
    p.restore();
}

void drawDot(QPainter& p, const QRectF& r, QColor colour, QColor glass)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(r, glass);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const double d = std::min(r.width(), r.height()) * 0.72;
    p.drawEllipse(QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
    p.restore();
}

void drawLed(QPainter& p, const QRect& r, QColor hue, bool lit, QColor face)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(r, face);
    const QRectF body = QRectF(r).adjusted(r.width() * 0.14, r.height() * 0.14, -r.width() * 0.14,
                                           -r.height() * 0.14);
    if (lit) {
        QRadialGradient halo(QRectF(r).center(), r.width() * 0.55);
        QColor glow = hue;
        glow.setAlpha(150);
        halo.setColorAt(0.5, glow);
        glow.setAlpha(0);
        halo.setColorAt(1, glow);
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(QRectF(r));
    }
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
    QRadialGradient g(body.center() - QPointF(body.width() * 0.18, body.height() * 0.18), body.width() * 0.7);
    if (lit) {
        g.setColorAt(0, hue.lighter(170));
        g.setColorAt(0.45, hue);
        g.setColorAt(1, hue.darker(140));
    } else {
        const QColor dark = hue.darker(420);
        g.setColorAt(0, dark.lighter(160));
        g.setColorAt(1, dark);
    }
    p.setBrush(g);
    p.drawEllipse(body);
    p.restore();
}

void drawKey(QPainter& p, const QRect& r, bool pressed, KeySymbol symbol, const QString& text)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(r).adjusted(1, 1, -1, -1);
    const double radius = std::min(r.width(), r.height()) * 0.18;
    // The bezel the key sits in.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x22, 0x24));
    p.drawRoundedRect(outer, radius, radius);
    const double inset = pressed ? 4.5 : 2.5;
    QRectF cap = outer.adjusted(inset, inset, -inset, -inset);
    if (!pressed)
        cap.translate(-1, -1);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    if (pressed) {
        g.setColorAt(0, QColor(0x3a, 0x3e, 0x44));
        g.setColorAt(1, QColor(0x4e, 0x53, 0x5a));
    } else {
        g.setColorAt(0, QColor(0x8c, 0x93, 0x9c));
        g.setColorAt(1, QColor(0x55, 0x5b, 0x63));
    }
    p.setBrush(g);
    p.setPen(QPen(pressed ? QColor(0x18, 0x18, 0x18) : QColor(0xb0, 0xb6, 0xbe), 1));
    p.drawRoundedRect(cap, radius * 0.8, radius * 0.8);
    const QColor ink = pressed ? QColor(0xc8, 0xc8, 0xc8) : QColor(0xf4, 0xf4, 0xf4);
    const QPointF c = cap.center();
    const double s = std::min(cap.width(), cap.height()) * 0.26;
    QPolygonF tri;
    switch (symbol) {
    case KeySymbol::Up:
        tri << QPointF(c.x(), c.y() - s) << QPointF(c.x() + s, c.y() + s * 0.7) << QPointF(c.x() - s, c.y() + s * 0.7);
        break;
    case KeySymbol::Down:
        tri << QPointF(c.x(), c.y() + s) << QPointF(c.x() + s, c.y() - s * 0.7) << QPointF(c.x() - s, c.y() - s * 0.7);
        break;
    case KeySymbol::Left:
        tri << QPointF(c.x() - s, c.y()) << QPointF(c.x() + s * 0.7, c.y() - s) << QPointF(c.x() + s * 0.7, c.y() + s);
        break;
    case KeySymbol::Right:
        tri << QPointF(c.x() + s, c.y()) << QPointF(c.x() - s * 0.7, c.y() - s) << QPointF(c.x() - s * 0.7, c.y() + s);
        break;
    case KeySymbol::Text:
        break;
    }
    if (!tri.isEmpty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(tri);
    } else {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(std::max(6, static_cast<int>(cap.height() * 0.42)));
        f.setBold(true);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(cap, Qt::AlignCenter, text);
    }
    p.restore();
}

void drawLegend(QPainter& p, const QRect& r, const QString& text, QColor colour, int pixelSize,
                Qt::Alignment align, bool bold)
{
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, align, text);
    p.restore();
}

} // namespace controls::art
