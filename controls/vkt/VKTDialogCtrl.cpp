#include "controls/vkt/VKTDialogCtrl.h"

#include <QMouseEvent>

#include <algorithm>
#include <atomic>

namespace controls {

namespace {

using R = PanelRect;

constexpr std::array<R, vkt::ScreenLedCount> kScreenLeds{{
    {20, 64, 47, 89},    {20, 93, 47, 120},   {20, 123, 47, 150},  {20, 155, 47, 182},  {20, 184, 47, 211},
    {20, 214, 47, 241},  {20, 244, 47, 271},  {20, 275, 47, 302},  {20, 306, 47, 333},  {20, 340, 47, 367},
    {20, 370, 47, 397},  {20, 403, 47, 430},  {20, 434, 47, 461},  {20, 467, 47, 494},  {505, 63, 532, 90},
    {505, 93, 532, 120}, {505, 123, 532, 150}, {505, 155, 532, 182}, {505, 184, 532, 211},
}};
constexpr std::array<R, CVKTDialogCtrl::ControlLedCount> kControlLeds{{
    {505, 306, 532, 333}, {355, 155, 382, 182}, {355, 186, 382, 213}, {355, 357, 382, 384}, {355, 389, 382, 416},
}};
// Down, up, right, left: the order they are tested in.
constexpr std::array<R, 4> kKeys{{{404, 485, 460, 536}, {404, 419, 460, 470}, {475, 451, 527, 508}, {337, 451, 390, 508}}};
constexpr std::array<R, 15> kGlyphs{{
    {118, 241, 158, 304}, {101, 78, 141, 141},  {145, 78, 185, 141},  {200, 78, 240, 141},  {250, 78, 290, 141},
    {301, 78, 341, 141},  {120, 161, 160, 224}, {169, 161, 209, 224}, {215, 161, 255, 224}, {277, 161, 317, 224},
    {169, 241, 209, 304}, {215, 241, 255, 304}, {300, 350, 340, 413}, {319, 294, 329, 304}, {300, 350, 340, 413},
}};
constexpr int kWindowY[vkt::Display::Windows] = {75, 154, 233, 354};

// Controls created in this module; each takes the next timer id.
std::atomic<int> g_created{0};

} // namespace

CVKTDialogCtrl::CVKTDialogCtrl(QWidget* parent)
    : CPanelControl(parent, Scaling::Round)
{
    setBitmaps(vktPanelBitmap(), vktLitBitmap());
    resize(panelSize());
    m_timerId = 101 + g_created.fetch_add(1);
    startPanelTimer(m_timerId, 300);
    enterScreen(0);
}

CVKTDialogCtrl::~CVKTDialogCtrl()
{
    m_display.stopBlinking();
    killPanelTimer(m_timerId);
}

PanelRect CVKTDialogCtrl::screenLedRect(int led)
{
    return led >= 0 && led < vkt::ScreenLedCount ? kScreenLeds[static_cast<std::size_t>(led)] : R{};
}

PanelRect CVKTDialogCtrl::controlLedRect(int led)
{
    return led >= 0 && led < ControlLedCount ? kControlLeds[static_cast<std::size_t>(led)] : R{};
}

PanelRect CVKTDialogCtrl::keyRect(int key)
{
    return key >= 0 && key < 4 ? kKeys[static_cast<std::size_t>(key)] : R{};
}

PanelRect CVKTDialogCtrl::cellRect(int window, int position)
{
    return R::sized(120 + 56 * position, kWindowY[std::clamp(window, 0, 3)], 48, 63);
}

PanelRect CVKTDialogCtrl::glyphRect(int code)
{
    if (code < 0 || code >= static_cast<int>(kGlyphs.size()))
        return kGlyphs[vkt::GlyphBlank];
    return kGlyphs[static_cast<std::size_t>(code)];
}

QVariant CVKTDialogCtrl::Invoke(int dispid, const QVariantList& args)
{
    switch (dispid) {
    case DispidTyp:
        return property(args, [] { return 0; }, [&](const QVariant&) { setModified(); });
    case DispidScenar:
        return property(args, [&] { return m_screen; }, [&](const QVariant& v) { setScenar(v.toInt()); });
    case DispidSetUdaje:
        if (args.size() != 5)
            return {};
        SetUdaje(args[0].toFloat(), args[1].toFloat(), args[2].toFloat(), args[3].toFloat(),
                 static_cast<int>(args[4].toLongLong()));
        return true;
    default:
        return CPanelControl::Invoke(dispid, args);
    }
}

void CVKTDialogCtrl::fireChange()
{
    fireEvent(EventChangeScenar, {m_screen});
    emit ChangeScenar(m_screen);
}

void CVKTDialogCtrl::setScenar(int)
{
    setModified();
    fireChange();
}

bool CVKTDialogCtrl::screenLedLit(int led) const
{
    const ScreenLedState& s = m_leds[static_cast<std::size_t>(led)];
    return s.state == vkt::On || (s.state == vkt::Blinking && !s.dark);
}

void CVKTDialogCtrl::enterScreen(int screen)
{
    const vkt::ScreenNode& node = vkt::screenGraph()[static_cast<std::size_t>(screen)];
    for (int led = 0; led < vkt::ScreenLedCount; ++led) {
        ScreenLedState& s = m_leds[static_cast<std::size_t>(led)];
        const int state = node.leds[static_cast<std::size_t>(led)];
        if (state == s.state)
            continue;
        const auto listed = std::find(m_ledBlink.begin(), m_ledBlink.end(), led);
        if (state == vkt::Blinking && listed == m_ledBlink.end() && m_ledBlink.size() < 10)
            m_ledBlink.push_back(led);
        else if (state != vkt::Blinking && listed != m_ledBlink.end())
            m_ledBlink.erase(listed);
        s.state = state;
        s.dark = false;
        s.dirty = true;
    }
    drawScreenLeds(false);
    m_screen = screen;
}

void CVKTDialogCtrl::drawScreenLeds(bool all)
{
    for (int led = 0; led < vkt::ScreenLedCount; ++led) {
        ScreenLedState& s = m_leds[static_cast<std::size_t>(led)];
        if (!all && !s.dirty)
            continue;
        if (screenLedLit(led))
            copyFromSprite(screenLedRect(led));
        else
            copyFromPanel(screenLedRect(led));
        s.dirty = false;
    }
}

void CVKTDialogCtrl::drawCells()
{
    m_display.forEachDirty([&](int window, int position, const vkt::Cell& c) {
        const R cell = cellRect(window, position);
        copyPiece(sprite(), glyphRect(c.digitState == vkt::BlinkDark ? int(vkt::GlyphBlank) : c.code), cell);
        if (c.point && c.pointState != vkt::BlinkDark)
            copyPiece(sprite(), glyphRect(vkt::GlyphPoint), R{cell.right - 9, cell.bottom - 10, cell.right, cell.bottom});
    });
}

void CVKTDialogCtrl::drawControlLeds()
{
    for (int led = 0; led < ControlLedCount; ++led) {
        if (m_controlLeds[static_cast<std::size_t>(led)])
            copyFromSprite(controlLedRect(led));
        else
            copyFromPanel(controlLedRect(led));
    }
}

void CVKTDialogCtrl::SetUdaje(float udaj1, float udaj2, float udaj3, float udaj4, int priznaky)
{
    const auto flags = static_cast<std::uint32_t>(priznaky);
    const vkt::Multipliers m = m_display.format(m_screen, {udaj1, udaj2, udaj3, udaj4}, flags);
    m_controlLeds[LedUpperKilo] = m.upper == 1000;
    m_controlLeds[LedUpperMega] = m.upper == 1000000;
    m_controlLeds[LedLowerKilo] = m.lower == 1000;
    m_controlLeds[LedLowerMega] = m.lower == 1000000;
    m_controlLeds[LedIo] = (flags & 0x10000U) != 0;
    drawCells();
    drawControlLeds();
}

void CVKTDialogCtrl::fullPaint()
{
    stretchPanel();
    drawBorder();
    drawScreenLeds(true);
    for (const R& key : kKeys)
        copyFromPanel(key);
    m_display.markAllDirty();
    drawCells();
    drawControlLeds();
}

void CVKTDialogCtrl::onTimer(int id)
{
    if (id != m_timerId)
        return;
    if (m_blinkTicks == 1 || m_blinkTicks == 3) {
        for (int led : m_ledBlink) {
            ScreenLedState& s = m_leds[static_cast<std::size_t>(led)];
            s.dark = !s.dark;
            s.dirty = true;
        }
        drawScreenLeds(false);
        m_display.toggleBlinking();
        drawCells();
        if (m_blinkTicks == 3)
            m_blinkTicks = -1;
    }
    if (m_pending && m_pendingTicks == 1) {
        m_pending = false;
        fireChange();
    }
    ++m_blinkTicks;
    ++m_pendingTicks;
}

void CVKTDialogCtrl::mousePressEvent(QMouseEvent* event)
{
    const int key = pressAnalyserKey(event, kKeys);
    if (key < 0)
        return;
    const vkt::ScreenNode& node = vkt::screenGraph()[static_cast<std::size_t>(m_screen)];
    const int next = key == KeyDown ? node.next : key == KeyUp ? node.previous : key == KeyRight ? node.ringNext : node.ringPrevious;
    enterScreen(next);
    const int order = vkt::harmonicOrder(next);
    if ((key == KeyRight || key == KeyLeft) && order > 0) {
        // The order shows at once; the host's values follow the event.
        m_display.stopBlinking();
        for (int w : {0, 2, vkt::Display::LowerWindow})
            m_display.blankWindow(w);
        m_display.showValue(1, order, 0, {});
        drawCells();
        m_pending = true;
        m_pendingTicks = 0;
        return;
    }
    fireChange();
}

void CVKTDialogCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    releaseAnalyserKey(event, kKeys);
}

} // namespace controls
