#pragma once

#include "analysers_vk/VKRPanelFeed.h"

#include <QWidget>

#include <memory>

class CLinkEnvironment;
class CPristroj;
class QMenu;

namespace analysers_vk {

class CVKRHodnotyDlg;
class CVKRPlochaDlg;

// The floating panel of a VKR analyser: its front panel (or, switched, its
// measured values) in a window of its own, first 300 x 300 pixels in the
// lower right corner of the screen. Requests to the application (close,
// return, settings) go as WM_APP_OPEN_DEVICE_DETAIL to the receiver set with
// SetVKRPanelRequestReceiver.
class CVKRPristrojPlochaFrm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFirstSize = 300;

    explicit CVKRPristrojPlochaFrm(QWidget* parent = nullptr);
    ~CVKRPristrojPlochaFrm() override;

    void SetDevice(CPristroj& entry);
    CPristroj* Device() const { return m_entry; }
    // The newest measurement into the values and the front panel.
    void UpdatePanel();

    void ToggleData();
    void ToggleOnTop();
    bool OnTop() const { return m_onTop; }
    bool ShowsInstrument() const { return m_showInstrument; }
    CVKRPlochaDlg* PanelDialog() const { return m_panel; }
    CVKRHodnotyDlg* Values() const { return m_values; }
    const CVKRPanelFeed& Feed() const { return m_feed; }
    void FillMenu(QMenu& menu);

    // Request 1 closes the panel, 2 returns to the application, 3 opens the
    // settings; without a receiver the panel does these itself.
    void Request(int request);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SaveState();
    bool EntryAlive();

    CVKRPlochaDlg* m_panel = nullptr;
    CVKRHodnotyDlg* m_values = nullptr;
    CVKRPanelFeed m_feed;
    CPristroj* m_entry = nullptr;
    std::shared_ptr<CLinkEnvironment> m_env;
    QString m_entryName;
    bool m_onTop = false;
    bool m_showInstrument = true;
    bool m_closing = false;
};

void SetVKRPanelRequestReceiver(QObject* receiver);
// Opens (or raises) the floating panel of the entry.
void OpenVKRPanel(CPristroj& entry);
// Feeds the entry's floating panel, when it has one, after a measurement.
void UpdateVKRPanel(CPristroj& entry);
// Closes the entry's floating panel; to be called before the entry goes.
void CloseVKRPanel(CPristroj& entry);
CVKRPristrojPlochaFrm* FindVKRPanel(const CPristroj& entry);
bool IsVKRPanelOpen(const CPristroj& entry);

} // namespace analysers_vk
