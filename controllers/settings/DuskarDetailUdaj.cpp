#include "controllers/settings/DuskarDetailUdaj.h"

#include "controllers/settings/SettingsConvert.h"
#include "model/DuskarConfig.h"
#include "platform/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace controllers {

namespace {

QStringList Times(bool firstTwoPlain)
{
    QStringList items{QStringLiteral("5 sec."),        QStringLiteral("10 sec."), QStringLiteral("15 sec."),
                      QStringLiteral("20 sec."),       QStringLiteral("30 sec."), QStringLiteral("45 sec."),
                      QStringLiteral("1 min."),        QStringLiteral("1 min. 30 sec."),
                      QStringLiteral("2 min."),        QStringLiteral("3 min."),  QStringLiteral("4 min."),
                      QStringLiteral("5 min."),        QStringLiteral("7 min."),  QStringLiteral("10 min."),
                      QStringLiteral("15 min."),       QStringLiteral("20 min.")};
    if (firstTwoPlain) {
        items[0] = QStringLiteral("5");
        items[1] = QStringLiteral("10");
    }
    return items;
}

QStringList Bands(bool angle)
{
    QStringList items;
    for (int i = 0; i <= 8; ++i)
        items << (angle ? QString::number(i) + QChar(0x00B0) : QString::asprintf("%0.3f", i * 0.005));
    return items;
}

QStringList ConnectionItems(int lineToNeutral)
{
    QStringList items{platform::LoadString(platform::IDS_CONNECTION_NOT_SET)};
    if (lineToNeutral == 1)
        items << QStringLiteral("L1-0") << QStringLiteral("L2-0") << QStringLiteral("L3-0") << QStringLiteral("0-L1")
              << QStringLiteral("0-L2") << QStringLiteral("0-L3");
    else
        items << QStringLiteral("L1-L2") << QStringLiteral("L2-L3") << QStringLiteral("L3-L1")
              << QStringLiteral("L2-L1") << QStringLiteral("L3-L2") << QStringLiteral("L1-L3");
    return items;
}

constexpr int kTimeCombos[4] = {1021, 1022, 1023, 1024};
constexpr int kLinearChecks[4] = {1016, 1017, 1034, 1035};
constexpr int kTargetEdits[2] = {1032, 1019};
constexpr int kTargetBars[2] = {1018, 1020};
constexpr int kBandCombos[2] = {1036, 1037};

BYTE TimeByte(int index, BOOL linear)
{
    return BYTE((index < 0 ? 0 : index & 0x7F) | (linear ? 0x80 : 0));
}

int TimeIndex(BYTE b)
{
    const int index = b & 0x7F;
    return index > 15 ? 0 : index;
}

} // namespace

CDuskarDetailUdaj::CDuskarDetailUdaj(bool readOnly, QWidget* parent)
    : CSettingsPage(QStringLiteral("Základní údaje"), readOnly, parent)
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    AddTargetRows(grid, row);
    grid->addWidget(Label(1234, QStringLiteral("Šířka pásma regulace:")), row, 0);
    grid->addWidget(Combo(1036, Bands(false)), row, 1);
    grid->addWidget(Combo(1037, Bands(false)), row++, 2);
    AddRegulationRows(grid, row, QStringLiteral("Doba regulace:"), Times(true));
    AddTransformerRow(grid, row);
    grid->addWidget(Label(1251, QStringLiteral("Převod MTN:")), row, 0);
    grid->addWidget(EditWithBar(Edit(1040), Bar(1041)), row++, 1);
    grid->addWidget(Label(1252, QStringLiteral("Jmenovité napětí:")), row, 0);
    grid->addWidget(Row({Edit(1042, 70), Bar(1043), new QLabel(QStringLiteral("V"))}), row++, 1);
    grid->addWidget(Label(1227, QStringLiteral("Doba blokování znovuzapnutí")), row, 0);
    grid->addWidget(Combo(1030, Times(false)), row++, 1);
    grid->addWidget(Label(1228, QStringLiteral("Typ a způsob připojení měř. napětí")), row, 0);
    grid->addWidget(Row({Combo(1435, {QStringLiteral("LL"), QStringLiteral("LN")}), Combo(1031, ConnectionItems(0))}),
                    row++, 1, 1, 2);
    grid->addWidget(Check(1026, QStringLiteral("Mezní účiník pro reg. tlumivkami")), row, 0);
    grid->addWidget(EditWithBar(Edit(1033), Bar(1039)), row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);

    if (readOnly) {
        MakeReadOnly();
        return;
    }
    for (int t = 0; t < 2; ++t) {
        connect(Ctl<CStepBar>(kTargetBars[t]), &CStepBar::lineUp, this, [this, t] { StepTarget(t, true); });
        connect(Ctl<CStepBar>(kTargetBars[t]), &CStepBar::lineDown, this, [this, t] { StepTarget(t, false); });
        connect(Ctl<CCheckedEdit>(kTargetEdits[t]), &CCheckedEdit::focusLeft, this, [this, t] { TargetTyped(t); });
    }
    connect(Ctl<CStepBar>(1039), &CStepBar::lineUp, this, [this] { StepChoke(true); });
    connect(Ctl<CStepBar>(1039), &CStepBar::lineDown, this, [this] { StepChoke(false); });
    connect(Ctl<CCheckedEdit>(1033), &CCheckedEdit::focusLeft, this, [this] {
        double v = 0;
        if (ParseFloat(ControlText(1033), v) && convert::IsDuskarChokeTyped(v)) {
            m_chokePf = v;
            return;
        }
        m_chokePf = 1.0;
        Beep();
        Ctl<QLineEdit>(1033)->setText(PowerFactorText(1.0));
        Control(1033)->setFocus();
    });
    ConnectCurrentTransformer(m_ctSecondary, [this](bool save) { return UpdateData(save); });
    auto stepVt = [this](bool up) {
        UpdateData(true);
        const int old = m_vtRatio;
        int ratio = old;
        if (!(up ? CDuskarConfig::StepVtRatioUp(ratio) : CDuskarConfig::StepVtRatioDown(ratio)))
            Beep();
        m_vtRatio = ratio;
        VtChanged(old);
    };
    connect(Ctl<CStepBar>(1041), &CStepBar::lineUp, this, [stepVt] { stepVt(true); });
    connect(Ctl<CStepBar>(1041), &CStepBar::lineDown, this, [stepVt] { stepVt(false); });
    connect(Ctl<CCheckedEdit>(1040), &CCheckedEdit::focusLeft, this, [this] {
        const int old = m_vtRatio;
        int v = old;
        ParseInt(ControlText(1040), v);
        if (v < 5)
            v = 1;
        else if (v <= 1000)
            v = (v + 5) / 10 * 10;
        else if (v <= 5000)
            v = (v + 50) / 100 * 100;
        else
            v = 5000;
        m_vtRatio = v;
        VtChanged(old);
    });
    auto stepNominal = [this](bool up) {
        UpdateData(true);
        int volts = m_primaryNominal;
        if (!(up ? CDuskarConfig::StepNominalVoltageUp(volts, m_vtRatio)
                 : CDuskarConfig::StepNominalVoltageDown(volts, m_vtRatio)))
            Beep();
        m_primaryNominal = volts;
        UpdateData(false);
        SendRatioChanged();
    };
    connect(Ctl<CStepBar>(1043), &CStepBar::lineUp, this, [stepNominal] { stepNominal(true); });
    connect(Ctl<CStepBar>(1043), &CStepBar::lineDown, this, [stepNominal] { stepNominal(false); });
    connect(Ctl<CCheckedEdit>(1042), &CCheckedEdit::focusLeft, this, [this] {
        int volts = m_primaryNominal;
        ParseInt(ControlText(1042), volts);
        if (!CDuskarConfig::SnapNominalVoltage(volts, m_vtRatio))
            Beep();
        m_primaryNominal = volts;
        Ctl<QLineEdit>(1042)->setText(QString::number(volts));
        SendRatioChanged();
    });
    for (int id : {1025, 1026})
        connect(Ctl<QCheckBox>(id), &QCheckBox::clicked, this, [this] {
            UpdateData(true);
            Enable();
        });
    connect(Ctl<QComboBox>(1435), qOverload<int>(&QComboBox::activated), this, [this] {
        UpdateData(true);
        RebuildConnections();
    });
}

void CDuskarDetailUdaj::AttachConfig(CDuskarConfig* config, BOOL singleTariff)
{
    m_config = config;
    m_singleTariff = singleTariff;
    m_tariff2On = (config->mode & 0x02) ? FALSE : TRUE;
    const CDuskarTarif* tariffs[2] = {&config->duskarTarif1, &config->duskarTarif2};
    for (int t = 0; t < 2; ++t) {
        m_code[t] = static_cast<signed char>(tariffs[t]->t0);
        m_band[t] = tariffs[t]->t3 > 8 ? -1 : tariffs[t]->t3;
    }
    const BYTE timeBytes[4] = {config->duskarTarif1.t2, config->duskarTarif2.t2, config->duskarTarif1.t1,
                               config->duskarTarif2.t1};
    for (int i = 0; i < 4; ++i) {
        m_linear[i] = (timeBytes[i] & 0x80) ? TRUE : FALSE;
        m_times[i] = TimeIndex(timeBytes[i]);
    }
    m_vtRatio = config->GetVtRatio();
    m_primaryNominal = config->GetNominalVoltage() * m_vtRatio;
    m_ctPrimary = config->GetCtPrimaryCurrent();
    m_ctSecondary = config->GetCtSecondaryCurrent();
    CheckStoredTransformer(m_ctPrimary, m_ctSecondary);
    m_reclosing = config->reclosingBlock > 15 ? 0 : config->reclosingBlock;
    config->GetVoltageConnection(m_connection, m_lineToNeutral);
    if (config->reactorLimit == 127) {
        m_chokeOn = FALSE;
        m_chokePf = 1.0;
    } else {
        m_chokeOn = TRUE;
        m_chokePf = convert::DuskarChokeValue(config->reactorLimit);
    }
    RebuildConnections();
    UpdateData(false);
    Enable();
}

bool CDuskarDetailUdaj::StoreConfig()
{
    if (!m_config || !UpdateData(true))
        return false;
    CDuskarConfig& c = *m_config;
    c.mode = m_tariff2On ? BYTE(c.mode & ~0x02) : BYTE(c.mode | 0x02);
    CDuskarTarif* tariffs[2] = {&c.duskarTarif1, &c.duskarTarif2};
    for (int t = 0; t < 2; ++t) {
        tariffs[t]->t0 = BYTE(m_code[t]);
        tariffs[t]->t3 = BYTE(m_band[t] < 0 ? 0 : m_band[t]);
    }
    c.duskarTarif1.t2 = TimeByte(m_times[0], m_linear[0]);
    c.duskarTarif2.t2 = TimeByte(m_times[1], m_linear[1]);
    c.duskarTarif1.t1 = TimeByte(m_times[2], m_linear[2]);
    c.duskarTarif2.t1 = TimeByte(m_times[3], m_linear[3]);
    c.SetVtRatio(m_vtRatio);
    c.SetNominalVoltage(m_vtRatio > 0 ? m_primaryNominal / m_vtRatio : m_primaryNominal);
    c.SetCtRatio(m_ctPrimary, m_ctSecondary);
    c.reclosingBlock = BYTE(m_reclosing < 0 ? 0 : m_reclosing);
    c.SetVoltageConnection(m_connection < 0 ? 0 : m_connection, m_lineToNeutral == 1 ? 1 : 0);
    c.reactorLimit = m_chokeOn ? static_cast<signed char>(convert::DuskarChokeCode(m_chokePf))
                               : static_cast<signed char>(127);
    return true;
}

bool CDuskarDetailUdaj::UpdateData(bool save)
{
    if (!save) {
        Ctl<QCheckBox>(1025)->setChecked(m_tariff2On);
        for (int i = 0; i < 4; ++i) {
            SetComboIndex(Ctl<QComboBox>(kTimeCombos[i]), m_times[i]);
            Ctl<QCheckBox>(kLinearChecks[i])->setChecked(m_linear[i]);
        }
        for (int t = 0; t < 2; ++t)
            ShowTarget(t);
        Ctl<QLineEdit>(1027)->setText(QString::number(m_ctPrimary));
        Ctl<QLineEdit>(1028)->setText(QString::number(m_ctSecondary));
        Ctl<QLineEdit>(1040)->setText(QString::number(m_vtRatio));
        Ctl<QLineEdit>(1042)->setText(QString::number(m_primaryNominal));
        SetComboIndex(Ctl<QComboBox>(1030), m_reclosing);
        SetComboIndex(Ctl<QComboBox>(1435), m_lineToNeutral);
        SetComboIndex(Ctl<QComboBox>(1031), m_connection);
        Ctl<QCheckBox>(1026)->setChecked(m_chokeOn);
        Ctl<QLineEdit>(1033)->setText(PowerFactorText(m_chokePf));
        return true;
    }
    int primary = 0, secondary = 0, nominal = 0;
    if (!ReadCurrentTransformer(primary, secondary))
        return false;
    if (!ParseInt(ControlText(1042), nominal))
        nominal = m_primaryNominal;
    double choke = m_chokePf;
    ParseFloat(ControlText(1033), choke);
    m_ctPrimary = primary;
    m_ctSecondary = secondary;
    m_primaryNominal = nominal;
    m_chokePf = choke;
    m_tariff2On = IsChecked(1025);
    for (int i = 0; i < 4; ++i) {
        m_times[i] = Ctl<QComboBox>(kTimeCombos[i])->currentIndex();
        m_linear[i] = IsChecked(kLinearChecks[i]);
    }
    for (int t = 0; t < 2; ++t) {
        m_band[t] = Ctl<QComboBox>(kBandCombos[t])->currentIndex();
        // A stored code outside the scale stays as it is until typed over.
        const QString typed = ControlText(kTargetEdits[t]);
        if (typed != convert::DuskarTargetText(m_code[t]))
            m_code[t] = convert::ParseDuskarTarget(typed);
    }
    m_reclosing = Ctl<QComboBox>(1030)->currentIndex();
    m_lineToNeutral = Ctl<QComboBox>(1435)->currentIndex();
    m_connection = Ctl<QComboBox>(1031)->currentIndex();
    m_chokeOn = IsChecked(1026);
    return true;
}

void CDuskarDetailUdaj::ShowTarget(int tariff)
{
    Ctl<QLineEdit>(kTargetEdits[tariff])->setText(convert::DuskarTargetText(m_code[tariff]));
    auto* combo = Ctl<QComboBox>(kBandCombos[tariff]);
    RebuildComboItems(combo, Bands(convert::IsAngleCode(m_code[tariff])));
    SetComboIndex(combo, m_band[tariff]);
}

void CDuskarDetailUdaj::StepTarget(int tariff, bool up)
{
    UpdateData(true);
    int code = m_code[tariff];
    if (!convert::StepDuskarTarget(code, up))
        Beep();
    m_code[tariff] = code;
    ShowTarget(tariff);
}

void CDuskarDetailUdaj::TargetTyped(int tariff)
{
    m_band[tariff] = Ctl<QComboBox>(kBandCombos[tariff])->currentIndex();
    m_code[tariff] = convert::ParseDuskarTarget(ControlText(kTargetEdits[tariff]));
    ShowTarget(tariff);
}

void CDuskarDetailUdaj::StepChoke(bool up)
{
    UpdateData(true);
    double v = m_chokePf;
    if (!(up ? convert::DuskarChokeLineUp(v) : convert::DuskarChokeLineDown(v)))
        Beep();
    m_chokePf = v;
    UpdateData(false);
}

void CDuskarDetailUdaj::VtChanged(int oldRatio)
{
    Ctl<QLineEdit>(1040)->setText(QString::number(m_vtRatio));
    if (oldRatio > 0)
        m_primaryNominal = m_primaryNominal / oldRatio * m_vtRatio;
    UpdateData(false);
    SendRatioChanged();
}

void CDuskarDetailUdaj::RebuildConnections()
{
    RebuildComboItems(Ctl<QComboBox>(1031), ConnectionItems(m_lineToNeutral));
    SetComboIndex(Ctl<QComboBox>(1031), m_connection);
}

bool CDuskarDetailUdaj::OnSetActive()
{
    RebuildConnections();
    for (int t = 0; t < 2; ++t)
        ShowTarget(t);
    Enable();
    if (!IsReadOnly())
        SetModified(true);
    return true;
}

void CDuskarDetailUdaj::Enable()
{
    if (IsReadOnly())
        return;
    const bool tariff2 = !m_singleTariff && IsChecked(1025);
    Control(1025)->setEnabled(!m_singleTariff);
    for (int id : {1019, 1020, 1022, 1024, 1037, 1017, 1035})
        Control(id)->setEnabled(tariff2);
    const bool choke = IsChecked(1026);
    Control(1033)->setEnabled(choke);
    Control(1039)->setEnabled(choke);
}

} // namespace controllers
