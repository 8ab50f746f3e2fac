#pragma once

#include "model/ScaleCategories.h"
#include "shell/ObecneNastaveni.h"

#include <QString>

#include <array>

class QCheckBox;
class QLineEdit;

namespace analysers_vk {

class CVKQuantityGrid;

// The VK family's page of the general settings sheet: which panes a new
// live window shows, the graph's quantities and colours, and the default
// ranges of the graph's scale categories (shared with the VKR page).
class CONVK : public CGeneralSettingsFamilyPage {
    Q_OBJECT
public:
    static constexpr int kCategories = 7;

    explicit CONVK(QWidget* parent = nullptr);

    void Load(platform::Settings& settings) override;
    void Save(platform::Settings& settings) override;
    bool OnKillActive() override;
    void OnOK() override;

    // The message for a range row, empty when it passes: the lower limit,
    // the upper limit, then (power factor) the cosine rule or (others) the
    // order of the two bounds.
    static QString CheckRange(const QString& name, double minimum, double maximum, double low, double high,
                              bool cosine);
    // Checks every row; the first message, empty when all pass.
    QString CheckRanges() const;

    CVKQuantityGrid* Grid() const { return m_grid; }
    QLineEdit* Minimum(int category) const { return m_min[category]; }
    QLineEdit* Maximum(int category) const { return m_max[category]; }
    QCheckBox* Automatic() const { return m_auto; }
    QCheckBox* Pane(int index) const { return m_panes[index]; }

private:
    void EnableRanges();

    std::array<QCheckBox*, 4> m_panes{}; // isAlarm, isData, isNahled, isGraf
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    CVKQuantityGrid* m_grid = nullptr;
    std::array<QLineEdit*, kCategories> m_min{};
    std::array<QLineEdit*, kCategories> m_max{};
    QCheckBox* m_auto = nullptr;
};

} // namespace analysers_vk
