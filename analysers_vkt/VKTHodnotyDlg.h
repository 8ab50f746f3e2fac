#pragma once

#include "analysers_vk/VKPagedValues.h"
#include "archive/store/VKTDisplayValues.h"

#include <array>
#include <cstdint>
#include <map>

class QGridLayout;
class QLabel;
class QTabBar;
struct CPristrojStatusTexts;

namespace analysers_vkt {

// The scale of the current harmonic charts: decade n gives the full scale
// S = 0.1 * 10^n A for the largest value M. A smaller decade is taken at
// once when it is only one step down or M leaves a tenth of the new scale
// free; otherwise the old one stays for up to ten refreshes, so that a
// value hovering at a decade's edge does not make the chart jump.
class CVKTCurrentDecade {
public:
    static constexpr int kDeferrals = 10;

    // The decade for M (at least 0.0001).
    static int DecadeOf(double largest);
    static double FullScale(int decade);
    // The decade in force after a refresh with largest value `largest`.
    int Update(double largest);
    int Decade() const { return m_decade; }
    // "[mA]", "[A]" or "[kA]" and the factor from amperes to that unit.
    static QString Unit(int decade);
    static double UnitFactor(int decade);
    // "%0.0f", "%0.1f" or "%0.2f" for a value in the decade's unit.
    static const char* Format(int decade);

private:
    int m_decade = 0;
    int m_waited = 0;
};

// One harmonic page: a bar per channel and harmonic (odd 3..25 or even
// 2..24) with the values written in a row per channel under the bars.
class CVKTHarmonicChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHarmonics = 12;
    enum ChartKind { kVoltageOdd = 0, kVoltageEven = 1, kCurrentOdd = 2, kCurrentEven = 3 };

    CVKTHarmonicChart(int kind, QWidget* parent = nullptr);

    // The values of harmonic `k` (0..11) of channel `c` and the chart's
    // scale; current charts share one decade, held by the dialog.
    void SetValues(const std::array<std::array<float, kHarmonics>, 4>& values, int decade);
    int Kind() const { return m_kind; }
    bool Current() const { return m_kind >= kCurrentOdd; }
    int Decade() const { return m_decade; }
    QString CellText(int channel, int harmonic) const;
    // A value's text: current pages mark -N- below -9999999 and -- below
    // -999999, voltage pages below -1000 and below 0.
    static QString ValueText(float value, bool current, int decade, bool oneDecimal = true);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_kind;
    int m_decade = 0;
    std::array<std::array<float, kHarmonics>, 4> m_values{};
};

// The newest VKT values as tables and harmonic charts. Its hosts (live and
// archive view, floating panel) fill it; it lays itself out by the size it
// is given in one of eight classes with up to three tab strips.
class CVKTHodnotyDlg : public analysers_vk::CVKPagedValues {
    Q_OBJECT
public:
    enum { kTabCount = kStrips, kQuantities = 46 };

    explicit CVKTHodnotyDlg(QWidget* parent = nullptr);

    // The layout class for a client size in dialog units.
    static int LayoutClass(int widthDlu, int heightDlu, bool archiveMode);
    // A value of channel `a` (0..3) in group `b` (0 values, 1 voltage
    // harmonics, 2 current harmonics, 3 even ones) is received when bits a
    // and b + 4 of the mask are both set.
    static bool IsReceived(std::uint32_t mask, int a, int b) { return (mask >> a & 1) && (mask >> (b + 4) & 1); }

    void SetReceivedMask(std::uint32_t mask) { m_mask = mask; }
    std::uint32_t ReceivedMask() const { return m_mask; }
    // The rows of channels 1 to 4 that are received.
    std::array<bool, 4> DialogRows() const;

    void SetValues(const CVKTValueTexts& texts);
    void SetWindowTexts(const QString& from, const QString& to, const QString& file, const QString& kind);
    void SetArchiveMode(bool archive);
    bool ArchiveMode() const { return m_archive; }
    // Sum row "2f" for kind 1, else "3f".
    void UpdateLabels(int kind);

    // The graph's shown flags and colours (0x00BBGGRR) of its 46 quantities.
    void SetGraphQuantities(const std::array<int, kQuantities>& shown, const std::array<std::uint32_t, kQuantities>& colours);
    const std::array<std::uint32_t, kQuantities>& Colours() const { return m_colours; }
    const std::array<int, kQuantities>& Shown() const { return m_shown; }

    void SetActiveTab(int tab1, int tab2, int tab3) { SetTabs(tab1, tab2, tab3); }
    void GetActiveTab(int& tab1, int& tab2, int& tab3) const { GetTabs(tab1, tab2, tab3); }

    int Class() const { return m_arrangement; }
    int CurrentDecade() const { return m_decade.Decade(); }
    int TabKind(int index) const { return m_modes[std::size_t(index)]; }
    QWidget* Table(int index) const { return m_groups[std::size_t(index)]; }
    CVKTHarmonicChart* Chart(int index) const
    {
        return static_cast<CVKTHarmonicChart*>(m_charts[std::size_t(index)]);
    }

signals:
    // A right click: the floating panel shows its menu, the views ignore it.
    void PanelMenu(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void BuildTables();
    void Layout(bool force) override;
    QLabel* AddField(QGridLayout* grid, int id, int row, int column);

    QLabel* m_sumLabels[4] = {};
    QLabel* m_file = nullptr;
    bool m_archive = false;
    std::uint32_t m_mask = 0xFF;
    CVKTValueTexts m_texts;
    CVKTCurrentDecade m_decade;
    std::array<int, kQuantities> m_shown{};
    std::array<std::uint32_t, kQuantities> m_colours{};
};

} // namespace analysers_vkt
