#include "controllers/settings/KompenzacniStupne.h"

#include "controllers/settings/SettingsConvert.h"
#include "model/QorinConfig.h"
#include "platform/ui/HtmlHelp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace controllers {

namespace {

QStringList QorinSpeeds()
{
    QStringList items;
    const char* const texts[] = {
        "1 / 10.0 sec.", "1 /   5.0 sec.", "1 /   2.0 sec.", "1 /   1.0 sec.", "2 / 10.0 sec.", "2 /   5.0 sec.",
        "2 /   2.0 sec.", "2 /   1.0 sec.", "2 /   0.5 sec.", "3 / 10.0 sec.", "3 /   5.0 sec.", "3 /   2.0 sec.",
        "3 /   1.0 sec.", "3 /   0.6 sec.", "3 /   0.3 sec.", "4 / 10.0 sec.", "4 /   5.0 sec.", "4 /   2.0 sec.",
        "4 /   1.0 sec.", "4 /   0.7 sec.", "4 /   0.5 sec.", "4 /   0.2 sec.", "5 / 10.0 sec.", "5 /   5.0 sec.",
        "5 /   2.0 sec.", "5 /   1.0 sec.", "5 /   0.8 sec.", "5 /   0.6 sec.", "5 /   0.4 sec.", "5 /   0.2 sec."};
    for (const char* t : texts)
        items << QString::fromLatin1(t);
    return items;
}

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kLightGreen(0xBC, 0xFB, 0xAA);
const QColor kGrey(0xD2, 0xD2, 0xD2);
const QColor kDarkGrey(0x50, 0x50, 0x50);

} // namespace

CKompenzacniStupne::CKompenzacniStupne(bool twoSection, bool readOnly, QWidget* parent)
    : CStagePageBase(QStringLiteral("Kompenzační stupně"), readOnly, parent), m_twoSection(twoSection)
{
    ui::SetHelpId(this, 134);
    if (twoSection)
        m_first = 6;
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Stupeň"), this), 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Velikost"), this), 0, 2);
    BuildStageRows(grid, 1, 0);
    if (twoSection) {
        for (int i = 0; i < kStages; ++i)
            Ctl<QLabel>(1407 + i)->setText(i < 6 ? QStringLiteral("T %1").arg(i + 1)
                                                  : QStringLiteral("R %1").arg(i - 5));
    }
    auto* side = new QGridLayout;
    int row = 0;
    side->addWidget(Check(1025, QStringLiteral("Aut. rozpoznávání hodnot stupňů")), row++, 0, 1, 2);
    side->addWidget(new QLabel(QStringLiteral("Spínací program"), this), row, 0);
    side->addWidget(Combo(1059, convert::SwitchingProgramNames()), row++, 1);
    side->addWidget(new QLabel(QStringLiteral("C/k [A]"), this), row, 0);
    side->addWidget(Edit(1033), row++, 1);
    side->addWidget(new QLabel(QStringLiteral("Počet kondenzátorů"), this), row, 0);
    side->addWidget(Combo(1034, NumberItems(1, 14)), row++, 1);
    if (twoSection) {
        side->addWidget(new QLabel(QStringLiteral("Počet stupňů"), this), row, 0);
        side->addWidget(Combo(1060, NumberItems(0, 6)), row++, 1);
        side->addWidget(new QLabel(QStringLiteral("Rychlost reg."), this), row, 0);
        side->addWidget(Combo(1061, QorinSpeeds()), row++, 1);
    }
    side->setRowStretch(row, 1);
    grid->addLayout(side, 1, 5, kStages, 1);
    grid->setColumnStretch(6, 1);
    grid->setRowStretch(kStages + 1, 1);
    ConnectStageControls();

    if (readOnly) {
        MakeReadOnly();
        return;
    }
    connect(Ctl<QCheckBox>(1025), &QCheckBox::clicked, this, [this] {
        UpdateData(true);
        RefreshControls(4);
    });
    if (twoSection) {
        connect(Ctl<QComboBox>(1060), qOverload<int>(&QComboBox::activated), this, [this] {
            UpdateData(true);
            RefreshControls(7);
        });
        connect(Ctl<QComboBox>(1061), qOverload<int>(&QComboBox::activated), this, [this] { UpdateData(true); });
    }
}

void CKompenzacniStupne::ExchangeExtras(bool save)
{
    if (save) {
        m_auto = IsChecked(1025) ? 1 : 0;
        if (m_twoSection) {
            m_transistorCount = Ctl<QComboBox>(1060)->currentIndex();
            m_speed = Ctl<QComboBox>(1061)->currentIndex();
        }
        return;
    }
    Ctl<QCheckBox>(1025)->setChecked(m_auto != 0);
    if (m_twoSection) {
        SetComboIndex(Ctl<QComboBox>(1060), m_transistorCount);
        SetComboIndex(Ctl<QComboBox>(1061), m_speed);
    }
}

QColor CKompenzacniStupne::SizeBackground(int stage, QColor& text) const
{
    if (!m_twoSection || stage >= 6)
        return CStagePageBase::SizeBackground(stage, text);
    if (m_reg[stage] && stage < m_transistorCount) {
        text = Qt::black;
        return WithinBound(m_size[stage]) && m_size[stage] != 0 ? kLightGreen : kWhite;
    }
    text = kDarkGrey;
    return kGrey;
}

void CKompenzacniStupne::AttachCommon(CConfig* config, float ratio, BOOL sixStage)
{
    m_config = config;
    m_factor = ratio;
    m_sixStage = sixStage;
    m_stageCount = sixStage ? 6 : kStages;
    m_auto = (config->mode & 0x04) ? 1 : 0;
    if (m_twoSection) {
        m_transistorCount = config->GetTransistorStageCount();
        m_speed = config->transistorSpeed;
    }
    AttachStages(*config);
}

void CKompenzacniStupne::AttachConfig(CConfig* config, const float* ctRatio, BOOL sixStage)
{
    AttachCommon(config, *ctRatio, sixStage);
}

void CKompenzacniStupneN::AttachConfig(CConfig* config, const float* ctRatio)
{
    AttachCommon(config, *ctRatio, FALSE);
}

bool CKompenzacniStupne::StoreConfig()
{
    if (!m_config || !UpdateData(true))
        return false;
    CConfig& c = *m_config;
    if (m_twoSection) {
        c.SetTransistorStageCount(m_transistorCount < 0 ? 0 : m_transistorCount);
        c.transistorSpeed = BYTE(m_speed < 0 ? 0 : m_speed);
    }
    if (m_auto)
        c.mode = BYTE(c.mode | 0x04);
    else
        c.mode = BYTE(c.mode & ~0x04);
    StoreStages(c);
    return true;
}

void CKompenzacniStupne::SetCtRatio(float ratio)
{
    if (m_factor <= 0.001)
        return;
    UpdateData(true);
    const double scale = ratio / m_factor;
    for (double& s : m_size)
        s *= scale;
    m_ck *= scale;
    m_factor = ratio;
    UpdateData(false);
    RefreshControls(7);
}

} // namespace controllers
