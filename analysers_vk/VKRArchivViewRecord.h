#pragma once

#include "analysers_vk/VKArchivViewRecord.h"

namespace analysers_vk {

// The VKR archive view's own record: the layout, the values dialog's tab,
// then the statistics settings (two floats as blocks of length 4 followed by
// the float, and two integers).
struct CVKRArchivViewRecord : CVKArchivViewLayout {
    static constexpr int kPlacementEnd = 44;
    static constexpr int kSize = 68;

    int tab1 = -1;
    float statA = 0.f;
    float statB = 0.f;
    int statSecond = 0;
    int statFirst = 0;

    QByteArray Write() const;
    // The layout from a block that holds it; the placement and the tab only
    // from a block longer than 20 bytes, the statistics only from one longer
    // than 44. A part cut short, or a float block whose length is not 4, is
    // not applied, and nothing is read past the end of the block.
    static CVKRArchivViewRecord Read(const QByteArray& block);
};

} // namespace analysers_vk
