#pragma once

#include "analysers_vk/VKRangeBox.h"
#include "shell/ObecneNastaveni.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace analysers_vkt {

class CVKTQuantityGrid;

// The VK family's scale categories and the voltage unbalance.
std::vector<analysers_vk::VKRangeRow> VKTRangeRows();

// The VKT family's page of the general settings sheet: the panes of a new
// live window, the graph's 46 quantities and colours, the import/export
// and inputs displays, which values of an off-line record are shown, and
// the default ranges of the eight scale categories.
class CONVKT : public CGeneralSettingsFamilyPage {
    Q_OBJECT
public:
    static constexpr int kCategories = 8;

    explicit CONVKT(QWidget* parent = nullptr);

    void Load(platform::Settings& settings) override;
    void Save(platform::Settings& settings) override;
    bool OnKillActive() override;
    void OnOK() override;

    // The first message of the range rows, empty when all pass.
    QString CheckRanges() const;

    CVKTQuantityGrid* Grid() const { return m_grid; }
    QLineEdit* Minimum(int category) const { return m_rangeBox->Minimum(category); }
    QLineEdit* Maximum(int category) const { return m_rangeBox->Maximum(category); }
    QCheckBox* Automatic() const { return m_rangeBox->Automatic(); }
    QCheckBox* Pane(int index) const { return m_panes->Pane(index); }
    QComboBox* OffLine() const { return m_offLine; }

private:
    analysers_vk::CVKPaneChoice* m_panes = nullptr;
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    QComboBox* m_offLine = nullptr;
    CVKTQuantityGrid* m_grid = nullptr;
    analysers_vk::CVKRangeBox* m_rangeBox = nullptr;
};

} // namespace analysers_vkt
