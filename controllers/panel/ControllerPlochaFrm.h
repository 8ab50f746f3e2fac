#pragma once

#include <QWidget>

class CPristroj;
class QLabel;
class QMenu;

namespace controls {
class CPanelControl;
}

namespace controllers {

class CValuesDlgBase;

// The floating panel of a controller: its front panel (or, switched, its
// values) in a small window of its own. It reads the entry's live data;
// requests to the application (close, return, settings) go as
// WM_APP_OPEN_DEVICE_DETAIL to the receiver set with
// SetControllerPanelRequestReceiver.
class CControllerPlochaFrm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSize = 250;

    explicit CControllerPlochaFrm(bool duskar, QWidget* parent = nullptr);
    ~CControllerPlochaFrm() override;

    void SetDevice(CPristroj& entry);
    CPristroj* Device() const { return m_entry; }
    void UpdatePanel();
    void OnPanelKey(int id);

    void ToggleData();
    void ToggleOnTop();
    bool OnTop() const { return m_onTop; }
    bool ShowsPanel() const { return m_isPanel; }
    int MenuPosition() const { return m_menu; }
    int PanelType() const { return m_type; }
    controls::CPanelControl* PanelControl() const { return m_panel; }
    CValuesDlgBase* ValuesPane() const { return m_values; }
    void FillMenu(QMenu& menu);
    // 1 closes the panel, 2 returns to the application, 3 opens the settings.
    void Request(int request);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void PlaceChild();
    void SaveState();

    bool m_duskar;
    controls::CPanelControl* m_panel = nullptr;
    QLabel* m_panelError = nullptr;
    CValuesDlgBase* m_values = nullptr; // the family's values display
    CPristroj* m_entry = nullptr;
    QString m_entryName;
    int m_menu = 1;
    int m_model = -1;
    int m_type = -1;
    bool m_onTop = false;
    bool m_isPanel = true;
    bool m_closing = false;
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
