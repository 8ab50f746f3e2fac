#include "platform/ui/Artwork.h"

#include <QPainter>
#include <QPixmap>

namespace ui {

QIcon PrintIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    // The sheet going in, the body, the printed sheet coming out.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.end();
    return QIcon(pixmap);
}

} // namespace ui
