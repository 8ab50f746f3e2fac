#pragma once
#include "controls/common/ControllerPanel.h"

namespace controls {

class CQorinDialogCtrl : public CControllerPanelCtrl {
    Q_OBJECT
public:
    explicit CQorinDialogCtrl(QWidget* parent = nullptr)
        : CControllerPanelCtrl(Model::Qorin, parent)
    {
    }
};

} // namespace controls
