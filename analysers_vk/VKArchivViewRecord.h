#pragma once

#include "analysers_vk/VKRecordBytes.h"

#include <QByteArray>

#include <initializer_list>

namespace analysers_vk {

// The start every analyser archive view's record shares in section 1 of the
// archive's settings stream, little-endian 32-bit values: the panes and
// dividers (20 bytes), then the child frame's normal placement and show
// state. What a family keeps after them follows in its own record.
struct CVKArchivViewLayout {
    static constexpr int kLayoutEnd = 20;

    int isAlarm = 1;
    int isData = 1;
    int isGraf = 1;
    int prickaX = 500;
    int prickaY = 500;
    int x = 0, y = 0, cx = 0, cy = 0;
    int showCommand = 0;

    // What a read took from the block.
    bool hasLayout = false;
    bool hasPlacement = false;
    bool hasStatistics = false;

protected:
    void WriteLayout(QByteArray& out) const;
    // The layout, then (from a block longer than 20 bytes) the placement
    // with the family's tabs, each part whole or not at all; false when the
    // placement was not read.
    bool ReadLayout(recordbytes::Reader& reader, qsizetype size, std::initializer_list<int*> tabs);
};

// The VK archive view's own record: the layout, the values panel's three
// tabs, then the statistics settings (two nominal values as blocks of length
// 4 followed by a float, and four integers).
struct CVKArchivViewRecord : CVKArchivViewLayout {
    static constexpr int kPlacementEnd = 52;
    static constexpr int kSize = 84;

    int tab1 = -1, tab2 = -1, tab3 = -1;
    float nominalVoltage = 230.0f;
    float nominalCurrent = 5.0f;
    int window1 = 60;
    int window2 = 60;
    int voltageMultiplier = 1;
    int currentMultiplier = 1;

    QByteArray Write() const;
    // The layout always; the placement and tabs only from a block longer
    // than 20 bytes, the statistics only from one longer than 52. A part
    // cut short, or a statistics block whose length is not 4, is not
    // applied: its fields keep the defaults and nothing is read past the
    // end of the block.
    static CVKArchivViewRecord Read(const QByteArray& block);
};

} // namespace analysers_vk
