// The VK panels: a seven-segment front with three windows, a label strip and
// two relay LEDs, and a graphic-display front; each with its sprite sheet.
#include "controls/common/PanelArt.h"
#include "controls/vk/VKDialogCtrl.h"

#include <QFontMetrics>

namespace controls {

namespace {

using namespace art;

const QColor kFace(0x33, 0x38, 0x3f);
const QColor kInk(0xee, 0xf0, 0xf2);
const QColor kStrip(0xe4, 0xe7, 0xea);
const QColor kStripInk(0x1a, 0x1e, 0x24);
const QColor kRelay(0xff, 0xb0, 0x20);

const char* const kKeyTexts[4] = {"SET", "", "", "LIST"};
const KeySymbol kKeySymbols[4] = {KeySymbol::Text, KeySymbol::Up, KeySymbol::Down, KeySymbol::Text};
const KeySymbol kGraphicSymbols[4] = {KeySymbol::Text, KeySymbol::Up, KeySymbol::Down, KeySymbol::Text};

QFont labelFont(int px)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(true);
    return f;
}

// Places texts one after another on the sheet, each 35 units high.
class Packer {
public:
    Packer(QPainter& p, int left, int top, int right)
        : m_p(p), m_left(left), m_right(right), m_x(left), m_y(top)
    {
    }
    PanelRect place(const QString& text, int px)
    {
        const int w = QFontMetrics(labelFont(px)).horizontalAdvance(text) + 6;
        if (m_x + w > m_right) {
            m_x = m_left;
            m_y += 38;
        }
        const PanelRect r = PanelRect::sized(m_x, m_y, w, 35);
        m_p.fillRect(qrect(r), kStrip);
        m_p.setFont(labelFont(px));
        m_p.setPen(kStripInk);
        m_p.drawText(qrect(r), Qt::AlignCenter, text);
        m_x += w + 2;
        return r;
    }

private:
    QPainter& m_p;
    int m_left;
    int m_right;
    int m_x;
    int m_y;
};

void drawSevenSegmentPanel(VKArt& art)
{
    const DisplayColours dc;
    art.panel7 = newImage(512, 512);
    art.sprite7 = newImage(512, 512);
    {
        QPainter p(&art.panel7);
        drawPlate(p, QRect(0, 0, 512, 512), kFace);
        drawLegend(p, QRect(24, 14, 200, 36), QStringLiteral("VK"), kInk, 28, Qt::AlignLeft | Qt::AlignVCenter, true);
        drawLegend(p, QRect(310, 14, 180, 36), QStringLiteral("network analyser"), kInk, 13,
                   Qt::AlignRight | Qt::AlignVCenter);
        drawWindow(p, QRect(36, 58, 236, 328), dc.window);
        for (int w = 0; w < 3; ++w) {
            drawLegend(p, QRect(6, 68 + 116 * w, 26, 75), QStringLiteral("L%1").arg(w + 1), kInk, 13, Qt::AlignCenter,
                       true);
            for (int pos = 0; pos < 4; ++pos)
                drawSegments(p, qrect(CVKDialogCtrl::digitRect(w, pos)), 0, dc);
            for (int g = 1; g <= 4; ++g)
                drawDot(p, qrect(CVKDialogCtrl::pointRect(w, g)), dc.unlit, dc.window);
        }
        p.fillRect(QRect(306, 73, 182, 59), QColor(0x14, 0x14, 0x14));
        p.fillRect(QRect(310, 77, 174, 51), kStrip);
        for (int r = 0; r < 2; ++r) {
            drawLed(p, qrect(CVKDialogCtrl::relayRect(r)), kRelay, false, kFace);
            drawLegend(p, QRect(380, 154 + 42 * r, 46, 42), QStringLiteral("REL%1").arg(r + 1), kInk, 12,
                       Qt::AlignRight | Qt::AlignVCenter, true);
        }
    }
    QPainter p(&art.sprite7);
    p.fillRect(art.sprite7.rect(), kFace);
    for (int code = 0; code <= 13; ++code) {
        unsigned segs = code <= 9 ? digitSegments(code) : 0;
        if (code == 10)
            segs = SegD | SegE | SegF;
        else if (code == 11)
            segs = SegA | SegD | SegE | SegF;
        else if (code == 12)
            segs = SegG;
        drawSegments(p, qrect(CVKDialogCtrl::digitSprite(code)), segs, dc);
    }
    drawDot(p, QRectF(288, 132, 13, 13), dc.lit, dc.window);
    drawDot(p, QRectF(301, 132, 13, 13), dc.unlit, dc.window);
    for (int r = 0; r < 2; ++r)
        drawLed(p, qrect(CVKDialogCtrl::relayRect(r)), kRelay, true, kFace);
    // Labels name the quantity and open a bracket the unit closes.
    static const char* const labels[12] = {"U L-N [", "I [",       "PF [ ]",     "U L-L [",
                                           "cos φ [ ]", "3PF  f  T", "P [",        "Q [",
                                           "S [",     "3P 3Q 3S [", "THDU [%]", "THDI [%]"};
    static const char* const units[6][3] = {{"V]", "kV]", "kV]"},   {"A]", "kA]", "kA]"},
                                            {"W]", "kW]", "MW]"},   {"var]", "kvar]", "Mvar]"},
                                            {"VA]", "kVA]", "MVA]"}, {"]", "k]", "M]"}};
    Packer packer(p, 0, 170, 420);
    for (int s = 0; s < 12; ++s)
        art.labels[s] = packer.place(QString::fromUtf8(labels[s]), 19);
    for (int k = 0; k < 6; ++k) {
        for (int pre = 0; pre < 3; ++pre)
            art.units[k][pre] = packer.place(QLatin1String(units[k][pre]), 19);
    }
}

void drawKeys(QImage& img, bool pressed, bool graphicPanel)
{
    QPainter p(&img);
    for (int k = 0; k < 4; ++k) {
        const PanelRect r = CVKDialogCtrl::keyRectOf(graphicPanel, k);
        if (pressed)
            p.fillRect(qrect(r), graphicPanel ? QColor(0xd8, 0xdb, 0xde) : kFace);
        drawKey(p, qrect(r), pressed, graphicPanel ? kGraphicSymbols[k] : kKeySymbols[k],
                QLatin1String(kKeyTexts[k]));
    }
}

void drawGraphicPanel(VKArt& art)
{
    const QColor face(0xd8, 0xdb, 0xde);
    const QColor ink(0x20, 0x24, 0x2a);
    art.panelGraphic = newImage(601, 601);
    art.spriteGraphic = newImage(601, 601);
    {
        QPainter p(&art.panelGraphic);
        drawPlate(p, QRect(0, 0, 601, 601), face);
        drawLegend(p, QRect(111, 40, 200, 40), QStringLiteral("VK"), ink, 30, Qt::AlignLeft | Qt::AlignVCenter, true);
        drawLegend(p, QRect(294, 40, 200, 40), QStringLiteral("network analyser"), ink, 15,
                   Qt::AlignRight | Qt::AlignVCenter);
        p.fillRect(QRect(101, 88, 403, 254), QColor(0x2a, 0x2e, 0x33));
        p.fillRect(QRect(111, 98, 383, 234), QColor(0x8f, 0xa8, 0x98));
    }
    QPainter p(&art.spriteGraphic);
    p.fillRect(art.spriteGraphic.rect(), face);
}

VKArt makeArt()
{
    VKArt art;
    drawSevenSegmentPanel(art);
    drawGraphicPanel(art);
    drawKeys(art.panel7, false, false);
    drawKeys(art.sprite7, true, false);
    drawKeys(art.panelGraphic, false, true);
    drawKeys(art.spriteGraphic, true, true);
    return art;
}

} // namespace

const VKArt& vkArt()
{
    static const VKArt art = makeArt();
    return art;
}

} // namespace controls
