#pragma once

#include "controllers/graph/DisplaySettingsForm.h"
#include "shell/ObecneNastaveni.h"

#include <array>
#include <vector>

class QCheckBox;

namespace controllers {

// A controller family's page of the general settings sheet: the panes a new
// live window shows and the family's graph defaults (the displayed-
// quantities form without its "Výchozí").
class CControllerGeneralPage : public CGeneralSettingsFamilyPage {
    Q_OBJECT
public:
    CDisplaySettingsForm* Form() const { return m_form; }
    // "isGraf", "isData", "isAlarm", "isNahled" (boxes 1025 to 1028).
    QCheckBox* Panel(int index) const { return m_panels[std::size_t(index)]; }

    bool OnSetActive() override;
    bool OnKillActive() override;
    // The family's defaults and panes in its general section.
    void Load(platform::Settings& settings) override;
    void Save(platform::Settings& settings) override;

protected:
    // `section` the family's general section, its categories stored under
    // `prefix` for instrument `type`.
    CControllerGeneralPage(const QString& caption, const CDisplaySettingsForm::Spec& spec,
                           std::vector<CDisplaySettingsForm::Defaults> defaults, const char* section,
                           const QString& prefix, int type, QWidget* parent);

    CDisplaySettingsForm* m_form;
    std::array<QCheckBox*, 4> m_panels{};

private:
    std::vector<CDisplaySettingsForm::Defaults> m_defaults;
    const char* m_section;
    QString m_prefix;
    int m_type;
};

} // namespace controllers
