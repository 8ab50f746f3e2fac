#include "charts/GraphCommands.h"

#include "charts/GraphWnd.h"

namespace charts {

namespace {

int PercentIndex(const int* ids, int id)
{
    for (int i = 0; i < 6; ++i)
        if (ids[i] == id)
            return i;
    return -1;
}

int VerticalIndex(int id)
{
    const int ids[6] = {CGraphWnd::kCmdVertZoom100,     CGraphWnd::kCmdVertZoom100 + 1,
                        CGraphWnd::kCmdVertZoom100 + 2, CGraphWnd::kCmdVertZoom100 + 3,
                        CGraphWnd::kCmdVertZoom100 + 4, CGraphWnd::kCmdVertZoom100 + 5};
    return PercentIndex(ids, id);
}

int TimeIndex(int id)
{
    return PercentIndex(CGraphWnd::kTimeZoomCommands, id);
}

} // namespace

void AppendGraphCommands(std::vector<ui::CommandItem>& items)
{
    const QString menu = QStringLiteral("&Graf");
    const auto add = [&](int id, const char* text, bool checkable) {
        items.push_back({id, QString::fromUtf8(text), menu, ui::kGraphBarId, checkable});
    };
    add(kCmdVertZoomIn, "Zvětší vertikální  lupu", false);
    add(kCmdVertZoomOut, "Zmenší vertikální  lupu", false);
    add(kCmdTimeZoomIn, "Zvětšit časovou lupu", false);
    add(kCmdTimeZoomOut, "Zmenšit časovou lupu", false);
    add(kCmdZoomOff, "Vypne lupy", false);
    add(kCmdZoomSelection, "Přepnutí do/z režimu grafického výběru lupy", true);
}

bool IsTimeZoomCommand(int id)
{
    return TimeIndex(id) >= 0 || id == kCmdTimeZoomIn || id == kCmdTimeZoomOut;
}

bool IsGraphZoomCommand(int id)
{
    return VerticalIndex(id) >= 0 || IsTimeZoomCommand(id) || id == kCmdVertZoomIn || id == kCmdVertZoomOut
           || id == kCmdZoomAll || id == kCmdZoomOff || id == kCmdZoomSelection;
}

bool RunGraphCommand(CGraphWnd& graph, int id)
{
    if (const int i = VerticalIndex(id); i >= 0) {
        graph.SetHorzRange(CGraphWnd::kZoomPercents[i], CGraphWnd::kValueAxis);
        return true;
    }
    if (const int i = TimeIndex(id); i >= 0) {
        graph.SetHorzRange(CGraphWnd::kZoomPercents[i], CGraphWnd::kTimeAxis);
        return true;
    }
    switch (id) {
    case kCmdVertZoomIn: graph.SetVertRange(50, CGraphWnd::kValueAxis); return true;
    case kCmdVertZoomOut: graph.SetVertRange(200, CGraphWnd::kValueAxis); return true;
    case kCmdTimeZoomIn: graph.SetVertRange(50, CGraphWnd::kTimeAxis); return true;
    case kCmdTimeZoomOut: graph.SetVertRange(200, CGraphWnd::kTimeAxis); return true;
    case kCmdZoomAll:
    case kCmdZoomOff: graph.SetWindow(0, 0, 1000, 1000); return true;
    case kCmdZoomSelection: graph.SetZoomMode(!graph.ZoomMode()); return true;
    case kCmdGrid:
        graph.SetGrid(!graph.Grid());
        graph.Redraw();
        return true;
    default: return false;
    }
}

bool IsGraphCommandEnabled(const CGraphWnd& graph, int id, bool zoomAllowed)
{
    if (!IsGraphZoomCommand(id))
        return true;
    if (!zoomAllowed)
        return false;
    // The absolute time zooms follow the graph zoom like the vertical ones;
    // only the steps move a time window that must be there to move.
    return (id != kCmdTimeZoomIn && id != kCmdTimeZoomOut) || graph.TimeCursor();
}

bool IsGraphCommandChecked(const CGraphWnd& graph, int id)
{
    if (id == kCmdZoomSelection)
        return graph.ZoomMode();
    if (id == kCmdGrid)
        return graph.Grid();
    return false;
}

} // namespace charts
