#include "controllers/settings/DuskarDetailKompenzacniStupne.h"

#include "controllers/settings/SettingsConvert.h"
#include "model/DuskarConfig.h"
#include "platform/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace controllers {

namespace {

QStringList DuskarSpeeds()
{
    QStringList items;
    const char* const texts[] = {"1  / 10.0 sec.", "1  /   5.0 sec.", "1  /   2.0 sec.", "1  /   1.0 sec.",
                                 "2  /   5.0 sec.", "2  /   2.5 sec.", "2  /   1.0 sec.", "2  /   0.5 sec.",
                                 "3  /   3.3 sec.", "3  /   1.7 sec.", "3  /   0.7 sec.", "3  /   0.3 sec.",
                                 "5  /   2.0 sec.", "5  /   1.0 sec.", "5  /   0.4 sec.", "5  /   0.2 sec.",
                                 "10/   1.0 sec.", "10/   0.5 sec.", "10/   0.2 sec.", "10/   0.1 sec."};
    for (const char* t : texts)
        items << QString::fromLatin1(t);
    return items;
}

const QColor kPink(0xFD, 0xD0, 0xD0);

} // namespace

CDuskarDetailKompenzacniStupne::CDuskarDetailKompenzacniStupne(bool readOnly, QWidget* parent)
    : CStagePageBase(QStringLiteral("Kompenzační stupně"), readOnly, parent)
{
    auto* grid = new QGridLayout(this);
    m_grid = grid;
    grid->addWidget(new QLabel(QStringLiteral("Stupeň"), this), 0, 0, 1, 2);
    grid->addWidget(Label(1244, platform::LoadString(platform::IDS_STAT_TAB_POWER)), 0, 2);
    BuildStageRows(grid, 1, 0);
    for (int output = 0; output < 2; ++output) {
        auto* temp = Edit(1154 + output, 70);
        temp->hide();
    }
    auto* side = new QGridLayout;
    int row = 0;
    side->addWidget(Radio(1422, QStringLiteral("Proud (1-f)")), row, 0);
    side->addWidget(Radio(1423, QStringLiteral("Výkon (3-f)")), row++, 1);
    side->addWidget(new QLabel(QStringLiteral("Aut. rozpoznávání výkonů stupňů"), this), row, 0);
    side->addWidget(Combo(1062, {QStringLiteral("Ne"), QStringLiteral("Vždy"), QStringLiteral("Auto")}), row++, 1);
    side->addWidget(new QLabel(QStringLiteral("Spínací program"), this), row, 0);
    side->addWidget(Combo(1059, convert::SwitchingProgramNames()), row++, 1);
    side->addWidget(Row({new QLabel(QStringLiteral("C/k min"), this), Label(1428, QStringLiteral("kvar"))}), row, 0);
    side->addWidget(Edit(1033), row++, 1);
    side->addWidget(new QLabel(QStringLiteral("Počet kondenzátorů"), this), row, 0);
    side->addWidget(Combo(1034, NumberItems(1, 14)), row++, 1);
    side->addWidget(Label(1245, QStringLiteral("Tyristorová sekce")), row++, 0, 1, 2);
    side->addWidget(new QLabel(QStringLiteral("Počet stupňů"), this), row, 0);
    side->addWidget(Combo(1060, NumberItems(0, 12)), row++, 1);
    side->addWidget(new QLabel(QStringLiteral("Rychlost reg."), this), row, 0);
    side->addWidget(Combo(1061, DuskarSpeeds()), row++, 1);
    side->setRowStretch(row, 1);
    grid->addLayout(side, 1, 5, kStages, 1);
    grid->setColumnStretch(6, 1);
    grid->setRowStretch(kStages + 1, 1);
    Label(1424, platform::LoadString(platform::IDS_STAT_TAB_POWER))->hide();
    ConnectStageControls();

    // The display unit can be switched on the archive page too.
    for (int id : {1422, 1423}) {
        connect(Ctl<QRadioButton>(id), &QRadioButton::clicked, this, [this] {
            if (!IsReadOnly())
                UpdateData(true);
            m_displayMode = IsChecked(1423) ? 1 : 0;
            SetRatios(float(m_ct), float(m_kvar));
        });
    }
    if (readOnly) {
        MakeReadOnly();
        return;
    }
    connect(Ctl<QComboBox>(1062), qOverload<int>(&QComboBox::activated), this, [this] {
        UpdateData(true);
        RefreshControls(4);
    });
    connect(Ctl<QComboBox>(1060), qOverload<int>(&QComboBox::activated), this, [this] {
        UpdateData(true);
        RebuildCountList();
        if (m_program >= 0)
            OnProgramChanged();
        RefreshControls(7);
    });
    connect(Ctl<QComboBox>(1061), qOverload<int>(&QComboBox::activated), this, [this] { UpdateData(true); });
    for (int output = 0; output < 2; ++output) {
        connect(Ctl<CCheckedEdit>(1154 + output), &CCheckedEdit::focusLeft, this, [this, output] {
            int v = m_temp[output];
            if (!ParseInt(ControlText(1154 + output), v))
                return;
            m_temp[output] = v;
            // Both outputs in one mode share the controller's one temperature
            // of that mode: they show and store the same value.
            const int other = 1 - output;
            if (m_tempMode[output] > 0 && m_tempMode[other] == m_tempMode[output]) {
                m_temp[other] = v;
                Ctl<QLineEdit>(1154 + other)->setText(QString::number(v));
            }
        });
    }
}

int CDuskarDetailKompenzacniStupne::OutputOfStep(int stage) const
{
    if (stage == TemperatureStep(0))
        return 0;
    if (stage == TemperatureStep(1))
        return 1;
    return -1;
}

int CDuskarDetailKompenzacniStupne::GetStageState(int stage) const
{
    const int output = OutputOfStep(stage);
    if (output >= 0 && !m_reg[stage] && !m_off[stage] && m_tempMode[output] > 0)
        return m_tempMode[output] == 1 ? 7 : 8;
    return CStagePageBase::GetStageState(stage);
}

int CDuskarDetailKompenzacniStupne::StageIcon(int stage) const
{
    const int output = OutputOfStep(stage);
    if (output >= 0 && !m_reg[stage] && !m_off[stage] && m_tempMode[output] > 0)
        return m_tempMode[output] == 1 ? 318 : 319;
    return CStagePageBase::StageIcon(stage);
}

void CDuskarDetailKompenzacniStupne::OnStageButton(int i)
{
    const int output = OutputOfStep(i);
    if (m_reg[i]) {
        m_reg[i] = FALSE;
        m_off[i] = FALSE;
    } else if (m_off[i]) {
        if (output == 1 && m_tempMode[0] > 0) {
            m_off[i] = FALSE;
        } else {
            m_reg[i] = TRUE;
        }
    } else if (output < 0) {
        m_off[i] = TRUE;
    } else if (m_tempMode[output] == 2) {
        m_off[i] = TRUE;
        m_tempMode[output] = 0;
    } else {
        if (output == 0 && m_tempMode[0] == 0 && m_tempMode[1] == 0) {
            const int second = TemperatureStep(1);
            m_reg[second] = FALSE;
            m_off[second] = TRUE;
        }
        ++m_tempMode[output];
        // The edit shows the temperature of the mode now chosen.
        if (m_config)
            m_temp[output] = m_config->switchTemperature[m_tempMode[output] == 1 ? 0 : 1];
        Ctl<QLineEdit>(1154 + output)->setText(QString::number(m_temp[output]));
    }
    RefreshControls(7);
    PaintSizeEdits();
}

QColor CDuskarDetailKompenzacniStupne::SizeBackground(int stage, QColor& text) const
{
    if (IsReadOnly()) {
        text = Qt::black;
        return QColor(0xFF, 0xFF, 0xFF);
    }
    return CStagePageBase::SizeBackground(stage, text);
}

double CDuskarDetailKompenzacniStupne::OtherUnitSize(int stage) const
{
    const double s = m_size[stage];
    if (m_displayMode == 1)
        return m_kvar > 0 ? s / m_kvar * m_ct : 0;
    return m_ct > 0 ? s / m_ct * m_kvar : 0;
}

void CDuskarDetailKompenzacniStupne::ExchangeExtras(bool save)
{
    if (save) {
        m_auto = Ctl<QComboBox>(1062)->currentIndex();
        if (m_auto < 0)
            m_auto = 0;
        m_thyristorCount = m_thyristor ? qMax(0, Ctl<QComboBox>(1060)->currentIndex()) : 0;
        m_speed = Ctl<QComboBox>(1061)->currentIndex();
        for (int output = 0; output < 2; ++output)
            ParseInt(ControlText(1154 + output), m_temp[output]);
        return;
    }
    SetComboIndex(Ctl<QComboBox>(1062), m_auto);
    SetComboIndex(Ctl<QComboBox>(1060), m_thyristorCount);
    SetComboIndex(Ctl<QComboBox>(1061), m_speed);
    Ctl<QRadioButton>(1422)->setChecked(m_displayMode == 0);
    Ctl<QRadioButton>(1423)->setChecked(m_displayMode == 1);
    for (int output = 0; output < 2; ++output)
        Ctl<QLineEdit>(1154 + output)->setText(QString::number(m_temp[output]));
}

void CDuskarDetailKompenzacniStupne::PlaceTemperatureEdits()
{
    for (int output = 0; output < 2; ++output) {
        const int step = TemperatureStep(output);
        auto* size = Ctl<QLineEdit>(1140 + step);
        auto* temp = Ctl<QLineEdit>(1154 + output);
        const bool asTemperature = m_tempMode[output] > 0;
        // The other model's temperature steps show their size edits again.
        const int otherStep = (m_sixStage ? 12 : 4) + output;
        if (!(m_sixStage && otherStep >= 6))
            Control(1140 + otherStep)->setVisible(true);
        size->setVisible(!asTemperature);
        // The temperature edit takes the size edit's cell.
        m_grid->removeWidget(temp);
        m_grid->addWidget(temp, step + 1, 2);
        temp->setVisible(asTemperature);
    }
}

void CDuskarDetailKompenzacniStupne::RenewUnits()
{
    const QString unit = m_displayMode == 1 ? QStringLiteral("kvar") : QStringLiteral("A");
    for (int i = 0; i < kStages; ++i) {
        const int output = OutputOfStep(i);
        Ctl<QLabel>(1080 + i)->setText(output >= 0 && m_tempMode[output] > 0 ? QStringLiteral("°C") : unit);
    }
    Ctl<QLabel>(1428)->setText(unit);
    const QString head = platform::LoadString(m_displayMode == 1 ? platform::IDS_STAT_TAB_POWER
                                                                 : platform::IDS_STAT_TAB_CURRENT);
    Ctl<QLabel>(1244)->setText(head);
    Ctl<QLabel>(1424)->setText(head);
}

void CDuskarDetailKompenzacniStupne::RefreshExtras(int mask)
{
    if (mask & 1) {
        PlaceTemperatureEdits();
        RenewUnits();
    }
    if ((mask & 4) && !IsReadOnly()) {
        for (int id : {1060, 1061, 1245})
            Control(id)->setEnabled(m_thyristor);
    }
    for (int i = 0; i < kStages; ++i) {
        auto* number = Ctl<QLabel>(1407 + i);
        const bool pink = m_thyristor && i < m_thyristorCount;
        number->setAutoFillBackground(pink);
        QPalette pal = number->palette();
        pal.setColor(QPalette::Window, pink ? kPink : palette().color(QPalette::Window));
        number->setPalette(pal);
    }
    auto* section = Ctl<QLabel>(1245);
    section->setAutoFillBackground(m_thyristor);
    QPalette pal = section->palette();
    pal.setColor(QPalette::Window, m_thyristor ? kPink : palette().color(QPalette::Window));
    section->setPalette(pal);
}

void CDuskarDetailKompenzacniStupne::AttachConfig(CDuskarConfig* config, const float* ctRatio,
                                                 const float* kvarFactor, BOOL sixStep, BOOL thyristor)
{
    m_config = config;
    m_ct = *ctRatio;
    m_kvar = *kvarFactor;
    m_sixStage = sixStep;
    m_thyristor = thyristor;
    m_stageCount = sixStep ? 6 : kStages;
    if (m_displayMode == 1 && m_kvar <= 0.001)
        m_displayMode = 0;
    m_factor = m_displayMode == 1 ? m_kvar : m_ct;
    m_auto = config->GetAutoStageDetection();
    m_thyristorCount = thyristor ? (config->thyristorSection & 0x0F) : 0;
    m_speed = thyristor ? config->thyristorSpeed : 0;

    BOOL reg[kStages], off[kStages];
    config->GetStageFlagsA(reg);
    config->GetStageFlagsB(off);

    m_temp[0] = config->switchTemperature[0];
    m_temp[1] = config->switchTemperature[1];
    m_tempMode[0] = m_tempMode[1] = 0;
    const BYTE outputs = config->temperatureOutputs;
    const struct {
        BYTE active, cooling;
    } bits[2] = {{0x04, 0x08}, {0x01, 0x02}};
    for (int output = 0; output < 2; ++output) {
        const int step = TemperatureStep(output);
        if ((outputs & bits[output].active) == 0 && !reg[step]) {
            off[step] = FALSE;
            const bool cooling = (outputs & bits[output].cooling) != 0;
            m_tempMode[output] = cooling ? 1 : 2;
            m_temp[output] = config->switchTemperature[cooling ? 0 : 1];
        }
    }
    AttachStages(*config, off);
}

bool CDuskarDetailKompenzacniStupne::UpdateData(bool save)
{
    if (save && !IsReadOnly()) {
        for (int output = 0; output < 2; ++output) {
            if (m_tempMode[output] == 0)
                continue;
            int t = 0;
            if (!ParseInt(ControlText(1154 + output), t))
                t = -100;
            if (!CheckRange(1154 + output, t, -30, 60, true))
                return false;
        }
    }
    return CStagePageBase::UpdateData(save);
}

bool CDuskarDetailKompenzacniStupne::StoreConfig()
{
    if (!m_config || !UpdateData(true))
        return false;
    CDuskarConfig& c = *m_config;
    c.SetAutoStageDetection(m_auto);
    if (m_thyristor) {
        c.thyristorSection = BYTE((c.thyristorSection & 0xF0) | (m_thyristorCount & 0x0F));
        c.thyristorSpeed = BYTE(m_speed < 0 ? 0 : m_speed);
    }
    // A temperature byte changes only through an output that uses it.
    BYTE outputs = 0x05;
    const struct {
        BYTE active, cooling;
    } bits[2] = {{0x04, 0x08}, {0x01, 0x02}};
    bool written[2] = {false, false}; // cooling, heating byte taken by an output
    for (int output = 0; output < 2; ++output) {
        const int mode = m_tempMode[output];
        if (mode <= 0)
            continue;
        outputs = BYTE(outputs & ~bits[output].active);
        if (mode == 1)
            outputs |= bits[output].cooling;
        const int slot = mode == 1 ? 0 : 1;
        // The first output of a mode keeps that mode's temperature.
        if (!written[slot]) {
            c.switchTemperature[slot] = static_cast<signed char>(m_temp[output]);
            written[slot] = true;
        }
    }
    c.temperatureOutputs = outputs;
    StoreStages(c);
    return true;
}

void CDuskarDetailKompenzacniStupne::SetRatios(float ctRatio, float kvarFactor)
{
    if (m_factor <= 0.0001)
        return;
    if (!IsReadOnly())
        UpdateData(true);
    if (m_displayMode == 1 && kvarFactor <= 0.001f)
        m_displayMode = 0;
    const double factor = m_displayMode == 1 ? kvarFactor : ctRatio;
    const double scale = factor / m_factor;
    for (double& s : m_size)
        s *= scale;
    m_ck *= scale;
    m_factor = factor;
    m_ct = ctRatio;
    m_kvar = kvarFactor;
    UpdateData(false);
    RefreshControls(7);
}

} // namespace controllers
