#pragma once

#include "controllers/graph/ControllerGeneralPage.h"

namespace controllers {

// The Duskar page of the general settings ("Obecne nastaveni Duskar"): the
// default quantities, colours, options and ranges of the Duskar trend graph
// and the panes of a new Duskar live window.
class CONDuskar : public CControllerGeneralPage {
    Q_OBJECT
public:
    explicit CONDuskar(QWidget* parent = nullptr);
};

} // namespace controllers
