#pragma once

#include "controllers/values/ValuesDlgBase.h"

#include <QString>

#include <array>
#include <cstdint>

struct CDuskarValueTexts;
struct CPristrojStatusTexts;
class QProgressBar;
class QTabBar;

namespace controllers {

class CDuskarGraphWnd;

// The values of one Duskar controller: sixteen quantities with the graph's
// legend swatches, the state text, the stages with the regulation progress
// and the recorded period, and the charts of the odd current and voltage
// harmonics. Groups stand side by side (mode 2), in a column (mode 3), one
// at a time behind four tabs (mode 1) or the values alone (mode 0). The
// host fills the members (Fill, SetLegend or by hand), then calls
// UpdateControls and Layout.
class CDuskarValuesPanel : public CValuesDlgBase {
    Q_OBJECT
public:
    static constexpr int kHarmonicCount = 9;
    static constexpr int kStageCount = 14;
    static constexpr int kLegendCount = 14;
    static constexpr std::uint32_t kNoLegend = 0x00D2D2D2;

    explicit CDuskarValuesPanel(QWidget* parent = nullptr);
    ~CDuskarValuesPanel() override;

    // The layout mode of a panel W x H dialog units large; `tall`: charts
    // 108 units high (mode 2).
    static int ChooseMode(int w, int h, bool* tall = nullptr);

    void Fill(const CDuskarValueTexts& values, const CPristrojStatusTexts* status);
    void SetLegend(const CDuskarGraphWnd& graph);
    void UpdateControls() override;
    void Layout();
    int Mode() const { return m_mode; }
    bool Tall() const { return m_tall; }
    QTabBar* Tabs() const { return m_tabs; }

    // The tab (0 to 3) shown in mode 1; kept as "iTab" by the views.
    void SelectTab(int tab);
    int GetSelectedTab() const { return m_tab; }

    void SetVoltageUnits(int multiplier);
    void SetCurrentUnits(int multiplier);
    void SetPowerUnits(int multiplier);

    // A chart on any painter: `voltage` picks the voltage harmonics.
    void DrawChart(QPainter& painter, const QSize& size, bool voltage) const;

    // Members the host fills.
    int m_voltageUnits = 1;
    int m_currentUnits = 1;
    int m_powerUnits = 1;
    bool m_sixStages = false;
    bool m_recordGroup = false;
    std::array<float, kHarmonicCount> m_harmonicsI{101, 101, 101, 101, 101, 101, 101, 101, 101};
    std::array<float, kHarmonicCount> m_harmonicsU{101, 101, 101, 101, 101, 101, 101, 101, 101};
    std::array<int, kStageCount> m_stages{};
    std::array<std::uint32_t, kLegendCount> m_legendColours{};
    std::array<bool, kLegendCount> m_legendShown{};
    QString m_state;
    QString m_dPre, m_lv, m_fi, m_f, m_chl, m_pac, m_pre, m_t, m_thdI, m_thdU, m_ueff, m_dIre;
    QString m_iact = QStringLiteral("--"), m_cos = QStringLiteral("--"), m_ire = QStringLiteral("--"),
            m_ieff = QStringLiteral("--");
    int m_progressValue = 0;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowValues(int x, int y, bool show);
    void ShowStages(int x, int y, bool show);
    void EnableStages();
    void ShowChart(int id, int x, int y, int w, int h, bool show);
    void ShowTabGroup();

    QTabBar* m_tabs = nullptr;
    int m_mode = -1;
    bool m_tall = false;
    int m_tab = 0;
};

} // namespace controllers
