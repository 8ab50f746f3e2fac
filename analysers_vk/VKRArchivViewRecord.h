#pragma once

#include <QByteArray>

namespace analysers_vk {

// The VKR archive view's own record in section 1 of the archive's settings
// stream, little-endian 32-bit values: the panes and dividers, the child
// frame's normal placement and show state, the values dialog's tab, then
// the statistics settings (two floats as blocks of length 4 followed by the
// float, and two integers).
struct CVKRArchivViewRecord {
    static constexpr int kLayoutEnd = 20;
    static constexpr int kPlacementEnd = 44;
    static constexpr int kSize = 68;

    int isAlarm = 1;
    int isData = 1;
    int isGraf = 1;
    int prickaX = 500;
    int prickaY = 500;
    int x = 0, y = 0, cx = 0, cy = 0;
    int showCommand = 0;
    int tab1 = -1;
    float statA = 0.f;
    float statB = 0.f;
    int statSecond = 0;
    int statFirst = 0;

    // What a read took from the block.
    bool hasLayout = false;
    bool hasPlacement = false;
    bool hasStatistics = false;

    QByteArray Write() const;
    // The layout from a block that holds it; the placement and the tab only
    // from a block longer than 20 bytes, the statistics only from one longer
    // than 44. A part cut short, or a float block whose length is not 4, is
    // not applied, and nothing is read past the end of the block.
    static CVKRArchivViewRecord Read(const QByteArray& block);
};

} // namespace analysers_vk
