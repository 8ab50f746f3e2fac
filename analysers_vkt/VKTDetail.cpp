#include "analysers_vkt/VKTDetail.h"

#include "charts_data/VKTProfileData.h"

#include "analysers_vkt/VKTDetailInstalace.h"
#include "analysers_vkt/VKTDetailVystupy.h"
#include "analysers_vkt/VKTDetailZaznam.h"
#include "analysers_vkt/VKTSettingsFile.h"
#include "archive/store/VKTArchivData.h"
#include "link/PristrojLinkBracket.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace analysers_vkt {

namespace {

const QString kNoAnswer = QStringLiteral("Přístroj neodpovídá !");

} // namespace

CVKTDetail::CVKTDetail(const QString& title, QWidget* parent, int firstPage)
    : CAnalyserDetail(title, parent,
                      {QStringLiteral("Načíst nastavení ze souboru."), QStringLiteral("Uložit nastavení do souboru."),
                       QStringLiteral("Tisk nastavení.")},
                      QStringLiteral(".vts")),
      m_instalace(new CVKTDetailInstalace(false)),
      m_vystupy(new CVKTDetailVystupy),
      m_zaznam(new CVKTDetailZaznam(false))
{
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_instalace)); // the sheet owns its pages
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_vystupy));
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_zaznam));
    SetActivePage(firstPage);
}

CVKTDetail::~CVKTDetail() = default;

bool CVKTDetail::ReadAll()
{
    return ReadInstalace(&m_s.config, &m_s.modem, &m_s.iden) && ReadOutputs(&m_s.outputs, &m_s.iden, TRUE)
        && ReadRecordSettings(&m_s.status, &m_s.notebook);
}

BOOL CVKTDetail::ReadFromDevice(IVKTSettingsIo& io)
{
    m_io = &io;
    return ReadOrOfferFile(io.Name(), io.SettingsFolder());
}

BOOL CVKTDetail::ReadInstalace(CVKTConfig* config, QString* modem, CIden* iden)
{
    if (!m_io || !config || !modem || !iden)
        return FALSE;
    IVKTSettingsIo& io = *m_io;
    return ui::RunInstrumentTask(this, [&] { return ReadInstallationGroup(io, *config, *modem, *iden); });
}

BOOL CVKTDetail::WriteInstalace(CVKTConfig config, QString modem, QString* error)
{
    if (!m_io)
        return FALSE;
    IVKTSettingsIo& io = *m_io;
    bool configWritten = false;
    const bool ok = ui::RunInstrumentTask(this, [&] { return WriteInstallationGroup(io, config, modem, configWritten); });
    if (configWritten) {
        io.QueueConfigRecord(config);
        io.QueueEvent(QStringLiteral("Nastavení instalace odesláno do přístroje."));
    }
    if (error && !ok) {
        // The installation page tells the link's own reason.
        *error = io.ErrorText();
        if (error->isEmpty())
            *error = kNoAnswer;
    } else if (error) {
        error->clear();
    }
    return ok;
}

BOOL CVKTDetail::ReadOutputs(CVKTOutputConfig* outputs, CIden* iden, BOOL idenKnown)
{
    if (!m_io || !outputs || !iden)
        return FALSE;
    IVKTSettingsIo& io = *m_io;
    CVKTOutputConfig held;
    const bool ok = ui::RunInstrumentTask(this, [&] { return ReadOutputsGroup(io, *outputs, *iden, idenKnown, &held); });
    if (ok)
        m_heldOutputs = held;
    return ok;
}

BOOL CVKTDetail::WriteOutputs(CVKTOutputConfig outputs)
{
    if (!m_io)
        return FALSE;
    IVKTSettingsIo& io = *m_io;
    const CVKTOutputConfig* held = m_heldOutputs ? &*m_heldOutputs : nullptr;
    const bool ok = ui::RunInstrumentTask(this, [&] { return WriteOutputsGroup(io, outputs, held); });
    if (ok)
        io.QueueEvent(QStringLiteral("Nastavení výstupů odesláno do přístroje."));
    return ok;
}

BOOL CVKTDetail::ReadRecordSettings(CVKTStatus* status, CVKTNoteBook* notebook)
{
    if (!m_io || !status || !notebook)
        return FALSE;
    IVKTSettingsIo& io = *m_io;
    return ui::RunInstrumentTask(this, [&] { return ReadRecordingGroup(io, *status, *notebook); });
}

BOOL CVKTDetail::WriteRecordSettings(CVKTStatus status, CVKTNoteBook notebook)
{
    if (!m_io)
        return FALSE;
    IVKTSettingsIo& io = *m_io;
    bool statusWritten = false;
    const bool ok =
        ui::RunInstrumentTask(this, [&] { return WriteRecordingGroup(io, status, notebook, statusWritten); });
    if (statusWritten)
        io.QueueEvent(QStringLiteral("Nastavení záznamu odesláno do přístroje."));
    io.PostResync();
    return ok;
}

BOOL CVKTDetail::LoadFile(const QString& path, QString* error)
{
    QString why;
    const bool ok = LoadVKTSettingsFile(path, m_s, why);
    if (error)
        *error = why;
    return ok;
}

BOOL CVKTDetail::SaveFile(const QString& path, const QString& folder, QString* error)
{
    QString why;
    const bool ok = SaveVKTSettingsFile(path, m_s, folder, why);
    if (error)
        *error = why;
    return ok;
}

void CVKTDetail::RefreshPages()
{
    m_instalace->SetData(&m_s.config, &m_s.modem, &m_s.iden);
    m_vystupy->SetData(&m_s.outputs, &m_s.iden);
    m_zaznam->SetData(&m_s.status, &m_s.notebook);
    m_instalace->ShowFields();
    m_vystupy->ShowFields();
    m_zaznam->ShowFields();
}

void CVKTDetail::StorePages()
{
    // A refused typed value does not stop saving or printing.
    m_instalace->TakeControls();
    m_vystupy->TakeControls();
    m_zaznam->TakeControls();
    m_instalace->GetData();
    m_vystupy->GetData();
    m_zaznam->GetData();
}

void CVKTDetail::AddReportPages(controllers::CSettingsReport& report)
{

    const CVKTDetailInstalace& in = *m_instalace;
    auto text = [](const controllers::CSettingsPage& page, int id) { return page.ControlText(id); };
    report.Head(in.Caption());
    report.Empty();
    report.Pair(1, QStringLiteral("Typ přístroje:"), text(in, 1148));
    report.Pair(1, QStringLiteral("Způsob připojení napětí:"), text(in, 1125));
    report.Pair(1, QStringLiteral("Typ připojení:"), text(in, 1126));
    report.Pair(1, QStringLiteral("Výchozí frekvence:"), text(in, 1128) + QStringLiteral(" Hz"));
    report.Pair(1, QStringLiteral("Převod MTN:"), text(in, 1129) + QStringLiteral(" / 100"));
    report.Pair(1, QStringLiteral("Převod MTN4:"), text(in, 1022) + QStringLiteral(" / 100"));
    report.Pair(1, QStringLiteral("Převod MTP:"), text(in, 1131) + QStringLiteral(" / ") + text(in, 1130));
    report.Pair(1, QStringLiteral("Převod MTP4:"), text(in, 1133) + QStringLiteral(" / ") + text(in, 1017));
    report.Pair(1, QStringLiteral("Unom :"), text(in, 1149) + QStringLiteral(" V"));
    report.Pair(1, QStringLiteral("Pnom :"), text(in, 1150) + QStringLiteral(" kW"));
    report.Pair(1, QStringLiteral("Dálková komunikace:"), text(in, 1143));
    report.Empty();

    const VKTOutputFields& out = m_vystupy->Fields();
    report.Head(m_vystupy->Caption());
    report.Empty();
    report.Text(1, QStringLiteral("Impulsní výstupy"));
    const QStringList kinds{QStringLiteral("Činná, import"), QStringLiteral("Činná, export"),
                            QStringLiteral("Jalová, import"), QStringLiteral("Jalová, export")};
    report.Pair(2, QStringLiteral("P1"),
                QStringLiteral("%1   %2 imp/kWh").arg(kinds.value(out.kind1), QString::number(out.rate1, 'g', 6)));
    report.Pair(2, QStringLiteral("P2"),
                QStringLiteral("%1   %2 imp/kWh").arg(kinds.value(out.kind2), QString::number(out.rate2, 'g', 6)));
    report.Text(1, QStringLiteral("Reléové výstupy"));
    const QStringList quantities{"U-LN", "U-LL", "I", "PF", "P", "Q", "S", "1/4hP", "THDU", "THDI", "cos", "f", "T"};
    for (int i = 0; i < 2; ++i) {
        const VKTRelaySlot& r = out.relays[std::size_t(i)];
        report.Text(2, QStringLiteral("Relé %1").arg(i + 1));
        if (!r.active) {
            report.Pair(3, QStringLiteral("Řídící veličina:"), QStringLiteral("--"));
            continue;
        }
        report.Pair(3, QStringLiteral("Řídící veličina:"),
                    quantities.value(r.quantity) + QStringLiteral("  ")
                        + PhaseItems(r.quantity, out.WithoutN(r.quantity)).value(r.phase));
        report.Pair(3, r.direction ? QStringLiteral("Nad") : QStringLiteral("Pod"),
                    QStringLiteral("Přepínací mez: %1 %2").arg(QString::asprintf("%0.1f", r.limit), LimitUnit(r.quantity)));
        report.Pair(3, QStringLiteral("Hystereze (+/-):"),
                    QString::asprintf("%0.1f ", r.hysteresis) + HysteresisUnit(r.quantity));
        report.Pair(3, QStringLiteral("Blokovací doba:"), QStringLiteral("%1 sec").arg(r.blocking));
    }
    report.Empty();

    const VKTRecordFields& rec = m_zaznam->Fields();
    report.Head(m_zaznam->Caption());
    report.Empty();
    report.Pair(1, QStringLiteral("Název záznamu:"), rec.name);
    report.Pair(1, QStringLiteral("Perioda záznamu:"), m_zaznam->PeriodText().trimmed());
    report.Pair(1, QStringLiteral("Start. čas"),
                rec.atOnce ? QStringLiteral("--") : m_zaznam->Start().Text());
    report.Pair(1, QStringLiteral("Cyklický záznam"),
                rec.selection[CVKTArch::SelCyclic] ? QStringLiteral("ANO") : QStringLiteral("--"));
    report.Text(1, QStringLiteral("-----------------"));
    const std::array<std::pair<const char*, int>, 9> rows{{{"ULL", CVKTArch::SelLineVoltage},
                                                            {"ULN", CVKTArch::SelVoltage},
                                                            {"I", CVKTArch::SelCurrent},
                                                            {"THDU", CVKTArch::SelThdU},
                                                            {"THDI", CVKTArch::SelThdI},
                                                            {"cos", CVKTArch::SelCos},
                                                            {"P", CVKTArch::SelActivePower},
                                                            {"Q", CVKTArch::SelReactivePower},
                                                            {"S", CVKTArch::SelApparentPower}}};
    for (const auto& [label, sel] : rows) {
        const BYTE v = rec.selection[std::size_t(sel)];
        if ((v & 0x0F) == 0)
            continue;
        QStringList phases;
        for (int c = 0; c < 4; ++c)
            if (v & (1 << c))
                phases << (c < 3 ? QStringLiteral("L%1").arg(c + 1) : QStringLiteral("N/3f"));
        report.Pair(2, QString::fromLatin1(label),
                    phases.join(QStringLiteral(", ")) + QStringLiteral("  ")
                        + ((v & 0x10) ? QStringLiteral("Prům+Min+Max") : QStringLiteral("Prům")));
    }
    report.Text(1, QStringLiteral("-----------------"));
    const BYTE harmonics = rec.selection[CVKTArch::SelHarmonics];
    report.Pair(1, QStringLiteral("Harmonické"),
                harmonics ? QStringLiteral("ANO, do řádu %1").arg(rec.selection[CVKTArch::SelOrders] & 0x7F)
                          : QStringLiteral("--"));
    report.Pair(1, QStringLiteral("Nesymetrie (Výběr dle ULL)"),
                (rec.selection[CVKTArch::SelLineVoltage] & 0x08) ? QStringLiteral("ANO") : QStringLiteral("--"));
    report.Pair(1, QStringLiteral("Relé"),
                (rec.selection[CVKTArch::SelFlags] & 0x04) ? QStringLiteral("ANO") : QStringLiteral("--"));
}

CVKTDetailStatic::CVKTDetailStatic(const QString& title, QWidget* parent)
    : ui::CPropertySheet(title, parent), m_instalace(new CVKTDetailInstalace(true)), m_zaznam(nullptr)
{
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_instalace));
    Button(IdApplyNow)->hide();
    Button(IdCancel)->hide();
}

bool CVKTDetailStatic::SetSettings(const CVKTConfig& config, const CIden& iden, const CVKTStatus* status)
{
    m_config = config;
    m_iden = iden;
    m_instalace->SetData(&m_config, nullptr, &m_iden);
    m_instalace->ShowFields();
    if (status) {
        m_status = *status;
        if (!m_zaznam) {
            m_zaznam = new CVKTDetailZaznam(true);
            AddPage(std::unique_ptr<ui::CPropertyPage>(m_zaznam));
        }
        m_zaznam->SetData(&m_status, nullptr);
        m_zaznam->ShowFields();
    }
    return true;
}

bool CVKTDetailStatic::LoadFromArchive(const CVKTArchivData& archive)
{
    CVKTConfig config;
    CIden iden;
    if (!archive.GetConfigAt(config) || !archive.GetIdenAt(iden))
        return false;
    CVKTStatus status;
    const bool hasStatus = archive.GetStatusRecord(status) != 0;
    return SetSettings(config, iden, hasStatus ? &status : nullptr);
}

bool CVKTDetailStatic::LoadFromProfile(CVKTProfileData& profile)
{
    CVKTConfig config;
    CIden iden;
    if (!profile.ReadSettings(iden, config))
        return false;
    return SetSettings(config, iden, nullptr);
}

void RunVKTSettings(QWidget* parent, IVKTSettingsIo& io, QPointer<QDialog>* sheet)
{
    CVKTDetail dialog(CVKTDetail::TitleFor(io.Name()), parent, 0);
    if (sheet)
        *sheet = &dialog;
    // OK sends nothing by itself: the sheet comes back with what the
    // analyser now holds, so the user sees whether the pages' sends took.
    while (dialog.ReadFromDevice(io) && dialog.DoModal() == ui::CPropertySheet::IdOk) {
    }
    if (sheet)
        *sheet = nullptr;
}

void OpenVKTSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet)
{
    CPristrojLinkBracket link(entry);
    CPristrojVKTSettingsIo io(entry);
    RunVKTSettings(parent, io, &sheet);
}

} // namespace analysers_vkt
