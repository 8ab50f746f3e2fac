#include "analysers_vk/ONVKR.h"

#include "platform/Settings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace analysers_vk {

namespace {

const CONVK::Family kVKRFamily{"VKR,VKN", "Obecne nastaveni vkr", false};

struct Line {
    const char* name;
    std::uint32_t colour; // 0x00BBGGRR
};
const Line kLines[CONVKR::kLineCount] = {
    {"THDU1,2", 0x900E0E},
    {"THDU2,3", 0xC06060},
    {"THDU3,1", 0xD1A0A0},
};

QColor ColourOf(std::uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

std::uint32_t RefOf(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

} // namespace

const char* CONVKR::LineName(int line)
{
    return kLines[std::clamp(line, 0, kLineCount - 1)].name;
}

std::uint32_t CONVKR::LineColour(int line)
{
    return kLines[std::clamp(line, 0, kLineCount - 1)].colour;
}

CONVKR::CONVKR(QWidget* parent) : CONVK(kVKRFamily, parent)
{
    auto* group = new QGroupBox(QStringLiteral("THDU L-L"), this);
    auto* row = new QHBoxLayout(group);
    for (int i = 0; i < kLineCount; ++i) {
        m_colours[std::size_t(i)] = kLines[i].colour;
        m_lines[std::size_t(i)] = new QCheckBox(QString::fromLatin1(kLines[i].name), group);
        m_swatches[std::size_t(i)] = new QPushButton(group);
        m_swatches[std::size_t(i)]->setFixedSize(24, 16);
        row->addWidget(m_lines[std::size_t(i)]);
        row->addWidget(m_swatches[std::size_t(i)]);
        connect(m_swatches[std::size_t(i)], &QPushButton::clicked, this, [this, i] {
            const QColor chosen = QColorDialog::getColor(ColourOf(m_colours[std::size_t(i)]), this);
            if (chosen.isValid()) {
                m_colours[std::size_t(i)] = RefOf(chosen);
                PaintSwatch(i);
            }
        });
        PaintSwatch(i);
    }
    row->addStretch(1);
    // Beside the grid of the phase quantities, above the other choices.
    PageLayout()->insertWidget(2, group);
}

void CONVKR::PaintSwatch(int line)
{
    m_swatches[std::size_t(line)]->setStyleSheet(
        QStringLiteral("background-color: %1;").arg(ColourOf(m_colours[std::size_t(line)]).name()));
}

void CONVKR::LoadExtra(platform::Settings& settings, const platform::SettingsSection& section)
{
    for (int i = 0; i < kLineCount; ++i) {
        const QString name = QString::fromLatin1(kLines[i].name);
        m_lines[std::size_t(i)]->setChecked(settings.GetProfileInt(section, QStringLiteral("is") + name, 0) != 0);
        m_colours[std::size_t(i)] = std::uint32_t(
            settings.GetProfileInt(section, QStringLiteral("barva ") + name, int(kLines[i].colour)));
        PaintSwatch(i);
    }
}

void CONVKR::SaveExtra(platform::Settings& settings, const platform::SettingsSection& section)
{
    for (int i = 0; i < kLineCount; ++i) {
        const QString name = QString::fromLatin1(kLines[i].name);
        settings.WriteProfileInt(section, QStringLiteral("is") + name, m_lines[std::size_t(i)]->isChecked() ? 1 : 0);
        settings.WriteProfileInt(section, QStringLiteral("barva ") + name, int(m_colours[std::size_t(i)]));
    }
}

bool CONVKR::AnyExtraShown() const
{
    for (const QCheckBox* box : m_lines)
        if (box->isChecked())
            return true;
    return false;
}

} // namespace analysers_vk
