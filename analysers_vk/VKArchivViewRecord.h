#pragma once

#include <QByteArray>

namespace analysers_vk {

// The VK archive view's own record in section 1 of the archive's settings
// stream, little-endian 32-bit values: the panes and dividers, the child
// frame's normal placement and show state, the values panel's three tabs,
// then the statistics settings (two nominal values as blocks of length 4
// followed by a float, and four integers).
struct CVKArchivViewRecord {
    static constexpr int kLayoutEnd = 20;
    static constexpr int kPlacementEnd = 52;
    static constexpr int kSize = 84;

    int isAlarm = 1;
    int isData = 1;
    int isGraf = 1;
    int prickaX = 500;
    int prickaY = 500;
    int x = 0, y = 0, cx = 0, cy = 0;
    int showCommand = 0;
    int tab1 = -1, tab2 = -1, tab3 = -1;
    float nominalVoltage = 230.0f;
    float nominalCurrent = 5.0f;
    int window1 = 60;
    int window2 = 60;
    int voltageMultiplier = 1;
    int currentMultiplier = 1;

    // What a read took from the block.
    bool hasLayout = false;
    bool hasPlacement = false;
    bool hasStatistics = false;

    QByteArray Write() const;
    // The layout always; the placement and tabs only from a block longer
    // than 20 bytes, the statistics only from one longer than 52. A part
    // cut short, or a statistics block whose length is not 4, is not
    // applied: its fields keep the defaults and nothing is read past the
    // end of the block.
    static CVKArchivViewRecord Read(const QByteArray& block);
};

} // namespace analysers_vk
