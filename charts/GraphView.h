#pragma once

#include "platform/ui/Document.h"

class CGraphWnd;
class QMenu;
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
    // Asked once before a print, direct print or preview: false refuses
    // the job (the view has told the user why).
    virtual bool ReadyToPrint() { return true; }

protected:
    // False while the graph may not be zoomed (no data, limits not set).
    virtual bool GraphZoomAllowed() const { return true; }
    // The graph's items of the view's own menu, each run through OnCommand
    // and enabled and checked as the command says: the absolute zooms of
    // either axis in two submenus, the whole graph (32180, titled
    // `wholeText`) and the grid.
    void AddGraphMenuItems(QMenu& menu, const QString& wholeText, const char* verticalTitle = "Vertikální lupa",
                           const char* timeTitle = "Časová lupa");
    // Whether the graph's context menu shows the command: a view takes the
    // received quantities only where the instrument is asked for chosen
    // quantities.
    virtual bool OffersGraphCommand(int id) const;
    // Connects the graph's context menu to OnCommand; its items are enabled
    // as IsCommandEnabled says.
    void ConnectGraphMenu(CGraphWnd* graph);

private:
    void PrepareGraphMenu(QMenu& menu);
};

} // namespace charts
