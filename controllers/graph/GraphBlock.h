#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace controllers {

// The graph block of a controller archive (section 0 of the settings
// stream): little-endian 32-bit words. Import/export, stage bars, then per
// curve a pair (Qorin: colour, shown; Duskar: shown, colour), the type word,
// the float count of the scale categories, the automatic flag, the floats
// as a blob (32-bit length, then the bytes) when the count is not 0, then
// the grid quantity and the grid flag. Older files end before the grid
// words.
struct CControllerGraphBlock {
    struct Curve {
        std::uint32_t colour = 0;
        int shown = 0;
    };

    int importExport = 0;
    int showStages = 1;
    std::vector<Curve> curves;
    int type = 7;
    int autoFlag = 1;
    std::vector<float> categories;
    int gridQuantity = 0;
    int grid = 0;

    // What a read found: the curves read whole (in order), whether the
    // block was whole up to the categories, and whether it held the grid.
    int curvesRead = 0;
    bool complete = false;
    bool hasGrid = false;

    QByteArray Write(bool shownFirst) const;
    // Reads no further than the block reaches: a block cut short keeps
    // what was read whole before the cut; a category blob whose length is
    // not the count's bytes makes the block incomplete.
    static CControllerGraphBlock Read(const QByteArray& block, int curveCount, bool shownFirst);
};

} // namespace controllers
