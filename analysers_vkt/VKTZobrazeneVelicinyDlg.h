#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;

namespace analysers_vk {
class CVKRangeBox;
}

namespace analysers_vkt {

class CVKTGrafAktual;
class CVKTQuantityGrid;

// "Zobrazené veličiny" of a VKT window: which of the 46 quantities its graph
// shows and in which colours, the import/export powers, the inputs and
// overloads band, which values of an off-line record are shown and the
// ranges of the graph's scale categories.
class CVKTZobrazeneVelicinyDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCount = 46;

    explicit CVKTZobrazeneVelicinyDlg(QWidget* parent = nullptr);

    // False, and nothing copied, when the graph has no data bound.
    bool LoadFromGraph(const CVKTGrafAktual& graph);
    void StoreToGraph(CVKTGrafAktual& graph) const;
    // "Výchozí": the family defaults of "Obecne nastaveni vkt", shown
    // without closing and without writing anything.
    void LoadDefaults();

    CVKTQuantityGrid* Grid() const { return m_grid; }
    QCheckBox* ImportExport() const { return m_odbDod; }
    QCheckBox* Inputs() const { return m_spinac; }
    QComboBox* OffLine() const { return m_offLine; }
    analysers_vk::CVKRangeBox* Ranges() const { return m_ranges; }

public slots:
    void accept() override;

private:
    CVKTQuantityGrid* m_grid = nullptr;
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    QComboBox* m_offLine = nullptr;
    analysers_vk::CVKRangeBox* m_ranges = nullptr;
};

} // namespace analysers_vkt
