#pragma once

#include <QByteArray>

namespace analysers_vkt {

// The VKT archive view's own record in section 1 of the archive's settings
// stream, 84 bytes of little-endian 32-bit values: the panes and dividers,
// the child frame's normal placement and show state, the values dialog's
// three tabs, the statistics' nominal phase voltage a and phase power b
// (each a block of length 4 and a float) and four statistics settings.
struct CVKTArchivViewRecord {
    static constexpr int kLayoutEnd = 20;
    static constexpr int kPlacementEnd = 52;
    static constexpr int kSize = 84;

    int isAlarm = 1;
    int isData = 1;
    int isGraf = 1;
    int prickaX = 600;
    int prickaY = 620;
    int x = 0, y = 0, cx = 0, cy = 0;
    int showCommand = 0;
    int tab1 = -1, tab2 = -1, tab3 = -1;
    float a = 230.0f;
    float b = 1150.0f;
    int window1 = 60;
    int window2 = 60;
    int voltageMultiplier = 1;
    int currentMultiplier = 1;

    bool hasLayout = false;
    bool hasPlacement = false;
    bool hasStatistics = false;

    // What the statistics keep beside a and b: the line voltage a * 1.7320508,
    // the three-phase power b * 3 and, when a is not 0, the current b / a.
    float LineVoltage() const { return a * 1.7320508f; }
    float ThreePhasePower() const { return b * 3.0f; }
    bool HasCurrent() const { return a != 0.0f; }
    float Current() const { return a != 0.0f ? b / a : 0.0f; }

    QByteArray Write() const;
    // The switches and dividers from any block that holds them; placement
    // and tabs only from one longer than 20 bytes, the statistics only from
    // one longer than 52. A part cut short keeps its defaults; nothing is
    // read past the block.
    static CVKTArchivViewRecord Read(const QByteArray& block);
};

} // namespace analysers_vkt
