#include "controllers/graph/DisplayedQuantitiesDlg.h"

#include "controllers/graph/QuantityGraphWnd.h"

namespace controllers {

namespace {

using Q = CQuantityGraphWnd;

} // namespace

CDisplayedQuantitiesDlg::CDisplayedQuantitiesDlg(QWidget* parent)
    : CGraphQuantitiesDlg(CDisplaySettingsForm::QorinSpec(false), CDisplaySettingsForm::QorinDefaults(),
                          "Obecne nastaveni", QStringLiteral("qorin"), 1, true, parent)
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

bool EditQorinGraph(QWidget* parent, CQuantityGraphWnd& graph)
{
    return EditGraphQuantities<CDisplayedQuantitiesDlg>(parent, graph);
}

} // namespace controllers
