#pragma once

#include "analysers_vkt/VKTVlnyFile.h"
#include "analysers_vkt/VKTVlnyScale.h"

#include <QColor>
#include <QRect>

#include <array>
#include <vector>

class QPainter;

namespace analysers_vkt {

// What the panes draw: the eight channels (U1..U4, I1..I4) with their RMS
// values, the transformer factors of their inputs (U1..U3 share one, U4 its
// own, the same for the currents) and colours.
struct VKTWaveChannels {
    std::array<std::optional<VKTVlnyFileData::Wave>, 8> waves;
    std::array<float, 8> rms{};
    std::array<float, 8> scale{1, 1, 1, 1, 1, 1, 1, 1};
    // The number formats of the voltages and currents (kept for the file).
    QString voltageUnit = QStringLiteral("%s");
    QString currentUnit = QStringLiteral("%s");
    std::array<QColor, 8> colours{QColor(0x84, 0x0D, 0x08), QColor(0xCF, 0x14, 0x2A), QColor(0xF4, 0x55, 0x55),
                                  QColor(0xDD, 0xAF, 0xAF), QColor(0x08, 0x22, 0x89), QColor(0x57, 0x45, 0xA5),
                                  QColor(0x20, 0x5F, 0xE8), QColor(0x9F, 0xB8, 0xEA)};
    bool grid = true;
};

// One pane of the waveform window: frame, amplitude axes with automatic
// ranges, one period on the phase axis, the grid and a curve per channel.
class CVKTVlnyZobrazeni {
public:
    // The channels of the pane; the label steps follow the factors of their
    // inputs.
    void SetChannels(std::uint8_t mask, const std::array<float, 8>& scale = {1, 1, 1, 1, 1, 1, 1, 1});
    std::uint8_t Mask() const { return m_mask; }
    // The frame is at least 250 x 150 pixels; `printing` leaves more room
    // for the axes and draws for paper (plain frame, the printer's title
    // font).
    void SetRect(const QRect& rect, int unit, bool printing = false);
    QRect FrameRect() const { return m_frame; }
    void Draw(QPainter& painter, const VKTWaveChannels& channels, int unit);
    int VoltageRange() const { return m_u.Range(); }
    int CurrentRange() const { return m_i.Range(); }
    // The ranges a stored picture was drawn with; later data moves them as
    // usual.
    void SetRanges(int voltage, int current)
    {
        m_u.SetRange(voltage);
        m_i.SetRange(current);
    }
    bool VoltageAxisInner() const { return m_voltageInner; }
    void SetVoltageAxisInner(bool inner) { m_voltageInner = inner; }
    // A click on the outer axis of a pane with voltages and currents swaps
    // the axes; true when it did.
    bool HitSwap(const QPoint& point);
    // The phase axis: x of its ticks 1 to 12 ("360°" at the last).
    std::vector<int> PhaseTicks() const;

private:
    // False when the pane is too low for labels.
    bool DrawAxis(QPainter& p, int range, bool current, int x, int unit, bool grid, double labelFactor);
    void DrawPhaseAxis(QPainter& p, int unit, bool grid);

    std::uint8_t m_mask = 0x11;
    bool m_voltageInner = true;
    bool m_hasCurves = false;
    bool m_printing = false;
    double m_voltageLabel = 1.0;
    double m_currentLabel = 1.0;
    QRect m_frame;
    QRect m_given;
    int m_x0 = 0, m_zero = 0, m_half = 1, m_width = 1, m_gap = 0;
    CVKTWaveRange m_u{false};
    CVKTWaveRange m_i{true};
};

} // namespace analysers_vkt
