#pragma once

#include "controllers/graph/ControllerGeneralPage.h"

namespace controllers {

// The Qorin page of the general settings ("Obecne nastaveni"): the default
// curves, colours, options and ranges of the Qorin quantity graph and the
// panes of a new Qorin live window.
class CONQorin : public CControllerGeneralPage {
    Q_OBJECT
public:
    explicit CONQorin(QWidget* parent = nullptr);
};

} // namespace controllers
