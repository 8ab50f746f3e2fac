#include "charts/GraphView.h"

#include "charts/GraphCommands.h"
#include "charts/GraphWnd.h"
#include "charts/ReportPrinter.h"
#include "platform/ui/MenuCommand.h"

#include <QMenu>

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
    case ui::kCmdFilePrint:
    case ui::kCmdFilePrintDirect:
    case ui::kCmdFilePrintPreview:
        if (!CanPrint())
            return false;
        if (!ReadyToPrint())
            return true;
        if (id == ui::kCmdFilePrint) {
            PrintView(nullptr);
        } else if (id == ui::kCmdFilePrintDirect) {
            // The default printer, without asking.
            QPrinter printer(QPrinter::HighResolution);
            PrintView(&printer);
        } else {
            PreviewReport(this, [this](QPrinter* printer) { PrintView(printer); });
        }
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

void CGraphView::AddGraphMenuItems(QMenu& menu, const QString& wholeText, const char* verticalTitle,
                                   const char* timeTitle)
{
    auto add = [this](QMenu* target, int id, const QString& text) {
        QAction* action = ui::WithCommandId(target->addAction(text, this, [this, id] { OnCommand(id); }), id);
        action->setEnabled(IsCommandEnabled(id));
        return action;
    };
    QMenu* vertical = menu.addMenu(QString::fromUtf8(verticalTitle));
    QMenu* time = menu.addMenu(QString::fromUtf8(timeTitle));
    for (int i = 0; i < 6; ++i) {
        const QString text = QStringLiteral("%1%").arg(CGraphWnd::kZoomPercents[i]);
        add(vertical, CGraphWnd::kCmdVertZoom100 + i, text);
        add(time, CGraphWnd::kTimeZoomCommands[i], text);
    }
    vertical->setEnabled(IsCommandEnabled(CGraphWnd::kCmdVertZoom100));
    time->setEnabled(IsCommandEnabled(CGraphWnd::kTimeZoomCommands[0]));
    add(&menu, CGraphWnd::kCmdZoomOff, wholeText);
    QAction* grid = add(&menu, kCmdGrid, QStringLiteral("Rastr"));
    grid->setCheckable(true);
    grid->setChecked(IsCommandChecked(kCmdGrid));
}

void CGraphView::ConnectGraphMenu(CGraphWnd* graph)
{
    connect(graph, &CGraphWnd::ContextCommand, this, [this](int id) { OnCommand(id); });
    connect(graph, &CGraphWnd::ContextMenuPreparing, this, [this](QMenu* menu) { PrepareGraphMenu(*menu); });
}

bool CGraphView::OffersGraphCommand(int id) const
{
    return id != CGraphWnd::kCmdReceivedQuantities;
}

void CGraphView::PrepareGraphMenu(QMenu& menu)
{
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            PrepareGraphMenu(*sub);
            continue;
        }
        if (action->data().typeId() != QMetaType::Int)
            continue;
        const int id = action->data().toInt();
        if (!OffersGraphCommand(id))
            action->setVisible(false);
        else
            action->setEnabled(IsCommandEnabled(id));
    }
}

} // namespace charts
