#pragma once

#include "shell/PristrojPanelFrm.h"

class CPristroj;
class QLabel;

namespace controls {
class CPanelControl;
}

namespace controllers {

class CValuesDlgBase;

// The floating panel of a controller: its front panel (or, switched, its
// values) in a small window of its own, fed from the entry's live data.
// Requests to the application go to the receiver set with
// SetControllerPanelRequestReceiver.
class CControllerPlochaFrm : public CPristrojPanelFrm {
    Q_OBJECT
public:
    static constexpr int kSize = 250;

    explicit CControllerPlochaFrm(bool duskar, QWidget* parent = nullptr);

    void UpdatePanel() override;
    void OnPanelKey(int id);

    bool ShowsPanel() const { return ShowsInstrument(); }
    int MenuPosition() const { return m_menu; }
    int PanelType() const { return m_type; }
    controls::CPanelControl* PanelControl() const { return m_panel; }
    CValuesDlgBase* ValuesPane() const { return m_values; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void PlaceChildren() override;
    void DataToggled() override;
    void OpenSettingsWithoutReceiver() override;

private:
    bool m_duskar;
    controls::CPanelControl* m_panel = nullptr;
    QLabel* m_panelError = nullptr;
    CValuesDlgBase* m_values = nullptr; // the family's values display
    int m_menu = 1;
    int m_model = -1;
    int m_type = -1;
};

void SetControllerPanelRequestReceiver(QObject* receiver);
// Opens (or raises) the floating panel of the entry.
void OpenControllerPanel(CPristroj& entry);
// Feeds the entry's floating panel, when it has one, after a measurement.
void UpdateControllerPanel(CPristroj& entry);
// Closes the entry's floating panel; to be called before the entry goes.
void CloseControllerPanel(CPristroj& entry);
CControllerPlochaFrm* FindControllerPanel(const CPristroj& entry);

} // namespace controllers
