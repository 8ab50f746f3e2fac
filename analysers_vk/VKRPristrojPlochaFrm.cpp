#include "analysers_vk/VKRPristrojPlochaFrm.h"

#include "analysers_vk/VKRDetail.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKRDisplayValues.h"
#include "link/Pristroj.h"

namespace analysers_vk {

namespace {

ui::CPanelRegistry& Panels()
{
    static ui::CPanelRegistry panels;
    return panels;
}

} // namespace

CVKRPristrojPlochaFrm::CVKRPristrojPlochaFrm(QWidget* parent) : CPristrojPanelFrm(Panels(), parent)
{
    m_panel = new CVKRPlochaDlg(this);
    m_values = new CVKRHodnotyDlg(this);
    SetChildren(m_panel, m_values);
    KeepTabs(
        1, [values = m_values] { return std::vector<int>{values->GetActiveTab()}; },
        [values = m_values](const std::vector<int>& tabs) { values->SetActiveTab(tabs[0]); });
    connect(m_panel, &CVKRPlochaDlg::screenChanged, this, &CVKRPristrojPlochaFrm::UpdatePanel);
    connect(m_panel, &CVKRPlochaDlg::menuRequested, this, &CVKRPristrojPlochaFrm::ShowMenu);
    PlaceInLowerRight(kFirstSize, false);
}

void CVKRPristrojPlochaFrm::SetDevice(CPristroj& entry)
{
    CPristrojPanelFrm::SetDevice(entry);
    m_values->SetHeader(entry.m_nazev, QString());
}

void CVKRPristrojPlochaFrm::UpdatePanel()
{
    CPristroj* entry = LiveDevice();
    const auto* data = entry ? dynamic_cast<const CVKRArchivData*>(entry->GetArchivData()) : nullptr;
    if (!data)
        return;
    m_values->SetValues(archive::vkr::FillValuesDialog(*data));
    m_feed.Update(m_panel->Control(), *data);
    CPristrojStatusTexts texts;
    if (entry->FillVKStatusTexts(texts))
        m_values->SetStatusTexts(texts);
    if (!ShowsInstrument())
        m_values->update();
}

void CVKRPristrojPlochaFrm::OpenSettingsWithoutReceiver()
{
    QPointer<QDialog> dialog;
    OpenVKRSettings(this, *Device(), dialog);
}

void SetVKRPanelRequestReceiver(QObject* receiver)
{
    Panels().SetReceiver(receiver);
}

CVKRPristrojPlochaFrm* FindVKRPanel(const CPristroj& entry)
{
    return static_cast<CVKRPristrojPlochaFrm*>(Panels().Find(&entry));
}

bool IsVKRPanelOpen(const CPristroj& entry)
{
    return FindVKRPanel(entry) != nullptr;
}

void OpenVKRPanel(CPristroj& entry)
{
    entry.m_onp = 1;
    OpenPristrojPanel(Panels(), entry, [] { return new CVKRPristrojPlochaFrm; });
}

void UpdateVKRPanel(CPristroj& entry)
{
    Panels().Update(&entry);
}

void CloseVKRPanel(CPristroj& entry)
{
    Panels().Close(&entry);
}

} // namespace analysers_vk
