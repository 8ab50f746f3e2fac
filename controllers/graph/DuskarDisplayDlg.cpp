#include "controllers/graph/DuskarDisplayDlg.h"

#include "controllers/graph/DuskarGraphWnd.h"

namespace controllers {

namespace {

// The dialog's "Výchozí" shows Iact as well; the page does not.
std::vector<CDisplaySettingsForm::Defaults> DialogDefaults()
{
    std::vector<CDisplaySettingsForm::Defaults> defaults = CDisplaySettingsForm::DuskarDefaults();
    defaults[7].shown = 1;
    return defaults;
}

} // namespace

CDuskarDisplayDlg::CDuskarDisplayDlg(QWidget* parent)
    : CGraphQuantitiesDlg(CDisplaySettingsForm::DuskarSpec(false), DialogDefaults(), "Obecne nastaveni Duskar",
                          QStringLiteral("duskar"), 5, false, parent)
{
}

bool CDuskarDisplayDlg::LoadFromGraph(const CDuskarGraphWnd& graph)
{
    return LoadGraph(graph);
}

bool CDuskarDisplayDlg::StoreToGraph(CDuskarGraphWnd& graph) const
{
    if (!graph.HasSource())
        return false;
    const CDisplaySettingsForm::Values v = GiveOptions(graph);
    for (int i = 0; i < CDuskarGraphWnd::kQuantityCount; ++i)
        graph.SetCurve(i, v.shown[std::size_t(i)], v.colours[std::size_t(i)]);
    return true;
}

bool EditDuskarGraph(QWidget* parent, CDuskarGraphWnd& graph)
{
    return EditGraphQuantities<CDuskarDisplayDlg>(parent, graph);
}

} // namespace controllers
