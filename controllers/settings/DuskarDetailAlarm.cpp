#include "controllers/settings/DuskarDetailAlarm.h"

#include "model/DuskarConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace controllers {

const CDuskarDetailAlarm::AlarmRow CDuskarDetailAlarm::kRows[kAlarms] = {
    {1231, 1170, 1160, 0, "Podproud"},
    {1232, 1171, 0, -1, "Nadproud"},
    {1234, 1172, 1161, 1, "Výpadek napětí "},
    {1243, 1173, 1162, 2, "Podpětí"},
    {1244, 1174, 1163, 3, "Přepětí"},
    {1235, 1175, 1164, 4, "Překročení THDI"},
    {1245, 1176, 1165, 5, "Překročení THDU"},
    {1246, 1177, 1166, 6, "Překročení CHL"},
    {1233, 1178, 0, -1, "Chyba kompenzace"},
    {1237, 1394, 1395, 7, "Export"},
    {1236, 1391, 0, -1, "Překročení počtu sepnutí"},
    {1238, 1396, 1397, 8, "Chyba stupně"},
    {1399, 1392, 1393, 9, "Přehřátí"},
};

CDuskarDetailAlarm::CDuskarDetailAlarm(bool readOnly, QWidget* parent)
    : CSettingsPage(QStringLiteral("Nastavení alarmů"), readOnly, parent)
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label(1230, QStringLiteral("STAV")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("SIGNALIZACE"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("AKCE"), this), 0, 2);
    grid->addWidget(Label(1247, QStringLiteral("LIMIT")), 0, 3);
    // Limit edit, stepper and unit per alarm row.
    struct Limit {
        int alarm, edit, bar, unitId;
        const char* unit;
    };
    const Limit limits[] = {{3, 1043, 1407, 1429, "% Unom"}, {4, 1044, 1408, 1429, "% Unom"},
                            {5, 1400, 1404, 1430, "%"},      {6, 1401, 1405, 1430, "%"},
                            {7, 1402, 1406, 1430, "%"},      {10, 1042, 1409, 0, "1000 sep."},
                            {12, 1403, 1410, 1432, "°C"}};
    for (int i = 0; i < kAlarms; ++i) {
        const AlarmRow& r = kRows[i];
        grid->addWidget(Label(r.label, QString::fromUtf8(r.text)), i + 1, 0);
        grid->addWidget(Check(r.signal), i + 1, 1);
        if (r.action)
            grid->addWidget(Check(r.action), i + 1, 2);
    }
    for (const Limit& l : limits) {
        // Each unit text is one control; the rows that share it show a copy.
        QLabel* unit = findChild<QLabel*>(QString::number(l.unitId)) || !l.unitId
                           ? new QLabel(QString::fromUtf8(l.unit), this)
                           : Label(l.unitId, QString::fromUtf8(l.unit));
        grid->addWidget(Row({Edit(l.edit, 50), Bar(l.bar), unit}), l.alarm + 1, 3);
    }
    grid->setRowStretch(kAlarms + 1, 1);
    grid->setColumnStretch(4, 1);

    if (readOnly) {
        MakeReadOnly();
        return;
    }
    for (QCheckBox* check : findChildren<QCheckBox*>())
        connect(check, &QCheckBox::clicked, this, [this] { UpdateData(true); });
    auto bind = [this](int bar, auto up, auto down) {
        connect(Ctl<CStepBar>(bar), &CStepBar::lineUp, this, up);
        connect(Ctl<CStepBar>(bar), &CStepBar::lineDown, this, down);
    };
    // A whole-number limit stepped by `step` within low ... high.
    auto bindRange = [this, bind](int bar, unsigned& member, unsigned low, unsigned high, unsigned step) {
        bind(
            bar,
            [this, &member, high, step] {
                StepValue(member, [high, step](unsigned& v) { return v + step <= high ? (v += step, true) : false; });
            },
            [this, &member, low, step] {
                StepValue(member, [low, step](unsigned& v) { return v >= low + step ? (v -= step, true) : false; });
            });
    };
    bindRange(1407, m_underVoltage, 50, 100, 1);
    bindRange(1408, m_overVoltage, 100, 200, 1);
    bindRange(1409, m_switchLimit, 10, 2000, 10);
    bindRange(1410, m_overheating, 20, 80, 1);
    bind(
        1406, [this] { StepValue(m_chl, [](int& v) { return CDuskarConfig::StepChlLimitUp(v) != 0; }); },
        [this] { StepValue(m_chl, [](int& v) { return CDuskarConfig::StepChlLimitDown(v) != 0; }); });
    for (auto [bar, member] : {std::pair{1405, &m_thdu}, std::pair{1404, &m_thdi}}) {
        bind(
            bar, [this, member] { StepValue(*member, [](float& v) { return CDuskarConfig::StepThdLimitUp(v) != 0; }); },
            [this, member] { StepValue(*member, [](float& v) { return CDuskarConfig::StepThdLimitDown(v) != 0; }); });
    }

    connect(Ctl<CCheckedEdit>(1042), &CCheckedEdit::focusLeft, this, [this] {
        int v = 0;
        if (ParseInt(ControlText(1042), v) && v >= 0)
            Ctl<QLineEdit>(1042)->setText(QString::number((v + 5) / 10 * 10));
    });
    connect(Ctl<CCheckedEdit>(1402), &CCheckedEdit::focusLeft, this, [this] {
        int v = 0;
        if (!ParseInt(ControlText(1402), v))
            return;
        if (!CDuskarConfig::SnapChlLimit(v))
            Beep();
        Ctl<QLineEdit>(1402)->setText(QString::number(v));
    });
    for (int id : {1400, 1401}) {
        connect(Ctl<CCheckedEdit>(id), &CCheckedEdit::focusLeft, this, [this, id] {
            double d = 0;
            if (!ParseFloat(ControlText(id), d))
                return;
            float v = float(d);
            if (!CDuskarConfig::SnapThdLimit(v))
                Beep();
            Ctl<QLineEdit>(id)->setText(FloatText(v));
        });
    }
}

template <class T, class Step>
void CDuskarDetailAlarm::StepValue(T& member, Step step)
{
    UpdateData(true);
    T v = member;
    if (!step(v))
        Beep();
    member = v;
    UpdateData(false);
}

void CDuskarDetailAlarm::AttachConfig(CDuskarConfig* config)
{
    m_config = config;
    config->GetAlarmSignalFlags(m_signal);
    config->GetAlarmActionFlags(m_action);
    m_switchLimit = unsigned(config->switchCountLimit) * 10;
    m_underVoltage = config->voltageLimit[0];
    m_overVoltage = config->voltageLimit[1];
    m_thdu = config->GetThdLimit(0);
    m_thdi = config->GetThdLimit(1);
    m_chl = config->GetChlLimit();
    m_overheating = config->overheatingLimit;
    UpdateData(false);
}

bool CDuskarDetailAlarm::StoreConfig()
{
    if (!m_config || !UpdateData(true))
        return false;
    CDuskarConfig& c = *m_config;
    c.SetAlarmSignalFlags(m_signal);
    c.SetAlarmActionFlags(m_action);
    c.switchCountLimit = BYTE(m_switchLimit / 10);
    c.voltageLimit[0] = BYTE(m_underVoltage);
    c.voltageLimit[1] = BYTE(m_overVoltage);
    c.SetThdLimit(m_thdu, 0);
    c.SetThdLimit(m_thdi, 1);
    c.SetChlLimit(m_chl);
    c.overheatingLimit = BYTE(m_overheating);
    return true;
}

bool CDuskarDetailAlarm::UpdateData(bool save)
{
    if (!save) {
        for (const AlarmRow& r : kRows) {
            const int alarm = int(&r - kRows);
            Ctl<QCheckBox>(r.signal)->setChecked(m_signal[alarm]);
            if (r.action)
                Ctl<QCheckBox>(r.action)->setChecked(m_action[r.actionIndex]);
        }
        Ctl<QLineEdit>(1042)->setText(QString::number(m_switchLimit));
        Ctl<QLineEdit>(1043)->setText(QString::number(m_underVoltage));
        Ctl<QLineEdit>(1044)->setText(QString::number(m_overVoltage));
        Ctl<QLineEdit>(1403)->setText(QString::number(m_overheating));
        Ctl<QLineEdit>(1400)->setText(FloatText(m_thdi));
        Ctl<QLineEdit>(1401)->setText(FloatText(m_thdu));
        Ctl<QLineEdit>(1402)->setText(QString::number(m_chl));
        return true;
    }
    struct IntField {
        int id;
        int low, high;
        unsigned* member;
    };
    const IntField fields[] = {{1042, 10, 2000, &m_switchLimit},
                               {1043, 50, 100, &m_underVoltage},
                               {1044, 100, 200, &m_overVoltage},
                               {1403, 20, 80, &m_overheating}};
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!ParseInt(ControlText(fields[i].id), values[i]))
            values[i] = -1;
        if (!CheckRange(fields[i].id, values[i], fields[i].low, fields[i].high, true))
            return false;
    }
    double thdi = m_thdi, thdu = m_thdu;
    int chl = m_chl;
    ParseFloat(ControlText(1400), thdi);
    ParseFloat(ControlText(1401), thdu);
    ParseInt(ControlText(1402), chl);
    for (int i = 0; i < 4; ++i)
        *fields[i].member = unsigned(values[i]);
    m_thdi = float(thdi);
    m_thdu = float(thdu);
    m_chl = chl;
    for (const AlarmRow& r : kRows) {
        const int alarm = int(&r - kRows);
        m_signal[alarm] = IsChecked(r.signal);
        if (r.action)
            m_action[r.actionIndex] = IsChecked(r.action);
    }
    return true;
}

namespace {

QStringList Windows()
{
    return {QStringLiteral("1min."), QStringLiteral("15 min."), QStringLiteral("1 hod."),
            QStringLiteral("8 hod."), QStringLiteral("1 den"),  QStringLiteral("7 dní")};
}

} // namespace

CDuskarDetailOther::CDuskarDetailOther(bool readOnly, QWidget* parent)
    : CSettingsPage(QStringLiteral("Ostatní"), readOnly, parent)
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label(1247, QStringLiteral("Frekvence sítě:")), 0, 0);
    grid->addWidget(Combo(1405, {QStringLiteral("auto"), QStringLiteral("50 Hz"), QStringLiteral("60 Hz")}), 0, 1);
    grid->addWidget(Label(1248, QStringLiteral("Šířka pásma pro vyhodnocení průměrných hodnot :")), 1, 0);
    grid->addWidget(Combo(1406, Windows()), 1, 1);
    grid->addWidget(Label(1249, QStringLiteral("Šířka pásma pro vyhodnocení maximálních a minimálních hodnot :")), 2,
                    0);
    grid->addWidget(Combo(1407, Windows()), 2, 1);
    grid->addWidget(Label(1250, QStringLiteral("Jednotka teploty ( v přístroji ) :")), 3, 0);
    grid->addWidget(Combo(1036, {QStringLiteral("Celsius"), QStringLiteral("Fahrenheit")}), 3, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(2, 1);
    if (readOnly)
        MakeReadOnly();
}

void CDuskarDetailOther::AttachConfig(CDuskarConfig* config)
{
    m_config = config;
    if (config->mainsFrequency & 0x02)
        m_frequency = 0;
    else
        m_frequency = (config->mainsFrequency & 0x01) ? 1 : 2;
    m_averaging = config->evaluationWindows & 0x0F;
    m_extremes = config->evaluationWindows >> 4;
    m_unit = (config->temperatureUnit & 0x01) ? 0 : 1;
    UpdateData(false);
}

bool CDuskarDetailOther::StoreConfig()
{
    if (!m_config || !UpdateData(true))
        return false;
    CDuskarConfig& c = *m_config;
    c.mainsFrequency = BYTE(c.mainsFrequency & ~0x03);
    if (m_frequency == 0)
        c.mainsFrequency |= 0x02;
    else if (m_frequency == 1)
        c.mainsFrequency |= 0x01;
    c.evaluationWindows = BYTE(((m_extremes < 0 ? 0 : m_extremes) << 4) | (m_averaging < 0 ? 0 : m_averaging));
    c.temperatureUnit = BYTE(c.temperatureUnit & ~0x01);
    if (m_unit == 0)
        c.temperatureUnit |= 0x01;
    return true;
}

bool CDuskarDetailOther::UpdateData(bool save)
{
    int* members[4] = {&m_frequency, &m_averaging, &m_extremes, &m_unit};
    const int ids[4] = {1405, 1406, 1407, 1036};
    for (int i = 0; i < 4; ++i) {
        auto* combo = Ctl<QComboBox>(ids[i]);
        if (save)
            *members[i] = combo->currentIndex();
        else
            SetComboIndex(combo, *members[i]);
    }
    return true;
}

} // namespace controllers
