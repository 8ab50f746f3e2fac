#include "controllers/graph/ControllerGeneralPage.h"

#include "platform/Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace controllers {

namespace {

struct Panel {
    int id;
    const char* text;
    const char* value;
};
const Panel kPanels[4] = {
    {1025, "Graf", "isGraf"}, {1026, "Aktuální data", "isData"}, {1027, "Alarmy a události", "isAlarm"},
    {1028, "Přístroj", "isNahled"}};

} // namespace

CControllerGeneralPage::CControllerGeneralPage(const QString& caption, const CDisplaySettingsForm::Spec& spec,
                                               std::vector<CDisplaySettingsForm::Defaults> defaults,
                                               const char* section, const QString& prefix, int type, QWidget* parent)
    : CGeneralSettingsFamilyPage(caption, parent),
      m_defaults(std::move(defaults)),
      m_section(section),
      m_prefix(prefix),
      m_type(type)
{
    auto* layout = new QVBoxLayout(this);
    m_form = new CDisplaySettingsForm(spec, this);
    layout->addWidget(m_form);
    auto* panels = new QGroupBox(QStringLiteral("Výchozí zobrazované panely"), this);
    auto* row = new QHBoxLayout(panels);
    for (std::size_t i = 0; i < 4; ++i) {
        m_panels[i] = new QCheckBox(QString::fromUtf8(kPanels[i].text), panels);
        m_panels[i]->setObjectName(QString::number(kPanels[i].id));
        row->addWidget(m_panels[i]);
    }
    layout->addWidget(panels);
    layout->addStretch(1);
}

void CControllerGeneralPage::Load(platform::Settings& settings)
{
    const platform::SettingsSection section(m_section);
    m_form->SetValues(CDisplaySettingsForm::ReadDefaults(settings, section, m_defaults, m_prefix, m_type));
    for (std::size_t i = 0; i < 4; ++i)
        m_panels[i]->setChecked(settings.GetProfileInt(section, QString::fromLatin1(kPanels[i].value), 1) != 0);
}

void CControllerGeneralPage::Save(platform::Settings& settings)
{
    const platform::SettingsSection section(m_section);
    CDisplaySettingsForm::WriteDefaults(settings, section, m_defaults, m_prefix, m_form->GetValues());
    for (std::size_t i = 0; i < 4; ++i)
        settings.WriteProfileInt(section, QString::fromLatin1(kPanels[i].value), m_panels[i]->isChecked() ? 1 : 0);
}

bool CControllerGeneralPage::OnSetActive()
{
    return CGeneralSettingsFamilyPage::OnSetActive();
}

bool CControllerGeneralPage::OnKillActive()
{
    return m_form->Validate();
}

} // namespace controllers
