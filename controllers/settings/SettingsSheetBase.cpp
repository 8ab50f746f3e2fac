#include "controllers/settings/SettingsSheetBase.h"

#include "platform/StringTable.h"
#include "platform/ui/Artwork.h"
#include "platform/ui/MessageBox.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>

namespace controllers {

namespace {

std::function<QDateTime()>& PrintClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

} // namespace

void SetSettingsPrintClock(std::function<QDateTime()> clock)
{
    PrintClock() = std::move(clock);
}

CSettingsReport StartSettingsReport(const QString& title)
{
    CSettingsReport report;
    // The time on the user's clock, as every window shows it: a printout
    // an hour or two off the clock on the wall is plainly wrong.
    const QDateTime now = PrintClock() ? PrintClock()() : QDateTime::currentDateTime();
    report.Head(title);
    report.Head(now.toLocalTime().toString(QStringLiteral("dd.MM.yy HH:mm:ss")));
    report.Empty();
    return report;
}

void PrintSettingsReport(QWidget* parent, const QString& instrumentName, const QString& title,
                         const std::function<CSettingsReport()>& build)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(platform::LoadString(platform::IDS_JOB_DEVICE_SETTINGS).replace(QStringLiteral("%s"), instrumentName));
    if (!ChoosePrinter(printer, parent))
        return;
    const CSettingsReport report = build();
    if (!report.Print(printer, title))
        ui::ErrorBox(parent, QStringLiteral("Nastavení se nepodařilo vytisknout."), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
}

CSettingsSheetBase::CSettingsSheetBase(const QString& title, QWidget* parent, const IconTips& tips)
    : ui::CPropertySheet(title, parent)
{
    m_load = new QPushButton(this);
    m_load->setObjectName(QString::number(IdLoad));
    m_load->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_load->setToolTip(tips.load);
    m_save = new QPushButton(this);
    m_save->setObjectName(QString::number(IdSave));
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setToolTip(tips.save);
    m_print = new QPushButton(this);
    m_print->setObjectName(QString::number(IdPrint));
    m_print->setIcon(ui::PrintIcon());
    m_print->setToolTip(tips.print);
    for (QPushButton* b : {m_load, m_save, m_print})
        b->setAutoDefault(false);
    connect(m_load, &QPushButton::clicked, this, [this] { OnLoad(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(m_print, &QPushButton::clicked, this, [this] { OnPrint(); });
}

void CSettingsSheetBase::PlaceIconButtons()
{
    QPushButton* reference = Button(m_reference);
    const int h = reference->height() + m_extra;
    const int g = qMax(2, height() - reference->mapTo(this, QPoint(0, reference->height())).y() - 2);
    const int top = height() - g - h;
    m_load->setGeometry(g, top, h, h);
    m_save->setGeometry(4 * g / 3 + h, top, h, h);
    m_print->setGeometry(5 * g / 3 + 2 * h, top, h, h);
    for (QPushButton* b : {m_load, m_save, m_print})
        b->raise();
}

void CSettingsSheetBase::showEvent(QShowEvent* event)
{
    ui::CPropertySheet::showEvent(event);
    Button(IdApplyNow)->setEnabled(true);
    PlaceIconButtons();
}

void CSettingsSheetBase::resizeEvent(QResizeEvent* event)
{
    ui::CPropertySheet::resizeEvent(event);
    PlaceIconButtons();
}

void CSettingsSheetBase::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Uložit jako"), this, [this] { OnSave(); });
    menu.addAction(QStringLiteral("Načíst z"), this, [this] { OnLoad(); });
    menu.addAction(QStringLiteral("Tiskni"), this, [this] { OnPrint(); });
    menu.exec(event->globalPos());
}

void CSettingsSheetBase::CreateAllPages()
{
    // Before the sheet is shown no page is active and none can be made.
    const int active = GetActiveIndex();
    if (active < 0)
        return;
    for (int i = 0; i < GetPageCount(); ++i) {
        if (!GetPage(i)->IsInitialised())
            SetActivePage(i);
    }
    SetActivePage(active);
}

} // namespace controllers
