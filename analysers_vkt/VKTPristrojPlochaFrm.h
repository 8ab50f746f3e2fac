#pragma once

#include "analysers_vk/PanelControlHost.h"
#include "shell/PristrojPanelFrm.h"

class CPristroj;

namespace analysers_vkt {

class CVKTHodnotyDlg;

// The VKT front-panel control of the floating panel, kept at least
// 250 x 250; a missing control plugin leaves its message in its place.
class CVKTSeznamDlg : public analysers_vk::CPanelControlHost {
    Q_OBJECT
public:
    static constexpr int kMinControlSize = 250;

    explicit CVKTSeznamDlg(QWidget* parent = nullptr);

signals:
    void screenChanged();

protected:
    void ControlEvent(int id) override;
};

// The floating panel of a VKT analyser: its front panel or, switched, its
// measured values in a window of its own. Requests to the application go to
// the receiver set with SetVKTPanelRequestReceiver; the values' three tabs
// are kept per instrument beside the frame's own state.
class CVKTPristrojPlochaFrm : public CPristrojPanelFrm {
    Q_OBJECT
public:
    explicit CVKTPristrojPlochaFrm(QWidget* parent = nullptr);

    void UpdatePanel() override;
    CVKTSeznamDlg* PanelDialog() const { return m_panel; }
    CVKTHodnotyDlg* Values() const { return m_values; }

protected:
    void OpenSettingsWithoutReceiver() override;

private:
    CVKTSeznamDlg* m_panel = nullptr;
    CVKTHodnotyDlg* m_values = nullptr;
};

void SetVKTPanelRequestReceiver(QObject* receiver);
void OpenVKTPanel(CPristroj& entry);
void UpdateVKTPanel(CPristroj& entry);
void CloseVKTPanel(CPristroj& entry);
CVKTPristrojPlochaFrm* FindVKTPanel(const CPristroj& entry);

} // namespace analysers_vkt
