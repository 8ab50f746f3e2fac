#pragma once

#include "controllers/graph/DisplaySettingsForm.h"
#include "shell/ObecneNastaveni.h"

#include <array>

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

protected:
    CControllerGeneralPage(const QString& caption, const CDisplaySettingsForm::Spec& spec, QWidget* parent);

    void LoadPanels(const platform::Settings& settings, const platform::SettingsSection& section);
    void SavePanels(platform::Settings& settings, const platform::SettingsSection& section) const;

    CDisplaySettingsForm* m_form;
    std::array<QCheckBox*, 4> m_panels{};
};

} // namespace controllers
