#pragma once

#include <QWidget>

#include <memory>

class CLinkEnvironment;

class CPristroj;
class QMenu;

namespace analysers_vk {

class CVKHodnotyDlg;
class CVKSeznamDlg;

// The floating panel of a VK analyser: its front panel (or, switched, its
// measured values) in a window of its own beside the main window. It reads
// the entry's live data; requests to the application (close, return,
// settings) go as WM_APP_OPEN_DEVICE_DETAIL to the receiver set with
// SetVKPanelRequestReceiver.
class CVKPristrojPlochaFrm : public QWidget {
    Q_OBJECT
public:
    explicit CVKPristrojPlochaFrm(QWidget* parent = nullptr);
    ~CVKPristrojPlochaFrm() override;

    void SetDevice(CPristroj& entry);
    CPristroj* Device() const { return m_entry; }
    void UpdatePanel();

    // Between the instrument panel and the values panel.
    void ToggleData();
    void ToggleOnTop();
    bool OnTop() const { return m_onTop; }
    bool ShowsInstrument() const { return m_showInstrument; }
    CVKSeznamDlg* PanelDialog() const { return m_panel; }
    CVKHodnotyDlg* Values() const { return m_values; }
    void FillMenu(QMenu& menu);

    // Request 1 closes the panel, 2 returns to the application, 3 opens the
    // settings; without a receiver a close request closes the window.
    void Request(int request);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SaveState();
    // False once the application no longer lists the entry (removed while
    // the panel was up); the panel then lets go of it.
    bool EntryAlive();

    CVKSeznamDlg* m_panel = nullptr;
    CVKHodnotyDlg* m_values = nullptr;
    CPristroj* m_entry = nullptr;
    std::shared_ptr<CLinkEnvironment> m_env;
    QString m_entryName;
    bool m_onTop = false;
    bool m_showInstrument = true;
    int m_isAron = 0;
    bool m_closing = false;
};

// Where the floating panels send their requests (the application object).
void SetVKPanelRequestReceiver(QObject* receiver);
// Opens (or raises) the floating panel of the entry.
void OpenVKPanel(CPristroj& entry);
// Feeds the entry's floating panel, when it has one, after a measurement.
void UpdateVKPanel(CPristroj& entry);
// Closes the entry's floating panel; to be called before the entry goes.
void CloseVKPanel(CPristroj& entry);
CVKPristrojPlochaFrm* FindVKPanel(const CPristroj& entry);

} // namespace analysers_vk
