#pragma once

#include "controllers/graph/GraphQuantitiesDlg.h"

namespace controllers {

class CQuantityGraphWnd;

// "Zobrazené veličiny" of a Qorin quantity graph: which curves it shows and
// in which colours, the stage bars, the import/export display and the
// ranges of its three scale categories; "Výchozí" reloads the Qorin
// defaults of the general settings.
class CDisplayedQuantitiesDlg : public CGraphQuantitiesDlg {
    Q_OBJECT
public:
    explicit CDisplayedQuantitiesDlg(QWidget* parent = nullptr);

    // False, and the dialog is not to be shown, without a store bound.
    bool LoadFromGraph(const CQuantityGraphWnd& graph);
    // True when no curve changed its series (only colours and ranges).
    bool StoreToGraph(CQuantityGraphWnd& graph) const;
};

// The graph's "Zobrazené veličiny ...": the dialog, and on OK the graph
// takes the choice, saves it and redraws. True after OK.
bool EditQorinGraph(QWidget* parent, CQuantityGraphWnd& graph);

} // namespace controllers
