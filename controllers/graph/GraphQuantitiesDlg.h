#pragma once

#include "controllers/graph/DisplaySettingsForm.h"

#include <QDialog>

#include <vector>

namespace controllers {

class CControllerGraphWnd;

// What the "Zobrazené veličiny" dialogs of the two controller graphs share:
// the form under OK, Storno and "Výchozí", the check of the ranges on OK,
// and the options every controller graph has (the stage bars, the
// import/export display and the store's scale categories).
class CGraphQuantitiesDlg : public QDialog {
    Q_OBJECT
public:
    CDisplaySettingsForm* Form() const { return m_form; }
    // "Výchozí": the family's defaults of the general settings.
    void LoadDefaults();

public slots:
    void accept() override;

protected:
    // `defaults` and the categories (`prefix`, instrument `type`) in the
    // general section `section`; `keepImportExport`: "Výchozí" leaves the
    // import/export box as it is.
    CGraphQuantitiesDlg(const CDisplaySettingsForm::Spec& spec, std::vector<CDisplaySettingsForm::Defaults> defaults,
                        const char* section, const QString& prefix, int type, bool keepImportExport, QWidget* parent);

    // The graph's curves and options into the form; false, and the dialog
    // is not to be shown, without a store bound.
    bool LoadGraph(const CControllerGraphWnd& graph);
    // The form's options into the graph; the form's values.
    CDisplaySettingsForm::Values GiveOptions(CControllerGraphWnd& graph) const;
    CDisplaySettingsForm* m_form;

private:
    std::vector<CDisplaySettingsForm::Defaults> m_defaults;
    const char* m_section;
    QString m_prefix;
    int m_type;
    bool m_keepImportExport;
};

// A graph's "Zobrazené veličiny ...": the family's dialog, and on OK the
// graph takes the choice, saves it and redraws. True after OK.
template <class Dialog, class Graph>
bool EditGraphQuantities(QWidget* parent, Graph& graph)
{
    Dialog dlg(parent);
    if (!dlg.LoadFromGraph(graph) || dlg.exec() != QDialog::Accepted)
        return false;
    dlg.StoreToGraph(graph);
    graph.SettingsChanged();
    return true;
}

} // namespace controllers
