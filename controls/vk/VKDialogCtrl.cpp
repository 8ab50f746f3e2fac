#include "controls/vk/VKDialogCtrl.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <array>

namespace controls {

namespace {

using R = PanelRect;

constexpr std::array<R, 14> kDigitSprites{{
    {66, 3, 113, 77},    {14, 86, 58, 160},  {64, 86, 108, 160},  {123, 85, 167, 159}, {180, 85, 224, 159},
    {252, 4, 296, 78},   {303, 3, 347, 77},  {360, 3, 404, 77},   {411, 3, 455, 77},   {14, 3, 62, 77},
    {176, 3, 220, 77},   {120, 2, 164, 76},  {460, 3, 504, 77},   {312, 85, 356, 159},
}};
constexpr std::array<R, 4> kKeys7{{{313, 403, 360, 450}, {378, 376, 424, 422}, {379, 437, 426, 484}, {445, 402, 492, 449}}};
constexpr std::array<R, 4> kKeysGraphic{{{107, 399, 179, 469}, {426, 399, 482, 469}, {346, 399, 417, 469}, {267, 399, 337, 469}}};
constexpr R kLabelStrip{310, 77, 484, 128};
constexpr R kPointLit = R::sized(288, 132, 13, 13);
constexpr R kPointUnlit = R::sized(301, 132, 13, 13);
constexpr R kGraphicArea = R::sized(111, 98, 383, 234);

const char* const kLineLabels[12][3] = {
    {"U1=", "U2=", "U3="},          {"I1=", "I2=", "I3="},          {"PF1=", "PF2=", "PF3="},
    {"U12=", "U23=", "U31="},       {"cos1=", "cos2=", "cos3="},    {"3PF=", "F=", ""},
    {"P1=", "P2=", "P3="},          {"Q1=", "Q2=", "Q3="},          {"S1=", "S2=", "S3="},
    {"3P=", "3Q=", "3S="},          {"THDU1=", "THDU2=", "THDU3="}, {"THDI1=", "THDI2=", "THDI3="},
};

QString unitText(int quantity, int line, int prefix)
{
    static const char* const volts[3] = {"V", "kV", "kV"};
    static const char* const amps[3] = {"A", "kA", "kA"};
    static const char* const watts[3] = {"W", "kW", "MW"};
    static const char* const vars[3] = {"var", "kvar", "Mvar"};
    static const char* const vas[3] = {"VA", "kVA", "MVA"};
    const int p = std::clamp(prefix, 0, 2);
    switch (quantity) {
    case 0:
    case 3: return QLatin1String(volts[p]);
    case 1: return QLatin1String(amps[p]);
    case 5: return line == 1 ? QStringLiteral("Hz") : QString();
    case 6: return QLatin1String(watts[p]);
    case 7: return QLatin1String(vars[p]);
    case 8: return QLatin1String(vas[p]);
    case 9: return QLatin1String(line == 0 ? watts[p] : line == 1 ? vars[p] : vas[p]);
    case 10:
    case 11: return QStringLiteral("%");
    default: return {};
    }
}

} // namespace

int CVKDialogCtrl::unitKind(int screen)
{
    switch (screen) {
    case 0:
    case 3: return 0;
    case 1: return 1;
    case 6: return 2;
    case 7: return 3;
    case 8: return 4;
    case 9: return 5;
    default: return -1;
    }
}

CVKDialogCtrl::CVKDialogCtrl(QWidget* parent)
    : CPanelControl(parent, Scaling::Truncate)
{
    loadBitmaps(false);
    resize(panelSize());
}

void CVKDialogCtrl::loadBitmaps(bool graphicPanel)
{
    const VKArt& art = vkArt();
    if (graphicPanel)
        setBitmaps(art.panelGraphic, art.spriteGraphic);
    else
        setBitmaps(art.panel7, art.sprite7);
    setScaleBase(graphicPanel ? 600 : 512);
}

PanelRect CVKDialogCtrl::digitSprite(int code)
{
    if (code < 0 || code >= static_cast<int>(kDigitSprites.size()))
        return kDigitSprites[vk::CodeBlank];
    return kDigitSprites[static_cast<std::size_t>(code)];
}

PanelRect CVKDialogCtrl::keyRectOf(bool graphicPanel, int key)
{
    if (key < 0 || key > 3)
        return {};
    return graphicPanel ? kKeysGraphic[static_cast<std::size_t>(key)] : kKeys7[static_cast<std::size_t>(key)];
}

QVariant CVKDialogCtrl::Invoke(int dispid, const QVariantList& args)
{
    switch (dispid) {
    case DispidScenar:
        return property(args, [&] { return m_screen; }, [&](const QVariant& v) { setScenar(v.toInt()); });
    case DispidIsAron:
        return property(args, [&] { return m_aron; }, [&](const QVariant& v) { setAron(v.toBool()); });
    case DispidSetUdaje:
        if (args.size() != 5)
            return {};
        SetUdaje(args[0].toFloat(), args[1].toFloat(), args[2].toFloat(), args[3].toBool(), args[4].toBool());
        return true;
    default:
        return CPanelControl::Invoke(dispid, args);
    }
}

void CVKDialogCtrl::fireChangeScenar()
{
    fireEvent(EventChangeScenar, {m_screen});
    emit changeScenar(m_screen);
}

void CVKDialogCtrl::setScenar(int screen)
{
    const int old = m_screen;
    m_screen = screen;
    m_display.prefix = vk::PrefixNone;
    if ((screen >= 100) != (old >= 100)) {
        loadBitmaps(screen >= 100);
        invalidateAll();
    }
    if (m_aron)
        m_screen = vk::aronForward(m_screen);
    setModified();
    if (!graphic())
        drawLabelStrip();
    fireChangeScenar();
}

void CVKDialogCtrl::setAron(bool aron)
{
    if (aron == m_aron)
        return;
    m_aron = aron;
    if (aron) {
        const int next = vk::aronForward(m_screen);
        if (next != m_screen) {
            m_screen = next;
            m_display.prefix = vk::PrefixNone;
            if (!graphic())
                drawLabelStrip();
            fireChangeScenar();
        }
    }
    setModified();
}

void CVKDialogCtrl::SetUdaje(float okno1, float okno2, float okno3, bool rel1, bool rel2)
{
    const vk::Display old = m_display;
    const bool oldRel1 = m_rel1;
    const bool oldRel2 = m_rel2;
    m_rel1 = rel1;
    m_rel2 = rel2;
    if (m_screen < 0)
        return;
    m_display = vk::format(m_screen, {okno1, okno2, okno3}, m_aron, m_display);
    if (graphic()) {
        drawGraphicText();
        return;
    }
    drawDigits(old, false);
    if (old.point != m_display.point)
        drawPoints(old.point, m_display.point);
    drawRelays(false, oldRel1, oldRel2);
    if (m_labelScreen != m_screen || m_labelPrefix != m_display.prefix)
        drawLabelStrip();
}

void CVKDialogCtrl::drawDigits(const vk::Display& previous, bool all)
{
    for (int w = 0; w < 3; ++w) {
        for (int pos = 0; pos < 4; ++pos) {
            const auto code = m_display.windows[static_cast<std::size_t>(w)][static_cast<std::size_t>(pos)];
            if (all || code != previous.windows[static_cast<std::size_t>(w)][static_cast<std::size_t>(pos)])
                copyPiece(sprite(), digitSprite(code), digitRect(w, pos));
        }
    }
}

void CVKDialogCtrl::drawPoints(int oldPoint, int newPoint)
{
    for (int w = 0; w < 3; ++w) {
        if (const int g = vk::pointSlot(oldPoint, w))
            copyPiece(sprite(), kPointUnlit, pointRect(w, g));
    }
    for (int w = 0; w < 3; ++w) {
        if (const int g = vk::pointSlot(newPoint, w))
            copyPiece(sprite(), kPointLit, pointRect(w, g));
    }
}

void CVKDialogCtrl::drawRelays(bool all, bool old1, bool old2)
{
    const bool now[2] = {m_rel1, m_rel2};
    const bool before[2] = {old1, old2};
    for (int r = 0; r < 2; ++r) {
        if (!all && now[r] == before[r])
            continue;
        if (now[r])
            copyFromSprite(relayRect(r));
        else
            copyFromPanel(relayRect(r));
    }
}

void CVKDialogCtrl::drawLabelStrip()
{
    copyFromPanel(kLabelStrip);
    m_labelScreen = m_screen;
    m_labelPrefix = m_display.prefix;
    if (m_screen < 0 || m_screen > 11)
        return;
    const VKArt& art = vkArt();
    const R label = art.labels[m_screen];
    const int kind = unitKind(m_screen);
    const R unit = kind >= 0 ? art.units[kind][std::clamp(m_display.prefix, 0, 2)] : R{};
    const int total = label.width() + unit.width();
    const int x = kLabelStrip.left + (kLabelStrip.width() - total) / 2;
    copyPiece(sprite(), label, R{x, 85, x + label.width(), 120});
    if (kind >= 0)
        copyPiece(sprite(), unit, R{x + label.width(), 85, x + total, 120});
}

QString CVKDialogCtrl::lineText(int line) const
{
    if (m_screen < 0 || line < 0 || line > 2)
        return {};
    const int q = m_screen >= 100 ? m_screen - 100 : m_screen;
    if (q < 0 || q > 11)
        return {};
    if (q == 5 && line == 2)
        return {};
    QString text = QLatin1String(kLineLabels[q][line]);
    const int g = vk::pointSlot(m_display.point, line);
    for (int pos = 0; pos < 4; ++pos) {
        if (g > 0 && pos == 4 - g)
            text += QLatin1Char('.');
        const int code = m_display.windows[static_cast<std::size_t>(line)][static_cast<std::size_t>(pos)];
        if (code <= 9)
            text += QChar(u'0' + code);
        else if (code == vk::CodeL)
            text += QLatin1Char('L');
        else if (code == vk::CodeC)
            text += QLatin1Char('C');
        else if (code == vk::CodeMinus)
            text += QLatin1Char('-');
    }
    return text + unitText(q, line, m_display.prefix);
}

void CVKDialogCtrl::drawGraphicText()
{
    QImage lcd(383, 234, QImage::Format_RGB32);
    lcd.fill(QColor(0x63, 0xFF, 0xCE));
    {
        QPainter p(&lcd);
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(38);
        p.setFont(font);
        p.setPen(QColor(0x40, 0x40, 0x40));
        for (int k = 0; k < 3; ++k)
            p.drawText(QRect(15, 15 + 73 * k, 353, 58), Qt::AlignLeft | Qt::AlignVCenter, lineText(k));
    }
    copyPiece(lcd, R{0, 0, 383, 234}, kGraphicArea);
}

void CVKDialogCtrl::fullPaint()
{
    stretchPanel();
    if (graphic()) {
        if (m_screen >= 0)
            drawGraphicText();
        return;
    }
    drawBorder();
    drawDigits({}, true);
    drawPoints(0, m_display.point);
    drawRelays(true, false, false);
    drawLabelStrip();
}

void CVKDialogCtrl::step(int key)
{
    int s = m_screen;
    if (key == 1) {
        --s;
        if (s < 0)
            s = 11;
        else if (s >= 91 && s <= 99)
            s = 111;
        if (m_aron)
            s = vk::aronBackward(s);
    } else {
        ++s;
        if (s == 12)
            s = 0;
        else if (s == 112)
            s = 100;
        if (m_aron)
            s = vk::aronForward(s);
    }
    m_screen = s;
    m_display.prefix = vk::PrefixNone;
    if (!graphic())
        drawLabelStrip();
    fireChangeScenar();
}

void CVKDialogCtrl::mousePressEvent(QMouseEvent* event)
{
    pressAnalyserKey(event, graphic() ? kKeysGraphic : kKeys7);
}

void CVKDialogCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    const int key = releaseAnalyserKey(event, graphic() ? kKeysGraphic : kKeys7);
    switch (key) {
    case -1:
        break;
    case 0:
        fireEvent(EventZmcSettings);
        emit zmcSettings();
        break;
    case 3:
        fireEvent(EventZmcList, {m_screen});
        emit zmcList(m_screen);
        break;
    default:
        step(key);
        break;
    }
}

} // namespace controls
