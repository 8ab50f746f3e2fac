#include "controllers/settings/DetailSheetBase.h"

#include "controllers/settings/SettingsFile.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QPushButton>

namespace controllers {

QString CDetailSheetBase::SentText()
{
    return platform::LoadString(platform::IDS_EVENT_SETTINGS_SENT);
}

CDetailSheetBase::CDetailSheetBase(const QString& title, QWidget* parent)
    : CSettingsSheetBase(title, parent,
                         {QStringLiteral("Načíst z"), QStringLiteral("Uložit jako"), QStringLiteral("Tiskni")})
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
    setMinimumWidth(560);
}

void CDetailSheetBase::showEvent(QShowEvent* event)
{
    CSettingsSheetBase::showEvent(event);
    SetActivePage(m_savedPage);
    if (m_savedRect.width() > 0)
        setGeometry(m_savedRect);
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

bool CDetailSheetBase::OnLoad()
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

void CDetailSheetBase::OnSave()
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

bool CDetailSheetBase::OfferSettingsFile()
{
    const QString text = platform::LoadString(platform::IDS_ASK_SETTINGS_FROM_FILE);
    if (ui::ErrorBox(parentWidget(), text, ui::MsgButtons::YesNo, ui::MsgIcon::Warning) != ui::MsgAnswer::Yes)
        return false;
    OnLoad();
    return m_loadedFromFile;
}

CSettingsReport CDetailSheetBase::BuildReport()
{
    CreateAllPages();
    CSettingsReport report = StartReport();
    AddReportPages(report);
    return report;
}

void CDetailSheetBase::OnPrint()
{
    if (!StorePages())
        return;
    PrintReport(m_io ? m_io->Name() : QString(), [this] { return BuildReport(); });
}

} // namespace controllers
