#include "analysers_vk/EnergyMeterDlg.h"

#include "analysers_vk/VKEntryIo.h"
#include "platform/StringTable.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace analysers_vk {

namespace {

constexpr int kWaitAfterSendMs = 2000;
const char* const kTimeFormat = "%d.%m.%y %H:%M:%S";

QLineEdit* ValueField(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(ui::DluToPixelsX(48, edit->font()));
    return edit;
}

QString TimeText(const platform::CTime& time)
{
    return time.IsValid() ? time.Format(QString::fromLatin1(kTimeFormat)) : QStringLiteral("--");
}

} // namespace

CEnergyMeterDlg::CEnergyMeterDlg(QWidget* parent) : QDialog(parent)
{
    ui::SetHelpId(this, 206);
    Build();
    resize(ui::DluToPixels(QSize(380, 292), font()));
}

void CEnergyMeterDlg::Build()
{
    setWindowTitle(QStringLiteral("Elektroměr"));
    auto* top = new QVBoxLayout(this);

    const QStringList rows = {QStringLiteral("tarif 1"), QStringLiteral("tarif 2"), QStringLiteral("tarif 3"),
                              QStringLiteral("celkem")};
    auto* energies = new QHBoxLayout;
    // Two groups of two counter columns each, then the power factors.
    const struct {
        const char* title;
        const char* first;
        int firstKind;
        const char* second;
        int secondKind;
    } groups[2] = {{"Činná práce", "Import [kWh]", CVKEData::ActiveImport, "Export [kWh]", CVKEData::ActiveExport},
                   {"Jalová práce", "Induktivní [kvarh]", CVKEData::ReactiveInductive, "Kapacitní [kvarh]",
                    CVKEData::ReactiveCapacitive}};
    for (const auto& g : groups) {
        auto* box = new QGroupBox(QString::fromUtf8(g.title), this);
        auto* grid = new QGridLayout(box);
        grid->addWidget(new QLabel(QString::fromUtf8(g.first), box), 0, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(g.second), box), 0, 2);
        for (int r = 0; r < 4; ++r) {
            grid->addWidget(new QLabel(rows[r], box), r + 1, 0);
            m_counters[std::size_t(r)][std::size_t(g.firstKind)] = ValueField(box);
            m_counters[std::size_t(r)][std::size_t(g.secondKind)] = ValueField(box);
            grid->addWidget(m_counters[std::size_t(r)][std::size_t(g.firstKind)], r + 1, 1);
            grid->addWidget(m_counters[std::size_t(r)][std::size_t(g.secondKind)], r + 1, 2);
        }
        energies->addWidget(box);
    }
    auto* pfBox = new QGroupBox(QStringLiteral("Účiník"), this);
    auto* pfGrid = new QGridLayout(pfBox);
    pfGrid->addWidget(new QLabel(QString(), pfBox), 0, 0);
    for (int r = 0; r < 4; ++r) {
        m_powerFactors[std::size_t(r)] = ValueField(pfBox);
        pfGrid->addWidget(m_powerFactors[std::size_t(r)], r + 1, 0);
    }
    energies->addWidget(pfBox);
    top->addLayout(energies);

    auto* middle = new QHBoxLayout;
    auto* times = new QGridLayout;
    times->addWidget(new QLabel(QStringLiteral("Čas nulování:"), this), 0, 0);
    m_resetTime = ValueField(this);
    times->addWidget(m_resetTime, 0, 1);
    times->addWidget(new QLabel(QStringLiteral("Čas odečtu:"), this), 1, 0);
    m_readTime = ValueField(this);
    times->addWidget(m_readTime, 1, 1);
    times->setRowStretch(2, 1);
    middle->addLayout(times);

    auto* maxBox = new QGroupBox(QStringLiteral("1/4 hodinový maximální výkon"), this);
    auto* maxGrid = new QGridLayout(maxBox);
    maxGrid->addWidget(new QLabel(QStringLiteral("Hodnota [kW]"), maxBox), 0, 1);
    maxGrid->addWidget(new QLabel(QStringLiteral("Čas výskytu"), maxBox), 0, 2);
    const QStringList phases = {QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3"),
                                QStringLiteral("3F")};
    for (int i = 0; i < CVKEData::kMaxima; ++i) {
        maxGrid->addWidget(new QLabel(phases[i], maxBox), i + 1, 0);
        m_maxima[std::size_t(i)] = ValueField(maxBox);
        m_maximumTimes[std::size_t(i)] = ValueField(maxBox);
        maxGrid->addWidget(m_maxima[std::size_t(i)], i + 1, 1);
        maxGrid->addWidget(m_maximumTimes[std::size_t(i)], i + 1, 2);
    }
    middle->addWidget(maxBox, 1);
    top->addLayout(middle);

    auto* tariffBox = new QGroupBox(QStringLiteral("Odběrový tarif"), this);
    auto* tariffGrid = new QGridLayout(tariffBox);
    for (int h = 0; h < CVKETarif::kHours; ++h) {
        auto* cell = new QHBoxLayout;
        cell->addWidget(new QLabel(QStringLiteral("%1.").arg(h + 1), tariffBox));
        auto* spin = new QSpinBox(tariffBox);
        spin->setRange(1, 3);
        spin->setObjectName(QStringLiteral("hour%1").arg(h + 1));
        m_hours[std::size_t(h)] = spin;
        cell->addWidget(spin);
        tariffGrid->addLayout(cell, h / 8, h % 8);
    }
    top->addWidget(tariffBox);

    auto* buttons = new QHBoxLayout;
    auto* refresh = new QPushButton(QStringLiteral("Obnov hodnoty"), this);
    auto* reset = new QPushButton(QStringLiteral("Nuluj hodnoty"), this);
    auto* send = new QPushButton(QStringLiteral("Vyšli tarif"), this);
    auto* close = new QPushButton(QStringLiteral("Konec"), this);
    for (QPushButton* b : {refresh, reset, send, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    close->setDefault(true);
    connect(refresh, &QPushButton::clicked, this, &CEnergyMeterDlg::OnRefresh);
    connect(reset, &QPushButton::clicked, this, &CEnergyMeterDlg::OnReset);
    connect(send, &QPushButton::clicked, this, &CEnergyMeterDlg::OnSendTariff);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    top->addLayout(buttons);
}

bool CEnergyMeterDlg::Retry(const std::function<bool()>& call)
{
    IVKEntryIo* io = m_io;
    return ui::RetryThreeTimes(call, [io](int ms) { io->Sleep(ms); }, 0, 0);
}

bool CEnergyMeterDlg::Read()
{
    if (!m_io)
        return false;
    CVKETarif tariff;
    CVKEData data;
    platform::CTime time;
    IVKEntryIo* io = m_io;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        return Retry([&] { return io->ReadTariff(tariff); }) && Retry([&] { return io->ReadEnergyData(data); })
               && Retry([&] { return io->ReadClock(time); });
    });
    if (!ok)
        return false;
    m_tariff = tariff;
    m_data = data;
    m_instrumentTime = time;
    m_scale = m_io->RatioProduct();
    return true;
}

bool CEnergyMeterDlg::Attach(IVKEntryIo* io)
{
    m_io = io;
    if (!Read()) {
        ui::ErrorBox(parentWidget(), platform::LoadString(platform::IDS_METER_NOT_RESPONDING), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        return false;
    }
    setWindowTitle(platform::LoadString(platform::IDS_METER_STATE) + QStringLiteral(" (") + io->Name()
                   + QStringLiteral(")"));
    ShowHours();
    ShowValues();
    return true;
}

QString CEnergyMeterDlg::EnergyText(double energy)
{
    return QString::asprintf("%0.1f", energy);
}

QString CEnergyMeterDlg::PowerFactorOf(double import, double exportEnergy, double inductive, double capacitive)
{
    const double active = import + exportEnergy;
    const double reactive = inductive + capacitive;
    const double root = std::sqrt(active * active + reactive * reactive);
    return root < 0.001 ? QStringLiteral("--") : QString::asprintf("%0.3f", active / root);
}

QString CEnergyMeterDlg::MaximumDemandText(double scale, std::int32_t stored)
{
    return QString::asprintf("%0.3f", scale * double(stored) * 3.125e-9);
}

void CEnergyMeterDlg::ShowValues()
{
    m_resetTime->setText(TimeText(m_data.GetTime()));
    m_readTime->setText(TimeText(m_instrumentTime));
    std::array<double, 4> totals{};
    for (int t = 0; t < 3; ++t) {
        std::array<double, 4> e{};
        for (int k = 0; k < 4; ++k) {
            e[std::size_t(k)] = double(m_data.GetCounter(CVKEData::CounterIndex(t, k))) * m_scale * 0.001;
            totals[std::size_t(k)] += e[std::size_t(k)];
            m_counters[std::size_t(t)][std::size_t(k)]->setText(EnergyText(e[std::size_t(k)]));
        }
        m_powerFactors[std::size_t(t)]->setText(PowerFactorOf(e[0], e[1], e[2], e[3]));
    }
    for (int k = 0; k < 4; ++k)
        m_counters[3][std::size_t(k)]->setText(EnergyText(totals[std::size_t(k)]));
    m_powerFactors[3]->setText(PowerFactorOf(totals[0], totals[1], totals[2], totals[3]));
    for (int i = 0; i < CVKEData::kMaxima; ++i) {
        m_maxima[std::size_t(i)]->setText(MaximumDemandText(m_scale, m_data.GetMaximum(i)));
        m_maximumTimes[std::size_t(i)]->setText(TimeText(m_data.GetMaximumTime(i)));
    }
}

void CEnergyMeterDlg::ShowHours()
{
    for (int h = 0; h < CVKETarif::kHours; ++h)
        m_hours[std::size_t(h)]->setValue(std::clamp(int(m_tariff.GetCode(h)) + 1, 1, 3));
}

void CEnergyMeterDlg::OnRefresh()
{
    if (!Read()) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_DEVICE_NOT_RESPONDING), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        return;
    }
    ShowHours();
    ShowValues();
}

void CEnergyMeterDlg::OnReset()
{
    if (!m_io
        || ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_RESET_METER), ui::MsgButtons::YesNo,
                       ui::MsgIcon::Question)
               != ui::MsgAnswer::Yes)
        return;
    IVKEntryIo* io = m_io;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        if (!Retry([io] { return io->ResetEnergyMeter(); }))
            return false;
        // The meter needs a moment before it answers with the new counters.
        io->Sleep(kWaitAfterSendMs);
        return true;
    });
    if (!ok) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_DEVICE_NOT_RESPONDING), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        return;
    }
    OnRefresh();
}

void CEnergyMeterDlg::OnSendTariff()
{
    if (!m_io
        || ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_CHANGE_METER), ui::MsgButtons::YesNo,
                       ui::MsgIcon::Question)
               != ui::MsgAnswer::Yes)
        return;
    CVKETarif tariff = m_tariff;
    for (int h = 0; h < CVKETarif::kHours; ++h)
        tariff.SetCode(h, BYTE(std::clamp(m_hours[std::size_t(h)]->value(), 1, 3) - 1));
    IVKEntryIo* io = m_io;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        if (!Retry([&] { return io->WriteTariff(tariff); }))
            return false;
        io->Sleep(kWaitAfterSendMs);
        return true;
    });
    if (!ok) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_DEVICE_NOT_RESPONDING), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        return;
    }
    m_tariff = tariff;
    OnRefresh();
}

QString CEnergyMeterDlg::CounterText(int tariff, int kind) const
{
    return m_counters.at(std::size_t(tariff)).at(std::size_t(kind))->text();
}

QString CEnergyMeterDlg::PowerFactorText(int tariff) const
{
    return m_powerFactors.at(std::size_t(tariff))->text();
}

QString CEnergyMeterDlg::MaximumText(int i) const
{
    return m_maxima.at(std::size_t(i))->text();
}

QString CEnergyMeterDlg::ResetTimeText() const
{
    return m_resetTime->text();
}

QString CEnergyMeterDlg::ReadTimeText() const
{
    return m_readTime->text();
}

int CEnergyMeterDlg::HourField(int hour) const
{
    return m_hours.at(std::size_t(hour))->value();
}

void CEnergyMeterDlg::SetHourField(int hour, int value)
{
    m_hours.at(std::size_t(hour))->setValue(value);
}

} // namespace analysers_vk
