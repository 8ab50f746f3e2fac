#include "analysers_vk/VKPaneLayout.h"

namespace analysers_vk {

CVKPaneLayout::Reset CVKPaneLayout::ResetFor(int mask)
{
    static constexpr Style kStyle{500, 4, QSize(2, 2), 0, true};
    return CPaneLayout::ResetFor(mask, kStyle);
}

int CVKScenario::SetOf(int modelCode)
{
    return modelCode >= 8 && modelCode <= 11 ? 0 : 1;
}

int CVKScenario::Normalise(int scenar, int modelCode)
{
    const int offset = Offset(modelCode);
    if (scenar < 0)
        return offset;
    if (offset == 0 && scenar >= 100)
        return scenar % 100;
    if (offset == 100 && scenar < 100)
        return scenar + 100;
    return scenar;
}

} // namespace analysers_vk
