#include "analysers_vk/VKDetail.h"

#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "analysers_vk/VKSettingsFile.h"
#include "analysers_vk/VKSettingsReport.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>

namespace analysers_vk {

namespace {

const QString kNoAnswer = QStringLiteral("Přístroj neodpovídá !");
const QString kFileFailed = QStringLiteral("Soubor se nepodařilo otevřít.");

std::function<QDateTime()>& PrintClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

} // namespace

void CVKDetail::SetPrintClock(std::function<QDateTime()> clock)
{
    PrintClock() = std::move(clock);
}

QString CVKDetail::TitleFor(const QString& instrumentName)
{
    return QStringLiteral("Nastavení přístroje (%1)").arg(instrumentName);
}

CVKDetail::CVKDetail(const QString& title, QWidget* parent, int firstPage)
    : ui::CPropertySheet(title, parent),
      m_instalace(new CVKDetailInstalace(false)),
      m_vystupy(new CVKDetailVystupy),
      m_zaznam(new CVKDetailZaznam(false))
{
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_instalace)); // the sheet owns its pages
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_vystupy));
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_zaznam));
    SetActivePage(firstPage);
    Button(IdApplyNow)->setText(QStringLiteral("Přijmi vše"));
    Button(IdOk)->hide();
    Button(IdCancel)->setText(QStringLiteral("Storno"));
    if (auto* box = findChild<QDialogButtonBox*>()) {
        // "Přijmi vše" and "Storno" change places.
        box->removeButton(Button(IdApplyNow));
        box->removeButton(Button(IdCancel));
        box->addButton(Button(IdCancel), QDialogButtonBox::RejectRole);
        box->addButton(Button(IdApplyNow), QDialogButtonBox::ApplyRole);
        Button(IdApplyNow)->show();
        Button(IdCancel)->show();
    }
    m_load = new QPushButton(this);
    m_load->setObjectName(QString::number(IdLoad));
    m_load->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_load->setToolTip(QStringLiteral("Načíst z"));
    m_save = new QPushButton(this);
    m_save->setObjectName(QString::number(IdSave));
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setToolTip(QStringLiteral("Uložit jako"));
    m_print = new QPushButton(this);
    m_print->setObjectName(QString::number(IdPrint));
    m_print->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                      style()->standardIcon(QStyle::SP_FileDialogDetailedView)));
    m_print->setToolTip(QStringLiteral("Tiskni"));
    for (QPushButton* b : {m_load, m_save, m_print})
        b->setAutoDefault(false);
    connect(m_load, &QPushButton::clicked, this, [this] { OnLoad(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(m_print, &QPushButton::clicked, this, [this] { OnPrint(); });
}

CVKDetail::~CVKDetail() = default;

bool CVKDetail::RunTask(const std::function<bool()>& task)
{
    return ui::RunInstrumentTask(this, task);
}

BOOL CVKDetail::ReadFromDevice(IVKSettingsIo& io, int /*pass*/)
{
    m_io = &io;
    m_folder = io.SettingsFolder();
    const bool ok = ReadInstalace(&m_s.config, &m_s.modem, &m_s.iden)
                 && ReadVystupy(&m_s.outputs, &m_s.iden, TRUE)
                 && ReadArchSettings(&m_s.status, &m_s.notebook, nullptr);
    if (!ok) {
        if (ui::ErrorBox(parentWidget(),
                         QStringLiteral("Nastavení nelze zobrazit ,protože přístroj neodpovídá !\n Chcete načíst "
                                        "nastavení ze souboru?"),
                         ui::MsgButtons::YesNo, ui::MsgIcon::Warning)
            != ui::MsgAnswer::Yes)
            return FALSE;
        OnLoad();
        if (!m_loadedFromFile)
            return FALSE;
    }
    RefreshPages();
    return TRUE;
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

void CVKDetail::OnReceiveAll()
{
    if (ui::InfoBox(this, QStringLiteral("Opravdu načíst nastavení přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    const bool ok = ReadInstalace(&m_s.config, &m_s.modem, &m_s.iden)
                 && ReadVystupy(&m_s.outputs, &m_s.iden, TRUE)
                 && ReadArchSettings(&m_s.status, &m_s.notebook, nullptr);
    if (!ok)
        ui::ErrorBox(this, kNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    RefreshPages();
}

bool CVKDetail::OnLoad()
{
    m_loadedFromFile = FALSE;
    const QString name = m_io ? m_io->Name() : QString();
    const QString path = controllers::ChooseSettingsFile(this, false, QStringLiteral("Načíst nastavení ze souboru"),
                                                         m_folder, name);
    if (path.isEmpty())
        return false;
    m_loadedFromFile = TRUE;
    QString error;
    if (!ReadSettingsFile(path, &error)) {
        // Nothing of a file that did not read whole reaches the records.
        ui::ErrorBox(isVisible() ? this : parentWidget(), kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        m_loadedFromFile = FALSE;
    }
    RefreshPages();
    return true;
}

void CVKDetail::OnSave()
{
    StorePages();
    const QString name = (m_io ? m_io->Name() : QString()) + QStringLiteral(".vks");
    const QString path = controllers::ChooseSettingsFile(this, true, QStringLiteral("Uložit nastavení do souboru"),
                                                         m_folder, name);
    if (path.isEmpty())
        return;
    QString error;
    if (!WriteSettingsFile(path, QString(), &error))
        ui::ErrorBox(this, kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

void CVKDetail::CreateAllPages()
{
    const int active = qMax(0, GetActiveIndex());
    for (int i = 0; i < GetPageCount(); ++i) {
        if (!GetPage(i)->IsInitialised())
            SetActivePage(i);
    }
    SetActivePage(active);
}

controllers::CSettingsReport CVKDetail::BuildReport()
{
    StorePages();
    CreateAllPages();
    controllers::CSettingsReport report;
    const QDateTime now = PrintClock() ? PrintClock()() : QDateTime::currentDateTime();
    report.Head(windowTitle());
    report.Head(now.toString(QStringLiteral("dd.MM.yy HH:mm:ss")));
    report.Empty();
    AddInstallationReport(*m_instalace, report);
    AddOutputsReport(*m_vystupy, report);
    AddRecordingReport(*m_zaznam, report);
    return report;
}

void CVKDetail::OnPrint()
{
    StorePages();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("%1 - Nastavení přístroje").arg(m_io ? m_io->Name() : QString()));
    if (!controllers::ChoosePrinter(printer, this))
        return;
    const controllers::CSettingsReport report = BuildReport();
    if (!report.Print(printer, windowTitle()))
        ui::ErrorBox(this, QStringLiteral("Nastavení se nepodařilo vytisknout."), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
}

void CVKDetail::PlaceIconButtons()
{
    QPushButton* cancel = Button(IdCancel);
    const int h = cancel->height() + 1;
    const int g = qMax(2, height() - cancel->mapTo(this, QPoint(0, cancel->height())).y() - 2);
    const int top = height() - g - h;
    m_load->setGeometry(g, top, h, h);
    m_save->setGeometry(4 * g / 3 + h, top, h, h);
    m_print->setGeometry(5 * g / 3 + 2 * h, top, h, h);
    for (QPushButton* b : {m_load, m_save, m_print})
        b->raise();
}

void CVKDetail::showEvent(QShowEvent* event)
{
    ui::CPropertySheet::showEvent(event);
    Button(IdOk)->hide();
    Button(IdApplyNow)->setEnabled(true);
    PlaceIconButtons();
}

void CVKDetail::resizeEvent(QResizeEvent* event)
{
    ui::CPropertySheet::resizeEvent(event);
    PlaceIconButtons();
}

void CVKDetail::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Uložit jako"), this, [this] { OnSave(); });
    menu.addAction(QStringLiteral("Načíst z"), this, [this] { OnLoad(); });
    menu.addAction(QStringLiteral("Tiskni"), this, [this] { OnPrint(); });
    menu.exec(event->globalPos());
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
    CPristrojVKSettingsIo io(entry);
    RunVKSettings(parent, io);
}

void OpenVKSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet)
{
    CPristrojVKSettingsIo io(entry);
    RunVKSettings(parent, io, &sheet);
}

} // namespace analysers_vk
