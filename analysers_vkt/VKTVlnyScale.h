#pragma once

#include <QString>

namespace analysers_vkt {

// Text units of the waveform panes for a device resolution (dots per inch
// vertically): u = ((dpi x 9) / 72 x 4) / 3, h = 0.8 u.
int WaveTextUnit(int dpiY);
int WaveTextHeight(int unit);

// The amplitude range of one axis. A larger range is taken at once, and so
// is one more than a step lower; one just a step lower is taken on the
// fourth such call in a row, so that the picture does not jump.
class CVKTWaveRange {
public:
    explicit CVKTWaveRange(bool current) : m_current(current) {}
    // The range for a channel of this RMS value (volts or amperes).
    int Update(double rms);
    int Range() const { return m_range; }
    void SetRange(int range) { m_range = range; }

    static int StepOf(int amplitude, bool current);

private:
    bool m_current;
    int m_range = -1;
    int m_shrinks = 0;
};

// Axis labels of a range: the divisor (1, 1000, 1 000 000), the range in
// those units, the number format and the unit caption.
struct WaveAxisText {
    int divisor = 1;
    int reduced = 0;
    const char* format = "%0.1f";
    QString unit;
};
WaveAxisText WaveAxisOf(int range, bool current);

} // namespace analysers_vkt
