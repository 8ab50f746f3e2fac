#include "controllers/settings/DetailAlarm.h"

#include "model/QorinConfig.h"
#include "platform/ui/HtmlHelp.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace controllers {

namespace {

struct AlarmRow {
    int label;
    int signal;
    int action; // 0: none
    const char* text;
};

constexpr AlarmRow kRows[CDetailAlarm::kAlarms] = {
    {1231, 1170, 1160, "Podproud"},
    {1232, 1171, 0, "Nadproud"},
    {1233, 1172, 0, "Chyba kompenzace"},
    {1234, 1173, 1161, "Výpadek napětí "},
    {1235, 1174, 1162, "Překročení THD"},
    {1236, 1175, 0, "Překročení počtu sepnutí"},
    {1241, 1176, 1163, "-"},
    {1237, 1177, 1164, "Zpětné napájení"},
    {1238, 1178, 1165, "Chyba stupně"},
};

} // namespace

CDetailAlarm::CDetailAlarm(bool readOnly, QWidget* parent)
    : CSettingsPage(QStringLiteral("Nastavení alarmů"), readOnly, parent)
{
    ui::SetHelpId(this, 135);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("STAV"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("SIGNALIZACE"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("AKCE"), this), 0, 2);
    int row = 1;
    for (const AlarmRow& r : kRows) {
        grid->addWidget(Label(r.label, QString::fromUtf8(r.text)), row, 0);
        grid->addWidget(Check(r.signal), row, 1);
        if (r.action)
            grid->addWidget(Check(r.action), row, 2);
        ++row;
    }
    grid->addWidget(Label(1239, QStringLiteral("Limit THD")), row, 0);
    grid->addWidget(Row({Edit(1040), new QLabel(QStringLiteral("%"))}), row++, 1, 1, 2);
    grid->addWidget(Label(1240, QStringLiteral("Limit počtu sepnutí stupně")), row, 0);
    grid->addWidget(Row({Edit(1042), Bar(1041), new QLabel(QStringLiteral("x 1000"))}), row++, 1, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);

    if (readOnly) {
        MakeReadOnly();
        return;
    }
    for (QCheckBox* check : findChildren<QCheckBox*>())
        connect(check, &QCheckBox::clicked, this, [this] { UpdateData(true); });
    connect(Ctl<CStepBar>(1041), &CStepBar::lineUp, this, [this] {
        UpdateData(true);
        if (m_switchLimit < 2000)
            m_switchLimit += 10;
        else
            Beep();
        UpdateData(false);
    });
    connect(Ctl<CStepBar>(1041), &CStepBar::lineDown, this, [this] {
        UpdateData(true);
        if (m_switchLimit >= 11)
            m_switchLimit -= 10;
        else
            Beep();
        UpdateData(false);
    });
    connect(Ctl<CCheckedEdit>(1042), &CCheckedEdit::focusLeft, this, [this] {
        int v = 0;
        if (ParseInt(ControlText(1042), v) && v >= 0 && v % 10 != 0)
            Ctl<QLineEdit>(1042)->setText(QString::number(v / 10 * 10));
    });
    connect(Ctl<CCheckedEdit>(1040), &CCheckedEdit::focusLeft, this, [this] {
        double v = 0;
        if (!ParseFloat(ControlText(1040), v))
            return;
        const double rounded = std::trunc(v * 2.0) * 0.5;
        if (rounded != v)
            Ctl<QLineEdit>(1040)->setText(FloatText(rounded));
    });
}

void CDetailAlarm::AttachConfig(CConfig* config)
{
    m_config = config;
    config->GetAlarmSignalFlags(m_signal);
    config->GetAlarmActionFlags(m_action);
    m_thdLimit = config->thdLimit * 0.5;
    m_switchLimit = unsigned(config->switchCountLimit) * 10;
    UpdateData(false);
}

bool CDetailAlarm::StoreConfig()
{
    if (!m_config || !UpdateData(true))
        return false;
    m_config->SetAlarmSignalFlags(m_signal);
    m_config->SetAlarmActionFlags(m_action);
    m_config->thdLimit = BYTE(int(std::trunc(m_thdLimit * 2.0)));
    m_config->switchCountLimit = BYTE(m_switchLimit / 10);
    return true;
}

bool CDetailAlarm::UpdateData(bool save)
{
    int actionIndex = 0;
    if (!save) {
        for (int i = 0; i < kAlarms; ++i) {
            Ctl<QCheckBox>(kRows[i].signal)->setChecked(m_signal[i]);
            if (kRows[i].action)
                Ctl<QCheckBox>(kRows[i].action)->setChecked(m_action[actionIndex++]);
        }
        Ctl<QLineEdit>(1040)->setText(FloatText(m_thdLimit));
        Ctl<QLineEdit>(1042)->setText(QString::number(m_switchLimit));
        return true;
    }
    double thd = 0;
    int limit = 0;
    if (!ParseFloat(ControlText(1040), thd))
        thd = -1;
    if (!CheckRange(1040, thd, 0.0, 100.0, false))
        return false;
    if (!ParseInt(ControlText(1042), limit))
        limit = -1;
    if (!CheckRange(1042, limit, 10, 2000, true))
        return false;
    m_thdLimit = thd;
    m_switchLimit = unsigned(limit);
    for (int i = 0; i < kAlarms; ++i) {
        m_signal[i] = IsChecked(kRows[i].signal);
        if (kRows[i].action)
            m_action[actionIndex++] = IsChecked(kRows[i].action);
    }
    return true;
}

} // namespace controllers
