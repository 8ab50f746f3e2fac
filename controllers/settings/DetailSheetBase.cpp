#include "controllers/settings/DetailSheetBase.h"

#include "controllers/settings/SettingsFile.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

namespace controllers {

namespace {

std::function<QDateTime()>& PrintClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

} // namespace

QString CDetailSheetBase::SentText()
{
    return platform::LoadString(platform::IDS_EVENT_SETTINGS_SENT);
}

void CDetailSheetBase::SetPrintClock(std::function<QDateTime()> clock)
{
    PrintClock() = std::move(clock);
}

CDetailSheetBase::CDetailSheetBase(const QString& title, QWidget* parent) : ui::CPropertySheet(title, parent)
{
    Button(IdApplyNow)->setText(platform::LoadString(platform::IDS_BUTTON_SEND));
    Button(IdOk)->setText(platform::LoadString(platform::IDS_BUTTON_RECEIVE));
    Button(IdCancel)->setText(QStringLiteral("Storno"));
    // "Vyšli" beside "Přijmi", "Storno" last.
    if (auto* box = findChild<QDialogButtonBox*>()) {
        box->removeButton(Button(IdApplyNow));
        box->addButton(Button(IdApplyNow), QDialogButtonBox::AcceptRole);
        Button(IdApplyNow)->show();
        Button(IdOk)->setAutoDefault(false);
        Button(IdOk)->setDefault(false);
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
    connect(m_load, &QPushButton::clicked, this, [this] { LoadFromFile(); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveToFile(); });
    connect(m_print, &QPushButton::clicked, this, [this] { PrintSettings(); });
    setMinimumWidth(560);
}

void CDetailSheetBase::PlaceIconButtons()
{
    QPushButton* ok = Button(IdOk);
    const int h = ok->height();
    const int d = qMax(2, height() - ok->mapTo(this, QPoint(0, ok->height())).y() - 2);
    const int top = height() - d - h;
    m_load->setGeometry(d, top, h, h);
    m_save->setGeometry(4 * d / 3 + h, top, h, h);
    m_print->setGeometry(5 * d / 3 + 2 * h, top, h, h);
    for (QPushButton* b : {m_load, m_save, m_print})
        b->raise();
}

void CDetailSheetBase::showEvent(QShowEvent* event)
{
    ui::CPropertySheet::showEvent(event);
    SetActivePage(m_savedPage);
    if (m_savedRect.width() > 0)
        setGeometry(m_savedRect);
    Button(IdApplyNow)->setEnabled(true);
    PlaceIconButtons();
}

void CDetailSheetBase::resizeEvent(QResizeEvent* event)
{
    ui::CPropertySheet::resizeEvent(event);
    PlaceIconButtons();
}

void CDetailSheetBase::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Uložit jako"), this, [this] { SaveToFile(); });
    menu.addAction(QStringLiteral("Načíst z"), this, [this] { LoadFromFile(); });
    menu.addAction(QStringLiteral("Tiskni"), this, [this] { PrintSettings(); });
    menu.exec(event->globalPos());
}

void CDetailSheetBase::AskReread()
{
    if (ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_READ_SETTINGS), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    m_savedPage = qMax(0, GetActiveIndex());
    m_savedRect = geometry();
    accept();
}

void CDetailSheetBase::SendToInstrument()
{
    if (ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_SEND_SETTINGS), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!StorePages() || !m_io)
        return;
    IControllerIo& io = *m_io;
    if (RunInstrumentTask(this, [this, &io] { return WriteRecord(io); })) {
        QueueSentRecords(io.Archive());
        return;
    }
    ui::ErrorBox(this, platform::LoadString(platform::IDS_DEVICE_WRITE_ERROR), ui::MsgButtons::Ok,
                 ui::MsgIcon::Warning);
}

bool CDetailSheetBase::LoadFromFile()
{
    const QString name = m_io ? m_io->Name() : QString();
    const QString path = ChooseSettingsFile(this, false, platform::LoadString(platform::IDS_TITLE_LOAD_SETTINGS),
                                            m_folder, name);
    if (path.isEmpty()) {
        m_loadedFromFile = FALSE;
        return false;
    }
    QString error;
    if (!LoadFile(path, error)) {
        // Nothing of a file that did not read whole reaches the sheet.
        ui::ErrorBox(isVisible() ? this : parentWidget(), error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        m_loadedFromFile = FALSE;
        return false;
    }
    m_loadedFromFile = TRUE;
    return true;
}

void CDetailSheetBase::SaveToFile()
{
    if (!StorePages())
        return;
    const QString name = (m_io ? m_io->Name() : QString()) + QStringLiteral(".set");
    const QString path = ChooseSettingsFile(this, true, platform::LoadString(platform::IDS_TITLE_SAVE_SETTINGS),
                                            m_folder, name);
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveSettingsFile(path, FileBytes(), error))
        ui::ErrorBox(this, error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

void CDetailSheetBase::CreateAllPages()
{
    const int active = GetActiveIndex();
    if (active < 0)
        return;
    for (int i = 0; i < GetPageCount(); ++i) {
        if (!GetPage(i)->IsInitialised())
            SetActivePage(i);
    }
    SetActivePage(active);
}

CSettingsReport CDetailSheetBase::BuildReport()
{
    CreateAllPages();
    CSettingsReport report;
    const QDateTime now = PrintClock() ? PrintClock()() : QDateTime::currentDateTime();
    report.Head(windowTitle());
    report.Head(now.toString(QStringLiteral("dd.MM.yy HH:mm:ss")));
    report.Empty();
    AddReportPages(report);
    return report;
}

void CDetailSheetBase::PrintSettings()
{
    if (!StorePages())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(platform::LoadString(platform::IDS_JOB_DEVICE_SETTINGS)
                           .replace(QStringLiteral("%s"), m_io ? m_io->Name() : QString()));
    if (!ChoosePrinter(printer, this))
        return;
    const CSettingsReport report = BuildReport();
    if (!report.Print(printer, windowTitle()))
        ui::ErrorBox(this, QStringLiteral("Nastavení se nepodařilo vytisknout."), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
}

} // namespace controllers
