#pragma once

#include "charts/GraphView.h"
#include "controllers/live/ControllerPaneLayout.h"

#include <QSize>

class CPanelEventList;

namespace controllers {

class CControllerGraphWnd;
class CValuesDlgBase;

// What the controllers' live and archive windows share: the family's graph,
// values and event panes, tiled by the pane mask with two bars the mouse
// drags, and the view's menu, which the values pane asks for with its own
// items.
class CControllerPaneView : public charts::CGraphView {
    Q_OBJECT
public:
    CGraphWnd* CommandGraph() const override;

    bool IsDuskar() const { return m_duskar; }
    virtual int PaneMask() const = 0;
    int RatioX() const { return m_prickaX; }
    int RatioY() const { return m_prickaY; }
    CPanelEventList* Events() const { return m_events; }
    // CQorinHodnotyDlg or CDuskarValuesPanel.
    QWidget* ValuesPane() const { return m_values; }
    CControllerGraphWnd* GraphPane() const { return m_graph; }

protected:
    // The bars start at `ratioX` and `ratioY` thousandths.
    CControllerPaneView(bool duskar, int ratioX, int ratioY, QWidget* parent);

    virtual void LayoutPanes() = 0;
    // The bars and the scroll size as the shown panes want them, laid out
    // afresh.
    void ResetBars();
    // The window, no smaller than the scroll size: what the panes and the
    // bars are laid out in.
    void TakeExtent();
    // The view's menu; `pane` adds its own items.
    void ShowMenu(const QPoint& globalPos, CValuesDlgBase* pane = nullptr);

    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    const bool m_duskar;
    CControllerGraphWnd* m_graph = nullptr;
    QWidget* m_values = nullptr;
    CPanelEventList* m_events = nullptr;
    int m_prickaX;
    int m_prickaY;
    QSize m_scrollSize;
    QSize m_extent;

private:
    CPaneBarDrag m_bars;
};

} // namespace controllers
