#pragma once

#include "controllers/values/ValuesDlgBase.h"

#include <QString>

#include <array>
#include <cstdint>

struct CQorinValueTexts;
struct CPristrojStatusTexts;
class QProgressBar;

namespace controllers {

class CQuantityGraphWnd;

// The values and status of one Qorin controller: power factor, THD and the
// three currents with the graph's legend swatches, the state text, the
// regulation progress, the ring of fourteen stages, the chart of the odd
// current harmonics, the model and time, and in archive windows the
// recorded period and file. It lays its groups out for the space it has
// (modes 0 to 4). The host fills the members (Fill, SetLegend or by hand),
// then calls UpdateControls and Layout.
class CQorinHodnotyDlg : public CValuesDlgBase {
    Q_OBJECT
public:
    static constexpr int kHarmonicCount = 6;
    static constexpr int kStageCount = 14;
    static constexpr std::uint32_t kNoLegend = 0x00D2D2D2;

    explicit CQorinHodnotyDlg(QWidget* parent = nullptr);
    ~CQorinHodnotyDlg() override;

    // The layout mode of a dialog W x H dialog units large.
    static int ChooseMode(int w, int h);
    // Fills the members from the store's value texts and, when given, the
    // instrument's time, record and file texts.
    void Fill(const CQorinValueTexts& values, const CPristrojStatusTexts* status);
    // The graph's curve colours as the legend under the values.
    void SetLegend(const CQuantityGraphWnd& graph);
    // Copies the members into the controls (stage buttons included).
    void UpdateControls() override;
    void Layout();
    int Mode() const { return m_mode; }
    // The chart on any painter (its surface's size).
    void DrawChart(QPainter& painter, const QSize& size) const;

    // Members the host fills.
    bool m_transistorLabels = false;
    bool m_sixStages = false;
    bool m_recordGroup = false;
    std::array<float, kHarmonicCount> m_harmonics{101, 101, 101, 101, 101, 101};
    std::array<int, kStageCount> m_stages{};
    std::array<std::uint32_t, 5> m_legendColours{kNoLegend, kNoLegend, kNoLegend, kNoLegend, kNoLegend};
    std::array<bool, 5> m_legendShown{};
    QString m_state;
    QString m_activeCurrent = QStringLiteral("--");
    QString m_cos = QStringLiteral("--");
    QString m_reactiveCurrent = QStringLiteral("--");
    QString m_current = QStringLiteral("--");
    QString m_thd = QStringLiteral("--");
    int m_progressValue = 0;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Placed and shown.
    void Put(int id, int x0, int y0, int left, int top, int right, int bottom);
    void PlaceValues(int x, int y);
    void PlaceRegulation(int x, int y);
    void PlaceRecord(int x, int y);
    void PlaceChart(int x, int y, int w, int h);
    void PlaceStages(int x, int y);
    void EnableStages();
    void PlaceHeader(int x, int y);
    void PaintSwatches();

    QWidget* m_chart = nullptr;
    int m_mode = -1;
};

} // namespace controllers
