#include "controllers/graph/ONQorin.h"

#include "controllers/graph/QuantityGraphWnd.h"
#include "platform/Settings.h"

namespace controllers {

namespace {

using Q = CQuantityGraphWnd;
const platform::SettingsSection kSection("Obecne nastaveni");

} // namespace

CONQorin::CONQorin(QWidget* parent)
    : CControllerGeneralPage(QStringLiteral("Qorin xxx"), CDisplaySettingsForm::QorinSpec(true), parent)
{
}

void CONQorin::Load(platform::Settings& settings)
{
    CDisplaySettingsForm::Values v;
    for (int c = 0; c < Q::kCurveCount; ++c) {
        const Q::CurveInfo& info = Q::Info(Q::Curve(c));
        v.colours.push_back(std::uint32_t(
            settings.GetProfileInt(kSection, QString::fromLatin1(info.colourValue), int(info.defaultColour))));
        v.shown.push_back(settings.GetProfileInt(kSection, QString::fromLatin1(info.shownValue), 1));
    }
    v.stages = settings.GetProfileInt(kSection, QStringLiteral("isSpinac"), 1);
    v.importExport = settings.GetProfileInt(kSection, QStringLiteral("isOdbDod"), 0);
    v.categories = CDisplaySettingsForm::ReadCategories(settings, kSection, QStringLiteral("qorin"), 1);
    m_form->SetValues(v);
    LoadPanels(settings, kSection);
}

void CONQorin::Save(platform::Settings& settings)
{
    const CDisplaySettingsForm::Values v = m_form->GetValues();
    for (int c = 0; c < Q::kCurveCount; ++c) {
        const Q::CurveInfo& info = Q::Info(Q::Curve(c));
        settings.WriteProfileInt(kSection, QString::fromLatin1(info.colourValue), int(v.colours[std::size_t(c)]));
        settings.WriteProfileInt(kSection, QString::fromLatin1(info.shownValue), v.shown[std::size_t(c)]);
    }
    settings.WriteProfileInt(kSection, QStringLiteral("isSpinac"), v.stages);
    settings.WriteProfileInt(kSection, QStringLiteral("isOdbDod"), v.importExport);
    SavePanels(settings, kSection);
    CDisplaySettingsForm::WriteCategories(settings, kSection, QStringLiteral("qorin"), v.categories);
}

} // namespace controllers
