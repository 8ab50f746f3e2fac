#pragma once

#include "controllers/graph/GraphQuantitiesDlg.h"

namespace controllers {

class CDuskarGraphWnd;

// "Zobrazené veličiny" of a Duskar trend graph: the fourteen quantities with
// their colours and group boxes, the stage strip, the import/export display
// and the ranges of the seven scale categories; "Výchozí" reloads the
// family defaults.
class CDuskarDisplayDlg : public CGraphQuantitiesDlg {
    Q_OBJECT
public:
    explicit CDuskarDisplayDlg(QWidget* parent = nullptr);

    bool LoadFromGraph(const CDuskarGraphWnd& graph);
    bool StoreToGraph(CDuskarGraphWnd& graph) const;
};

bool EditDuskarGraph(QWidget* parent, CDuskarGraphWnd& graph);

} // namespace controllers
