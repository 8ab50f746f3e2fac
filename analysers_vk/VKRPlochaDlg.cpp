#include "analysers_vk/VKRPlochaDlg.h"

#include "controls/common/ControlFactory.h"

namespace analysers_vk {

namespace {

constexpr int kEventChangeScenar = 1;

} // namespace

CVKRPlochaDlg::CVKRPlochaDlg(QWidget* parent) : CPanelControlHost(controls::ControlFactory::VKRDialog, 1, 1, parent) {}

void CVKRPlochaDlg::ControlEvent(int id)
{
    if (id == kEventChangeScenar)
        emit screenChanged();
}

} // namespace analysers_vk
