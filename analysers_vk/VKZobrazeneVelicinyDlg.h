#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QPushButton;

namespace analysers_vk {

class CVKGrafAktual;

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

    QCheckBox* Box(int index) const { return m_boxes[index]; }
    QPushButton* Swatch(int index) const { return m_swatches[index]; }
    QCheckBox* ImportExport() const { return m_odbDod; }
    QCheckBox* Relays() const { return m_spinac; }
    std::uint32_t Colour(int index) const { return m_colours[index]; }
    void SetColour(int index, std::uint32_t colour);

public slots:
    void accept() override;

private:
    void PickColour(int index);
    void ApplyTemperatureRule();

    std::array<QCheckBox*, kCount> m_boxes{};
    std::array<QPushButton*, kCount> m_swatches{};
    std::array<std::uint32_t, kCount> m_colours{};
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    bool m_temperature = false;
};

} // namespace analysers_vk
