#include "controllers/graph/DuskarDisplayDlg.h"

#include "archive/store/ArchivData.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "platform/Settings.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace controllers {

namespace {

// The dialog's "Výchozí" shows Iact as well; the page does not.
bool DialogDefaultShown(int index)
{
    return CDuskarGraphWnd::QuantityAt(index).shown || index == 7;
}

} // namespace

CDuskarDisplayDlg::CDuskarDisplayDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Zobrazené veličiny"));
    auto* layout = new QVBoxLayout(this);
    m_form = new CDisplaySettingsForm(CDisplaySettingsForm::DuskarSpec(false), this);
    layout->addWidget(m_form);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("1"));
    buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));
    QPushButton* defaults = buttons->addButton(QStringLiteral("Výchozí"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("1367"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDuskarDisplayDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDuskarDisplayDlg::reject);
    connect(defaults, &QPushButton::clicked, this, &CDuskarDisplayDlg::LoadDefaults);
    layout->addWidget(buttons);
}

bool CDuskarDisplayDlg::LoadFromGraph(const CDuskarGraphWnd& graph)
{
    if (!graph.HasSource())
        return false;
    CDisplaySettingsForm::Values v;
    for (int i = 0; i < CDuskarGraphWnd::kQuantityCount; ++i) {
        int shown = 0;
        std::uint32_t colour = 0;
        graph.GetCurve(i, shown, colour);
        v.shown.push_back(shown);
        v.colours.push_back(colour);
    }
    v.stages = graph.GetSwitchStrip();
    v.importExport = graph.ImportExport();
    v.categories = graph.ArchivData()->ScaleCategories();
    m_form->SetValues(v);
    return true;
}

bool CDuskarDisplayDlg::StoreToGraph(CDuskarGraphWnd& graph) const
{
    if (!graph.HasSource())
        return false;
    const CDisplaySettingsForm::Values v = m_form->GetValues();
    graph.ArchivData()->ScaleCategories() = v.categories;
    graph.SetImportExport(v.importExport);
    graph.SetSwitchStrip(v.stages);
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
    v.stages = settings.GetProfileInt(section, QStringLiteral("isSpinac"), 1);
    v.categories = CDisplaySettingsForm::ReadCategories(settings, section, QStringLiteral("duskar"), 5);
    m_form->SetValues(v);
}

void CDuskarDisplayDlg::accept()
{
    if (m_form->Validate())
        QDialog::accept();
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
