#include "shell/PristrojPanelFrm.h"

#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "link/PristrojHost.h"
#include "shell/MavexApp.h"

#include <algorithm>

void CPristrojPanelFrm::SetDevice(CPristroj& entry)
{
    LoadState(entry.m_nazev);
    m_entry = &entry;
    m_env = entry.Environment();
    SetSubject(&entry);
}

CPristroj* CPristrojPanelFrm::LiveDevice()
{
    if (!m_entry || !m_env)
        return nullptr;
    // Only the application keeps the list of entries; elsewhere (tools,
    // tests) the entry is taken as it is.
    auto* app = dynamic_cast<CMavexApp*>(&m_env->PristrojHost());
    if (!app)
        return m_entry;
    const std::vector<CPristroj*> entries = app->Instruments();
    if (std::find(entries.begin(), entries.end(), m_entry) != entries.end())
        return m_entry;
    m_entry = nullptr;
    SetSubject(nullptr);
    return nullptr;
}

bool CPristrojPanelFrm::SubjectAlive()
{
    return LiveDevice() != nullptr;
}

void CPristrojPanelFrm::ClosedWithoutReceiver()
{
    if (m_entry)
        m_entry->m_onp = 0;
}

CPristrojPanelFrm* OpenPristrojPanel(ui::CPanelRegistry& panels, CPristroj& entry,
                                     const std::function<CPristrojPanelFrm*()>& make)
{
    auto* frame = static_cast<CPristrojPanelFrm*>(panels.Find(&entry));
    if (!frame) {
        frame = make();
        frame->SetDevice(entry);
        panels.Add(&entry, frame);
    }
    frame->Present();
    return frame;
}
