#pragma once

#include "platform/ui/PaneLayout.h"

namespace analysers_vk {

// The VK arrangement of the four panes of an analyser's form view.
struct CVKPaneLayout : ui::CPaneLayout {
    static Divider HitTest(int mask, int ratioX, int ratioY, int width, int height, int x, int y)
    {
        return CPaneLayout::HitTest(mask, ratioX, ratioY, width, height, x, y, kVerticalFirst);
    }
    // The form's scroll size and the ratios from the panes' minimum sizes.
    static Reset ResetFor(int mask);
};

// The scenario numbers of the VK front panel: instruments of model code 8
// to 11 count their scenarios from 100.
struct CVKScenario {
    // 1 for codes up to 7 and from 12, 0 for 8 to 11.
    static int SetOf(int modelCode);
    static int Offset(int modelCode) { return SetOf(modelCode) ? 0 : 100; }
    // A Scenar value moved into the set's range (negative: the offset).
    static int Normalise(int scenar, int modelCode);
};

} // namespace analysers_vk
