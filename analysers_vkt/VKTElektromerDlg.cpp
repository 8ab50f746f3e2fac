#include "analysers_vkt/VKTElektromerDlg.h"

#include "archive_docs/FamilyArchivDocs.h"

#include "archive/store/VKTArchivData.h"
#include "link/Pristroj.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>

#include <cmath>

namespace analysers_vkt {

const std::array<WORD, 5> kMeterIntervals{1, 4, 32, 96, 672};

namespace {

const QString kNoAnswer = QStringLiteral("Přístroj neodpovídá !");
const QString kMeterNoAnswer = QStringLiteral("Stav elektroměru nelze zobrazit ,protože přístroj neodpovídá !");
const QString kOtherInterval =
    QStringLiteral("Pozor, v přístroji je nastaven jiný interval záznamu elektroměru než v programu. Záznam "
                   "elektroměru nemusí být funkční. Pro opravení intervalu záznamu vyšlete nastavení elektroměru.");

QString TimeText(CTime t)
{
    if (t.GetTime() == 0)
        return QStringLiteral("--");
    return QDateTime::fromSecsSinceEpoch(t.GetTime()).toString(QStringLiteral("dd.MM.yy HH:mm:ss"));
}

bool Retry3(const std::function<bool()>& call, IVKTMeterIo& io)
{
    for (int i = 0; i < 3; ++i) {
        if (call())
            return true;
        io.Sleep(0);
    }
    return false;
}

} // namespace

QString CPristrojVKTMeterIo::Name() const
{
    return m_entry.m_nazev;
}

bool CPristrojVKTMeterIo::ReadTariff(CVKTETarif& tariff)
{
    return m_entry.ReadVKTTariff(tariff) != 0;
}

bool CPristrojVKTMeterIo::WriteTariff(const CVKTETarif& tariff)
{
    return m_entry.WriteVKTTariff(tariff) != 0;
}

bool CPristrojVKTMeterIo::ReadEnergy(CVKTEDataRec& data)
{
    return m_entry.ReadVKTEnergyData(data) != 0;
}

bool CPristrojVKTMeterIo::ResetMeter(BYTE code)
{
    return m_entry.ResetVKTEnergyMeter(code) != 0;
}

int CPristrojVKTMeterIo::IntervalCode() const
{
    return m_entry.GetBexorInterval();
}

void CPristrojVKTMeterIo::SetIntervalCode(int code)
{
    m_entry.SetBexorInterval(code, TRUE);
}

double CPristrojVKTMeterIo::RatioProduct() const
{
    if (auto* store = dynamic_cast<CVKTArchivData*>(m_entry.GetArchivData()))
        return double(store->GetRatioI()) * double(store->GetRatioU());
    return 1.0;
}

void CPristrojVKTMeterIo::OpenMeterArchive()
{
    CArchivData* archive = m_entry.GetArchivData();
    if (archive && !archive->GetFilePath().isEmpty())
        archive::OpenMeterDocument(QStringLiteral("VKTBexor Archiv"), *archive);
}

void CPristrojVKTMeterIo::Sleep(int ms)
{
    if (ms <= 0)
        QThread::yieldCurrentThread();
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

void IntervalChoice(int code, int& index, bool& archived)
{
    archived = code >= 0;
    index = archived ? code : ~code;
    if (index < 0 || index >= int(kMeterIntervals.size()))
        index = 0;
}

QString PowerFactorText(double active, double reactive, double least)
{
    const double root = std::sqrt(active * active + reactive * reactive);
    if (root < least)
        return QStringLiteral("--");
    return QString::asprintf("%0.3f", active / root);
}

QString MaximumPowerText(float stored, double ratioProduct)
{
    return QString::asprintf("%0.4f", double(stored) * ratioProduct * 0.001);
}

CVKTElektromerDlg::CVKTElektromerDlg(IVKTMeterIo& io, QWidget* parent) : QDialog(parent), m_io(io)
{
    setWindowTitle(QStringLiteral("Stav elektroměru (%1)").arg(io.Name()));
    Build();
}

QLabel* CVKTElektromerDlg::Value(int id)
{
    auto* l = new QLabel(QStringLiteral("--"), this);
    l->setObjectName(QString::number(id));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(90);
    return l;
}

// Values are right-aligned, so their headings are too: each heading then ends where its
// column's numbers end.
QLabel* CVKTElektromerDlg::Heading(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QString CVKTElektromerDlg::ValueText(int id) const
{
    auto* l = findChild<QLabel*>(QString::number(id));
    return l ? l->text() : QString();
}

void CVKTElektromerDlg::Build()
{
    auto* grid = new QGridLayout(this);
    auto* energies = new QGroupBox(QStringLiteral("Elektroměr"), this);
    auto* eg = new QGridLayout(energies);
    const QStringList heads{QStringLiteral("Činná import [kWh]"), QStringLiteral("Činná export [kWh]"),
                            QStringLiteral("Jalová induktivní [kvarh]"), QStringLiteral("Jalová kapacitní [kvarh]"),
                            QStringLiteral("PF")};
    for (int c = 0; c < heads.size(); ++c)
        eg->addWidget(Heading(heads[c], energies), 0, c + 1);
    int row = 1;
    for (int k = 1; k <= 3; ++k, ++row) {
        eg->addWidget(new QLabel(QStringLiteral("tarif %1").arg(k), energies), row, 0);
        eg->addWidget(Value(1298 + k), row, 1);
        eg->addWidget(Value(1302 + k), row, 2);
        eg->addWidget(Value(1306 + k), row, 3);
        eg->addWidget(Value(1310 + k), row, 4);
        eg->addWidget(Value(1031 + k), row, 5);
    }
    eg->addWidget(new QLabel(QStringLiteral("celkem"), energies), row, 0);
    eg->addWidget(Value(1302), row, 1);
    eg->addWidget(Value(1306), row, 2);
    eg->addWidget(Value(1310), row, 3);
    eg->addWidget(Value(1314), row, 4);
    eg->addWidget(Value(1035), row, 5);
    ++row;
    for (int k = 1; k <= 3; ++k, ++row) {
        eg->addWidget(new QLabel(QStringLiteral("L%1").arg(k), energies), row, 0);
        eg->addWidget(Value(1352 + k), row, 1);
        eg->addWidget(Value(1355 + k), row, 2);
        eg->addWidget(Value(1358 + k), row, 3);
        eg->addWidget(Value(1361 + k), row, 4);
        eg->addWidget(Value(1044 + k), row, 5);
    }
    eg->addWidget(new QLabel(QStringLiteral("Čas nulování elektroměru:"), energies), row, 0, 1, 2);
    eg->addWidget(Value(1315), row, 2);
    eg->addWidget(Value(1316), row, 3);
    grid->addWidget(energies, 0, 0, 1, 2);

    auto* maxima = new QGroupBox(QStringLiteral("1/4 hodinový maximální výkon"), this);
    auto* mg = new QGridLayout(maxima);
    const QStringList phases{"L1", "L2", "L3", "3F"};
    mg->addWidget(new QLabel(QStringLiteral("[kW]"), maxima), 1, 0);
    mg->addWidget(new QLabel(QStringLiteral("Čas výskytu"), maxima), 2, 0);
    for (int k = 0; k < 4; ++k) {
        mg->addWidget(Heading(phases[k], maxima), 0, k + 1);
        mg->addWidget(Value(1317 + k), 1, k + 1);
        mg->addWidget(Value(1321 + k), 2, k + 1);
    }
    grid->addWidget(maxima, 1, 0, 1, 2);

    auto* tariffs = new QGroupBox(QStringLiteral("Tarify (hodina: tarif)"), this);
    auto* tg = new QGridLayout(tariffs);
    for (int h = 0; h < 24; ++h) {
        auto* spin = new QSpinBox(tariffs);
        spin->setRange(1, 3);
        spin->setObjectName(QString::number(h < 15 ? 1017 + h : 1036 + h - 15));
        m_tariffs[std::size_t(h)] = spin;
        tg->addWidget(new QLabel(QString::number(h + 1), tariffs), (h / 8) * 2, h % 8);
        tg->addWidget(spin, (h / 8) * 2 + 1, h % 8);
    }
    grid->addWidget(tariffs, 2, 0, 1, 2);

    m_interval = new QComboBox(this);
    m_interval->setObjectName(QStringLiteral("1376"));
    m_interval->addItems({QStringLiteral("15 min"), QStringLiteral("1 hod"), QStringLiteral("8 hod"),
                          QStringLiteral("1 den"), QStringLiteral("1 tyden")});
    m_archive = new QCheckBox(QStringLiteral("Archivovat elektroměr spolu s daty"), this);
    m_archive->setObjectName(QStringLiteral("1016"));
    grid->addWidget(m_archive, 3, 0);
    grid->addWidget(m_interval, 3, 1);

    auto button = [this](int id, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };
    auto* refresh = button(1325, QStringLiteral("Obnov hodnoty"));
    auto* set = button(1326, QStringLiteral("Nastav elektroměr"));
    auto* reset1 = button(1352, QStringLiteral("Nuluj hodnoty"));
    auto* reset2 = button(1365, QStringLiteral("Nuluj hodnoty"));
    auto* archived = button(1351, QStringLiteral("Archivní hodnoty"));
    auto* close = button(2, QStringLiteral("Konec"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {refresh, set, reset1, reset2, archived, close})
        buttons->addWidget(b);
    grid->addLayout(buttons, 4, 0, 1, 2);
    connect(refresh, &QPushButton::clicked, this, &CVKTElektromerDlg::OnRefresh);
    connect(set, &QPushButton::clicked, this, &CVKTElektromerDlg::OnSetMeter);
    connect(reset1, &QPushButton::clicked, this, [this] { OnReset(1); });
    connect(reset2, &QPushButton::clicked, this, [this] { OnReset(2); });
    connect(archived, &QPushButton::clicked, this, [this] { m_io.OpenMeterArchive(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

bool CVKTElektromerDlg::ReadMeter()
{
    const bool ok = ReadRecords();
    int index = 0;
    bool archived = false;
    IntervalChoice(m_io.IntervalCode(), index, archived);
    m_archive->setChecked(archived);
    m_interval->setCurrentIndex(index);
    ShowValues();
    // The program's meter archive counts on the instrument's interval.
    if (ok && archived && kMeterIntervals[std::size_t(index)] != m_tariff.GetInterval())
        ui::ErrorBox(this, kOtherInterval, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    return ok;
}

bool CVKTElektromerDlg::ReadRecords()
{
    CVKTETarif tariff = m_tariff;
    CVKTEDataRec data = m_data;
    const bool ok = ui::RunInstrumentTask(this, [&] {
        bool tariffRead = false, dataRead = false;
        for (int pass = 0; pass < 3 && !(tariffRead && dataRead); ++pass) {
            if (!tariffRead && !(tariffRead = m_io.ReadTariff(tariff)))
                m_io.Sleep(0);
            if (!dataRead && !(dataRead = m_io.ReadEnergy(data)))
                m_io.Sleep(0);
        }
        return tariffRead && dataRead;
    });
    if (ok) {
        m_tariff = tariff;
        m_data = data;
    }
    return ok;
}

void CVKTElektromerDlg::ShowValues()
{
    for (int h = 0; h < 24; ++h)
        m_tariffs[std::size_t(h)]->setValue(m_tariff.GetCode(h) + 1);
    const double scale = m_io.RatioProduct();
    const CVKTEData& e = m_data.GetData();
    auto set = [this](int id, const QString& text) {
        if (auto* l = findChild<QLabel*>(QString::number(id)))
            l->setText(text);
    };
    auto energy = [&](double v) { return QString::asprintf("%0.4f", v * scale); };
    set(1315, TimeText(m_data.GetResetTime()));
    set(1316, TimeText(m_data.GetMaximaResetTime()));
    std::array<double, 4> total{};
    for (int k = 1; k <= 3; ++k) {
        const int t = k - 1;
        std::array<double, 4> r{};
        for (int i = 0; i < 4; ++i) {
            r[std::size_t(i)] = e.GetRegister(t, i) * scale;
            total[std::size_t(i)] += r[std::size_t(i)];
        }
        set(1298 + k, energy(e.GetRegister(t, 0)));
        set(1302 + k, energy(e.GetRegister(t, 1)));
        set(1306 + k, energy(e.GetRegister(t, 2)));
        set(1310 + k, energy(e.GetRegister(t, 3)));
        set(1031 + k, PowerFactorText(r[0] + r[1], r[2] + r[3], 0.001));
        const int p = 3 + k;
        std::array<double, 4> q{};
        for (int i = 0; i < 4; ++i)
            q[std::size_t(i)] = e.GetRegister(p, i) * scale;
        set(1352 + k, energy(e.GetRegister(p, 0)));
        set(1355 + k, energy(e.GetRegister(p, 1)));
        set(1358 + k, energy(e.GetRegister(p, 2)));
        set(1361 + k, energy(e.GetRegister(p, 3)));
        set(1044 + k, PowerFactorText(q[0] + q[1], q[2] + q[3], 0.000001));
    }
    set(1302, QString::asprintf("%0.4f", total[0]));
    set(1306, QString::asprintf("%0.4f", total[1]));
    set(1310, QString::asprintf("%0.4f", total[2]));
    set(1314, QString::asprintf("%0.4f", total[3]));
    set(1035, PowerFactorText(total[0] + total[1], total[2] + total[3], 0.000001));
    for (int k = 0; k < 4; ++k) {
        set(1317 + k, MaximumPowerText(m_data.GetMaximum(k), scale));
        set(1321 + k, TimeText(m_data.GetMaximumTime(k)));
    }
}

// A refresh redisplays what the instrument holds but leaves the interval list and the
// archive box as the user set them: an unsent choice must survive it, and the interval
// warning belongs to the opening only.
void CVKTElektromerDlg::OnRefresh()
{
    const bool ok = ReadRecords();
    ShowValues();
    if (!ok)
        ui::ErrorBox(this, kNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

void CVKTElektromerDlg::OnSetMeter()
{
    if (ui::InfoBox(this, QStringLiteral("Opravdu změnit nastavení elektroměru?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        == ui::MsgAnswer::No)
        return;
    CVKTETarif tariff = m_tariff;
    for (int h = 0; h < 24; ++h)
        tariff.SetCode(h, BYTE(m_tariffs[std::size_t(h)]->value() - 1));
    const int index = std::max(0, m_interval->currentIndex());
    tariff.SetInterval(kMeterIntervals[std::size_t(index)]);
    if (!ui::RunInstrumentTask(this, [&] { return Retry3([&] { return m_io.WriteTariff(tariff); }, m_io); })) {
        ui::ErrorBox(this, kNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    m_tariff = tariff;
    m_io.SetIntervalCode(m_archive->isChecked() ? index : ~index);
    ui::RunInstrumentTask(this, [&] {
        m_io.Sleep(2000);
        return true;
    });
    OnRefresh();
}

void CVKTElektromerDlg::OnReset(BYTE code)
{
    if (ui::InfoBox(this, QStringLiteral("Opravdu vynulovat elektroměr?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        == ui::MsgAnswer::No)
        return;
    if (!ui::RunInstrumentTask(this, [&] { return Retry3([&] { return m_io.ResetMeter(code); }, m_io); })) {
        ui::ErrorBox(this, kNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    ui::RunInstrumentTask(this, [&] {
        m_io.Sleep(2000);
        return true;
    });
    OnRefresh();
}

void OpenVKTElektromer(QWidget* parent, CPristroj& entry)
{
    CPristrojVKTMeterIo io(entry);
    RunVKTElektromer(parent, io);
}

void RunVKTElektromer(QWidget* parent, IVKTMeterIo& io)
{
    CVKTElektromerDlg dialog(io, parent);
    if (!dialog.ReadMeter()) {
        ui::ErrorBox(parent, kMeterNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    dialog.exec();
}

} // namespace analysers_vkt
