#include "charts/ProfileSettingsDlg.h"

#include "archive_docs/ArchivDocHooks.h"
#include "charts_data/ProfileNames.h"
#include "link/DownloadJob.h"
#include "link/Pristroj.h"
#include "link_ui/DownloaderDoc.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <thread>

namespace {

constexpr int kSettleMs = 800;
constexpr int kRereadMs = 1000;

QLineEdit* ReadOnlyEdit(int id, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(true);
    edit->setMinimumWidth(90);
    return edit;
}

QPushButton* Button(const QString& text, int id, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::number(id));
    return button;
}

// The program's profile download window.
bool StartProgramDownload(CPristroj* entry, const QString& file, int kind, CTime day, const CProfileStatus& status)
{
    auto& hooks = CArchivDocHooks::Instance();
    ui::CDocManager* manager = hooks.docManager ? hooks.docManager() : nullptr;
    return entry && manager && OpenProfileDownloader(*manager, *entry, file, kind, day, &status);
}

} // namespace

bool CPristrojProfileIo::ReadStatus(CProfileStatus& status) { return m_entry.ReadProfileStatus(status, -1.0f) != 0; }
bool CPristrojProfileIo::WriteDay(CTime day) { return m_entry.WriteProfileSettings(day) != 0; }
bool CPristrojProfileIo::ResetMaximum() { return m_entry.ResetProfiles() != 0; }
QString CPristrojProfileIo::ErrorText() const { return m_entry.GetErrorText(); }
QString CPristrojProfileIo::ArchivePrefix() const { return m_entry.m_soubor; }

CProfileSettingsDlg::CProfileSettingsDlg(QWidget* parent)
    : QDialog(parent),
      m_selectedDay(ReadOnlyEdit(IdSelectedDay, this)),
      m_resetTime(ReadOnlyEdit(IdResetTime, this)),
      m_heading1(new QLabel(this)),
      m_heading2(new QLabel(this)),
      m_picker(new QDateEdit(this)),
      m_downloadSelected(Button(QStringLiteral("Stáhni profil"), IdDownloadSelected, this)),
      m_downloadMaximum(Button(QStringLiteral("Stáhni profil"), IdDownloadMaximum, this)),
      m_download(StartProgramDownload),
      m_sleep([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); })
{
    setWindowTitle(QStringLiteral("Nastavení profilů"));
    m_heading1->setObjectName(QString::number(IdHeading1));
    m_heading2->setObjectName(QString::number(IdHeading2));
    m_picker->setObjectName(QString::number(IdDayPicker));
    // Month names in Czech whatever the system's language.
    m_picker->setLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    m_picker->setDisplayFormat(QStringLiteral(" d.MMMM"));
    m_picker->setCalendarPopup(true);

    const QStringList rows = {QStringLiteral("I1"), QStringLiteral("I2"), QStringLiteral("I3"),
                              QStringLiteral("I1+I2+I3")};
    auto* top = new QVBoxLayout(this);

    auto* maximum = new QGroupBox(QStringLiteral("Maximální profil"), this);
    auto* maxGrid = new QGridLayout(maximum);
    maxGrid->addWidget(m_heading1, 0, 1);
    maxGrid->addWidget(new QLabel(QStringLiteral("Čas"), this), 0, 2);
    for (int k = 0; k < 4; ++k) {
        m_maxValues[std::size_t(k)] = ReadOnlyEdit(IdMaximumFirst + k, this);
        m_maxTimes[std::size_t(k)] = ReadOnlyEdit(IdMaximumFirst + 4 + k, this);
        maxGrid->addWidget(new QLabel(rows[k], this), k + 1, 0);
        maxGrid->addWidget(m_maxValues[std::size_t(k)], k + 1, 1);
        maxGrid->addWidget(m_maxTimes[std::size_t(k)], k + 1, 2);
    }
    maxGrid->addWidget(new QLabel(QStringLiteral("Čas nulování:"), this), 5, 0);
    maxGrid->addWidget(m_resetTime, 5, 1, 1, 2);
    auto* maxButtons = new QHBoxLayout;
    auto* reset = Button(QStringLiteral("Nuluj profil"), IdReset, this);
    maxButtons->addWidget(reset);
    maxButtons->addStretch();
    maxButtons->addWidget(m_downloadMaximum);
    maxGrid->addLayout(maxButtons, 6, 0, 1, 3);
    top->addWidget(maximum);

    auto* selected = new QGroupBox(QStringLiteral("Vybraný profil"), this);
    auto* selGrid = new QGridLayout(selected);
    selGrid->addWidget(new QLabel(QStringLiteral("dne:"), this), 0, 0);
    selGrid->addWidget(m_selectedDay, 0, 1);
    selGrid->addWidget(m_heading2, 1, 1);
    selGrid->addWidget(new QLabel(QStringLiteral("Čas"), this), 1, 2);
    for (int k = 0; k < 4; ++k) {
        m_selValues[std::size_t(k)] = ReadOnlyEdit(IdSelectedFirst + k, this);
        m_selTimes[std::size_t(k)] = ReadOnlyEdit(IdSelectedFirst + 4 + k, this);
        selGrid->addWidget(new QLabel(rows[k], this), k + 2, 0);
        selGrid->addWidget(m_selValues[std::size_t(k)], k + 2, 1);
        selGrid->addWidget(m_selTimes[std::size_t(k)], k + 2, 2);
    }
    auto* selButtons = new QHBoxLayout;
    auto* setDay = Button(QStringLiteral("Nastav den"), IdSetDay, this);
    selButtons->addWidget(m_picker);
    selButtons->addWidget(setDay);
    selButtons->addStretch();
    selButtons->addWidget(m_downloadSelected);
    selGrid->addLayout(selButtons, 6, 0, 1, 3);
    top->addWidget(selected);

    auto* bottom = new QHBoxLayout;
    auto* refresh = Button(QStringLiteral("Obnovit"), IdRefresh, this);
    auto* close = Button(QStringLiteral("Konec"), 2, this);
    bottom->addWidget(refresh);
    bottom->addStretch();
    bottom->addWidget(close);
    top->addLayout(bottom);

    connect(setDay, &QPushButton::clicked, this, &CProfileSettingsDlg::OnSetDay);
    connect(reset, &QPushButton::clicked, this, &CProfileSettingsDlg::OnReset);
    connect(refresh, &QPushButton::clicked, this, &CProfileSettingsDlg::OnRefresh);
    connect(m_downloadSelected, &QPushButton::clicked, this, [this] { OnDownload(false); });
    connect(m_downloadMaximum, &QPushButton::clicked, this, [this] { OnDownload(true); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    m_downloadSelected->setEnabled(false);
    m_downloadMaximum->setEnabled(false);
}

QWidget* CProfileSettingsDlg::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

QString CProfileSettingsDlg::Text(int id) const
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(Control(id)))
        return edit->text();
    if (const auto* label = qobject_cast<const QLabel*>(Control(id)))
        return label->text();
    return {};
}

void CProfileSettingsDlg::Sleep(int ms) const
{
    if (m_sleep)
        m_sleep(ms);
}

bool CProfileSettingsDlg::Attach(IProfileIo* io)
{
    m_io = io;
    if (!ReadStatus()) {
        ui::ErrorBox(this, m_io ? m_io->ErrorText() : QString(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return false;
    }
    Fill();
    return true;
}

bool CProfileSettingsDlg::ReadStatus()
{
    if (!m_io)
        return false;
    CProfileStatus read = m_status;
    IProfileIo* io = m_io;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        return ui::RetryThreeTimes([&] { return io->ReadStatus(read); }, [this](int ms) { Sleep(ms); }, 200, 1000);
    });
    if (ok)
        m_status = read;
    return ok;
}

CTime CProfileSettingsDlg::DayToSelect() const
{
    const QDate d = m_picker->date();
    const CTime now = CTime::GetCurrentTime();
    return CTime(d.year(), d.month(), d.day(), now.GetHour(), now.GetMinute(), now.GetSecond());
}

void CProfileSettingsDlg::Fill()
{
    const charts::CProfileSettingsValues v = charts::ProfileSettingsValues(m_status, CTime::GetCurrentTime());
    m_heading1->setText(v.heading);
    m_heading2->setText(v.heading);
    for (std::size_t k = 0; k < 4; ++k) {
        m_maxValues[k]->setText(v.maximumValue[k]);
        m_maxTimes[k]->setText(v.maximumTime[k]);
        m_selValues[k]->setText(v.selectedValue[k]);
        m_selTimes[k]->setText(v.selectedTime[k]);
    }
    m_selectedDay->setText(v.selectedDay);
    m_resetTime->setText(v.resetTime);
    m_picker->setDate(QDate(v.dayToSelect.GetYear(), v.dayToSelect.GetMonth(), v.dayToSelect.GetDay()));
    m_downloadSelected->setEnabled(v.canDownloadSelected);
    m_downloadMaximum->setEnabled(v.canDownloadMaximum);
}

void CProfileSettingsDlg::SendAndReread(const std::function<bool()>& call)
{
    const bool yes = ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_SEND_SETTINGS), ui::MsgButtons::YesNo,
                                 ui::MsgIcon::Question) == ui::MsgAnswer::Yes;
    bool sent = false;
    if (yes) {
        sent = ui::RunInstrumentTask(
            this, [&] { return ui::RetryThreeTimes(call, [this](int ms) { Sleep(ms); }, 200, 1000); });
        if (!sent)
            ui::ErrorBox(this, platform::LoadString(platform::IDS_DEVICE_NOT_RESPONDING), ui::MsgButtons::Ok,
                         ui::MsgIcon::Warning);
    }
    // The instrument takes a moment before its status shows the change.
    ui::RunInstrumentTask(this, [&] {
        if (sent || !yes)
            Sleep(kSettleMs);
        Sleep(kRereadMs);
        return true;
    });
    if (ReadStatus())
        Fill();
}

void CProfileSettingsDlg::OnSetDay()
{
    if (!m_io)
        return;
    const CTime day = DayToSelect();
    IProfileIo* io = m_io;
    SendAndReread([io, day] { return io->WriteDay(day); });
}

void CProfileSettingsDlg::OnReset()
{
    if (!m_io)
        return;
    IProfileIo* io = m_io;
    SendAndReread([io] { return io->ResetMaximum(); });
}

void CProfileSettingsDlg::OnRefresh()
{
    if (ReadStatus())
        Fill();
}

QString CProfileSettingsDlg::GetProfileFileName(bool maximum)
{
    const QString name = charts::ProfileFileName(m_io ? m_io->ArchivePrefix() : QString(), maximum, m_status);
    if (QFileInfo::exists(name)
        && ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_OVERWRITE_PROFILE), ui::MsgButtons::YesNo,
                       ui::MsgIcon::Question) != ui::MsgAnswer::Yes)
        return {};
    return name;
}

void CProfileSettingsDlg::OnDownload(bool maximum)
{
    if (!charts::HasProfileDay(m_status, maximum)) {
        ui::ErrorBox(this, DownloadErrorText(kDownloadNoData), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    const QString file = GetProfileFileName(maximum);
    if (file.isEmpty())
        return;
    const int kind = maximum ? 1 : 0;
    if (!m_download || !m_download(m_io ? m_io->Instrument() : nullptr, file, kind,
                                   charts::ProfileDay(m_status, maximum), m_status))
        ui::ErrorBox(this, platform::LoadString(platform::IDS_PROFILE_DOWNLOAD_ERROR), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
}

namespace charts {

void OpenProfileSettings(QWidget* parent, CPristroj& entry)
{
    // The measurement thread holds the link while it measures; otherwise
    // the dialog opens the entry's own.
    const bool ownLink = entry.m_merit.load() == 0 && entry.OpenLink() != 0;
    {
        CPristrojProfileIo io(entry);
        CProfileSettingsDlg dialog(parent);
        if (dialog.Attach(&io))
            dialog.exec();
    }
    if (ownLink)
        entry.CloseLink();
}

} // namespace charts
