#include "charts/GraphView.h"

#include "charts/GraphCommands.h"
#include "charts/GraphWnd.h"
#include "charts/ReportPrinter.h"

#include <QPrinter>

namespace charts {

CGraphView::CGraphView(QWidget* parent) : ui::CView(parent) {}

CGraphView::~CGraphView() = default;

void CGraphView::AppendCommands(std::vector<ui::CommandItem>& items)
{
    if (CanPrint()) {
        const QString file = QStringLiteral("&Soubor");
        items.push_back({ui::kCmdFilePrint, QStringLiteral("&Tisk..."), file, 0, false});
        items.push_back({ui::kCmdFilePrintDirect, QStringLiteral("Tisk &přímo"), file, 0, false});
        items.push_back({ui::kCmdFilePrintPreview, QStringLiteral("&Náhled"), file, 0, false});
    }
    AppendGraphCommands(items);
}

bool CGraphView::OnCommand(int id)
{
    switch (id) {
    case ui::kCmdFilePrint: return PrintView(nullptr) || CanPrint();
    case ui::kCmdFilePrintDirect: {
        // The default printer, without asking.
        QPrinter printer(QPrinter::HighResolution);
        return PrintView(&printer) || CanPrint();
    }
    case ui::kCmdFilePrintPreview:
        if (!CanPrint())
            return false;
        PreviewReport(this, [this](QPrinter* printer) { PrintView(printer); });
        return true;
    default: break;
    }
    CGraphWnd* graph = CommandGraph();
    if (!graph || (!IsGraphZoomCommand(id) && id != kCmdGrid))
        return false;
    if (IsCommandEnabled(id))
        RunGraphCommand(*graph, id);
    return true;
}

bool CGraphView::IsCommandEnabled(int id)
{
    const CGraphWnd* graph = CommandGraph();
    // A hidden graph pane takes no zoom.
    return graph && IsGraphCommandEnabled(*graph, id, GraphZoomAllowed() && graph->isVisibleTo(this));
}

bool CGraphView::IsCommandChecked(int id)
{
    const CGraphWnd* graph = CommandGraph();
    return graph && IsGraphCommandChecked(*graph, id);
}

void CGraphView::ConnectGraphMenu(CGraphWnd* graph)
{
    connect(graph, &CGraphWnd::ContextCommand, this, [this](int id) { OnCommand(id); });
}

} // namespace charts
