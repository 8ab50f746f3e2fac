#pragma once
// The front panel of a power-factor controller: a four-character display
// with decimal points, stage, measurement and state LEDs, four keys. The two
// controller panels share this design and differ in geometry, tables, the
// decimal-point property and which LEDs blink on their own.
#include "controls/common/PanelControl.h"

#include <array>
#include <cstdint>
#include <vector>

namespace controls {

class CControllerPanelCtrl : public CPanelControl {
    Q_OBJECT
public:
    enum class Model { Qorin, Duskar };

    enum DispId : int {
        DispidPismeno1 = 1,
        DispidPismeno2 = 2,
        DispidPismeno3 = 3,
        DispidTecka = 4,
        DispidPismeno4 = 5,
        DispidSvetlo = 6,
        DispidObnov = 7,
        DispidSetBlikani = 8,
        DispidSetAlternativa = 9,
        DispidSetTyp = 10,
    };
    enum EventId : int { EventStiskP = 1, EventStiskM = 2, EventStiskUp = 3, EventStiskDown = 4 };
    // Panel geometry shared by both panels.
    static constexpr int CharX = 147;
    static constexpr int CharStep = 55;
    static constexpr int CharY = 83;
    static constexpr int CharW = 45;
    static constexpr int CharH = 75;
    static constexpr int PointY = 140;
    static constexpr int PointSize = 13;
    static constexpr int BlankGlyph = 18;

    QVariant Invoke(int dispid, const QVariantList& args = {}) override;

    // Display position k (0-3); codes are stored as one byte.
    int pismeno(int k) const;
    void setPismeno(int k, int code);
    int Tecka() const { return m_tecka; }
    void setTecka(int value);
    int Svetlo() const;
    void setSvetlo(int bits);
    void Obnov();
    void setBlikani(bool blikEdit, bool blikInd, bool blikKap);
    void setAlternativa(bool is, int c1, int c2, int c3, int c4);
    void setTyp(int typ);

    Model model() const { return m_model; }
    int ledCount() const { return ledCount(m_model); }
    static int ledCount(Model model) { return model == Model::Qorin ? 24 : 22; }
    int timerId() const { return m_model == Model::Qorin ? 101 : 111; }
    // Tables in panel units, for hosts' tests and the screens tool.
    static PanelRect ledRect(Model model, int led);
    static PanelRect keyRect(Model model, int key);
    PanelRect ledRect(int led) const { return ledRect(m_model, led); }
    PanelRect keyRect(int key) const { return keyRect(m_model, key); }
    // The sprite piece of a lit LED.
    PanelRect litLedPiece() const
    {
        return m_model == Model::Qorin ? PanelRect::sized(10, 198, 34, 35) : PanelRect::sized(10, 234, 34, 35);
    }
    static PanelRect charRect(int k) { return PanelRect::sized(CharX + CharStep * k, CharY, CharW, CharH); }
    // The sprite rectangle of a glyph code; codes beyond the table give the blank glyph.
    static PanelRect glyphRect(Model model, int code);
    PanelRect glyphRect(int code) const { return glyphRect(m_model, code); }

signals:
    void StiskP();
    void StiskM();
    void StiskUp();
    void StiskDown();

protected:
    CControllerPanelCtrl(Model model, QWidget* parent);

    void fullPaint() override;
    void onTimer(int id) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    using Text = std::array<std::uint8_t, 4>;
    int scaleBase() const { return m_model == Model::Qorin ? 512 : 510; }
    void drawText(const Text& text);
    void drawPoints();
    void drawMainText();
    void clearDisplay();
    void drawLeds(bool showBlinking);
    void drawTypeOverlay();
    void drawCurrentText();
    void endCapture();
    bool isSelfBlinking(int led) const;

    Model m_model;
    Text m_text{8, 8, 8, 8};
    Text m_alt{BlankGlyph, BlankGlyph, BlankGlyph, BlankGlyph};
    bool m_altOn = false;
    // No decimal point until the host sets one.
    int m_tecka = 0;
    std::vector<int> m_leds;
    std::vector<int> m_blinkMarks;
    bool m_blikEdit = false;
    bool m_blikInd = false;
    bool m_blikKap = false;
    int m_typ = 0;
    unsigned m_blinkCounter = 0;
    unsigned m_altCounter = 0;
    int m_pressedKey = 0;
    bool m_captured = false;
};

// The panel and sprite bitmaps of a controller panel (drawn once per process).
const QImage& controllerPanelBitmap(CControllerPanelCtrl::Model model);
const QImage& controllerSpriteBitmap(CControllerPanelCtrl::Model model);

} // namespace controls
