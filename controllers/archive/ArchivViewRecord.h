#pragma once

#include <QByteArray>

namespace controllers {

// The archive view's own record in section 1 of the archive's settings
// stream: the panes, bars and child-frame placement, the values panel's tab
// (Duskar) and the statistics panel's settings. Little-endian 32-bit
// integers; the three statistics values are blobs (length 4, then a float).
struct CArchivViewRecord {
    int isAlarm = 1;
    int isData = 1;
    int isGraf = 1;
    int prickaX = 600;
    int prickaY = 620;
    int x = 0, y = 0, cx = 0, cy = 0;
    int showCommand = 0;
    int tab = 0; // Duskar only
    float statU = 0.f;
    float statP = 0.f;
    float statQ = 0.f;
    int statSecond = 0;
    int statFirst = 0;
    int statEighth = 0;

    // What a read found in the block.
    bool hasPlacement = false;
    bool hasStatistics = false;

    static int PlacementEnd(bool duskar) { return duskar ? 44 : 40; }
    static int Size(bool duskar) { return PlacementEnd(duskar) + 36; }

    QByteArray Write(bool duskar) const;
    // Takes what the block holds and keeps the defaults for the rest. A
    // field is read only when the block holds all of it: a short block
    // never reads past its end, and a placement or statistics part that is
    // cut short is not applied.
    static CArchivViewRecord Read(const QByteArray& block, bool duskar);
};

} // namespace controllers
