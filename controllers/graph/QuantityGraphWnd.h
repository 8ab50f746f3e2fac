#pragma once

#include "controllers/graph/ControllerGraphWnd.h"

#include <array>
#include <cstdint>

namespace controllers {

// The trend graph of a Qorin controller: power factor, RMS, active and
// reactive current and current THD over time, with the stage bars under
// them. One window class for the live view (AttachDevice) and the archive
// view (AttachArchive); see CControllerGraphWnd for the use.
class CQuantityGraphWnd : public CControllerGraphWnd {
    Q_OBJECT
public:
    // Curves in the fixed order of the colour export and the legends.
    enum Curve { kCos = 0, kThd = 1, kCurrent = 2, kActive = 3, kReactive = 4, kCurveCount = 5 };
    // Grid quantities: the three axis kinds.
    enum AxisKind { kAxisCos = 0, kAxisCurrent = 1, kAxisThd = 2 };

    struct CurveInfo {
        const char* series;  // series name in the store
        const char* caption; // scale group
        const char* unit;
        int category;
        const char* colourValue; // "barva ..." in the settings
        const char* shownValue;  // "is..." in the settings
        std::uint32_t defaultColour; // of the settings
    };
    static const CurveInfo& Info(Curve curve);

    explicit CQuantityGraphWnd(QWidget* parent = nullptr);
    ~CQuantityGraphWnd() override;

    // Shows or hides one curve in `colour`; 1 when the series set changed
    // (the host lays out and redraws), 0 when only colour or range did.
    int ShowCurve(Curve curve, int show, std::uint32_t colour);
    // Effective visibility (the series exists) and colour; false without a
    // store.
    bool GetCurveColor(Curve curve, int& fromSeries, std::uint32_t& colour) const;
    // Both arrays in the order cos, THD, RMS, active, reactive.
    void GetCurveColors(std::array<std::uint32_t, kCurveCount>& colours, std::array<int, kCurveCount>& visible) const;
    bool CurveVisible(Curve curve) const { return m_visible[curve] != 0; }

    bool EditQuantities() override;
    int FormCurveCount() const override { return kCurveCount; }
    bool GetFormCurve(int i, int& shown, std::uint32_t& colour) const override
    {
        return GetCurveColor(Curve(i), shown, colour);
    }
    // The printing command's name for PrintGraph.
    bool DrawToDC(QPrinter* printer = nullptr) { return PrintGraph(printer); }

    // The range a curve's series gets (category range times the factor,
    // minimum raised to 0 where the curve keeps no negative values).
    void CurveRange(Curve curve, double& minimum, double& maximum) const;

protected:
    bool CompactStages() const override;
    QString LegendText(int i, const CGraphTrace& trace) const override;
    int StoredCurveCount() const override;
    StoredCurve StoredCurveAt(int i) const override;
    void ShowStoredCurve(int i, int shown, std::uint32_t colour) override;
    bool StoredCurveVisible(int i) const override;
    std::uint32_t StoredCurveColour(int i) const override;
    CGraphRect DrawAxes(CGraphPainter& painter, CGraphRect plot, int gridRight, bool print,
                        const CGraphTrace*& last) override;
    void RescaleLive() override;
    int CorrectGridQuantity(int quantity) const override;

private:

    std::array<int, kCurveCount> m_visible{};
    std::array<std::uint32_t, kCurveCount> m_colours{};
};

} // namespace controllers
