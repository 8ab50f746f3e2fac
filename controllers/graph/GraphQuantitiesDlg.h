#pragma once

#include "controllers/graph/DisplaySettingsForm.h"

#include <QDialog>

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
    virtual void LoadDefaults() = 0;

public slots:
    void accept() override;

protected:
    CGraphQuantitiesDlg(const CDisplaySettingsForm::Spec& spec, QWidget* parent);

    // The graph's curves and options into the form; false, and the dialog
    // is not to be shown, without a store bound.
    bool LoadGraph(const CControllerGraphWnd& graph);
    // The form's options into the graph; the form's values.
    CDisplaySettingsForm::Values GiveOptions(CControllerGraphWnd& graph) const;
    // The stage bars and the categories of the general section `section`.
    static void ReadDefaultOptions(const char* section, const QString& prefix, int type,
                                   CDisplaySettingsForm::Values& values);

    CDisplaySettingsForm* m_form;
};

} // namespace controllers
