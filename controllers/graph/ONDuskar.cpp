#include "controllers/graph/ONDuskar.h"

#include "controllers/graph/DuskarGraphWnd.h"
#include "platform/Settings.h"

namespace controllers {

namespace {

const platform::SettingsSection kSection("Obecne nastaveni Duskar");

QString Name(int i)
{
    return QString::fromLatin1(CDuskarGraphWnd::QuantityAt(i).name);
}

} // namespace

CONDuskar::CONDuskar(QWidget* parent)
    : CControllerGeneralPage(QStringLiteral("Qorin 1xxx"), CDisplaySettingsForm::DuskarSpec(true), parent)
{
}

void CONDuskar::Load(platform::Settings& settings)
{
    CDisplaySettingsForm::Values v;
    for (int i = 0; i < CDuskarGraphWnd::kQuantityCount; ++i) {
        const auto& q = CDuskarGraphWnd::QuantityAt(i);
        v.colours.push_back(std::uint32_t(settings.GetProfileInt(kSection, QStringLiteral("barva ") + Name(i), int(q.colour))));
        v.shown.push_back(settings.GetProfileInt(kSection, QStringLiteral("is") + Name(i), q.shown ? 1 : 0));
    }
    v.stages = settings.GetProfileInt(kSection, QStringLiteral("isSpinac"), 1);
    v.importExport = settings.GetProfileInt(kSection, QStringLiteral("isOdbDod"), 0);
    v.categories = CDisplaySettingsForm::ReadCategories(settings, kSection, QStringLiteral("duskar"), 5);
    m_form->SetValues(v);
    LoadPanels(settings, kSection);
}

void CONDuskar::Save(platform::Settings& settings)
{
    const CDisplaySettingsForm::Values v = m_form->GetValues();
    for (int i = 0; i < CDuskarGraphWnd::kQuantityCount; ++i) {
        settings.WriteProfileInt(kSection, QStringLiteral("barva ") + Name(i), int(v.colours[std::size_t(i)]));
        settings.WriteProfileInt(kSection, QStringLiteral("is") + Name(i), v.shown[std::size_t(i)]);
    }
    settings.WriteProfileInt(kSection, QStringLiteral("isSpinac"), v.stages);
    settings.WriteProfileInt(kSection, QStringLiteral("isOdbDod"), v.importExport);
    SavePanels(settings, kSection);
    CDisplaySettingsForm::WriteCategories(settings, kSection, QStringLiteral("duskar"), v.categories);
}

} // namespace controllers
