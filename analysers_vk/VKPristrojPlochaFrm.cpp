#include "analysers_vk/VKPristrojPlochaFrm.h"

#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKPaneLayout.h"
#include "analysers_vk/VKSeznamDlg.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKDisplayValues.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"

namespace analysers_vk {

namespace {

ui::CPanelRegistry& Panels()
{
    static ui::CPanelRegistry panels;
    return panels;
}

} // namespace

CVKPristrojPlochaFrm::CVKPristrojPlochaFrm(QWidget* parent) : CPristrojPanelFrm(Panels(), parent)
{
    m_panel = new CVKSeznamDlg(this);
    m_values = new CVKHodnotyDlg(this);
    SetChildren(m_panel, m_values);
    KeepTabs(
        3,
        [values = m_values] {
            std::vector<int> tabs(3, -1);
            values->GetTabs(tabs[0], tabs[1], tabs[2]);
            return tabs;
        },
        [values = m_values](const std::vector<int>& tabs) { values->SetTabs(tabs[0], tabs[1], tabs[2]); });
    connect(m_panel, &CVKSeznamDlg::scenarioChanged, this, &CVKPristrojPlochaFrm::UpdatePanel);
    connect(m_panel, &CVKSeznamDlg::settingsRequested, this, [this] { Request(kSettingsRequest); });
    connect(m_panel, &CVKSeznamDlg::menuRequested, this, &CVKPristrojPlochaFrm::ShowMenu);
    resize(420, 420);
}

void CVKPristrojPlochaFrm::UpdatePanel()
{
    CPristroj* entry = LiveDevice();
    auto* data = entry ? dynamic_cast<CVKArchivData*>(entry->GetArchivData()) : nullptr;
    if (!data)
        return;
    m_values->SetValues(archive::vk::FillValuesDialog(*data));
    controls::CPanelControl* control = m_panel->Control();
    const int model = data->GetModelIndex();
    const int offset = CVKScenario::Offset(model);
    m_panel->SetScenarioOffset(offset);
    int scenar = control ? control->Invoke(1).toInt() : offset;
    const int normalised = CVKScenario::Normalise(scenar, model);
    if (control && normalised != scenar)
        control->Invoke(1, {normalised});
    scenar = normalised;
    const CVKPanelValues values = archive::vk::GetPanelValues(*data, scenar - offset);
    if (control) {
        control->Invoke(3, {values.out[0], values.out[1], values.out[2], values.bits[0] != 0, values.bits[1] != 0});
        if (values.connectionMode2 != m_isAron) {
            m_isAron = values.connectionMode2;
            control->Invoke(2, {m_isAron != 0});
        }
    }
    CPristrojStatusTexts texts;
    if (entry->FillVKStatusTexts(texts))
        m_values->SetStatusTexts(texts);
}

void CVKPristrojPlochaFrm::OpenSettingsWithoutReceiver()
{
    OpenVKSettings(this, *Device());
}

void SetVKPanelRequestReceiver(QObject* receiver)
{
    Panels().SetReceiver(receiver);
}

CVKPristrojPlochaFrm* FindVKPanel(const CPristroj& entry)
{
    return static_cast<CVKPristrojPlochaFrm*>(Panels().Find(&entry));
}

void OpenVKPanel(CPristroj& entry)
{
    entry.m_onp = 1;
    OpenPristrojPanel(Panels(), entry, [] { return new CVKPristrojPlochaFrm; });
}

void UpdateVKPanel(CPristroj& entry)
{
    Panels().Update(&entry);
}

void CloseVKPanel(CPristroj& entry)
{
    Panels().Close(&entry);
}

} // namespace analysers_vk
