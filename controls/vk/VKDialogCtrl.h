#pragma once
// The VK analyser's front panel: twelve screens of three values on a
// seven-segment panel (0-11) or a graphic-display panel (100-111).
#include "controls/common/PanelControl.h"
#include "controls/vk/VKFormat.h"

namespace controls {

class CVKDialogCtrl : public CPanelControl {
    Q_OBJECT
public:
    enum DispId : int { DispidScenar = 1, DispidIsAron = 2, DispidSetUdaje = 3 };
    enum EventId : int { EventChangeScenar = 1, EventZmcSettings = 2, EventZmcList = 3 };

    explicit CVKDialogCtrl(QWidget* parent = nullptr);

    QVariant Invoke(int dispid, const QVariantList& args = {}) override;

    int Scenar() const { return m_screen; }
    void setScenar(int screen);
    bool isAron() const { return m_aron; }
    void setAron(bool aron);
    void SetUdaje(float okno1, float okno2, float okno3, bool rel1, bool rel2);

    const vk::Display& display() const { return m_display; }
    bool graphic() const { return m_screen >= 100; }
    // Key k of the current panel, in its own units (512 or 600).
    PanelRect keyRect(int key) const { return keyRectOf(graphic(), key); }
    static PanelRect keyRectOf(bool graphicPanel, int key);
    int keyBase() const { return graphic() ? 600 : 512; }
    static PanelRect digitRect(int window, int position)
    {
        return PanelRect::sized(50 + 55 * position, 68 + 116 * window, 45, 75);
    }
    static PanelRect pointRect(int window, int slot)
    {
        return PanelRect::sized(260 - 55 * slot, 130 + 116 * window, 13, 13);
    }
    static PanelRect relayRect(int relay) { return PanelRect::sized(430, relay == 0 ? 154 : 196, 42, 42); }
    static PanelRect digitSprite(int code);
    // The unit sprite row of a seven-segment screen, or -1 for screens whose
    // label carries its own unit.
    static int unitKind(int screen);
    // The text of a graphic-display line as it is written.
    QString lineText(int line) const;

signals:
    void changeScenar(int newScenar);
    void zmcSettings();
    void zmcList(int item);

protected:
    void fullPaint() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void loadBitmaps(bool graphic);
    void drawDigits(const vk::Display& previous, bool all);
    void drawPoints(int oldPoint, int newPoint);
    void drawRelays(bool all, bool old1, bool old2);
    void drawLabelStrip();
    void drawGraphicText();
    void step(int key);
    void fireChangeScenar();

    int m_screen = -1;
    vk::Display m_display;
    bool m_rel1 = false;
    bool m_rel2 = false;
    bool m_aron = false;
    int m_labelScreen = -2;
    int m_labelPrefix = -1;
};

// The bitmaps of the two panel styles and the label places on the sheet.
struct VKArt {
    QImage panel7;
    QImage sprite7;
    QImage panelGraphic;
    QImage spriteGraphic;
    PanelRect labels[12];
    // Units by [screen kind][prefix]: voltage, current, P, Q, S, bare prefix.
    PanelRect units[6][3];
};
const VKArt& vkArt();

} // namespace controls
