#include "controllers/settings/DetailUdaj.h"

#include "controllers/settings/SettingsConvert.h"
#include "model/QorinConfig.h"
#include "platform/ui/HtmlHelp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include <cmath>

namespace controllers {

namespace {

QStringList RegulationTimes()
{
    return {QStringLiteral("5"),   QStringLiteral("10"),  QStringLiteral("15"),  QStringLiteral("20"),
            QStringLiteral("30"),  QStringLiteral("60"),  QStringLiteral("120"), QStringLiteral("180"),
            QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200")};
}

QStringList BlockTimes()
{
    return {QStringLiteral("5"),   QStringLiteral("10"),  QStringLiteral("20"),
            QStringLiteral("30"),  QStringLiteral("60"),  QStringLiteral("120"),
            QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200")};
}

QStringList Connections()
{
    return {QStringLiteral("nazadáno"), QStringLiteral("SD L1-L2"), QStringLiteral("SD L2-L3"),
            QStringLiteral("SD L3-L1"), QStringLiteral("SD L2-L1"), QStringLiteral("SD L3-L2"),
            QStringLiteral("SD L1-L3"), QStringLiteral("FA L1-0"),  QStringLiteral("FA L2-0"),
            QStringLiteral("FA L3-0"),  QStringLiteral("FA 0-L1"),  QStringLiteral("FA 0-L2"),
            QStringLiteral("FA 0-L3")};
}

BYTE TimeByte(int index, BOOL linear, bool linearAllowed)
{
    return BYTE((index < 0 ? 0 : index & 0x7F) | (linear && linearAllowed ? 0x80 : 0));
}

int TimeIndex(BYTE b)
{
    const int index = b & 0x7F;
    return index > 10 ? 0 : index;
}

} // namespace

CDetailUdaj::CDetailUdaj(bool readOnly, QWidget* parent)
    : CSettingsPage(QStringLiteral("Základní údaje"), readOnly, parent)
{
    ui::SetHelpId(this, 133);
    auto* grid = new QGridLayout(this);
    int row = 0;
    AddTargetRows(grid, row);
    AddRegulationRows(grid, row, QStringLiteral("Doba regulace [s]:"), RegulationTimes());
    AddTransformerRow(grid, row);
    grid->addWidget(Label(1227, QStringLiteral("Doba blokování znovuzapnutí")), row, 0);
    grid->addWidget(Row({Combo(1030, BlockTimes()), new QLabel(QStringLiteral("s"))}), row++, 1);
    grid->addWidget(Label(1228, QStringLiteral("Typ a způsob připojení měř. napětí")), row, 0);
    grid->addWidget(Combo(1031, Connections()), row++, 1);
    grid->addWidget(Check(1026, QStringLiteral("Mezní účiník pro reg. tlumivkou")), row, 0);
    grid->addWidget(EditWithBar(Edit(1033), Bar(1039)), row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);

    if (readOnly) {
        MakeReadOnly();
        return;
    }
    connect(Ctl<CStepBar>(1018), &CStepBar::lineUp, this, [this] { StepPf(&CDetailUdaj::m_pf1, true); });
    connect(Ctl<CStepBar>(1018), &CStepBar::lineDown, this, [this] { StepPf(&CDetailUdaj::m_pf1, false); });
    connect(Ctl<CStepBar>(1020), &CStepBar::lineUp, this, [this] { StepPf(&CDetailUdaj::m_pf2, true); });
    connect(Ctl<CStepBar>(1020), &CStepBar::lineDown, this, [this] { StepPf(&CDetailUdaj::m_pf2, false); });
    connect(Ctl<CStepBar>(1039), &CStepBar::lineUp, this, [this] { StepPf(&CDetailUdaj::m_chokePf, true); });
    connect(Ctl<CStepBar>(1039), &CStepBar::lineDown, this, [this] { StepPf(&CDetailUdaj::m_chokePf, false); });
    connect(Ctl<CCheckedEdit>(1032), &CCheckedEdit::focusLeft, this, [this] { CheckPfEdit(1032, &CDetailUdaj::m_pf1); });
    connect(Ctl<CCheckedEdit>(1019), &CCheckedEdit::focusLeft, this, [this] { CheckPfEdit(1019, &CDetailUdaj::m_pf2); });
    connect(Ctl<CCheckedEdit>(1033), &CCheckedEdit::focusLeft, this,
            [this] { CheckPfEdit(1033, &CDetailUdaj::m_chokePf); });

    ConnectCurrentTransformer(m_ctSecondary, [this](bool save) { return UpdateData(save); });
    connect(Ctl<QCheckBox>(1025), &QCheckBox::clicked, this, [this] {
        UpdateData(true);
        Enable();
    });
    connect(Ctl<QCheckBox>(1026), &QCheckBox::clicked, this, [this] {
        UpdateData(true);
        Enable();
    });
}

void CDetailUdaj::AttachConfig(CConfig* config, BOOL singleTariff)
{
    m_config = config;
    m_singleTariff = singleTariff;
    m_tariff2On = (config->mode & 0x02) ? FALSE : TRUE;
    m_pf1 = convert::QorinPfValue(static_cast<signed char>(config->tarif1.t0));
    m_pf2 = convert::QorinPfValue(static_cast<signed char>(config->tarif2.t0));
    m_t1UnderLinear = (config->tarif1.t2 & 0x80) ? TRUE : FALSE;
    m_t2UnderLinear = (config->tarif2.t2 & 0x80) ? TRUE : FALSE;
    m_t1OverLinear = (config->tarif1.t1 & 0x80) ? TRUE : FALSE;
    m_t2OverLinear = (config->tarif2.t1 & 0x80) ? TRUE : FALSE;
    m_t1Under = TimeIndex(config->tarif1.t2);
    m_t2Under = TimeIndex(config->tarif2.t2);
    m_t1Over = TimeIndex(config->tarif1.t1);
    m_t2Over = TimeIndex(config->tarif2.t1);
    m_ctPrimary = config->GetCtPrimaryCurrent();
    m_ctSecondary = config->GetCtSecondaryCurrent();
    CheckStoredTransformer(m_ctPrimary, m_ctSecondary);
    m_reclosing = config->reclosingBlock > 8 ? 0 : config->reclosingBlock;
    m_connection = config->GetVoltageConnection();
    if (config->reactorLimit == 127) {
        m_chokeOn = FALSE;
        m_chokePf = 1.0;
    } else {
        m_chokeOn = TRUE;
        m_chokePf = convert::QorinPfValue(config->reactorLimit);
    }
    UpdateData(false);
    Enable();
}

bool CDetailUdaj::StoreConfig()
{
    if (!m_config || !UpdateData(true))
        return false;
    CConfig& c = *m_config;
    if (m_tariff2On)
        c.mode = BYTE(c.mode & ~0x02);
    else
        c.mode = BYTE(c.mode | 0x02);
    c.tarif1.t0 = BYTE(convert::QorinPfCode(m_pf1));
    c.tarif2.t0 = BYTE(convert::QorinPfCode(m_pf2));
    const bool linear = m_version > 32;
    c.tarif1.t2 = TimeByte(m_t1Under, m_t1UnderLinear, linear);
    c.tarif2.t2 = TimeByte(m_t2Under, m_t2UnderLinear, linear);
    c.tarif1.t1 = TimeByte(m_t1Over, m_t1OverLinear, linear);
    c.tarif2.t1 = TimeByte(m_t2Over, m_t2OverLinear, linear);
    c.SetCtRatio(m_ctPrimary, m_ctSecondary);
    c.reclosingBlock = BYTE(m_reclosing < 0 ? 0 : m_reclosing);
    c.SetVoltageConnection(m_connection < 0 ? 0 : m_connection);
    c.reactorLimit = m_chokeOn ? static_cast<signed char>(std::lround(m_chokePf * 100.0)) : static_cast<signed char>(127);
    return true;
}

bool CDetailUdaj::UpdateData(bool save)
{
    if (!save) {
        Ctl<QCheckBox>(1025)->setChecked(m_tariff2On);
        Ctl<QLineEdit>(1032)->setText(PowerFactorText(m_pf1));
        Ctl<QLineEdit>(1019)->setText(PowerFactorText(m_pf2));
        SetComboIndex(Ctl<QComboBox>(1021), m_t1Under);
        SetComboIndex(Ctl<QComboBox>(1022), m_t2Under);
        SetComboIndex(Ctl<QComboBox>(1023), m_t1Over);
        SetComboIndex(Ctl<QComboBox>(1024), m_t2Over);
        Ctl<QLineEdit>(1027)->setText(QString::number(m_ctPrimary));
        Ctl<QLineEdit>(1028)->setText(QString::number(m_ctSecondary));
        SetComboIndex(Ctl<QComboBox>(1030), m_reclosing);
        SetComboIndex(Ctl<QComboBox>(1031), m_connection);
        Ctl<QLineEdit>(1033)->setText(PowerFactorText(m_chokePf));
        Ctl<QCheckBox>(1026)->setChecked(m_chokeOn);
        Ctl<QCheckBox>(1016)->setChecked(m_t1UnderLinear);
        Ctl<QCheckBox>(1017)->setChecked(m_t2UnderLinear);
        Ctl<QCheckBox>(1034)->setChecked(m_t1OverLinear);
        Ctl<QCheckBox>(1035)->setChecked(m_t2OverLinear);
        return true;
    }
    double pf1 = m_pf1, pf2 = m_pf2, choke = m_chokePf;
    int primary = 0, secondary = 0;
    if (!ParseFloat(ControlText(1032), pf1) || !ParseFloat(ControlText(1019), pf2)
        || !ParseFloat(ControlText(1033), choke)) {
        return CheckRange(1032, 2.0, -1.0, 1.0, false);
    }
    if (!ReadCurrentTransformer(primary, secondary))
        return false;
    // The record keeps the primary in steps of 5 A, and reads anything below
    // 6 A as 5/5; the edits show at once the transformer that will be sent,
    // and the stage page works with it too.
    int held = primary / 5 * 5;
    int heldSecondary = secondary;
    if (held < 6) {
        held = 5;
        heldSecondary = 5;
    }
    if (held != primary || heldSecondary != secondary) {
        primary = held;
        secondary = heldSecondary;
        Beep();
        Ctl<QLineEdit>(1027)->setText(QString::number(primary));
        Ctl<QLineEdit>(1028)->setText(QString::number(secondary));
    }
    m_pf1 = pf1;
    m_pf2 = pf2;
    m_chokePf = choke;
    m_ctPrimary = primary;
    m_ctSecondary = secondary;
    m_tariff2On = IsChecked(1025);
    m_t1Under = Ctl<QComboBox>(1021)->currentIndex();
    m_t2Under = Ctl<QComboBox>(1022)->currentIndex();
    m_t1Over = Ctl<QComboBox>(1023)->currentIndex();
    m_t2Over = Ctl<QComboBox>(1024)->currentIndex();
    m_reclosing = Ctl<QComboBox>(1030)->currentIndex();
    m_connection = Ctl<QComboBox>(1031)->currentIndex();
    m_chokeOn = IsChecked(1026);
    m_t1UnderLinear = IsChecked(1016);
    m_t2UnderLinear = IsChecked(1017);
    m_t1OverLinear = IsChecked(1034);
    m_t2OverLinear = IsChecked(1035);
    return true;
}

bool CDetailUdaj::OnSetActive()
{
    Enable();
    if (!IsReadOnly())
        SetModified(true);
    return true;
}

void CDetailUdaj::Enable()
{
    if (IsReadOnly())
        return;
    const bool tariff2 = !m_singleTariff && IsChecked(1025);
    Ctl<QCheckBox>(1025)->setEnabled(!m_singleTariff);
    for (int id : {1019, 1020, 1022, 1024})
        Control(id)->setEnabled(tariff2);
    const bool linear = m_version > 32;
    Control(1017)->setEnabled(tariff2 && linear);
    Control(1035)->setEnabled(tariff2 && linear);
    Control(1016)->setEnabled(linear);
    Control(1034)->setEnabled(linear);
    const bool choke = IsChecked(1026);
    Control(1033)->setEnabled(choke);
    Control(1039)->setEnabled(choke);
}

void CDetailUdaj::StepPf(double CDetailUdaj::*member, bool up)
{
    UpdateData(true);
    double v = this->*member;
    const bool moved = up ? convert::QorinPfLineUp(v) : convert::QorinPfLineDown(v);
    if (!moved)
        Beep();
    this->*member = v;
    UpdateData(false);
}

void CDetailUdaj::CheckPfEdit(int id, double CDetailUdaj::*member)
{
    double v = 0;
    if (ParseFloat(ControlText(id), v) && convert::IsQorinPfTyped(v)) {
        this->*member = v;
        return;
    }
    this->*member = 1.0;
    Beep();
    Ctl<QLineEdit>(id)->setText(PowerFactorText(1.0));
    Control(id)->setFocus();
}

CDetailUdajStatic::CDetailUdajStatic(QWidget* parent) : CDetailUdaj(true, parent) {}

float CDetailUdajStatic::AttachConfig(CConfig* config)
{
    CDetailUdaj::AttachConfig(config, FALSE);
    return m_ctSecondary ? float(m_ctPrimary) / float(m_ctSecondary) : 0.0f;
}

} // namespace controllers
