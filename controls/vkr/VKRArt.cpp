// The VKR panel meter's front and its sprite sheet: lit digits in a row at
// the top, the letters and blank below, the lit point, an empty row for
// blinking, lit LEDs and pressed keys at their own places.
#include "controls/common/PanelArt.h"
#include "controls/vkr/VKRDialogCtrl.h"

namespace controls {

namespace {

using namespace art;
using Ctrl = CVKRDialogCtrl;

const QColor kFace(0x26, 0x2b, 0x31);
const QColor kInk(0xee, 0xf0, 0xf2);
const QColor kLed(0x40, 0xff, 0x60);
const QColor kPrefixLed(0xff, 0x40, 0x30);

unsigned segmentsOf(int code)
{
    if (code <= 9)
        return digitSegments(code);
    switch (code) {
    case vkr::CodeA: return SegA | SegB | SegC | SegE | SegF | SegG;
    case vkr::CodeC: return SegD | SegE | SegG;
    case vkr::CodeMinus: return SegG;
    default: return 0;
    }
}

void drawKeys(QPainter& p, bool pressed)
{
    for (int k = 0; k < 2; ++k) {
        if (pressed)
            p.fillRect(qrect(Ctrl::keyRect(k)), kFace);
        drawKey(p, qrect(Ctrl::keyRect(k)), pressed, k == 0 ? KeySymbol::Up : KeySymbol::Down);
    }
}

QImage makePanel()
{
    const DisplayColours dc;
    QImage img = newImage(512, 512);
    QPainter p(&img);
    drawPlate(p, img.rect(), kFace);
    drawLegend(p, QRect(24, 20, 200, 40), QStringLiteral("VKR"), kInk, 28, Qt::AlignLeft | Qt::AlignVCenter, true);
    drawLegend(p, QRect(250, 20, 236, 40), QStringLiteral("panel meter"), kInk, 13, Qt::AlignRight | Qt::AlignVCenter);
    drawWindow(p, QRect(136, 86, 216, 282), dc.window);
    for (int row = 0; row < 3; ++row) {
        for (int pos = 0; pos < 3; ++pos)
            drawSegments(p, qrect(Ctrl::digitRect(row, pos)), 0, dc);
    }
    static const char* const names[Ctrl::LedCount] = {"V LL", "V LN", "A", "W", "var", "PF/cos", "THD", "Hz/°C", "k", "M"};
    for (int led = 0; led < Ctrl::LedCount; ++led) {
        const QRect r = qrect(Ctrl::ledRect(led));
        drawLed(p, r, led >= Ctrl::LedKilo ? kPrefixLed : kLed, false, kFace);
        drawLegend(p, QRect(r.right() + 5, r.top(), 72, r.height()), QString::fromUtf8(names[led]), kInk, 12,
                   Qt::AlignLeft | Qt::AlignVCenter, true);
    }
    drawKeys(p, false);
    return img;
}

QImage makeSprite()
{
    const DisplayColours dc;
    QImage img = newImage(512, 512);
    QPainter p(&img);
    p.fillRect(img.rect(), kFace);
    for (int code = 0; code <= vkr::CodeBlank; ++code)
        drawSegments(p, qrect(Ctrl::digitSprite(code)), segmentsOf(code), dc);
    drawDot(p, qrect(Ctrl::pointLitSprite()), dc.lit, dc.window);
    // A row of three dark digits, drawn 1.5 times narrower than shown.
    const QRect empty = qrect(Ctrl::emptyRowSprite());
    p.fillRect(empty, dc.window);
    for (int pos = 0; pos < 3; ++pos)
        drawSegments(p, QRectF(empty.left() + 66 * pos, empty.top(), 64, 67), 0, dc);
    for (int led = 0; led < Ctrl::LedCount; ++led)
        drawLed(p, qrect(Ctrl::ledRect(led)), led >= Ctrl::LedKilo ? kPrefixLed : kLed, true, kFace);
    drawKeys(p, true);
    return img;
}

} // namespace

const QImage& vkrPanelBitmap()
{
    static const QImage img = makePanel();
    return img;
}

const QImage& vkrSpriteBitmap()
{
    static const QImage img = makeSprite();
    return img;
}

} // namespace controls
