// The controller panels' bitmaps: a light Qorin plate and a dark Duskar
// plate, each with its sprite sheet of lit glyphs, the lit LED, the lit point,
// pressed keys and the overlays the model types use.
#include "controls/common/ControllerPanel.h"
#include "controls/common/PanelArt.h"

namespace controls {

namespace {

using Ctrl = CControllerPanelCtrl;
using Model = Ctrl::Model;
using namespace art;

unsigned glyphSegments(int code)
{
    if (code >= 0 && code <= 9)
        return digitSegments(code);
    switch (code) {
    case 10: return SegA | SegB | SegC | SegE | SegF | SegG;  // A
    case 11: return SegB | SegC | SegE | SegF | SegG;         // H
    case 12: return SegA | SegB | SegC | SegD | SegE | SegF;  // O
    case 13: return SegB | SegC | SegD | SegE;                // J
    case 14: return SegA | SegE | SegF | SegG;                // F
    case 15: return SegA | SegG;                              // two bars
    case 16: return SegA | SegD | SegE | SegF;                // C
    case 17: return SegG;                                     // minus
    case 19: return SegD | SegE | SegF;                       // L
    case 20: return SegE | SegG;                              // r
    case 21: return SegB | SegC | SegD | SegE | SegF;         // U
    case 22: return SegA | SegB | SegE | SegF | SegG;         // P
    case 23: return SegD | SegE | SegF | SegG;                // t
    case 24: return SegB | SegC | SegD | SegE | SegG;         // d
    case 25: return SegA | SegB | SegC | SegE | SegF;         // N
    case 26: return SegA | SegD | SegE | SegF | SegG;         // E
    case 27: return SegC | SegE | SegG;                       // n
    case 28: return SegA | SegB | SegF | SegG;                // degree
    default: return 0;                                        // blank
    }
}

struct Style {
    QColor face;
    QColor ink;
    QColor led;
    QString brand;
    QStringList leftLegends; // LEDs from 19 on
    QString thirdMeasure;
    int size;
};

Style styleOf(Model m)
{
    if (m == Model::Qorin) {
        return {QColor(0xd4, 0xd7, 0xdb), QColor(0x1e, 0x22, 0x28), QColor(0xff, 0x32, 0x1e), QStringLiteral("Qorin"),
                {QStringLiteral("PARAM"), QStringLiteral("MAN"), QStringLiteral("EXPORT"), QStringLiteral("ALARM"),
                 QStringLiteral("EDIT")},
                QStringLiteral("THD"), 512};
    }
    return {QColor(0x2c, 0x3c, 0x50), QColor(0xee, 0xf2, 0xf6), QColor(0x3c, 0xff, 0x5a), QStringLiteral("DUSKAR"),
            {QStringLiteral("MAN"), QStringLiteral("EXPORT"), QStringLiteral("ALARM")}, QStringLiteral("V"), 510};
}

// Stage numbers next to the stage LEDs, in LED order.
void drawStageLegends(QPainter& p, Model m, QColor ink, const QString& prefix)
{
    for (int i = 0; i <= 13; ++i) {
        const QRect led = qrect(Ctrl::ledRect(m, i));
        QRect r;
        if (i <= 5)
            r = QRect(led.left(), led.top() - 14, led.width(), 13);
        else if (i >= 7 && i <= 12)
            r = QRect(led.left(), led.bottom() + 2, led.width(), 13);
        else if (i == 6)
            r = QRect(led.left() - 30, led.top(), 28, led.height());
        else
            r = QRect(led.right() + 2, led.top(), 30, led.height());
        drawLegend(p, r, prefix + QString::number(i + 1), ink, 11, Qt::AlignCenter, true);
    }
}

QImage drawPanel(Model m, bool sprite)
{
    const Style s = styleOf(m);
    QImage img = newImage(s.size, s.size);
    QPainter p(&img);
    const DisplayColours dc;
    if (!sprite) {
        drawPlate(p, QRect(0, 0, s.size, s.size), s.face);
        drawLegend(p, QRect(20, 14, 300, 40), s.brand, s.ink, 30, Qt::AlignLeft | Qt::AlignVCenter, true);
        drawLegend(p, QRect(20, 470, 280, 24), QStringLiteral("power factor controller"), s.ink, 13,
                   Qt::AlignLeft | Qt::AlignVCenter);
        drawWindow(p, QRect(139, 76, 236, 90), dc.window);
        for (int k = 0; k < 4; ++k)
            drawSegments(p, qrect(CControllerPanelCtrl::charRect(k)), 0, dc);
        const QList<int> points = m == Model::Qorin ? QList<int>{245} : QList<int>{192, 245, 298, 351};
        for (int x : points)
            drawDot(p, QRectF(x, CControllerPanelCtrl::PointY, 13, 13), dc.unlit, dc.window);
        for (int i = 0; i < Ctrl::ledCount(m); ++i)
            drawLed(p, qrect(Ctrl::ledRect(m, i)), s.led, false, s.face);
        const QStringList measures{QStringLiteral("cos φ"), QStringLiteral("A"), s.thirdMeasure};
        for (int i = 0; i < 3; ++i) {
            const QRect led = qrect(Ctrl::ledRect(m, 14 + i));
            drawLegend(p, QRect(led.right() + 4, led.top(), 60, led.height()), measures[i], s.ink, 15,
                       Qt::AlignLeft | Qt::AlignVCenter, true);
        }
        drawLegend(p, qrect(Ctrl::ledRect(m, 17)).translated(0, 36).adjusted(-6, 0, 40, -16), QStringLiteral("IND."), s.ink, 12,
                   Qt::AlignLeft | Qt::AlignTop, true);
        drawLegend(p, qrect(Ctrl::ledRect(m, 18)).translated(40, 0).adjusted(0, 0, 40, 0), QStringLiteral("CAP."), s.ink, 12,
                   Qt::AlignLeft | Qt::AlignVCenter, true);
        for (int i = 0; i < s.leftLegends.size(); ++i) {
            const QRect led = qrect(Ctrl::ledRect(m, 19 + i));
            drawLegend(p, QRect(led.right() + 5, led.top(), 80, led.height()), s.leftLegends[i], s.ink, 12,
                       Qt::AlignLeft | Qt::AlignVCenter, true);
        }
        drawStageLegends(p, m, s.ink, {});
        for (int k = 0; k < 4; ++k) {
            const QRect key = qrect(Ctrl::keyRect(m, k));
            drawKey(p, key, false, k == 1 ? KeySymbol::Up : k == 2 ? KeySymbol::Down : KeySymbol::Text,
                    k == 0 ? QStringLiteral("P") : QStringLiteral("M"));
        }
        return img;
    }
    p.fillRect(img.rect(), s.face);
    for (int code = 0; code <= (m == Model::Qorin ? 22 : 28); ++code)
        drawSegments(p, qrect(Ctrl::glyphRect(m, code)), glyphSegments(code), dc);
    drawDot(p, QRectF(288, 132, 13, 13), dc.lit, dc.window);
    drawDot(p, QRectF(301, 132, 13, 13), dc.unlit, dc.window);
    drawLed(p, m == Model::Qorin ? QRect(10, 198, 34, 35) : QRect(10, 234, 34, 35), s.led, true, s.face);
    for (int k = 0; k < 4; ++k) {
        const QRect key = qrect(Ctrl::keyRect(m, k));
        p.fillRect(key, s.face);
        drawKey(p, key, true, k == 1 ? KeySymbol::Up : k == 2 ? KeySymbol::Down : KeySymbol::Text,
                k == 0 ? QStringLiteral("P") : QStringLiteral("M"));
    }
    if (m == Model::Qorin) {
        // The stage LEDs with the second set of labels, for the other models.
        p.fillRect(QRect(309, 205, 201, 152), s.face);
        for (int i = 0; i <= 13; ++i)
            drawLed(p, qrect(Ctrl::ledRect(m, i)), s.led, false, s.face);
        drawStageLegends(p, m, QColor(0x10, 0x40, 0x90), QStringLiteral("C"));
    }
    return img;
}

} // namespace

const QImage& controllerPanelBitmap(Model model)
{
    static const QImage qorin = drawPanel(Model::Qorin, false);
    static const QImage duskar = drawPanel(Model::Duskar, false);
    return model == Model::Qorin ? qorin : duskar;
}

const QImage& controllerSpriteBitmap(Model model)
{
    static const QImage qorin = drawPanel(Model::Qorin, true);
    static const QImage duskar = drawPanel(Model::Duskar, true);
    return model == Model::Qorin ? qorin : duskar;
}

} // namespace controls
