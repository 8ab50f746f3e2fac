#pragma once
// The VKT analyser's front panel: nineteen screen LEDs, three upper windows
// and a lower window of four digits, prefix and I/O LEDs, four arrow keys
// walking the control's own graph of 61 screens.
#include "controls/common/PanelControl.h"
#include "controls/vkt/VKTDisplay.h"
#include "controls/vkt/VKTScreens.h"

#include <vector>

namespace controls {

class CVKTDialogCtrl : public CPanelControl {
    Q_OBJECT
public:
    enum DispId : int { DispidTyp = 1, DispidScenar = 2, DispidSetUdaje = 3 };
    enum EventId : int { EventChangeScenar = 1 };
    enum Key : int { KeyDown, KeyUp, KeyRight, KeyLeft };
    enum ControlLed : int { LedIo, LedUpperKilo, LedUpperMega, LedLowerKilo, LedLowerMega, ControlLedCount };

    explicit CVKTDialogCtrl(QWidget* parent = nullptr);
    ~CVKTDialogCtrl() override;

    QVariant Invoke(int dispid, const QVariantList& args = {}) override;

    int Scenar() const { return m_screen; }
    // Marks the control modified and reports the current screen; the screen
    // itself is chosen only with the keys.
    void setScenar(int screen);
    void SetUdaje(float udaj1, float udaj2, float udaj3, float udaj4, int priznaky);

    int timerId() const { return m_timerId; }
    const vkt::Display& display() const { return m_display; }
    int screenLedState(int led) const { return m_leds[static_cast<std::size_t>(led)].state; }
    // The screen LED is shown lit now.
    bool screenLedLit(int led) const;
    bool controlLedOn(int led) const { return m_controlLeds[static_cast<std::size_t>(led)]; }
    const std::vector<int>& ledBlinkList() const { return m_ledBlink; }

    static PanelRect screenLedRect(int led);
    static PanelRect controlLedRect(int led);
    static PanelRect keyRect(int key);
    static PanelRect cellRect(int window, int position);
    static PanelRect glyphRect(int code);

signals:
    void ChangeScenar(int newScenar);

protected:
    void fullPaint() override;
    void onTimer(int id) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct ScreenLedState {
        int state = vkt::Off;
        bool dark = false; // blink phase
        bool dirty = true;
    };
    void enterScreen(int screen);
    void drawScreenLeds(bool all);
    void drawCells();
    void drawControlLeds();
    void fireChange();

    int m_screen = 0;
    int m_timerId = 0;
    int m_blinkTicks = 0;
    bool m_pending = false;
    int m_pendingTicks = 0;
    std::array<ScreenLedState, vkt::ScreenLedCount> m_leds{};
    std::vector<int> m_ledBlink;
    std::array<bool, ControlLedCount> m_controlLeds{};
    vkt::Display m_display;
};

// Panel 201 with every element off and 202 with every element lit.
const QImage& vktPanelBitmap();
const QImage& vktLitBitmap();

} // namespace controls
