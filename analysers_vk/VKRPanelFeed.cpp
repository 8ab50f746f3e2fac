#include "analysers_vk/VKRPanelFeed.h"

#include "archive/store/VKRArchivData.h"
#include "archive/store/VKRDisplayValues.h"
#include "controls/common/PanelControl.h"

namespace analysers_vk {

int CVKRPanelFeed::Update(controls::CPanelControl* control, const CVKRArchivData& data)
{
    if (!control)
        return 0;
    int screen = control->Invoke(DispidScenar).toInt();
    if (screen < 1) {
        screen = kDefaultScreen;
        control->Invoke(DispidScenar, {screen});
    }
    const CVKRPanelValues values = archive::vkr::GetPanelValues(data, screen);
    // Setting the type redraws the whole panel; each second would flicker.
    if (values.connectionType != m_lastType) {
        m_lastType = values.connectionType;
        control->Invoke(DispidTyp, {m_lastType});
    }
    control->Invoke(DispidSetUdaje, {values.out[0], values.out[1], values.out[2]});
    return screen;
}

} // namespace analysers_vk
