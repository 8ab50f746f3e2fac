#include "controls/common/ControllerPanel.h"

#include <QMouseEvent>

namespace controls {

namespace {

using R = PanelRect;

// Glyph places in the sprite sheets; code 15 and codes from 23 differ.
constexpr std::array<R, 23> kGlyphs{{
    {66, 3, 113, 77},    {14, 86, 58, 160},   {64, 86, 108, 160},  {123, 85, 167, 159},
    {180, 85, 224, 159}, {252, 4, 296, 78},   {303, 3, 347, 77},   {360, 3, 404, 77},
    {411, 3, 455, 77},   {14, 3, 62, 77},     {53, 173, 100, 247}, {104, 173, 151, 247},
    {205, 173, 252, 247}, {159, 173, 202, 247}, {253, 173, 300, 247}, {28, 263, 60, 337},
    {120, 2, 164, 76},   {460, 3, 504, 77},   {312, 85, 356, 159}, {176, 3, 220, 77},
    {60, 263, 107, 337}, {113, 263, 160, 337}, {168, 263, 213, 337},
}};
constexpr R kDuskarBars{314, 173, 358, 247};
constexpr std::array<R, 6> kDuskarExtra{{
    {6, 355, 50, 429}, {59, 355, 103, 429}, {114, 355, 158, 429},
    {169, 355, 213, 429}, {225, 355, 269, 429}, {223, 262, 267, 336},
}};

constexpr std::array<R, 24> kQorinLeds{{
    {309, 219, 343, 254}, {341, 219, 375, 254}, {375, 219, 407, 254}, {405, 219, 439, 254},
    {437, 219, 471, 254}, {469, 219, 503, 254}, {469, 260, 503, 295}, {469, 302, 503, 337},
    {437, 302, 471, 337}, {405, 302, 439, 337}, {375, 302, 407, 337}, {341, 302, 375, 337},
    {309, 302, 343, 337}, {309, 260, 343, 295}, {407, 63, 442, 98},   {407, 101, 442, 136},
    {407, 139, 442, 174}, {17, 64, 52, 101},    {17, 139, 52, 174},   {10, 198, 44, 233},
    {10, 234, 44, 269},   {10, 271, 44, 306},   {10, 308, 44, 343},   {10, 344, 44, 379},
}};
constexpr std::array<R, 22> kDuskarLeds{{
    {309, 219, 343, 254}, {341, 219, 375, 254}, {373, 219, 407, 254}, {405, 219, 439, 254},
    {437, 219, 471, 254}, {469, 219, 503, 254}, {469, 260, 503, 295}, {469, 302, 503, 337},
    {437, 302, 471, 337}, {405, 302, 439, 337}, {373, 302, 407, 337}, {341, 302, 375, 337},
    {309, 302, 343, 337}, {309, 260, 343, 295}, {407, 63, 442, 98},   {407, 101, 442, 136},
    {407, 139, 442, 174}, {17, 64, 52, 101},    {17, 139, 52, 174},   {10, 234, 44, 269},
    {10, 271, 44, 306},   {10, 308, 44, 343},
}};

// P, up, down, M in the order they are tested.
constexpr std::array<R, 4> kQorinKeys{{{313, 403, 360, 450}, {378, 376, 424, 422}, {379, 437, 426, 484}, {445, 402, 492, 449}}};
constexpr std::array<R, 4> kDuskarKeys{{{316, 407, 368, 462}, {380, 373, 432, 427}, {379, 445, 431, 499}, {441, 408, 493, 462}}};
constexpr std::array<int, 4> kKeyEvents{CControllerPanelCtrl::EventStiskP, CControllerPanelCtrl::EventStiskUp,
                                        CControllerPanelCtrl::EventStiskDown, CControllerPanelCtrl::EventStiskM};

constexpr int kLedCos = 14;
constexpr int kLedInd = 17;
constexpr int kLedCap = 18;

} // namespace

CControllerPanelCtrl::CControllerPanelCtrl(Model model, QWidget* parent)
    : CPanelControl(parent, model == Model::Qorin ? Scaling::Truncate : Scaling::Round)
    , m_model(model)
    , m_tecka(model == Model::Qorin ? 0 : -1)
    , m_leds(model == Model::Qorin ? kQorinLeds.size() : kDuskarLeds.size(), 0)
    , m_blinkMarks(m_leds.size(), 0)
{
    setBitmaps(controllerPanelBitmap(model), controllerSpriteBitmap(model));
    resize(panelSize());
    // The host hears of every move, as it does of presses off the keys.
    setMouseTracking(true);
}

PanelRect CControllerPanelCtrl::ledRect(Model model, int led)
{
    if (led < 0 || led >= ledCount(model))
        return {};
    return model == Model::Qorin ? kQorinLeds[static_cast<std::size_t>(led)] : kDuskarLeds[static_cast<std::size_t>(led)];
}

PanelRect CControllerPanelCtrl::keyRect(Model model, int key)
{
    if (key < 0 || key >= 4)
        return {};
    return model == Model::Qorin ? kQorinKeys[static_cast<std::size_t>(key)] : kDuskarKeys[static_cast<std::size_t>(key)];
}

PanelRect CControllerPanelCtrl::glyphRect(Model model, int code)
{
    if (model == Model::Duskar) {
        if (code == 15)
            return kDuskarBars;
        if (code >= 23 && code <= 28)
            return kDuskarExtra[static_cast<std::size_t>(code - 23)];
    }
    if (code < 0 || code >= static_cast<int>(kGlyphs.size()))
        return kGlyphs[BlankGlyph];
    return kGlyphs[static_cast<std::size_t>(code)];
}

int CControllerPanelCtrl::pismeno(int k) const
{
    return k >= 0 && k < 4 ? m_text[static_cast<std::size_t>(k)] : 0;
}

void CControllerPanelCtrl::setPismeno(int k, int code)
{
    if (k < 0 || k >= 4)
        return;
    m_text[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(code);
    setModified();
}

void CControllerPanelCtrl::setTecka(int value)
{
    m_tecka = m_model == Model::Qorin ? (value != 0 ? 1 : 0) : static_cast<short>(value);
    setModified();
}

int CControllerPanelCtrl::Svetlo() const
{
    int bits = 0;
    for (int i = 0; i < ledCount(); ++i) {
        if (m_leds[static_cast<std::size_t>(i)] != 0)
            bits |= 1 << i;
    }
    return bits;
}

void CControllerPanelCtrl::setSvetlo(int bits)
{
    for (int i = 0; i < ledCount(); ++i)
        m_leds[static_cast<std::size_t>(i)] = (static_cast<unsigned>(bits) >> i) & 1U;
    setModified();
}

void CControllerPanelCtrl::setBlikani(bool blikEdit, bool blikInd, bool blikKap)
{
    m_blikEdit = blikEdit;
    m_blikInd = blikInd;
    m_blikKap = blikKap;
}

void CControllerPanelCtrl::setAlternativa(bool is, int c1, int c2, int c3, int c4)
{
    m_altOn = is;
    m_alt = {static_cast<std::uint8_t>(c1), static_cast<std::uint8_t>(c2), static_cast<std::uint8_t>(c3),
             static_cast<std::uint8_t>(c4)};
}

void CControllerPanelCtrl::setTyp(int typ)
{
    m_typ = typ;
}

QVariant CControllerPanelCtrl::Invoke(int dispid, const QVariantList& args)
{
    const auto arg = [&](int i) { return args.value(i).toInt(); };
    switch (dispid) {
    case DispidPismeno1:
    case DispidPismeno2:
    case DispidPismeno3:
    case DispidPismeno4: {
        const int k = dispid == DispidPismeno4 ? 3 : dispid - 1;
        return property(args, [&] { return pismeno(k); }, [&](const QVariant& v) { setPismeno(k, v.toInt()); });
    }
    case DispidTecka:
        return property(
            args, [&] { return m_model == Model::Qorin ? QVariant(m_tecka != 0) : QVariant(m_tecka); },
            [&](const QVariant& v) { setTecka(v.toInt()); });
    case DispidSvetlo:
        return property(args, [&] { return Svetlo(); },
                        [&](const QVariant& v) { setSvetlo(static_cast<int>(v.toLongLong())); });
    case DispidObnov:
        if (!args.isEmpty())
            return {};
        Obnov();
        return true;
    case DispidSetBlikani:
        if (args.size() != 3)
            return {};
        setBlikani(args[0].toBool(), args[1].toBool(), args[2].toBool());
        return true;
    case DispidSetAlternativa:
        if (args.size() != 5)
            return {};
        setAlternativa(args[0].toBool(), arg(1), arg(2), arg(3), arg(4));
        return true;
    case DispidSetTyp:
        if (args.size() != 1)
            return {};
        setTyp(arg(0));
        return true;
    default:
        return CPanelControl::Invoke(dispid, args);
    }
}

void CControllerPanelCtrl::drawText(const Text& text)
{
    for (int k = 0; k < 4; ++k)
        copyPiece(sprite(), glyphRect(text[static_cast<std::size_t>(k)]), charRect(k), scaleBase());
}

void CControllerPanelCtrl::drawPoints()
{
    const R pointSprite = R::sized(288, 132, PointSize, PointSize);
    auto point = [&](int x) { copyPiece(sprite(), pointSprite, R::sized(x, PointY, PointSize, PointSize), scaleBase()); };
    if (m_model == Model::Qorin) {
        if (m_tecka != 0)
            point(245);
        return;
    }
    if (m_tecka >= 0 && m_tecka <= 2) {
        point(192 + 53 * m_tecka);
    } else if (m_tecka == 99) {
        for (int x : {192, 245, 298, 351})
            point(x);
    }
}

void CControllerPanelCtrl::drawMainText()
{
    drawText(m_text);
    drawPoints();
}

void CControllerPanelCtrl::clearDisplay()
{
    const int w = m_model == Model::Qorin ? 223 : 219;
    copyFromPanel(R::sized(CharX, CharY, w, 77), scaleBase());
}

bool CControllerPanelCtrl::isSelfBlinking(int led) const
{
    if (m_model == Model::Qorin)
        return led >= 20 && led <= 22;
    return led == 19 || led == 21;
}

void CControllerPanelCtrl::drawLeds(bool showBlinking)
{
    const R litPiece = litLedPiece();
    bool previousLit = false;
    for (int i = 0; i < ledCount(); ++i) {
        const auto idx = static_cast<std::size_t>(i);
        if (m_typ == 1 && i >= 6 && i <= 13) {
            previousLit = false;
            continue;
        }
        const bool lit = m_leds[idx] != 0 && (showBlinking || m_blinkMarks[idx] == 0);
        R dst = ledRect(i);
        R src = litPiece;
        // A lit neighbour overlaps by two units; keep its edge.
        const bool overlapped = m_model == Model::Qorin && ((i >= 1 && i <= 5) || (i >= 8 && i <= 12)) && previousLit;
        if (overlapped) {
            dst.left += 2;
            src.left += 2;
        }
        if (lit)
            copyPiece(sprite(), src, dst, scaleBase());
        else
            copyFromPanel(dst, scaleBase());
        previousLit = lit;
    }
}

void CControllerPanelCtrl::drawTypeOverlay()
{
    if (m_model == Model::Qorin) {
        if (m_typ == 1)
            copyPiece(sprite(), R{0, 360, 192, 512}, R{309, 258, 510, 357}, scaleBase());
        else if (m_typ != 0)
            copyFromSprite(R{309, 205, 510, 357}, scaleBase());
    } else if (m_typ == 1) {
        copyPiece(panel(), R{130, 258, 290, 357}, R{309, 258, 507, 357}, scaleBase());
    }
}

void CControllerPanelCtrl::drawCurrentText()
{
    if (!m_altOn) {
        drawMainText();
    } else if (m_altCounter >= 10 && m_altCounter <= 31) {
        drawMainText();
    } else if (m_altCounter >= 2 && m_altCounter <= 7) {
        drawText(m_alt);
    }
}

void CControllerPanelCtrl::fullPaint()
{
    stretchPanel();
    drawTypeOverlay();
    drawBorder();
    drawCurrentText();
    drawLeds(true);
}

void CControllerPanelCtrl::Obnov()
{
    clearDisplay();
    drawTypeOverlay();
    drawCurrentText();
    drawLeds(true);
}

void CControllerPanelCtrl::onTimer(int id)
{
    if (id != timerId())
        return;
    if (m_altOn) {
        switch (m_altCounter) {
        case 3:
            drawText(m_alt);
            break;
        case 9:
            clearDisplay();
            break;
        case 11:
            clearDisplay();
            drawMainText();
            break;
        default:
            if (m_altCounter >= 33) {
                m_altCounter = 0;
                clearDisplay();
            }
            break;
        }
        ++m_altCounter;
    } else if (m_blinkCounter > 3 && m_blikEdit) {
        clearDisplay();
        if (m_blinkCounter > 4)
            drawMainText();
    }

    bool active = m_blikEdit || m_blikInd || m_blikKap;
    for (int i = 0; i < ledCount() && !active; ++i)
        active = isSelfBlinking(i) && m_leds[static_cast<std::size_t>(i)] != 0;
    if (active) {
        std::fill(m_blinkMarks.begin(), m_blinkMarks.end(), 0);
        for (int i = kLedCos; i <= kLedCos + 2; ++i)
            m_blinkMarks[static_cast<std::size_t>(i)] = m_blikEdit;
        m_blinkMarks[kLedInd] = m_blikInd;
        m_blinkMarks[kLedCap] = m_blikKap;
        for (int i = 0; i < ledCount(); ++i) {
            if (isSelfBlinking(i))
                m_blinkMarks[static_cast<std::size_t>(i)] = m_leds[static_cast<std::size_t>(i)] != 0;
        }
    }
    if (m_blinkCounter > 4) {
        m_blinkCounter = 0;
        drawLeds(true);
    }
    if (m_blinkCounter > 3)
        drawLeds(!active);
    ++m_blinkCounter;
}

void CControllerPanelCtrl::showEvent(QShowEvent* event)
{
    CPanelControl::showEvent(event);
    startPanelTimer(timerId(), 250);
}

void CControllerPanelCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        fireStockMouse(DispidMouseDown, event);
        return;
    }
    const auto& keys = m_model == Model::Qorin ? kQorinKeys : kDuskarKeys;
    const int key = hitKey(event->position().toPoint(), keys, scaleBase());
    if (key < 0)
        return;
    m_captured = true;
    if (m_model == Model::Duskar)
        m_pressedKey = key;
    copyFromSprite(keys[static_cast<std::size_t>(key)], scaleBase());
    const int id = kKeyEvents[static_cast<std::size_t>(key)];
    fireEvent(id);
    switch (id) {
    case EventStiskP:
        emit StiskP();
        break;
    case EventStiskM:
        emit StiskM();
        break;
    case EventStiskUp:
        emit StiskUp();
        break;
    default:
        emit StiskDown();
        break;
    }
}

void CControllerPanelCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        fireStockMouse(DispidMouseDown, event);
        return;
    }
    // A second press of the same key is one more press.
    mousePressEvent(event);
}

void CControllerPanelCtrl::endCapture()
{
    m_captured = false;
    if (m_model == Model::Qorin) {
        for (const R& k : kQorinKeys)
            copyFromPanel(k, scaleBase());
    } else {
        copyFromPanel(kDuskarKeys[static_cast<std::size_t>(m_pressedKey)], scaleBase());
        m_pressedKey = 0;
    }
}

void CControllerPanelCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        fireStockMouse(DispidMouseUp, event);
        return;
    }
    if (m_captured)
        endCapture();
}

void CControllerPanelCtrl::mouseMoveEvent(QMouseEvent* event)
{
    fireStockMouse(DispidMouseMove, event);
}

} // namespace controls
