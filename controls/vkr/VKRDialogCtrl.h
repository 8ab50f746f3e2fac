#pragma once
// The VKR panel meter's front: three rows of three digits, quantity and
// prefix LEDs, two arrow keys stepping through fifteen screens.
#include "controls/common/PanelControl.h"
#include "controls/vkr/VKRFormat.h"

namespace controls {

class CVKRDialogCtrl : public CPanelControl {
    Q_OBJECT
public:
    enum DispId : int { DispidScenar = 1, DispidTyp = 2, DispidSetUdaje = 3 };
    enum EventId : int { EventChangeScenar = 1 };
    static constexpr int TimerId = 101;
    // LEDs: the eight quantities, then k and M.
    enum Led : int { LedVLL, LedVLN, LedA, LedW, LedVar, LedPF, LedTHD, LedHz, LedKilo, LedMega, LedCount };

    explicit CVKRDialogCtrl(QWidget* parent = nullptr);

    QVariant Invoke(int dispid, const QVariantList& args = {}) override;

    int Scenar() const { return m_screen; }
    void setScenar(int screen);
    int Typ() const;
    void setTyp(int typ);
    void SetUdaje(float okno1, float okno2, float okno3);

    const vkr::Display& display() const { return m_display; }
    bool darkPhase() const { return m_dark; }
    // Whether the LED is lit now (blinking ones are dark in the dark phase).
    bool ledLit(int led) const;

    static PanelRect keyRect(int key);
    static PanelRect ledRect(int led);
    static PanelRect digitRect(int row, int position)
    {
        return PanelRect::sized(146 + 66 * position, 95 + 90 * row, 64, 83);
    }
    static PanelRect pointRect(int row, int point) { return PanelRect::sized(332 - 66 * point, 165 + 90 * row, 10, 10); }
    static PanelRect digitSprite(int code);
    static constexpr PanelRect pointLitSprite() { return PanelRect::sized(289, 137, 8, 8); }
    static constexpr PanelRect pointDarkSprite() { return PanelRect::sized(302, 81, 8, 8); }
    static constexpr PanelRect emptyRowSprite() { return PanelRect::sized(134, 150, 198, 67); }

signals:
    void changeScenar(int newScenar);

protected:
    void fullPaint() override;
    void onTimer(int id) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int modelNumber() const { return m_model - 1; }
    bool anythingBlinks() const;
    void updateTimer();
    void drawRows(bool all);
    void drawLeds(bool all);

    int m_screen = 0;
    int m_model = 0; // the model number plus one; 0 for none
    std::array<bool, 3> m_rowBlink{};
    vkr::Display m_display;
    vkr::Display m_drawn;
    std::array<int, 3> m_drawnPoint{{-1, -1, -1}};
    std::array<bool, LedCount> m_ledDrawn{};
    bool m_ledBlink = false;
    bool m_dark = false;
    int m_ticks = 0;
};

const QImage& vkrPanelBitmap();
const QImage& vkrSpriteBitmap();

} // namespace controls
