#pragma once

#include "analysers_vk/VKRPanelFeed.h"
#include "shell/PristrojPanelFrm.h"

class CPristroj;

namespace analysers_vk {

class CVKRHodnotyDlg;
class CVKRPlochaDlg;

// The floating panel of a VKR analyser: its front panel (or, switched, its
// measured values) in a window of its own, first 300 x 300 pixels in the
// lower right corner of the screen. Requests to the application go to the
// receiver set with SetVKRPanelRequestReceiver.
class CVKRPristrojPlochaFrm : public CPristrojPanelFrm {
    Q_OBJECT
public:
    static constexpr int kFirstSize = 300;

    explicit CVKRPristrojPlochaFrm(QWidget* parent = nullptr);

    void SetDevice(CPristroj& entry) override;
    void UpdatePanel() override;
    CVKRPlochaDlg* PanelDialog() const { return m_panel; }
    CVKRHodnotyDlg* Values() const { return m_values; }
    const CVKRPanelFeed& Feed() const { return m_feed; }

protected:
    void OpenSettingsWithoutReceiver() override;

private:
    CVKRPlochaDlg* m_panel = nullptr;
    CVKRHodnotyDlg* m_values = nullptr;
    CVKRPanelFeed m_feed;
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
