#include "analysers_vk/VKDetail.h"

#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "analysers_vk/VKSettingsFile.h"
#include "analysers_vk/VKSettingsReport.h"
#include "link/PristrojLinkBracket.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QPushButton>

namespace analysers_vk {

CVKDetail::CVKDetail(const QString& title, QWidget* parent, int firstPage)
    : CAnalyserDetail(title, parent,
                      {QStringLiteral("Načíst z"), QStringLiteral("Uložit jako"), QStringLiteral("Tiskni")},
                      QStringLiteral(".vks")),
      m_instalace(new CVKDetailInstalace(false)),
      m_vystupy(new CVKDetailVystupy),
      m_zaznam(new CVKDetailZaznam(false))
{
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_instalace)); // the sheet owns its pages
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_vystupy));
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_zaznam));
    SetActivePage(firstPage);
    if (auto* box = findChild<QDialogButtonBox*>()) {
        // "Přijmi vše" and "Storno" change places.
        box->removeButton(Button(IdApplyNow));
        box->removeButton(Button(IdCancel));
        box->addButton(Button(IdCancel), QDialogButtonBox::RejectRole);
        box->addButton(Button(IdApplyNow), QDialogButtonBox::ApplyRole);
        Button(IdApplyNow)->show();
        Button(IdCancel)->show();
    }
}

CVKDetail::~CVKDetail() = default;

bool CVKDetail::RunTask(const std::function<bool()>& task)
{
    return ui::RunInstrumentTask(this, task);
}

BOOL CVKDetail::ReadFromDevice(IVKSettingsIo& io, int /*pass*/)
{
    m_io = &io;
    return ReadOrOfferFile(io.Name(), io.SettingsFolder());
}

bool CVKDetail::ReadAll()
{
    return ReadInstalace(&m_s.config, &m_s.modem, &m_s.iden) && ReadVystupy(&m_s.outputs, &m_s.iden, TRUE)
        && ReadArchSettings(&m_s.status, &m_s.notebook, nullptr);
}

BOOL CVKDetail::ReadInstalace(CVKConfig* config, QString* modem, CIden* iden)
{
    if (!m_io || !config || !modem || !iden)
        return FALSE;
    IVKSettingsIo& io = *m_io;
    return RunTask([&] { return ReadInstallationGroup(io, *config, *modem, *iden); });
}

BOOL CVKDetail::WriteInstalace(CVKConfig config, QString modem)
{
    if (!m_io)
        return FALSE;
    IVKSettingsIo& io = *m_io;
    bool configWritten = false;
    const bool ok = RunTask([&] { return WriteInstallationGroup(io, config, modem, configWritten); });
    if (configWritten) {
        io.QueueConfigRecord(config);
        io.QueueEvent(QStringLiteral("Nastavení instalace odesláno do přístroje."));
    }
    return ok;
}

BOOL CVKDetail::ReadVystupy(CVKOutputConfig* outputs, CIden* iden, BOOL idenKnown)
{
    if (!m_io || !outputs || !iden)
        return FALSE;
    IVKSettingsIo& io = *m_io;
    return RunTask([&] { return ReadOutputsGroup(io, *outputs, *iden, idenKnown); });
}

BOOL CVKDetail::WriteVystupy(CVKOutputConfig outputs)
{
    if (!m_io)
        return FALSE;
    IVKSettingsIo& io = *m_io;
    const bool ok = RunTask([&] { return WriteOutputsGroup(io, outputs); });
    if (ok)
        io.QueueEvent(QStringLiteral("Nastavení výstupů odesláno do přístroje."));
    return ok;
}

BOOL CVKDetail::ReadArchSettings(CVKStatus* status, CVKNoteBook* notebook, CIden* iden)
{
    if (!m_io || !status || !notebook) {
        m_memory = -1;
        return FALSE;
    }
    IVKSettingsIo& io = *m_io;
    const bool ok = RunTask([&] { return ReadRecordingGroup(io, *status, *notebook, iden); });
    m_memory = ok ? MemorySizeOf(*status) : -1;
    m_zaznam->SetMemorySize(m_memory);
    return ok;
}

BOOL CVKDetail::WriteArchSettings(CVKStatus status, CVKNoteBook notebook)
{
    if (!m_io)
        return FALSE;
    IVKSettingsIo& io = *m_io;
    bool statusWritten = false;
    bool clockSet = false;
    const bool ok = RunTask([&] { return WriteRecordingGroup(io, status, notebook, statusWritten, clockSet); });
    if (statusWritten)
        io.QueueEvent(QStringLiteral("Nastavení záznamu odesláno do přístroje."));
    io.PostResync();
    // The recording starts from the instrument's clock: a clock that was not
    // set is worth telling even when the settings went through.
    if (ok && !clockSet)
        ui::ErrorBox(this, QStringLiteral("Nastavení záznamu bylo odesláno, ale hodiny přístroje se nepodařilo nastavit."),
                     ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    return ok;
}

BOOL CVKDetail::ReadSettingsFile(const QString& path, QString* error)
{
    QString why;
    const bool ok = LoadVKSettingsFile(path, m_s, why);
    if (error)
        *error = why;
    return ok;
}

BOOL CVKDetail::WriteSettingsFile(const QString& path, const QString& folder, QString* error)
{
    QString why;
    const bool ok = SaveVKSettingsFile(path, VKSettingsBytes(m_s), folder, why);
    if (error)
        *error = why;
    return ok;
}

void CVKDetail::RefreshPages()
{
    m_instalace->SetData(&m_s.config, &m_s.modem, &m_s.iden);
    m_vystupy->SetData(&m_s.outputs, &m_s.iden);
    m_zaznam->SetData(&m_s.status, &m_s.notebook, &m_s.iden);
    m_zaznam->SetMemorySize(m_memory);
    m_zaznam->FillQuantityList();
    if (m_instalace->IsInitialised())
        m_instalace->ShowFields();
    if (m_vystupy->IsInitialised()) {
        m_vystupy->SelectOutput();
        m_vystupy->UpdateControls();
    }
    if (m_zaznam->IsInitialised()) {
        m_zaznam->RebuildList();
        m_zaznam->ShowFields();
    }
}

void CVKDetail::StorePages()
{
    if (ui::CPropertyPage* page = GetActivePage()) {
        // A refused typed value does not stop saving or printing.
        if (page == m_instalace)
            m_instalace->TakeControls();
        else if (page == m_vystupy)
            m_vystupy->TakeControls();
        else
            m_zaznam->TakeControls();
    }
    m_instalace->GetData();
    m_vystupy->GetData();
    m_zaznam->GetData();
}

void CVKDetail::AddReportPages(controllers::CSettingsReport& report)
{
    AddInstallationReport(*m_instalace, report);
    AddOutputsReport(*m_vystupy, report);
    AddRecordingReport(*m_zaznam, report);
}

void RunVKSettings(QWidget* parent, IVKSettingsIo& io, QPointer<QDialog>* sheet)
{
    CVKDetail dialog(CVKDetail::TitleFor(io.Name()), parent, 0);
    if (sheet)
        *sheet = &dialog;
    int pass = 0;
    while (dialog.ReadFromDevice(io, pass) && dialog.DoModal() == ui::CPropertySheet::IdOk)
        pass = 1;
    if (sheet)
        *sheet = nullptr;
}

void OpenVKSettings(QWidget* parent, CPristroj& entry)
{
    CPristrojLinkBracket link(entry);
    CPristrojVKSettingsIo io(entry);
    RunVKSettings(parent, io);
}

void OpenVKSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet)
{
    CPristrojLinkBracket link(entry);
    CPristrojVKSettingsIo io(entry);
    RunVKSettings(parent, io, &sheet);
}

} // namespace analysers_vk
