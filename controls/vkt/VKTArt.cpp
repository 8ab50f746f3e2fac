// The VKT front: bitmap 201 with every element off and bitmap 202, the same
// front with every LED lit, every key pressed and the lit glyphs laid out in
// the upper display, from where the digit cells take them.
#include "controls/common/PanelArt.h"
#include "controls/vkt/VKTDialogCtrl.h"

namespace controls {

namespace {

using namespace art;
using Ctrl = CVKTDialogCtrl;

const QColor kFace(0x2a, 0x31, 0x3b);
const QColor kInk(0xee, 0xf1, 0xf4);
const QColor kScreenLed(0xff, 0xc4, 0x28);
const QColor kControlLed(0xff, 0x3c, 0x2c);

unsigned glyphSegments(int code)
{
    if (code <= 9)
        return digitSegments(code);
    if (code == vkt::GlyphMinus)
        return SegG;
    if (code == vkt::GlyphC)
        return SegD | SegE | SegG;
    return 0;
}

QImage makeBitmap(bool lit)
{
    const DisplayColours dc;
    QImage img = newImage(546, 547);
    QPainter p(&img);
    drawPlate(p, img.rect(), kFace);
    drawLegend(p, QRect(20, 14, 200, 40), QStringLiteral("VKT"), kInk, 28, Qt::AlignLeft | Qt::AlignVCenter, true);
    drawLegend(p, QRect(300, 14, 232, 40), QStringLiteral("network analyser"), kInk, 13,
               Qt::AlignRight | Qt::AlignVCenter);
    // The upper display and the lower window.
    drawWindow(p, QRect(96, 68, 252, 240), dc.window);
    drawWindow(p, QRect(112, 346, 232, 79), dc.window);
    if (lit) {
        for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, int(vkt::GlyphMinus), int(vkt::GlyphC)})
            drawSegments(p, qrect(Ctrl::glyphRect(code)), glyphSegments(code), dc);
        drawDot(p, qrect(Ctrl::glyphRect(vkt::GlyphPoint)), dc.lit, dc.window);
        drawSegments(p, qrect(Ctrl::glyphRect(vkt::GlyphBlank)), 0, dc);
    } else {
        for (int w = 0; w < vkt::Display::Windows; ++w) {
            for (int c = 0; c < 4; ++c)
                drawSegments(p, qrect(Ctrl::cellRect(w, c)), 0, dc);
        }
    }
    static const char* const names[vkt::ScreenLedCount] = {
        "V LL", "V LN", "A", "W", "var", "VA", "PF", "cos", "THD", "harm",
        "En1p", "En3p", "1/4 P", "Hz/°C", "inst.", "avg", "max.", "min.", "time"};
    for (int led = 0; led < vkt::ScreenLedCount; ++led) {
        const QRect r = qrect(Ctrl::screenLedRect(led));
        drawLed(p, r, kScreenLed, lit, kFace);
        const bool right = led >= vkt::LedInst;
        drawLegend(p, right ? QRect(r.left() - 62, r.top(), 58, r.height()) : QRect(r.right() + 5, r.top(), 44, r.height()),
                   QString::fromUtf8(names[led]), kInk, 11, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                   true);
    }
    static const char* const controlNames[Ctrl::ControlLedCount] = {"I/O", "k", "M", "k", "M"};
    for (int led = 0; led < Ctrl::ControlLedCount; ++led) {
        const QRect r = qrect(Ctrl::controlLedRect(led));
        drawLed(p, r, kControlLed, lit, kFace);
        const QRect legend = led == Ctrl::LedIo ? QRect(r.left() - 44, r.top(), 40, r.height())
                                                : QRect(r.right() + 5, r.top(), 24, r.height());
        drawLegend(p, legend, QLatin1String(controlNames[led]), kInk, 12,
                   (led == Ctrl::LedIo ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, true);
    }
    const KeySymbol symbols[4] = {KeySymbol::Down, KeySymbol::Up, KeySymbol::Right, KeySymbol::Left};
    for (int k = 0; k < 4; ++k)
        drawKey(p, qrect(Ctrl::keyRect(k)), lit, symbols[k]);
    return img;
}

} // namespace

const QImage& vktPanelBitmap()
{
    static const QImage img = makeBitmap(false);
    return img;
}

const QImage& vktLitBitmap()
{
    static const QImage img = makeBitmap(true);
    return img;
}

} // namespace controls
