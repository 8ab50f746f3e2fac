#pragma once

#include <QWidget>

#include <memory>

class CLinkEnvironment;
class CPristroj;
class QMenu;

namespace controls {
class CPanelControl;
}

namespace analysers_vkt {

class CVKTHodnotyDlg;

// The VKT front-panel control of the floating panel, kept at least
// 250 x 250; a missing control plugin leaves its message in its place.
class CVKTSeznamDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinControlSize = 250;

    explicit CVKTSeznamDlg(QWidget* parent = nullptr);
    controls::CPanelControl* Control() const { return m_control; }
    QSize ControlSize() const { return m_controlSize; }

signals:
    void screenChanged();
    void menuRequested(QPoint globalPos);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    controls::CPanelControl* m_control = nullptr;
    QWidget* m_error = nullptr;
    QSize m_controlSize{kMinControlSize, kMinControlSize};
};

// The floating panel of a VKT analyser: its front panel or, switched, its
// measured values in a window of its own. Requests to the application
// (close, return, settings) go as WM_APP_OPEN_DEVICE_DETAIL to the receiver
// set with SetVKTPanelRequestReceiver; placement, tabs, on-top choice and
// the shown child are kept per instrument.
class CVKTPristrojPlochaFrm : public QWidget {
    Q_OBJECT
public:
    explicit CVKTPristrojPlochaFrm(QWidget* parent = nullptr);
    ~CVKTPristrojPlochaFrm() override;

    void SetDevice(CPristroj& entry);
    CPristroj* Device() const { return m_entry; }
    void UpdatePanel();

    void ToggleData();
    void ToggleOnTop();
    bool OnTop() const { return m_onTop; }
    bool ShowsInstrument() const { return m_showInstrument; }
    CVKTSeznamDlg* PanelDialog() const { return m_panel; }
    CVKTHodnotyDlg* Values() const { return m_values; }
    void FillMenu(QMenu& menu);
    void Request(int request);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SaveState();
    bool EntryAlive();
    void ShowMenu(QPoint at);

    CVKTSeznamDlg* m_panel = nullptr;
    CVKTHodnotyDlg* m_values = nullptr;
    CPristroj* m_entry = nullptr;
    std::shared_ptr<CLinkEnvironment> m_env;
    QString m_entryName;
    bool m_onTop = false;
    bool m_showInstrument = true;
    bool m_closing = false;
};

void SetVKTPanelRequestReceiver(QObject* receiver);
void OpenVKTPanel(CPristroj& entry);
void UpdateVKTPanel(CPristroj& entry);
void CloseVKTPanel(CPristroj& entry);
CVKTPristrojPlochaFrm* FindVKTPanel(const CPristroj& entry);

} // namespace analysers_vkt
