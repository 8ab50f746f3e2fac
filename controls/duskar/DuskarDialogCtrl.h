#pragma once
#include "controls/common/ControllerPanel.h"

namespace controls {

class CDuskarDialogCtrl : public CControllerPanelCtrl {
    Q_OBJECT
public:
    explicit CDuskarDialogCtrl(QWidget* parent = nullptr)
        : CControllerPanelCtrl(Model::Duskar, parent)
    {
    }
};

} // namespace controls
