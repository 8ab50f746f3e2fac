#include "analysers_vk/VKRangeBox.h"

#include "model/ScaleCategories.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace analysers_vk {

namespace {

constexpr int kPowerFactor = 2;

const char* const kPaneKeys[CVKPaneChoice::kPanes] = {"isAlarm", "isData", "isNahled", "isGraf"};
const int kPaneDefaults[CVKPaneChoice::kPanes] = {1, 1, 0, 1};
const char* const kPaneTexts[CVKPaneChoice::kPanes] = {"Alarmy a události", "Aktuální data", "Přístroj", "Graf"};

QString Number(double v)
{
    return QString::number(v, 'g', 7);
}

} // namespace

std::vector<VKRangeRow> VKRangeRows()
{
    return {
        {"U", "V", "U", 0, 2147483648.0},
        {"I", "A", "I", 0, 2147483648.0},
        {"cos / PF", "", "cos/PF", -1, 1},
        {"f", "Hz", "f", 35, 100},
        {"P / Q / S", "W / var / VA", "P/Q/S", -2147483648.0, 2147483648.0},
        {"THD", "%", "THD", 0, 850},
        {"T", "C", "T", -100, 1000},
    };
}

CVKRangeBox::CVKRangeBox(const QString& title, std::vector<VKRangeRow> rows, QWidget* parent)
    : QGroupBox(title, parent), m_rows(std::move(rows))
{
    auto* grid = new QGridLayout(this);
    const int count = int(m_rows.size());
    for (int c = 0; c < count; ++c) {
        m_labels.push_back(new QLabel(QString::fromUtf8(m_rows[std::size_t(c)].label), this));
        grid->addWidget(m_labels.back(), c, 0);
        m_min.push_back(new QLineEdit(this));
        m_max.push_back(new QLineEdit(this));
        grid->addWidget(m_min.back(), c, 1);
        grid->addWidget(m_max.back(), c, 2);
        m_labels.push_back(new QLabel(QString::fromUtf8(m_rows[std::size_t(c)].unit), this));
        grid->addWidget(m_labels.back(), c, 3);
        for (QLineEdit* edit : {m_min.back(), m_max.back()})
            ui::CFieldRefusal::WhenLeft(edit, [this, edit] { LimitLeft(edit); });
    }
    m_auto = new QCheckBox(QStringLiteral("Určit rozsah automaticky"), this);
    grid->addWidget(m_auto, count, 0, 1, 4);
    connect(m_auto, &QCheckBox::toggled, this, &CVKRangeBox::EnableRanges);
}

void CVKRangeBox::EnableRanges()
{
    const bool manual = !m_auto->isChecked();
    for (std::size_t c = 0; c < m_rows.size(); ++c) {
        m_min[c]->setEnabled(manual);
        m_max[c]->setEnabled(manual);
    }
    for (QWidget* label : m_labels)
        label->setEnabled(manual);
}

void CVKRangeBox::LimitLeft(QLineEdit* edit)
{
    if (ui::CFieldRefusal::MovedOnWithin(edit))
        Accepts();
}

bool CVKRangeBox::Accepts()
{
    QLineEdit* focus = nullptr;
    const QString message = Check(focus);
    if (message.isEmpty())
        return true;
    m_refusal.Say(message, focus);
    return false;
}

void CVKRangeBox::Show(const CScaleCategories& categories)
{
    for (std::size_t c = 0; c < m_rows.size(); ++c) {
        float lo = 0, hi = 0;
        categories.GetRange(int(c), lo, hi);
        // The power factor is kept on a 0..2 scale and shown as -1..1.
        const double shownLo = c == kPowerFactor ? -double(lo) : double(lo);
        const double shownHi = c == kPowerFactor ? 2.0 - double(hi) : double(hi);
        m_min[c]->setText(Number(shownLo));
        m_max[c]->setText(Number(shownHi));
    }
    m_auto->setChecked(categories.GetAuto() != 0);
    EnableRanges();
}

void CVKRangeBox::Take(CScaleCategories& categories) const
{
    for (std::size_t c = 0; c < m_rows.size(); ++c) {
        const double lo = m_min[c]->text().toDouble();
        const double hi = m_max[c]->text().toDouble();
        categories.SetRange(int(c), float(c == kPowerFactor ? -lo : lo), float(c == kPowerFactor ? 2.0 - hi : hi));
    }
    categories.SetAuto(m_auto->isChecked());
}

QStringList CVKRangeBox::Texts() const
{
    QStringList texts;
    for (std::size_t c = 0; c < m_rows.size(); ++c)
        texts << m_min[c]->text() << m_max[c]->text();
    texts << (m_auto->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    return texts;
}

QString CVKRangeBox::CheckRange(const QString& name, double minimum, double maximum, double low, double high,
                                bool cosine)
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

QString CVKRangeBox::Check() const
{
    QLineEdit* focus = nullptr;
    return Check(focus);
}

QString CVKRangeBox::Check(QLineEdit*& focus) const
{
    for (std::size_t c = 0; c < m_rows.size(); ++c) {
        bool okMin = false, okMax = false;
        const double lo = m_min[c]->text().toDouble(&okMin);
        const double hi = m_max[c]->text().toDouble(&okMax);
        const VKRangeRow& row = m_rows[c];
        const QString name = QString::fromUtf8(row.name);
        if (!okMin || !okMax) {
            focus = okMin ? m_max[c] : m_min[c];
            return QStringLiteral("%1: zadejte číslo").arg(name);
        }
        const bool cosine = c == kPowerFactor;
        const QString message = CheckRange(name, lo, hi, row.low, row.high, cosine);
        if (message.isEmpty())
            continue;
        // The box the user goes back to: the one at fault, or the other
        // one when it is beyond the same limit.
        bool toMaximum = false;
        if (lo < row.low)
            toMaximum = hi <= row.low;
        else if (hi > row.high)
            toMaximum = !(lo >= row.high);
        else if (cosine)
            toMaximum = lo < 0;
        else
            toMaximum = lo < row.high;
        focus = toMaximum ? m_max[c] : m_min[c];
        return message;
    }
    return {};
}

CVKPaneChoice::CVKPaneChoice(QWidget* parent) : QGroupBox(QStringLiteral("Zobrazit:"), parent)
{
    auto* layout = new QHBoxLayout(this);
    for (int i = 0; i < kPanes; ++i) {
        m_panes.push_back(new QCheckBox(QString::fromUtf8(kPaneTexts[i]), this));
        layout->addWidget(m_panes.back());
    }
}

void CVKPaneChoice::Load(const platform::Settings& settings, const platform::SettingsSection& section)
{
    for (int i = 0; i < kPanes; ++i)
        m_panes[std::size_t(i)]->setChecked(
            settings.GetProfileInt(section, QString::fromLatin1(kPaneKeys[i]), kPaneDefaults[i]) != 0);
}

QVBoxLayout* LayOutFamilyPage(QWidget* page, CVKPaneChoice* panes, CVKRangeBox* ranges)
{
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(panes);
    auto* columns = new QHBoxLayout;
    auto* choices = new QVBoxLayout;
    columns->addLayout(choices);
    auto* beside = new QVBoxLayout;
    beside->addWidget(ranges);
    beside->addStretch(1);
    columns->addLayout(beside, 1);
    layout->addLayout(columns, 1);
    return choices;
}

void CVKPaneChoice::Save(platform::Settings& settings, const platform::SettingsSection& section) const
{
    for (int i = 0; i < kPanes; ++i)
        settings.WriteProfileInt(section, QString::fromLatin1(kPaneKeys[i]), m_panes[std::size_t(i)]->isChecked() ? 1 : 0);
}

} // namespace analysers_vk
