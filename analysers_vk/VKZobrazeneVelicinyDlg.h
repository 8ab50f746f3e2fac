#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;

namespace analysers_vk {

class CVKGrafAktual;
class CVKQuantityGrid;

// "Zobrazené veličiny": which quantities the graph of current values shows
// and in which colours, with the import/export powers and the relay band.
class CVKZobrazeneVelicinyDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCount = 37;

    explicit CVKZobrazeneVelicinyDlg(QWidget* parent = nullptr);

    // False, and nothing copied, when the graph has no data bound.
    bool LoadFromGraph(const CVKGrafAktual& graph);
    void StoreToGraph(CVKGrafAktual& graph) const;
    // The family defaults of "Obecne nastaveni vk", shown without closing.
    void LoadDefaults();

    QCheckBox* Box(int index) const;
    QCheckBox* ImportExport() const { return m_odbDod; }
    QCheckBox* Relays() const { return m_spinac; }
    CVKQuantityGrid* Grid() const { return m_grid; }
    void SetColour(int index, std::uint32_t colour);

public slots:
    void accept() override;

private:
    CVKQuantityGrid* m_grid = nullptr;
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    bool m_temperature = false;
};

} // namespace analysers_vk
