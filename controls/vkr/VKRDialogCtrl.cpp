#include "controls/vkr/VKRDialogCtrl.h"

#include <QMouseEvent>

namespace controls {

namespace {

using R = PanelRect;

constexpr std::array<R, 14> kDigitSprites{{
    {461, 8, 504, 75},  {12, 8, 55, 75},    {60, 8, 103, 75},   {111, 8, 154, 75},  {163, 8, 206, 75},
    {212, 8, 255, 75},  {259, 8, 302, 75},  {306, 8, 349, 75},  {354, 8, 397, 75},  {415, 8, 458, 75},
    {228, 81, 271, 148}, {186, 81, 229, 148}, {134, 81, 177, 148}, {302, 81, 345, 148},
}};
constexpr std::array<R, 2> kKeys{{{392, 314, 464, 386}, {391, 404, 464, 477}}};

// The quantity LED of a screen and the second LED the distortion screens light.
std::pair<int, int> screenLeds(int screen)
{
    using L = CVKRDialogCtrl;
    switch (screen) {
    case 1: return {L::LedVLL, -1};
    case 2: return {L::LedVLN, -1};
    case 3: return {L::LedA, -1};
    case 4: case 5: return {L::LedW, -1};
    case 6: case 7: return {L::LedVar, -1};
    case 8: case 9: case 10: return {L::LedPF, -1};
    case 11: return {L::LedTHD, L::LedVLL};
    case 12: return {L::LedTHD, L::LedVLN};
    case 13: return {L::LedTHD, L::LedA};
    case 14: case 15: return {L::LedHz, -1};
    default: return {-1, -1};
    }
}

} // namespace

CVKRDialogCtrl::CVKRDialogCtrl(QWidget* parent)
    : CPanelControl(parent, Scaling::Truncate)
{
    setBitmaps(vkrPanelBitmap(), vkrSpriteBitmap());
    resize(panelSize());
}

PanelRect CVKRDialogCtrl::keyRect(int key)
{
    return key >= 0 && key < 2 ? kKeys[static_cast<std::size_t>(key)] : R{};
}

PanelRect CVKRDialogCtrl::ledRect(int led)
{
    if (led >= LedVLL && led <= LedHz)
        return R::sized(30, 96 + 34 * led, 26, 26);
    if (led == LedKilo || led == LedMega)
        return R::sized(372, 100 + 50 * (led - LedKilo), 26, 26);
    return {};
}

PanelRect CVKRDialogCtrl::digitSprite(int code)
{
    if (code < 0 || code >= static_cast<int>(kDigitSprites.size()))
        return kDigitSprites[vkr::CodeBlank];
    return kDigitSprites[static_cast<std::size_t>(code)];
}

int CVKRDialogCtrl::Typ() const
{
    int bits = 0;
    for (int k = 0; k < 3; ++k)
        bits |= m_rowBlink[static_cast<std::size_t>(k)] ? 1 << (28 + k) : 0;
    return (m_model == 0 ? 0 : (m_model - 1) & 0x0FFFFFFF) | bits;
}

QVariant CVKRDialogCtrl::Invoke(int dispid, const QVariantList& args)
{
    switch (dispid) {
    case DispidScenar:
        return property(args, [&] { return m_screen; }, [&](const QVariant& v) { setScenar(v.toInt()); });
    case DispidTyp:
        return property(args, [&] { return Typ(); },
                        [&](const QVariant& v) { setTyp(static_cast<int>(v.toLongLong())); });
    case DispidSetUdaje:
        if (args.size() != 3)
            return {};
        SetUdaje(args[0].toFloat(), args[1].toFloat(), args[2].toFloat());
        return true;
    default:
        return CPanelControl::Invoke(dispid, args);
    }
}

bool CVKRDialogCtrl::anythingBlinks() const
{
    bool any = m_ledBlink;
    for (int k = 0; k < 3; ++k)
        any = any || m_rowBlink[static_cast<std::size_t>(k)] || m_display.pointBlink[static_cast<std::size_t>(k)];
    return any;
}

void CVKRDialogCtrl::updateTimer()
{
    const bool blink = anythingBlinks();
    if (blink && !timerRunning(TimerId)) {
        startPanelTimer(TimerId, 250);
    } else if (!blink && timerRunning(TimerId)) {
        killPanelTimer(TimerId);
        m_dark = false;
    }
}

void CVKRDialogCtrl::setScenar(int screen)
{
    m_screen = vkr::forward(screen, modelNumber());
    setModified();
    m_ledBlink = m_screen == 10 || m_screen == 15;
    updateTimer();
    drawLeds(false);
    fireEvent(EventChangeScenar, {m_screen});
    emit changeScenar(m_screen);
}

void CVKRDialogCtrl::setTyp(int typ)
{
    const std::array<bool, 3> bits{(typ >> 28 & 1) != 0, (typ >> 29 & 1) != 0, (typ >> 30 & 1) != 0};
    if (bits != m_rowBlink) {
        m_rowBlink = bits;
        updateTimer();
        drawRows(true);
    }
    m_model = (typ & 0x0FFFFFFF) + 1;
    setModified();
}

void CVKRDialogCtrl::SetUdaje(float okno1, float okno2, float okno3)
{
    m_display = vkr::format(m_screen, modelNumber(), {okno1, okno2, okno3});
    // The timer first: stopping it ends a dark phase the rows must not keep.
    updateTimer();
    drawRows(false);
    drawLeds(false);
}

bool CVKRDialogCtrl::ledLit(int led) const
{
    const auto [quantity, second] = screenLeds(m_screen);
    if (led == LedKilo)
        return m_display.multiplier == 1000;
    if (led == LedMega)
        return m_display.multiplier == 1000000;
    if (led == quantity)
        return !(m_ledBlink && m_dark);
    return led == second;
}

void CVKRDialogCtrl::drawRows(bool all)
{
    for (int k = 0; k < 3; ++k) {
        const auto row = static_cast<std::size_t>(k);
        const bool blinking = m_rowBlink[row];
        if (blinking && m_dark) {
            copyPiece(sprite(), emptyRowSprite(), R{146, 95 + 90 * k, 342, 178 + 90 * k});
        } else {
            for (int pos = 0; pos < 3; ++pos) {
                const auto p = static_cast<std::size_t>(pos);
                const int code = m_display.rows[row][p];
                if (all || blinking || code != m_drawn.rows[row][p])
                    copyPiece(sprite(), digitSprite(code), digitRect(k, pos));
            }
        }
        // The point: dark where it stood, lit where it stands now.
        const bool lit = m_display.rowPoint[row] && !(m_display.pointBlink[row] && m_dark) && !(blinking && m_dark);
        if (m_drawnPoint[row] >= 0 && m_drawnPoint[row] != m_display.point)
            copyPiece(sprite(), pointDarkSprite(), pointRect(k, m_drawnPoint[row]));
        copyPiece(sprite(), lit ? pointLitSprite() : pointDarkSprite(), pointRect(k, m_display.point));
        m_drawnPoint[row] = m_display.point;
    }
    m_drawn = m_display;
}

void CVKRDialogCtrl::drawLeds(bool all)
{
    const int quantity = screenLeds(m_screen).first;
    for (int led = 0; led < LedCount; ++led) {
        const bool lit = ledLit(led);
        const bool blinks = led == quantity && m_ledBlink;
        if (!all && !blinks && lit == m_ledDrawn[static_cast<std::size_t>(led)])
            continue;
        if (lit)
            copyFromSprite(ledRect(led));
        else
            copyFromPanel(ledRect(led));
        m_ledDrawn[static_cast<std::size_t>(led)] = lit;
    }
}

void CVKRDialogCtrl::fullPaint()
{
    stretchPanel();
    drawBorder();
    m_ledDrawn = {};
    m_drawnPoint = {-1, -1, -1};
    if (m_screen > 0 && m_model != 0) {
        drawRows(true);
        drawLeds(true);
    }
}

void CVKRDialogCtrl::onTimer(int id)
{
    if (id != TimerId)
        return;
    if (m_ticks > 4) {
        m_dark = true;
        m_ticks = 0;
        drawRows(false);
        drawLeds(false);
    } else if (m_ticks == 1) {
        m_dark = false;
        drawRows(false);
        drawLeds(false);
    }
    ++m_ticks;
}

void CVKRDialogCtrl::mousePressEvent(QMouseEvent* event)
{
    pressAnalyserKey(event, kKeys, 512);
}

void CVKRDialogCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    const int key = releaseAnalyserKey(event, kKeys, 512);
    if (key < 0)
        return;
    int s = m_screen;
    if (key == 0) {
        if (--s < 1)
            s = 15;
        s = vkr::backward(s, modelNumber());
    } else {
        if (++s > 15)
            s = 1;
        s = vkr::forward(s, modelNumber());
    }
    m_screen = s;
    fireEvent(EventChangeScenar, {m_screen});
    emit changeScenar(m_screen);
    m_ledBlink = m_screen == 10 || m_screen == 15;
    updateTimer();
    drawLeds(false);
}

} // namespace controls
