#include "analysers_vk/ONVK.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKQuantityGrid.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace analysers_vk {

namespace {

constexpr int kVKType = 2;
constexpr int kPowerFactor = 2;

struct Row {
    const char* label;
    const char* unit;
    const char* name; // in the messages
    double low, high;
};
const Row kRows[CONVK::kCategories] = {
    {"U", "V", "U", 0, 2147483648.0},
    {"I", "A", "I", 0, 2147483648.0},
    {"cos / PF", "", "cos/PF", -1, 1},
    {"f", "Hz", "f", 35, 100},
    {"P / Q / S", "W / var / VA", "P/Q/S", -2147483648.0, 2147483648.0},
    {"THD", "%", "THD", 0, 850},
    {"T", "C", "T", -100, 1000},
};

const char* const kPaneKeys[4] = {"isAlarm", "isData", "isNahled", "isGraf"};
const int kPaneDefaults[4] = {1, 1, 0, 1};
const char* const kPaneTexts[4] = {"Alarmy a události", "Aktuální data", "Přístroj", "Graf"};

const CONVK::Family kVKFamily{"PJW,PJX", "Obecne nastaveni vk", true};

QString Number(double v)
{
    return QString::number(v, 'g', 7);
}

} // namespace

std::shared_ptr<CVKSharedRanges> CVKSharedRanges::Acquire()
{
    static std::weak_ptr<CVKSharedRanges> alive;
    std::shared_ptr<CVKSharedRanges> ranges = alive.lock();
    if (!ranges) {
        ranges = std::make_shared<CVKSharedRanges>();
        alive = ranges;
    }
    return ranges;
}

CONVK::CONVK(QWidget* parent) : CONVK(kVKFamily, parent) {}

CONVK::~CONVK() = default;

CONVK::CONVK(const Family& family, QWidget* parent)
    : CGeneralSettingsFamilyPage(QString::fromUtf8(family.title), parent), m_family(family),
      m_ranges(CVKSharedRanges::Acquire())
{
    auto* layout = new QVBoxLayout(this);
    m_layout = layout;
    auto* panes = new QGroupBox(QStringLiteral("Zobrazit:"), this);
    auto* paneLayout = new QHBoxLayout(panes);
    for (int i = 0; i < 4; ++i) {
        m_panes[i] = new QCheckBox(QString::fromUtf8(kPaneTexts[i]), panes);
        paneLayout->addWidget(m_panes[i]);
    }
    layout->addWidget(panes);
    m_grid = new CVKQuantityGrid(this);
    layout->addWidget(m_grid);
    m_odbDod = new QCheckBox(QStringLiteral("Zobrazení výkonů import/export"), this);
    m_spinac = new QCheckBox(QStringLiteral("Zobrazit stav výstupů"), this);
    layout->addWidget(m_odbDod);
    layout->addWidget(m_spinac);
    auto* ranges = new QGroupBox(QStringLiteral("Výchozí rozsahy grafu :"), this);
    auto* rangeGrid = new QGridLayout(ranges);
    for (int c = 0; c < kCategories; ++c) {
        rangeGrid->addWidget(new QLabel(QString::fromUtf8(kRows[c].label), ranges), c, 0);
        m_min[c] = new QLineEdit(ranges);
        m_max[c] = new QLineEdit(ranges);
        rangeGrid->addWidget(m_min[c], c, 1);
        rangeGrid->addWidget(m_max[c], c, 2);
        rangeGrid->addWidget(new QLabel(QString::fromUtf8(kRows[c].unit), ranges), c, 3);
    }
    m_auto = new QCheckBox(QStringLiteral("Určit rozsah automaticky"), ranges);
    rangeGrid->addWidget(m_auto, kCategories, 0, 1, 4);
    connect(m_auto, &QCheckBox::toggled, this, &CONVK::EnableRanges);
    layout->addWidget(ranges);
    layout->addStretch(1);
}

void CONVK::EnableRanges()
{
    for (int c = 0; c < kCategories; ++c) {
        m_min[c]->setEnabled(!m_auto->isChecked());
        m_max[c]->setEnabled(!m_auto->isChecked());
    }
}

void CONVK::Load(platform::Settings& settings)
{
    const platform::SettingsSection kSection(m_family.section);
    for (int i = 0; i < 4; ++i)
        m_panes[i]->setChecked(settings.GetProfileInt(kSection, QString::fromLatin1(kPaneKeys[i]), kPaneDefaults[i]) !=
                               0);
    m_odbDod->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isOdbDod"), 0) != 0);
    if (m_family.storesSpinac)
        m_spinac->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isSpinac"), 0) != 0);
    for (int i = 0; i < CVKQuantityGrid::kCount; ++i) {
        if (i == CVKQuantityGrid::kI4)
            continue;
        const QString name = QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name);
        m_grid->SetShown(i, settings.GetProfileInt(kSection, QStringLiteral("is") + name, i < 6 ? 1 : 0) != 0);
        m_grid->SetColour(i, static_cast<std::uint32_t>(settings.GetProfileInt(
                                 kSection, QStringLiteral("barva ") + name,
                                 static_cast<int>(CVKGrafAktual::QuantityAt(i).colour))));
    }
    LoadExtra(settings, kSection);
    // The pages of one sheet load one after the other from the same
    // settings, before anything is edited.
    m_ranges->categories.LoadFromSettings(kVKType, settings);
    m_ranges->loaded = true;
    ShowRanges();
}

void CONVK::ShowRanges()
{
    const CScaleCategories& categories = m_ranges->categories;
    for (int c = 0; c < kCategories; ++c) {
        float lo = 0, hi = 0;
        categories.GetRange(c, lo, hi);
        // The power factor is kept on a 0..2 scale and shown as -1..1.
        const double shownLo = c == kPowerFactor ? -double(lo) : double(lo);
        const double shownHi = c == kPowerFactor ? 2.0 - double(hi) : double(hi);
        m_min[c]->setText(Number(shownLo));
        m_max[c]->setText(Number(shownHi));
    }
    m_auto->setChecked(categories.GetAuto() != 0);
    EnableRanges();
    m_shownRanges = RangeTexts();
}

QStringList CONVK::RangeTexts() const
{
    QStringList texts;
    for (int c = 0; c < kCategories; ++c)
        texts << m_min[c]->text() << m_max[c]->text();
    texts << (m_auto->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    return texts;
}

bool CONVK::TakeRanges()
{
    if (!CheckRanges().isEmpty())
        return false;
    CScaleCategories& categories = m_ranges->categories;
    for (int c = 0; c < kCategories; ++c) {
        const double lo = m_min[c]->text().toDouble();
        const double hi = m_max[c]->text().toDouble();
        categories.SetRange(c, float(c == kPowerFactor ? -lo : lo), float(c == kPowerFactor ? 2.0 - hi : hi));
    }
    categories.SetAuto(m_auto->isChecked());
    m_shownRanges = RangeTexts();
    return true;
}

void CONVK::showEvent(QShowEvent* event)
{
    // The other page of the sheet may have changed the shared set; edits of
    // this page not yet given back stay.
    if (m_ranges->loaded && RangeTexts() == m_shownRanges)
        ShowRanges();
    CGeneralSettingsFamilyPage::showEvent(event);
}

void CONVK::Save(platform::Settings& settings)
{
    const platform::SettingsSection kSection(m_family.section);
    for (int i = 0; i < 4; ++i)
        settings.WriteProfileInt(kSection, QString::fromLatin1(kPaneKeys[i]), m_panes[i]->isChecked() ? 1 : 0);
    settings.WriteProfileInt(kSection, QStringLiteral("isOdbDod"), m_odbDod->isChecked() ? 1 : 0);
    if (m_family.storesSpinac)
        settings.WriteProfileInt(kSection, QStringLiteral("isSpinac"), m_spinac->isChecked() ? 1 : 0);
    for (int i = 0; i < CVKQuantityGrid::kCount; ++i) {
        if (i == CVKQuantityGrid::kI4)
            continue;
        const QString name = QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name);
        settings.WriteProfileInt(kSection, QStringLiteral("is") + name, m_grid->Shown(i) ? 1 : 0);
        settings.WriteProfileInt(kSection, QStringLiteral("barva ") + name, static_cast<int>(m_grid->Colour(i)));
    }
    SaveExtra(settings, kSection);
    // Only what was changed on this page goes into the shared set: a page
    // left as it was shown does not overwrite the other page's edits.
    if (RangeTexts() != m_shownRanges)
        TakeRanges();
    m_ranges->categories.SaveToSettings(kVKType, settings);
}

QString CONVK::CheckRange(const QString& name, double minimum, double maximum, double low, double high, bool cosine)
{
    if (minimum < low)
        return QStringLiteral("%1: minimální mez je menší než %2").arg(name, QString::asprintf("%f", low));
    if (maximum > high)
        return QStringLiteral("%1: maximální mez je větší než %2").arg(name, QString::asprintf("%f", high));
    if (cosine) {
        if (minimum > 0 || maximum < 0)
            return QStringLiteral("%1: u cosinu musí být maximum kladné a minimum záporné").arg(name);
    } else if (!(minimum < maximum)) {
        return QStringLiteral("%1: minimální mez musí být menší naž maximální").arg(name);
    }
    return {};
}

QString CONVK::CheckRanges() const
{
    for (int c = 0; c < kCategories; ++c) {
        bool okMin = false, okMax = false;
        const double lo = m_min[c]->text().toDouble(&okMin);
        const double hi = m_max[c]->text().toDouble(&okMax);
        const QString name = QString::fromUtf8(kRows[c].name);
        if (!okMin || !okMax)
            return QStringLiteral("%1: zadejte číslo").arg(name);
        const QString message = CheckRange(name, lo, hi, kRows[c].low, kRows[c].high, c == kPowerFactor);
        if (!message.isEmpty())
            return message;
    }
    return {};
}

bool CONVK::OnKillActive()
{
    const QString message = CheckRanges();
    if (message.isEmpty())
        return TakeRanges();
    ui::ErrorBox(this, message);
    return false;
}

void CONVK::OnOK()
{
    if (m_grid->AnyShown() || AnyExtraShown())
        return;
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_grid->SetShown(0, true);
}

} // namespace analysers_vk
