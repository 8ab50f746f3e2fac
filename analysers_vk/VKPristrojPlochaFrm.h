#pragma once

#include "shell/PristrojPanelFrm.h"

class CPristroj;

namespace analysers_vk {

class CVKHodnotyDlg;
class CVKSeznamDlg;

// The floating panel of a VK analyser: its front panel (or, switched, its
// measured values) in a window of its own beside the main window, fed from
// the entry's live data. Requests to the application go to the receiver set
// with SetVKPanelRequestReceiver.
class CVKPristrojPlochaFrm : public CPristrojPanelFrm {
    Q_OBJECT
public:
    explicit CVKPristrojPlochaFrm(QWidget* parent = nullptr);

    void UpdatePanel() override;
    CVKSeznamDlg* PanelDialog() const { return m_panel; }
    CVKHodnotyDlg* Values() const { return m_values; }

protected:
    void OpenSettingsWithoutReceiver() override;

private:
    CVKSeznamDlg* m_panel = nullptr;
    CVKHodnotyDlg* m_values = nullptr;
    int m_isAron = 0;
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
