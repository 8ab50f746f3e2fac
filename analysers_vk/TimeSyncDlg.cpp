#include "analysers_vk/TimeSyncDlg.h"

#include "analysers_vk/VKEntryIo.h"
#include "platform/StringTable.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace analysers_vk {

namespace {

const QString kTimeFormat = QStringLiteral("%d.%m.%y %H:%M:%S");
constexpr int kSettleMs = 1000;

QLineEdit* TimeField(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

CTimeSyncDlg::CTimeSyncDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Nastavení času"));
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_computer = TimeField(this);
    m_instrument = TimeField(this);
    m_difference = TimeField(this);
    grid->addWidget(new QLabel(QStringLiteral("Čas počítače:"), this), 0, 0);
    grid->addWidget(m_computer, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Čas přístroje:"), this), 1, 0);
    grid->addWidget(m_instrument, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Rozdíl:"), this), 2, 0);
    grid->addWidget(m_difference, 2, 1);
    top->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* sync = new QPushButton(QStringLiteral("Synchronizace"), this);
    auto* set = new QPushButton(QStringLiteral("Nastavení"), this);
    auto* close = new QPushButton(QStringLiteral("Konec"), this);
    for (QPushButton* b : {sync, set, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    close->setDefault(true);
    connect(sync, &QPushButton::clicked, this, &CTimeSyncDlg::OnSynchronise);
    connect(set, &QPushButton::clicked, this, &CTimeSyncDlg::OnSet);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    top->addLayout(buttons);
    resize(ui::DluToPixels(QSize(216, 91), font()));
}

bool CTimeSyncDlg::SetPristroj(IVKEntryIo* io)
{
    m_io = io;
    if (!io)
        return false;
    if (ReadTimes())
        return true;
    // Without the instrument's clock there is nothing to compare; the user
    // learns why no dialog comes up.
    ui::ErrorBox(parentWidget(), platform::LoadString(platform::IDS_DEVICE_NOT_RESPONDING), ui::MsgButtons::Ok,
                 ui::MsgIcon::Warning);
    return false;
}

QString CTimeSyncDlg::FormatDifference(std::int64_t d)
{
    if (d == 1)
        d = 0;
    const std::int64_t a = std::llabs(d);
    if (a >= 3600)
        return QString::asprintf("%i h, %i m, %i s", int(a / 3600), int(a / 60 % 60), int(a % 60));
    if (a >= 61)
        return QString::asprintf("%i m, %i s", int(a / 60), int(a % 60));
    return QString::asprintf("%i s", int(a));
}

bool CTimeSyncDlg::ReadTimes()
{
    if (!m_io)
        return false;
    IVKEntryIo* io = m_io;
    platform::CTime instrument;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        return ui::RetryThreeTimes([&] { return io->ReadClock(instrument); }, [io](int ms) { io->Sleep(ms); },
                                   300, 700);
    });
    if (!ok)
        return false;
    const platform::CTime computer = io->Now();
    const std::int64_t d = std::int64_t(computer.GetTime()) - std::int64_t(instrument.GetTime());
    m_computer->setText(computer.Format(kTimeFormat));
    // One second is the exchange's own delay: the clocks count as equal.
    m_instrument->setText((d == 1 ? computer : instrument).Format(kTimeFormat));
    m_difference->setText(FormatDifference(d));
    return true;
}

void CTimeSyncDlg::OnSynchronise()
{
    if (!m_io)
        return;
    IVKEntryIo* io = m_io;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        return ui::RetryThreeTimes([io] { return io->SyncClock(); }, [io](int ms) { io->Sleep(ms); }, 1000, 1500);
    });
    if (!ok)
        ui::ErrorBox(this, platform::LoadString(platform::IDS_SYNC_FAILED), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    ui::RunInstrumentTask(this, [io] {
        io->Sleep(kSettleMs);
        return true;
    });
    ReadTimes();
}

void CTimeSyncDlg::OnSet()
{
    if (!m_io
        || ui::InfoBox(this, QStringLiteral("Opravdu nastavit čas přístroje podle času počítače?"),
                       ui::MsgButtons::YesNo, ui::MsgIcon::Warning)
               != ui::MsgAnswer::Yes)
        return;
    IVKEntryIo* io = m_io;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        if (!ui::RetryThreeTimes([io] { return io->SetClock(); }, [io](int ms) { io->Sleep(ms); }, 700, 1500))
            return false;
        io->Sleep(kSettleMs);
        return true;
    });
    if (!ok) {
        ui::ErrorBox(this, QStringLiteral("Čas přístroje se nepodařilo nastavit."), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        return;
    }
    ReadTimes();
}

QString CTimeSyncDlg::ComputerTimeText() const
{
    return m_computer->text();
}

QString CTimeSyncDlg::InstrumentTimeText() const
{
    return m_instrument->text();
}

QString CTimeSyncDlg::DifferenceText() const
{
    return m_difference->text();
}

} // namespace analysers_vk
