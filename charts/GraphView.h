#pragma once

#include "platform/ui/Document.h"

class CGraphWnd;
class QPrinter;

namespace charts {

// A view that shows one graph: it takes the graph's zoom commands from the
// "Graf" menu and the graph tool bar, and from the graph's own context menu.
class CGraphView : public ui::CView {
    Q_OBJECT
public:
    explicit CGraphView(QWidget* parent = nullptr);
    ~CGraphView() override;

    void AppendCommands(std::vector<ui::CommandItem>& items) override;
    bool OnCommand(int id) override;
    bool IsCommandEnabled(int id) override;
    bool IsCommandChecked(int id) override;

    // The graph the commands act on; null while there is none.
    virtual CGraphWnd* CommandGraph() const = 0;

    // Prints what the view shows on `printer`; null asks the user for one.
    // The File menu's print, direct print and preview go here.
    virtual bool PrintView(QPrinter* printer) { (void)printer; return false; }
    virtual bool CanPrint() const { return false; }

protected:
    // False while the graph may not be zoomed (no data, limits not set).
    virtual bool GraphZoomAllowed() const { return true; }
    // Connects the graph's context menu to OnCommand.
    void ConnectGraphMenu(CGraphWnd* graph);
};

} // namespace charts
