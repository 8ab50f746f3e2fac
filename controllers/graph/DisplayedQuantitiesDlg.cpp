#include "controllers/graph/DisplayedQuantitiesDlg.h"

#include "archive/store/ArchivData.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "platform/Settings.h"

namespace controllers {

namespace {

using Q = CQuantityGraphWnd;
// The form's rows are the graph's curves in its own order.
constexpr Q::Curve kCurves[Q::kCurveCount] = {Q::kCos, Q::kThd, Q::kCurrent, Q::kActive, Q::kReactive};

} // namespace

CDisplayedQuantitiesDlg::CDisplayedQuantitiesDlg(QWidget* parent)
    : CGraphQuantitiesDlg(CDisplaySettingsForm::QorinSpec(false), parent)
{
}

bool CDisplayedQuantitiesDlg::LoadFromGraph(const CQuantityGraphWnd& graph)
{
    return LoadGraph(graph);
}

bool CDisplayedQuantitiesDlg::StoreToGraph(CQuantityGraphWnd& graph) const
{
    if (!graph.HasSource())
        return false;
    const CDisplaySettingsForm::Values v = GiveOptions(graph);
    int changed = 0;
    for (Q::Curve c : {Q::kReactive, Q::kCos, Q::kCurrent, Q::kThd, Q::kActive})
        changed |= graph.ShowCurve(c, v.shown[std::size_t(c)], v.colours[std::size_t(c)]);
    return changed == 0;
}

void CDisplayedQuantitiesDlg::LoadDefaults()
{
    platform::Settings settings;
    const platform::SettingsSection section("Obecne nastaveni");
    CDisplaySettingsForm::Values v = m_form->GetValues();
    for (Q::Curve c : kCurves) {
        const Q::CurveInfo& info = Q::Info(c);
        v.colours[std::size_t(c)] = std::uint32_t(
            settings.GetProfileInt(section, QString::fromLatin1(info.colourValue), int(info.defaultColour)));
        v.shown[std::size_t(c)] = settings.GetProfileInt(section, QString::fromLatin1(info.shownValue), 1);
    }
    ReadDefaultOptions("Obecne nastaveni", QStringLiteral("qorin"), 1, v);
    m_form->SetValues(v);
}

bool EditQorinGraph(QWidget* parent, CQuantityGraphWnd& graph)
{
    CDisplayedQuantitiesDlg dlg(parent);
    if (!dlg.LoadFromGraph(graph) || dlg.exec() != QDialog::Accepted)
        return false;
    dlg.StoreToGraph(graph);
    graph.SettingsChanged();
    return true;
}

} // namespace controllers
