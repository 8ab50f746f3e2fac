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

protected:
    // The temperature may be chosen: for a VK only with variant bit 0 of
    // the instrument's identification.
    virtual bool TemperatureAvailable(const CVKGrafAktual& graph) const;
    // Where "Výchozí" reads the family's defaults, and whether they hold the
    // relay choice.
    virtual const char* DefaultsSection() const { return "Obecne nastaveni vk"; }
    virtual bool DefaultsHoldRelays() const { return true; }

private:
    CVKQuantityGrid* m_grid = nullptr;
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    bool m_temperature = false;
};

} // namespace analysers_vk
