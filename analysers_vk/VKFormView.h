#pragma once

#include "analysers_vk/VKPaneLayout.h"
#include "charts/GraphView.h"

#include <QDialog>

class CGraphWnd;
class QMenu;

namespace analysers_vk {

// The analysers' form view: the graph, the measured values, the alarm list
// and the front panel tiled over the client area by the VK pane arrangement,
// with two draggable dividers, and the context menu's pane toggles, zooms,
// grid and displayed quantities. The VK, VKR and VKT form views derive from
// it and hand it their panes.
class CVKFormView : public charts::CGraphView {
    Q_OBJECT
public:
    CGraphWnd* CommandGraph() const override { return m_graphPane; }
    bool IsCommandEnabled(int id) override;
    explicit CVKFormView(QWidget* parent = nullptr);
    ~CVKFormView() override;

    int PaneMask() const;
    void SetPanes(bool graph, bool values, bool alarms, bool panel);
    // Toggles a pane (CVKPaneLayout::Bit); the panes are reset and laid out.
    void TogglePane(int bit);
    void ResetPanes();
    virtual void LayoutPanes();

    QWidget* ValuesPane() const { return m_valuesPane; }
    QWidget* PanelPane() const { return m_panelPane; }
    int RatioX() const { return m_prickaX; }
    int RatioY() const { return m_prickaY; }
    QSize LayoutExtent() const { return m_extent; }
    QSize ScrollSize() const { return m_scrollSize; }
    // The natural size of the panes shown: a new frame opens at it (bounded
    // by the main window) rather than as a bare title bar.
    QSize sizeHint() const override;
    // What the graph pane asks for; an archive view counts its range bar too.
    virtual QSize GraphPaneSizeHint() const;

    // "Zobrazené veličiny ...": the graph's quantities chosen in the family's
    // dialog.
    virtual void OnDisplayedQuantities() = 0;

    // The zoom commands and the quantities dialog work only while the graph
    // has its data (an archive view's range is being edited: not).
    virtual bool ZoomAllowed() const { return true; }

    // Builds the view's context menu (pane toggles, zoom, family commands).
    void FillMenu(QMenu& menu) override;
    // The graph commands, from the graph pane's context menu too, and the
    // displayed quantities (32181).
    bool OnCommand(int id) override;

protected:
    bool GraphZoomAllowed() const override { return m_isGraf && ZoomAllowed(); }

    // The derived view's panes; the panel is the front-panel control or the
    // label that says why it is missing.
    void SetPaneWidgets(CGraphWnd* graph, QWidget* values, QWidget* alarms, QWidget* panel);

    // Whether a pane (CVKPaneLayout::Bit) is in the menu and can be toggled.
    virtual bool PaneOffered(int) const { return true; }
    // Whether its menu entry is enabled.
    virtual bool PaneEnabled(int) const { return true; }

    virtual void OnPanesChanged() {}
    virtual void OnQuantitiesChanged() {}
    virtual void RefillAlarmList() {}
    // The graph pane's rectangle in pixels; the archive views share it among
    // their range bar and presentations.
    virtual void PlaceGraph(const QRect& rect, bool show);

    // The quantities dialog of a family over its graph.
    template <class Dialog, class Graph>
    void EditDisplayedQuantities(Graph& graph)
    {
        Dialog dialog(this);
        if (dialog.LoadFromGraph(graph) && dialog.exec() == QDialog::Accepted) {
            dialog.StoreToGraph(graph);
            OnQuantitiesChanged();
            graph.SaveSettings();
        }
        graph.CreateFontsNow();
        graph.update();
    }

    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // Panes shown: graph, values, alarms, instrument panel.
    int m_isGraf = 1;
    int m_isData = 1;
    int m_isAlarm = 1;
    int m_isNahled = 0;
    int m_initialised = 0;
    int m_prickaX = 500;
    int m_prickaY = 500;

private:
    CGraphWnd* m_graphPane = nullptr;
    QWidget* m_valuesPane = nullptr;
    QWidget* m_alarmsPane = nullptr;
    QWidget* m_panelPane = nullptr;
    QSize m_extent;
    QSize m_scrollSize;
    CVKPaneLayout::Divider m_dragging = CVKPaneLayout::kNone;
};

} // namespace analysers_vk
