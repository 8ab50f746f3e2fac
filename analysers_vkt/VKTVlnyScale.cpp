#include "analysers_vkt/VKTVlnyScale.h"

namespace analysers_vkt {

int WaveTextUnit(int dpiY)
{
    return ((dpiY * 9) / 72 * 4) / 3;
}

int WaveTextHeight(int unit)
{
    return int(unit * 0.8);
}

int CVKTWaveRange::StepOf(int a, bool current)
{
    if (current && a < 10)
        return 1;
    if (a < 1000)
        return 100;
    if (a < 1000000)
        return 1000;
    return 1000000;
}

int CVKTWaveRange::Update(double rms)
{
    const int amplitude = int(rms * 1.6968);
    const int step = StepOf(amplitude, m_current);
    const int range = (amplitude / step + 1) * step;
    if (range > m_range || range < m_range - step) {
        m_range = range;
        m_shrinks = 0;
    } else if (range < m_range && ++m_shrinks >= 4) {
        m_range = range;
        m_shrinks = 0;
    }
    return m_range;
}

WaveAxisText WaveAxisOf(int range, bool current)
{
    WaveAxisText t;
    t.divisor = range >= 1000000 ? 1000000 : range >= 1000 ? 1000 : 1;
    t.reduced = range / t.divisor;
    t.format = t.reduced < 1 ? "%0.3f" : t.reduced < 10 ? "%0.2f" : "%0.1f";
    const char* prefix = t.divisor == 1000000 ? "M" : t.divisor == 1000 ? "k" : "";
    t.unit = QStringLiteral("[%1%2]").arg(QString::fromLatin1(prefix), current ? QStringLiteral("A") : QStringLiteral("V"));
    return t;
}

} // namespace analysers_vkt
