#include "controllers/graph/ONDuskar.h"

namespace controllers {

CONDuskar::CONDuskar(QWidget* parent)
    : CControllerGeneralPage(QStringLiteral("Qorin 1xxx"), CDisplaySettingsForm::DuskarSpec(true),
                             CDisplaySettingsForm::DuskarDefaults(), "Obecne nastaveni Duskar", QStringLiteral("duskar"),
                             5, parent)
{
}

} // namespace controllers
