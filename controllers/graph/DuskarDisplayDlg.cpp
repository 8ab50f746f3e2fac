#include "controllers/graph/DuskarDisplayDlg.h"

#include "archive/store/ArchivData.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "platform/Settings.h"

namespace controllers {

namespace {

// The dialog's "Výchozí" shows Iact as well; the page does not.
bool DialogDefaultShown(int index)
{
    return CDuskarGraphWnd::QuantityAt(index).shown || index == 7;
}

} // namespace

CDuskarDisplayDlg::CDuskarDisplayDlg(QWidget* parent)
    : CGraphQuantitiesDlg(CDisplaySettingsForm::DuskarSpec(false), parent)
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

void CDuskarDisplayDlg::LoadDefaults()
{
    platform::Settings settings;
    const platform::SettingsSection section("Obecne nastaveni Duskar");
    CDisplaySettingsForm::Values v = m_form->GetValues();
    for (int i = 0; i < CDuskarGraphWnd::kQuantityCount; ++i) {
        const auto& q = CDuskarGraphWnd::QuantityAt(i);
        const QString name = QString::fromLatin1(q.name);
        v.colours[std::size_t(i)] =
            std::uint32_t(settings.GetProfileInt(section, QStringLiteral("barva ") + name, int(q.colour)));
        v.shown[std::size_t(i)] =
            settings.GetProfileInt(section, QStringLiteral("is") + name, DialogDefaultShown(i) ? 1 : 0);
    }
    v.importExport = settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0);
    ReadDefaultOptions("Obecne nastaveni Duskar", QStringLiteral("duskar"), 5, v);
    m_form->SetValues(v);
}

bool EditDuskarGraph(QWidget* parent, CDuskarGraphWnd& graph)
{
    CDuskarDisplayDlg dlg(parent);
    if (!dlg.LoadFromGraph(graph) || dlg.exec() != QDialog::Accepted)
        return false;
    dlg.StoreToGraph(graph);
    graph.SettingsChanged();
    return true;
}

} // namespace controllers
