#pragma once

#include "controllers/graph/ControllerGraphWnd.h"

#include <array>
#include <cstdint>

namespace controllers {

// The trend graph of a Duskar controller: up to fourteen quantities, one
// value axis per quantity group, with the stage strip under the plot. One
// window class for the live view (AttachLive) and the archive view
// (AttachArchive); see CControllerGraphWnd for the use.
class CDuskarGraphWnd : public CControllerGraphWnd {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 14;
    static constexpr int kGroupCount = 7;

    struct Quantity {
        const char* name;     // series name and settings suffix
        std::uint32_t colour; // default, 0x00BBGGRR
        bool shown;           // shown by default
        int group;            // 0 U, 1 I, 2 PF, 3 f, 4 T, 5 P, 6 THD
        int category;         // scale category of the family
        const char* caption;  // scale group caption
    };
    static const Quantity& QuantityAt(int index);

    explicit CDuskarGraphWnd(QWidget* parent = nullptr);
    ~CDuskarGraphWnd() override;

    void AttachLive(CPristroj& entry) { AttachDevice(entry); }

    void SetSwitchStrip(int on) { SetShowStages(on); }
    int GetSwitchStrip() const { return GetShowStages(); }

    // True when the series set changed (the host lays out and redraws).
    bool SetCurve(int index, int shown, std::uint32_t colour);
    // False without a store; else the effective state (the series exists)
    // and colour.
    bool GetCurve(int index, int& shown, std::uint32_t& colour) const;
    // The values panel's legend.
    void GetLegend(std::array<int, kQuantityCount>& shown, std::array<std::uint32_t, kQuantityCount>& colours) const;

    bool EditQuantities() override;
    int FormCurveCount() const override { return kQuantityCount; }
    bool GetFormCurve(int i, int& shown, std::uint32_t& colour) const override
    {
        return GetCurve(i, shown, colour);
    }

    // The unit of a quantity as its axis shows it (follows the store's
    // multipliers).
    QString UnitOf(int index) const;
    void CurveRange(int index, double& minimum, double& maximum) const;

protected:
    bool CompactStages() const override;
    int StoredCurveCount() const override;
    StoredCurve StoredCurveAt(int i) const override;
    void ShowStoredCurve(int i, int shown, std::uint32_t colour) override;
    bool StoredCurveVisible(int i) const override;
    std::uint32_t StoredCurveColour(int i) const override;
    CGraphRect DrawAxes(CGraphPainter& painter, CGraphRect plot, int gridRight, bool print,
                        const CGraphTrace*& last) override;
    void RescaleLive() override;
    bool LegendAsColouredText() const override { return true; }
    int CorrectGridQuantity(int quantity) const override;

private:
    std::array<int, kQuantityCount> m_shown{};
    std::array<std::uint32_t, kQuantityCount> m_colours{};
};

} // namespace controllers
