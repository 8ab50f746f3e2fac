#include "tests/controls/PanelProbe.h"

#include <QPainter>

#include <cstdlib>

namespace probe {

double difference(controls::CPanelControl& c, const QImage& src, const controls::PanelRect& srcRect,
                  const controls::PanelRect& dst, int base)
{
    const QImage& canvas = c.image();
    QImage expected = canvas.copy();
    const QRect target = c.mapRect(dst, base);
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, src, QRect(srcRect.left, srcRect.top, srcRect.width(), srcRect.height()));
    }
    // The middle of the piece: edges may be shared with neighbours.
    const QRect inner = target.adjusted(target.width() / 5, target.height() / 5, -target.width() / 5,
                                        -target.height() / 5)
                            .intersected(canvas.rect());
    if (inner.isEmpty())
        return 255;
    double sum = 0;
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        for (int x = inner.left(); x <= inner.right(); ++x) {
            const QRgb a = canvas.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    }
    return sum / (3.0 * inner.width() * inner.height());
}

bool shows(controls::CPanelControl& c, const QImage& src, const controls::PanelRect& srcRect,
           const controls::PanelRect& dst, int base)
{
    return difference(c, src, srcRect, dst, base) < 4.0;
}

bool sameAsSprite(controls::CPanelControl& c, const controls::PanelRect& src, const controls::PanelRect& dst, int base)
{
    return shows(c, c.sprite(), src, dst, base);
}

double changedShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1.0;
    long changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 ||
                std::abs(qBlue(p) - qBlue(q)) > 40)
                ++changed;
        }
    }
    return static_cast<double>(changed) / (static_cast<double>(a.width()) * a.height());
}

} // namespace probe
