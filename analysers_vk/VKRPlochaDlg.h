#pragma once

#include "analysers_vk/PanelControlHost.h"

namespace analysers_vk {

// The VKR front-panel control in the floating panel, at (1, 1) with the
// panel's size; without the control's plugin it says why it is empty.
class CVKRPlochaDlg : public CPanelControlHost {
    Q_OBJECT
public:
    explicit CVKRPlochaDlg(QWidget* parent = nullptr);

signals:
    void screenChanged();

protected:
    void ControlEvent(int id) override;
};

} // namespace analysers_vk
