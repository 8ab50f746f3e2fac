#include "analysers_vkt/VKTPristrojPlochaFrm.h"

#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "archive/store/VKTArchivData.h"
#include "archive/store/VKTDisplayValues.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"

#include <QPointer>

#include <algorithm>

namespace analysers_vkt {

namespace {

constexpr int kDispidScenar = 2;
constexpr int kDispidSetUdaje = 3;

ui::CPanelRegistry& Panels()
{
    static ui::CPanelRegistry panels;
    return panels;
}

} // namespace

CVKTSeznamDlg::CVKTSeznamDlg(QWidget* parent)
    : CPanelControlHost(controls::ControlFactory::VKTDialog, kMinControlSize, 0, parent)
{
}

void CVKTSeznamDlg::ControlEvent(int id)
{
    if (id == 1)
        emit screenChanged();
}

CVKTPristrojPlochaFrm::CVKTPristrojPlochaFrm(QWidget* parent) : CPristrojPanelFrm(Panels(), parent)
{
    m_panel = new CVKTSeznamDlg(this);
    m_values = new CVKTHodnotyDlg(this);
    m_values->SetArchiveMode(false);
    SetChildren(m_panel, m_values);
    KeepTabs(
        3,
        [values = m_values] {
            std::vector<int> tabs(3, -1);
            values->GetActiveTab(tabs[0], tabs[1], tabs[2]);
            return tabs;
        },
        [values = m_values](const std::vector<int>& tabs) { values->SetActiveTab(tabs[0], tabs[1], tabs[2]); });
    connect(m_panel, &CVKTSeznamDlg::screenChanged, this, &CVKTPristrojPlochaFrm::UpdatePanel);
    connect(m_panel, &CVKTSeznamDlg::menuRequested, this, &CVKTPristrojPlochaFrm::ShowMenu);
    connect(m_values, &CVKTHodnotyDlg::PanelMenu, this, &CVKTPristrojPlochaFrm::ShowMenu);
    resize(420, 420);
}

void CVKTPristrojPlochaFrm::UpdatePanel()
{
    CPristroj* entry = LiveDevice();
    auto* data = entry ? dynamic_cast<CVKTArchivData*>(entry->GetArchivData()) : nullptr;
    if (!data)
        return;
    m_values->SetReceivedMask(entry->GetValueMask());
    m_values->SetValues(archive::vkt::FillValuesDialog(*data, m_values->DialogRows(), 0));
    controls::CPanelControl* control = m_panel->Control();
    const int screen = control ? std::max(0, control->Invoke(kDispidScenar).toInt()) : 0;
    const CVKTPanelValues values = archive::vkt::GetPanelValues(*data, screen);
    if (control)
        control->Invoke(kDispidSetUdaje,
                        {values.values[0], values.values[1], values.values[2], values.values[3], values.flags});
    CPristrojStatusTexts texts;
    if (entry->FillVKTStatusTexts(texts))
        m_values->SetStatusTexts(texts);
    if (!ShowsInstrument())
        m_values->update();
}

void CVKTPristrojPlochaFrm::OpenSettingsWithoutReceiver()
{
    QPointer<QDialog> sheet;
    OpenVKTSettings(this, *Device(), sheet);
}

void SetVKTPanelRequestReceiver(QObject* receiver)
{
    Panels().SetReceiver(receiver);
}

CVKTPristrojPlochaFrm* FindVKTPanel(const CPristroj& entry)
{
    return static_cast<CVKTPristrojPlochaFrm*>(Panels().Find(&entry));
}

void OpenVKTPanel(CPristroj& entry)
{
    entry.m_onp = 1;
    OpenPristrojPanel(Panels(), entry, [] { return new CVKTPristrojPlochaFrm; });
}

void UpdateVKTPanel(CPristroj& entry)
{
    Panels().Update(&entry);
}

void CloseVKTPanel(CPristroj& entry)
{
    Panels().Close(&entry);
}

} // namespace analysers_vkt
