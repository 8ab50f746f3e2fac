#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;

namespace platform {
class Settings;
class SettingsSection;
}

namespace analysers_vk {

class CVKFamilyGrafAktual;
class CVKQuantityGrid;
class CVKRangeBox;

// "Zobrazené veličiny": which quantities the graph of current values shows
// and in which colours, with the import/export powers, the relay band and
// the ranges of the graph's scale categories.
class CVKZobrazeneVelicinyDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCount = 37;

    explicit CVKZobrazeneVelicinyDlg(QWidget* parent = nullptr);

    // False, and nothing copied, when the graph has no data bound.
    bool LoadFromGraph(const CVKFamilyGrafAktual& graph);
    void StoreToGraph(CVKFamilyGrafAktual& graph) const;
    // The family defaults of "Obecne nastaveni vk", shown without closing.
    void LoadDefaults();

    QCheckBox* Box(int index) const;
    QCheckBox* ImportExport() const { return m_odbDod; }
    QCheckBox* Relays() const { return m_spinac; }
    CVKQuantityGrid* Grid() const { return m_grid; }
    CVKRangeBox* Ranges() const { return m_ranges; }
    void SetColour(int index, std::uint32_t colour);

public slots:
    void accept() override;

protected:
    // The temperature may be chosen: for a VK only with variant bit 0 of
    // the instrument's identification.
    virtual bool TemperatureAvailable(const CVKFamilyGrafAktual& graph) const;
    // Where "Výchozí" reads the family's defaults, and whether they hold the
    // relay choice.
    virtual const char* DefaultsSection() const { return "Obecne nastaveni vk"; }
    virtual bool DefaultsHoldRelays() const { return true; }
    // Quantities a family adds after the VK's 37.
    virtual void LoadExtra(const CVKFamilyGrafAktual& graph) { (void)graph; }
    virtual void StoreExtra(CVKFamilyGrafAktual& graph) const { (void)graph; }
    virtual void LoadExtraDefaults(const platform::Settings& settings, const platform::SettingsSection& section)
    {
        (void)settings;
        (void)section;
    }
    virtual bool AnyExtraShown() const { return false; }
    // Where a family puts its own controls: above the two switches.
    void InsertExtra(QWidget* widget);

private:
    CVKQuantityGrid* m_grid = nullptr;
    CVKRangeBox* m_ranges = nullptr;
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    bool m_temperature = false;
};

} // namespace analysers_vk
