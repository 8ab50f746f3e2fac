#include "analysers_vkt/VKTVlnyPairs.h"

namespace analysers_vkt {

QStringList WavePairNames(int c)
{
    QStringList names{QStringLiteral("U1-I1")};
    if (c > 0 && c != 4)
        names << QStringLiteral("U2-I2");
    if (c > 1)
        names << QStringLiteral("U3-I3");
    if (c == 5)
        names << QStringLiteral("U4-I4");
    if (c > 0)
        names << QStringLiteral("U1-Un") << QStringLiteral("I1-In") << QStringLiteral("Ui-Ii");
    return names;
}

const VKTWavePair* WavePairOf(const QString& name)
{
    for (const VKTWavePair& p : kWavePairs)
        if (name == QLatin1String(p.name))
            return &p;
    return nullptr;
}

std::array<std::uint8_t, 4> WavePaneMasks(std::uint8_t pairMask, int& paneCount)
{
    if (pairMask == 0xFF) {
        paneCount = 4;
        return {0x11, 0x22, 0x44, 0x88};
    }
    paneCount = 1;
    return {pairMask, 0, 0, 0};
}

} // namespace analysers_vkt
