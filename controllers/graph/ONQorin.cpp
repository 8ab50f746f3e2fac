#include "controllers/graph/ONQorin.h"

namespace controllers {

CONQorin::CONQorin(QWidget* parent)
    : CControllerGeneralPage(QStringLiteral("Qorin xxx"), CDisplaySettingsForm::QorinSpec(true),
                             CDisplaySettingsForm::QorinDefaults(), "Obecne nastaveni", QStringLiteral("qorin"), 1,
                             parent)
{
}

} // namespace controllers
