#pragma once

#include "archive_docs/ArchivDocBase.h"
#include "controllers/archive/ArchivViewRecord.h"
#include "controllers/live/ControllerPaneView.h"
#include "platform/ui/Document.h"

#include <QPointer>
#include <QRect>

class CGraphRangeBar;
class CQorinStatPanel;
class QMenu;

namespace charts {
class CArchiveValueList;
}

namespace ui {
class CDocManager;
}

namespace controllers {

// The window of a stored controller archive: the values, the graph and the
// event list tiled by the pane mask with two draggable bars (the front
// panel has no place here), and in the graph's place a range bar over the
// graph, the value list or the statistics, whichever the bar's tab chose.
// The document drives it with update hints and messages; its layout and the
// statistics settings are kept in section 1 of the archive's settings
// stream, written back when the window closes after its first data.
class CControllerArchivView : public CControllerPaneView {
    Q_OBJECT
public:
    enum Mode { kGraphMode = 0, kListMode = 1, kStatMode = 2 };
    static constexpr int kQorinListId = 156;
    static constexpr int kDuskarListId = 157;
    // The range bar's height over the mode's pane, in pixels.
    static constexpr int kRangeBarHeight = 24;

    CControllerArchivView(bool duskar, QWidget* parent);
    ~CControllerArchivView() override;

    CArchivDocBase* Document() const { return m_document; }
    int Mode() const { return m_mode; }
    int PaneMask() const override { return CControllerPaneLayout::Mask(m_isGraf, m_isData, m_isAlarm, false); }
    bool FirstRefreshDone() const { return m_firstDone; }
    bool GraphCommandsEnabled() const { return m_graphCommands; }
    // The layout as it would be stored now.
    CArchivViewRecord Record() const;

    CGraphRangeBar* RangeBar() const { return m_rangeBar; }
    charts::CArchiveValueList* ValueList() const { return m_list; }
    CQorinStatPanel* StatPanel() const { return m_stat; }
    QSize sizeHint() const override;

    void TogglePane(int bit);
    void FillMenu(QMenu& menu) override;
    // What the mode shows: the graph, the value list or the statistics.
    bool PrintView(QPrinter* printer) override;
    bool CanPrint() const override { return true; }
    // The value list of a file changed under the window is refused.
    bool ReadyToPrint() override;
    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;

    // The range bar's and the mode pane's rectangles in a W x H layout for
    // the graph pane's rectangle in thousandths.
    struct GraphPaneRects {
        QRect bar;
        QRect pane;
    };
    static GraphPaneRects PlaceGraphPane(const CControllerPaneLayout::Rect& rect, int width, int height);

protected:
    bool GraphZoomAllowed() const override;
    void hideEvent(QHideEvent* event) override;

private:
    void LayoutPanes() override;
    void ShowModePanes();
    void LoadLayout();
    void SaveLayout();
    void OnFirstData();
    // The graph's shown quantities as the value list's columns (the CSV
    // export's too) and as the values pane's legend.
    void BindGraphSeries();
    // After the displayed quantities changed: the file read again if it
    // changed, the columns and legend, the store's mode, list, statistics
    // and events afresh.
    void RebindGraph();
    // "Zobrazené veličiny" from the list's right click or the menu.
    std::intptr_t OnQuantities();
    // The value list, the statistics, the store's mode and the events as
    // the mode wants them.
    void RefillForMode();
    void RebuildEvents();
    void FillValuesPane();
    // The graph's time cursor moved the archive's current record.
    void OnGraphCursor(float perMille);
    void SetRangeFromFile();
    void SetLimitsFromWindow();
    std::intptr_t OnWindowMoved();
    std::intptr_t OnRefill(int mode);
    std::intptr_t OnRedraw(bool limitsSet);
    std::intptr_t OnPrint();
    std::intptr_t OnExport();
    // True when the file changed under the window: the user is told, and
    // nothing is printed or exported.
    bool RefuseChangedFile();
    bool PrintList(QPrinter* printer);
    bool ExportList();

    QPointer<CArchivDocBase> m_document;
    CGraphRangeBar* m_rangeBar = nullptr;
    charts::CArchiveValueList* m_list = nullptr;
    CQorinStatPanel* m_stat = nullptr;

    int m_mode = kGraphMode;
    int m_isAlarm = 1;
    int m_isData = 1;
    int m_isGraf = 1;
    bool m_firstDone = false;
    bool m_graphCommands = true;
    bool m_saved = false;
    QRect m_frameNormal;
    int m_frameShow = 0;
};

// The Qorin archive window.
class CArchivView : public CControllerArchivView {
    Q_OBJECT
public:
    explicit CArchivView(QWidget* parent = nullptr) : CControllerArchivView(false, parent) {}
};

// The Duskar archive window: no statistics mode.
class CDuskarArchivView : public CControllerArchivView {
    Q_OBJECT
public:
    explicit CDuskarArchivView(QWidget* parent = nullptr) : CControllerArchivView(true, parent) {}
};

// The archive templates of the two families (162 Qorin, 317 Duskar): their
// archive documents shown in these windows.
void AddQorinArchiveTemplate(ui::CDocManager& manager);
void AddDuskarArchiveTemplate(ui::CDocManager& manager);

} // namespace controllers
