#include "archive_docs/ZaplatovatArchivDlg.h"

#include "archive/store/ArchivData.h"
#include "link/Pristroj.h"
#include "model/VKStatus.h"
#include "model/VKTStatus.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <thread>

using platform::CTime;

namespace {

const QString kTimeFormat = QStringLiteral("%d.%m.%y %H:%M:%S");
constexpr int kRangeFieldDlu = 150;
constexpr int kPathFieldDlu = 220;

QString RangeText(CTime first, CTime last)
{
    return first.Format(kTimeFormat) + QStringLiteral(" - ") + last.Format(kTimeFormat);
}

QDateTime ToDateTime(CTime time)
{
    return QDateTime::fromSecsSinceEpoch(qint64(time.GetTime()));
}

CTime FromDateTime(const QDateTime& value)
{
    const qint64 seconds = value.toSecsSinceEpoch();
    return seconds < 0 || seconds >= qint64(CTime::kInvalid) ? CTime(CTime::kInvalid) : CTime(CTime::time_type(seconds));
}

} // namespace

QString CPristrojPatchInstrument::Name() const { return m_entry.m_nazev; }
int CPristrojPatchInstrument::Type() const { return m_entry.GetType(); }
bool CPristrojPatchInstrument::IsMeasured() const { return m_entry.m_merit != 0; }
bool CPristrojPatchInstrument::OpenLink() { return m_entry.OpenLink() != 0; }
void CPristrojPatchInstrument::CloseLink() { m_entry.CloseLink(); }

bool CPristrojPatchInstrument::ReadRecordRange(int kind, CTime& first, CTime& last)
{
    if (kind == 4) {
        CVKTStatus status;
        if (!m_entry.ReadVKTStatus(status))
            return false;
        first = status.GetOldestTime();
        last = status.GetNewestTime();
        return true;
    }
    CVKStatus status;
    if (!m_entry.ReadVKStatus(status))
        return false;
    first = status.GetOldestRecordTime();
    last = status.GetNewestRecordTime();
    return true;
}

CZaplatovatArchivDlg::CZaplatovatArchivDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Záplatovat archiv"));
    auto makePicker = [this](const QString& format) {
        auto* picker = new QDateTimeEdit(this);
        picker->setDisplayFormat(format);
        picker->setEnabled(false);
        return picker;
    };
    m_fromChoice = new QComboBox(this);
    m_fromChoice->addItems({QStringLiteral("začátku archivu"), QStringLiteral("začátku dat v přístroji"),
                            QStringLiteral("zadat čas")});
    m_fromDatePicker = makePicker(QStringLiteral("d.M.yyyy"));
    m_fromTimePicker = makePicker(QStringLiteral("HH:mm:ss"));
    m_toChoice = new QComboBox(this);
    m_toChoice->addItems(
        {QStringLiteral("konce archivu"), QStringLiteral("konce dat v přístroji"), QStringLiteral("zadat čas")});
    m_toDatePicker = makePicker(QStringLiteral("d.M.yyyy"));
    m_toTimePicker = makePicker(QStringLiteral("HH:mm:ss"));
    m_instrument = new QComboBox(this);
    auto makeField = [this] {
        auto* field = new QLineEdit(this);
        field->setReadOnly(true);
        return field;
    };
    m_instrumentRange = makeField();
    m_archiveRange = makeField();
    m_archivePath = makeField();
    m_storedName = makeField();
    // Wide enough for two times and for a path in the data folder.
    for (QLineEdit* field : {m_instrumentRange, m_archiveRange})
        field->setMinimumWidth(ui::DluToPixelsX(kRangeFieldDlu, font()));
    for (QLineEdit* field : {m_archivePath, m_storedName})
        field->setMinimumWidth(ui::DluToPixelsX(kPathFieldDlu, font()));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_fromChoice, 0, 0);
    grid->addWidget(m_fromDatePicker, 0, 1);
    grid->addWidget(m_fromTimePicker, 0, 2);
    grid->addWidget(m_toChoice, 1, 0);
    grid->addWidget(m_toDatePicker, 1, 1);
    grid->addWidget(m_toTimePicker, 1, 2);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Název přístroje:"), m_instrument);
    form->addRow(QStringLiteral("Data v přístroji:"), m_instrumentRange);
    form->addRow(QStringLiteral("Data v archivu:"), m_archiveRange);
    form->addRow(QStringLiteral("Archivní soubor:"), m_archivePath);
    form->addRow(QStringLiteral("Název přístroje dle archivního souboru:"), m_storedName);
    grid->addLayout(form, 2, 0, 1, 3);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Stormo"), QDialogButtonBox::RejectRole);
    grid->addWidget(buttons, 3, 0, 1, 3);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_fromChoice, &QComboBox::activated, this, &CZaplatovatArchivDlg::OnFromChoice);
    connect(m_toChoice, &QComboBox::activated, this, &CZaplatovatArchivDlg::OnToChoice);
    connect(m_instrument, &QComboBox::activated, this, [this](int) { OnInstrumentChanged(); });
    for (bool from : {true, false}) {
        connect(DatePicker(from), &QDateTimeEdit::editingFinished, this, [this, from] { OnDateEdited(from); });
        connect(TimePicker(from), &QDateTimeEdit::editingFinished, this, [this, from] { OnTimeEdited(from); });
    }
}

std::vector<IPatchInstrument*> CZaplatovatArchivDlg::InstrumentsOfKind() const
{
    std::vector<IPatchInstrument*> result;
    if (m_host.instruments)
        for (IPatchInstrument* instrument : m_host.instruments())
            if (instrument && instrument->Type() == m_kind)
                result.push_back(instrument);
    return result;
}

int CZaplatovatArchivDlg::SetArchive(CArchivData* archive, int kind)
{
    m_kind = kind;
    m_archive = archive;
    if (!archive || InstrumentsOfKind().empty())
        return 0;
    archive->GetRecordTimeRange(m_archiveStart, m_archiveEnd);
    m_path = archive->GetFilePath();
    m_storedInstrument = archive->GetInstrumentName();
    return 1;
}

void CZaplatovatArchivDlg::InitDialog()
{
    m_instrument->clear();
    for (IPatchInstrument* instrument : InstrumentsOfKind())
        m_instrument->addItem(instrument->Name());
    int found = -1;
    for (int i = 0; i < m_instrument->count() && found < 0; ++i)
        if (m_instrument->itemText(i).startsWith(m_storedInstrument, Qt::CaseInsensitive))
            found = i;
    if (found < 0) {
        ui::ErrorBox(this, QStringLiteral("Název přístroje získaný z archivního souboru, nebyl nalezen\nv seznamu "
                                          "zavedených přístrojů. Musí být vybrán ručně ! "));
        found = 0;
    }
    m_instrument->setCurrentIndex(found);
    SetTimes(true, m_archiveStart);
    SetTimes(false, m_archiveEnd);
    ShowTimes();
    ReadInstrumentRange();
    ShowInstrumentRange();
    m_archiveRange->setText(RangeText(m_archiveStart, m_archiveEnd));
    m_archivePath->setText(m_path);
    m_storedName->setText(m_storedInstrument);
}

bool CZaplatovatArchivDlg::ReadInstrumentRange()
{
    const std::vector<IPatchInstrument*> instruments = InstrumentsOfKind();
    const int index = m_instrument->currentIndex();
    if (index < 0 || index >= int(instruments.size()))
        return false;
    IPatchInstrument& instrument = *instruments[std::size_t(index)];
    const bool opened = !instrument.IsMeasured();
    CTime first(CTime::kInvalid);
    CTime last(CTime::kInvalid);
    bool linked = true;
    bool read = false;
    // The exchange runs off the user-interface thread behind the wait dialog.
    ui::RunInstrumentTask(this, [&] {
        if (opened && !instrument.OpenLink()) {
            linked = false;
            return false;
        }
        for (int attempt = 0; attempt < kStatusAttempts && !read; ++attempt) {
            read = instrument.ReadRecordRange(m_kind, first, last);
            if (!read)
                std::this_thread::yield();
        }
        if (opened)
            instrument.CloseLink();
        return read;
    });
    if (!linked) {
        // the range stays unknown without a word: the link reports its own faults
        m_instrumentFirst = m_instrumentLast = CTime(CTime::kInvalid);
        return false;
    }
    if (!read) {
        ui::ErrorBox(this, QStringLiteral("Zvolený přístroj neodpovídá !"));
        first = last = CTime(CTime::kInvalid);
    }
    m_instrumentFirst = first;
    m_instrumentLast = last;
    return read;
}

void CZaplatovatArchivDlg::ShowInstrumentRange()
{
    m_instrumentRange->setText(m_instrumentFirst.IsValid() && m_instrumentLast.IsValid()
                                   ? RangeText(m_instrumentFirst, m_instrumentLast)
                                   : QStringLiteral("Nelze určit."));
}

void CZaplatovatArchivDlg::SetTimes(bool from, CTime time)
{
    (from ? m_fromTime : m_toTime) = time;
}

void CZaplatovatArchivDlg::ShowTimes()
{
    for (bool from : {true, false}) {
        const QDateTime value = ToDateTime(from ? m_fromTime : m_toTime);
        const QSignalBlocker blockDate(DatePicker(from));
        const QSignalBlocker blockTime(TimePicker(from));
        DatePicker(from)->setDateTime(value);
        TimePicker(from)->setDateTime(value);
    }
}

void CZaplatovatArchivDlg::OnFromChoice(int choice) { OnChoice(true, choice); }

void CZaplatovatArchivDlg::OnToChoice(int choice) { OnChoice(false, choice); }

void CZaplatovatArchivDlg::OnChoice(bool from, int choice)
{
    (from ? m_fromChoiceValue : m_toChoiceValue) = choice;
    if (choice == 0)
        SetTimes(from, from ? m_archiveStart : m_archiveEnd);
    else if (choice == 1)
        SetTimes(from, from ? m_instrumentFirst : m_instrumentLast);
    DatePicker(from)->setEnabled(choice == 2);
    TimePicker(from)->setEnabled(choice == 2);
    ShowTimes();
}

void CZaplatovatArchivDlg::OnInstrumentChanged()
{
    ReadInstrumentRange();
    ShowInstrumentRange();
    if (m_fromChoiceValue == 1)
        SetTimes(true, m_instrumentFirst);
    if (m_toChoiceValue == 1)
        SetTimes(false, m_instrumentLast);
    ShowTimes();
}

void CZaplatovatArchivDlg::OnDateEdited(bool from)
{
    SetTimes(from, FromDateTime(DatePicker(from)->dateTime()));
    ShowTimes();
}

void CZaplatovatArchivDlg::OnTimeEdited(bool from)
{
    const QDate date = DatePicker(from)->date();
    const QTime time = TimePicker(from)->time();
    SetTimes(from, CTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()));
    ShowTimes();
}

void CZaplatovatArchivDlg::accept()
{
    m_selected = m_instrument->currentIndex();
    m_fromChoiceValue = m_fromChoice->currentIndex();
    m_toChoiceValue = m_toChoice->currentIndex();
    QDialog::accept();
}

void CZaplatovatArchivDlg::StartPatchDownload()
{
    const std::vector<IPatchInstrument*> instruments = InstrumentsOfKind();
    if (m_selected < 0 || m_selected >= int(instruments.size()) || !m_host.startIntervalDownload || !m_archive)
        return;
    // the archive may have grown since the dialog opened
    m_archive->GetRecordTimeRange(m_archiveStart, m_archiveEnd);
    if (m_fromChoiceValue == 0)
        m_fromTime = m_archiveStart;
    if (m_toChoiceValue == 0)
        m_toTime = m_archiveEnd;
    // Only "the instrument's data" leaves an end open: an archive time or a
    // typed one bounds the download.
    m_host.startIntervalDownload(*instruments[std::size_t(m_selected)], m_fromTime, m_toTime,
                                 m_fromChoiceValue == 1 ? 1 : 0, m_toChoiceValue == 1 ? 1 : 0, m_path);
}

QString CZaplatovatArchivDlg::InstrumentRangeText() const { return m_instrumentRange->text(); }
QString CZaplatovatArchivDlg::ArchiveRangeText() const { return m_archiveRange->text(); }
QString CZaplatovatArchivDlg::ArchivePathText() const { return m_archivePath->text(); }
QString CZaplatovatArchivDlg::StoredNameText() const { return m_storedName->text(); }
