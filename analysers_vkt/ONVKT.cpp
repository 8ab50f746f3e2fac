#include "analysers_vkt/ONVKT.h"

#include "analysers_vk/ONVK.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTQuantityGrid.h"
#include "model/ScaleCategories.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace analysers_vkt {

namespace {

constexpr int kVKTType = 4;
constexpr int kPowerFactor = 2;

struct Row {
    const char* label;
    const char* unit;
    const char* name; // in the messages
    double low, high;
};
const Row kRows[CONVKT::kCategories] = {
    {"U", "V", "U", 0, 2147483648.0},
    {"I", "A", "I", 0, 2147483648.0},
    {"cos / PF", "", "cos/PF", -1, 1},
    {"f", "Hz", "f", 35, 100},
    {"P / Q / S", "W / var / VA", "P/Q/S", -2147483648.0, 2147483648.0},
    {"THD", "%", "THD", 0, 850},
    {"T", "C", "T", -100, 1000},
    {"u2", "%", "u2", 0, 2},
};

const char* const kPaneKeys[4] = {"isAlarm", "isData", "isNahled", "isGraf"};
const int kPaneDefaults[4] = {1, 1, 0, 1};
const char* const kPaneTexts[4] = {"Alarmy a události", "Aktuální data", "Přístroj", "Graf"};

const platform::SettingsSection kSection("Obecne nastaveni vkt");

QString Number(double v)
{
    return QString::number(v, 'g', 7);
}

} // namespace

CONVKT::CONVKT(QWidget* parent) : CGeneralSettingsFamilyPage(QStringLiteral("VKT"), parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* panes = new QGroupBox(QStringLiteral("Zobrazit:"), this);
    auto* paneLayout = new QHBoxLayout(panes);
    for (int i = 0; i < 4; ++i) {
        m_panes[std::size_t(i)] = new QCheckBox(QString::fromUtf8(kPaneTexts[i]), panes);
        paneLayout->addWidget(m_panes[std::size_t(i)]);
    }
    layout->addWidget(panes);
    m_grid = new CVKTQuantityGrid(this);
    layout->addWidget(m_grid);
    m_odbDod = new QCheckBox(QStringLiteral("Zobrazení výkonů import/export"), this);
    m_spinac = new QCheckBox(QStringLiteral("Zobrazit log. vstup a přetížení"), this);
    layout->addWidget(m_odbDod);
    layout->addWidget(m_spinac);
    m_offLine = CVKTQuantityGrid::AddOffLineChoice(this, layout);
    auto* ranges = new QGroupBox(QStringLiteral("Rozsahy zobrazovaných veličin (graf):"), this);
    auto* rangeGrid = new QGridLayout(ranges);
    for (int c = 0; c < kCategories; ++c) {
        rangeGrid->addWidget(new QLabel(QString::fromUtf8(kRows[c].label), ranges), c, 0);
        m_min[std::size_t(c)] = new QLineEdit(ranges);
        m_max[std::size_t(c)] = new QLineEdit(ranges);
        rangeGrid->addWidget(m_min[std::size_t(c)], c, 1);
        rangeGrid->addWidget(m_max[std::size_t(c)], c, 2);
        rangeGrid->addWidget(new QLabel(QString::fromUtf8(kRows[c].unit), ranges), c, 3);
    }
    m_auto = new QCheckBox(QStringLiteral("Určit rozsah automaticky"), ranges);
    rangeGrid->addWidget(m_auto, kCategories, 0, 1, 4);
    connect(m_auto, &QCheckBox::toggled, this, &CONVKT::EnableRanges);
    layout->addWidget(ranges);
    layout->addStretch(1);
}

void CONVKT::EnableRanges()
{
    for (int c = 0; c < kCategories; ++c) {
        m_min[std::size_t(c)]->setEnabled(!m_auto->isChecked());
        m_max[std::size_t(c)]->setEnabled(!m_auto->isChecked());
    }
}

void CONVKT::Load(platform::Settings& settings)
{
    for (int i = 0; i < 4; ++i)
        m_panes[std::size_t(i)]->setChecked(
            settings.GetProfileInt(kSection, QString::fromLatin1(kPaneKeys[i]), kPaneDefaults[i]) != 0);
    m_odbDod->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isOdbDod"), 0) != 0);
    m_spinac->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isSpinac"), 0) != 0);
    m_offLine->setCurrentIndex(std::clamp(settings.GetProfileInt(kSection, QStringLiteral("offLineZob"), 0), 0, 2));
    m_grid->LoadFamilyDefaults(settings);
    CScaleCategories categories(kVKTType);
    categories.LoadFromSettings(kVKTType, settings);
    for (int c = 0; c < kCategories; ++c) {
        float lo = 0, hi = 0;
        categories.GetRange(c, lo, hi);
        // The power factor is kept on a 0..2 scale and shown as -1..1.
        const double shownLo = c == kPowerFactor ? -double(lo) : double(lo);
        const double shownHi = c == kPowerFactor ? 2.0 - double(hi) : double(hi);
        m_min[std::size_t(c)]->setText(Number(shownLo));
        m_max[std::size_t(c)]->setText(Number(shownHi));
    }
    m_auto->setChecked(categories.GetAuto() != 0);
    EnableRanges();
}

void CONVKT::Save(platform::Settings& settings)
{
    for (int i = 0; i < 4; ++i)
        settings.WriteProfileInt(kSection, QString::fromLatin1(kPaneKeys[i]), m_panes[std::size_t(i)]->isChecked() ? 1 : 0);
    settings.WriteProfileInt(kSection, QStringLiteral("isOdbDod"), m_odbDod->isChecked() ? 1 : 0);
    settings.WriteProfileInt(kSection, QStringLiteral("isSpinac"), m_spinac->isChecked() ? 1 : 0);
    settings.WriteProfileInt(kSection, QStringLiteral("offLineZob"), m_offLine->currentIndex());
    m_grid->SaveFamilyDefaults(settings);
    CScaleCategories categories(kVKTType);
    for (int c = 0; c < kCategories; ++c) {
        const double lo = m_min[std::size_t(c)]->text().toDouble();
        const double hi = m_max[std::size_t(c)]->text().toDouble();
        categories.SetRange(c, float(c == kPowerFactor ? -lo : lo), float(c == kPowerFactor ? 2.0 - hi : hi));
    }
    categories.SetAuto(m_auto->isChecked());
    categories.SaveToSettings(kVKTType, settings);
}

QString CONVKT::CheckRanges() const
{
    for (int c = 0; c < kCategories; ++c) {
        bool okMin = false, okMax = false;
        const double lo = m_min[std::size_t(c)]->text().toDouble(&okMin);
        const double hi = m_max[std::size_t(c)]->text().toDouble(&okMax);
        const QString name = QString::fromUtf8(kRows[c].name);
        if (!okMin || !okMax)
            return QStringLiteral("%1: zadejte číslo").arg(name);
        const QString message =
            analysers_vk::CONVK::CheckRange(name, lo, hi, kRows[c].low, kRows[c].high, c == kPowerFactor);
        if (!message.isEmpty())
            return message;
    }
    return {};
}

bool CONVKT::OnKillActive()
{
    const QString message = CheckRanges();
    if (message.isEmpty())
        return true;
    ui::ErrorBox(this, message);
    return false;
}

void CONVKT::OnOK()
{
    if (m_grid->AnyShown())
        return;
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_grid->SetShown(0, true);
    m_grid->UpdateHeaders();
}

} // namespace analysers_vkt
