#include "controllers/graph/DisplayedQuantitiesDlg.h"

#include "archive/store/ArchivData.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "platform/Settings.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace controllers {

namespace {

using Q = CQuantityGraphWnd;
// The form's rows are the graph's curves in its own order.
constexpr Q::Curve kCurves[Q::kCurveCount] = {Q::kCos, Q::kThd, Q::kCurrent, Q::kActive, Q::kReactive};

} // namespace

CDisplayedQuantitiesDlg::CDisplayedQuantitiesDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Zobrazené veličiny"));
    auto* layout = new QVBoxLayout(this);
    m_form = new CDisplaySettingsForm(CDisplaySettingsForm::QorinSpec(false), this);
    layout->addWidget(m_form);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("1"));
    buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));
    QPushButton* defaults = buttons->addButton(QStringLiteral("Výchozí"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("1367"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDisplayedQuantitiesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDisplayedQuantitiesDlg::reject);
    connect(defaults, &QPushButton::clicked, this, &CDisplayedQuantitiesDlg::LoadDefaults);
    layout->addWidget(buttons);
}

bool CDisplayedQuantitiesDlg::LoadFromGraph(const CQuantityGraphWnd& graph)
{
    if (!graph.HasSource())
        return false;
    CDisplaySettingsForm::Values v;
    for (Q::Curve c : kCurves) {
        int shown = 0;
        std::uint32_t colour = 0;
        graph.GetCurveColor(c, shown, colour);
        v.shown.push_back(shown);
        v.colours.push_back(colour);
    }
    v.stages = graph.GetShowStages();
    v.importExport = graph.ImportExport();
    v.categories = graph.ArchivData()->ScaleCategories();
    m_form->SetValues(v);
    return true;
}

bool CDisplayedQuantitiesDlg::StoreToGraph(CQuantityGraphWnd& graph) const
{
    if (!graph.HasSource())
        return false;
    const CDisplaySettingsForm::Values v = m_form->GetValues();
    graph.ArchivData()->ScaleCategories() = v.categories;
    graph.SetImportExport(v.importExport);
    graph.SetShowStages(v.stages);
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
    v.stages = settings.GetProfileInt(section, QStringLiteral("isSpinac"), 1);
    v.categories = CDisplaySettingsForm::ReadCategories(settings, section, QStringLiteral("qorin"), 1);
    m_form->SetValues(v);
}

void CDisplayedQuantitiesDlg::accept()
{
    if (m_form->Validate())
        QDialog::accept();
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
