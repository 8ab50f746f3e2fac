#include "controllers/graph/GraphQuantitiesDlg.h"

#include "archive/store/ArchivData.h"
#include "controllers/graph/ControllerGraphWnd.h"
#include "platform/Settings.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace controllers {

CGraphQuantitiesDlg::CGraphQuantitiesDlg(const CDisplaySettingsForm::Spec& spec,
                                         std::vector<CDisplaySettingsForm::Defaults> defaults, const char* section,
                                         const QString& prefix, int type, bool keepImportExport, QWidget* parent)
    : QDialog(parent),
      m_defaults(std::move(defaults)),
      m_section(section),
      m_prefix(prefix),
      m_type(type),
      m_keepImportExport(keepImportExport)
{
    setWindowTitle(QStringLiteral("Zobrazené veličiny"));
    auto* layout = new QVBoxLayout(this);
    m_form = new CDisplaySettingsForm(spec, this);
    layout->addWidget(m_form);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("1"));
    buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));
    QPushButton* reset = buttons->addButton(QStringLiteral("Výchozí"), QDialogButtonBox::ResetRole);
    reset->setObjectName(QStringLiteral("1367"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CGraphQuantitiesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGraphQuantitiesDlg::reject);
    connect(reset, &QPushButton::clicked, this, [this] { LoadDefaults(); });
    layout->addWidget(buttons);
}

bool CGraphQuantitiesDlg::LoadGraph(const CControllerGraphWnd& graph)
{
    if (!graph.HasSource())
        return false;
    CDisplaySettingsForm::Values values;
    for (int i = 0; i < graph.FormCurveCount(); ++i) {
        int shown = 0;
        std::uint32_t colour = 0;
        graph.GetFormCurve(i, shown, colour);
        values.shown.push_back(shown);
        values.colours.push_back(colour);
    }
    values.stages = graph.GetShowStages();
    values.importExport = graph.ImportExport();
    values.categories = graph.ArchivData()->ScaleCategories();
    m_form->SetValues(values);
    return true;
}

CDisplaySettingsForm::Values CGraphQuantitiesDlg::GiveOptions(CControllerGraphWnd& graph) const
{
    const CDisplaySettingsForm::Values values = m_form->GetValues();
    graph.ArchivData()->ScaleCategories() = values.categories;
    graph.SetImportExport(values.importExport);
    graph.SetShowStages(values.stages);
    return values;
}

void CGraphQuantitiesDlg::LoadDefaults()
{
    platform::Settings settings;
    CDisplaySettingsForm::Values values = CDisplaySettingsForm::ReadDefaults(
        settings, platform::SettingsSection(m_section), m_defaults, m_prefix, m_type);
    if (m_keepImportExport)
        values.importExport = m_form->GetValues().importExport;
    m_form->SetValues(values);
}

void CGraphQuantitiesDlg::accept()
{
    if (m_form->Validate())
        QDialog::accept();
}

} // namespace controllers
