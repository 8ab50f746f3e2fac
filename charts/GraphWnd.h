#pragma once

#include "charts/GraphPainter.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QMenu;
class QRubberBand;
class QScrollBar;

// The base window of every graph: a zoom window in per mille over the
// painter's logical space (x from the left, y up from the bottom; 0..1000 is
// the whole graph), two scroll bars that move it, a rubber-band zoom, a time
// cursor placed by a click, the graph's context menu and the keys it hands to
// its parent view. It draws nothing itself: a subclass paints in Draw with a
// CGraphPainter and lays itself out in CreateFonts. The same Draw serves the
// window, an image and a printer page.
class CGraphWnd : public QWidget {
    Q_OBJECT
public:
    // Axis bits of the zoom operations.
    static constexpr unsigned kTimeAxis = 1;
    static constexpr unsigned kValueAxis = 2;

    // Commands of the context menu.
    static constexpr int kCmdVertZoom100 = 32185; // .. 32190
    static constexpr int kCmdZoomOff = 32180;
    static constexpr int kCmdReceivedQuantities = 40002;
    static constexpr int kCmdShownQuantities = 32181;
    static constexpr int kCmdGrid = 32235;
    // Time zoom items in menu order: 100, 200, 300, 500, 1000, 2000 %.
    static constexpr int kTimeZoomCommands[6] = {32216, 32217, 32221, 32218, 32219, 32220};
    static constexpr int kZoomPercents[6] = {100, 200, 300, 500, 1000, 2000};

    explicit CGraphWnd(QWidget* parent = nullptr);
    ~CGraphWnd() override;

    // Absolute zoom: the chosen axes show 100000 / zoomPercent per mille,
    // the value axis about its centre, the time axis (only with the time
    // cursor) about the cursor.
    void SetHorzRange(int zoomPercent, unsigned axes);
    // Relative zoom of the chosen axes about their centres, to percent / 100
    // of the current width (10..1000 per mille).
    void SetVertRange(int percent, unsigned axes);
    // The names the views of other families use for the same two zooms.
    void SetZoom(int zoomPercent, unsigned axes) { SetHorzRange(zoomPercent, axes); }
    void ScaleZoom(int percent, unsigned axes) { SetVertRange(percent, axes); }
    // Relative zoom about a client point (time axis only with the cursor).
    void ZoomAtPoint(int percent, int x, int y);
    void Redraw();
    void UpdateScrollBars();

    // The zoom window in per mille.
    int X0() const { return m_x0; }
    int Y0() const { return m_y0; }
    int X1() const { return m_x1; }
    int Y1() const { return m_y1; }
    void SetWindow(int x0, int y0, int x1, int y1);

    bool ZoomMode() const { return m_zoomMode; }
    void SetZoomMode(bool on);
    bool TimeCursor() const { return m_timeCursor; }
    void SetTimeCursor(bool on) { m_timeCursor = on; }
    bool ColumnSelection() const { return m_columnSelection; }
    void SetColumnSelection(bool on) { m_columnSelection = on; }
    std::uint32_t SelectedColumn() const { return m_selectedColumn; }
    void SetSelectedColumn(std::uint32_t value) { m_selectedColumn = value; }
    // Right edges (client x, ascending) and values of the selectable
    // columns, usually the value axes that the last paint drew.
    void SetColumns(std::vector<std::uint32_t> rightEdges, std::vector<std::uint32_t> values);
    const CGraphRect& PlotRect() const { return m_plot; }
    void SetPlotRect(const CGraphRect& plot) { m_plot = plot; }
    bool Dragging() const { return m_dragging; }

    // Flags the family views keep on every graph: the grid ("isMriz"), the
    // archive (offline) graph, and the ready flag (data present, limits
    // set) without which a graph shows its busy notice.
    bool Grid() const { return m_grid; }
    void SetGrid(bool on) { m_grid = on; }
    bool Offline() const { return m_offline; }
    void SetOffline(bool on) { m_offline = on; }
    bool Ready() const { return m_ready; }
    void SetReady(bool on) { m_ready = on; }

    QFont* LabelFont() const { return m_labelFont.get(); }
    QFont* TitleFont() const { return m_titleFont.get(); }

    QScrollBar* HorzBar() const { return m_horzBar; }
    QScrollBar* VertBar() const { return m_vertBar; }
    QRubberBand* RubberBand() const { return m_band; }

    // Draws the graph with the subclass's Draw on any painter.
    void Render(QPainter& painter, const QRect& client);
    // The graph as the window shows it, on a white image of the window's size.
    QImage RenderImage();

    // The context menu "Graf"; without the time cursor the time zoom entry
    // is left out. Each action carries its command id as data.
    static QMenu* CreateGraphMenu(QWidget* parent, bool timeCursor);

signals:
    // A command chosen from the context menu; the views and frames act on it.
    void ContextCommand(int id);
    // The context menu is about to show: the view that takes its commands
    // enables them (or hides those it does not take).
    void ContextMenuPreparing(QMenu* menu);

protected:
    // Called after every size and zoom change: the subclass makes its fonts
    // (SetFonts), computes the plot rectangle and shows a scroll bar only
    // for an axis that is zoomed.
    virtual void CreateFonts() {}
    // A click in the plot placed the time cursor at perMille of the graph.
    virtual void OnCursorMoved(float perMille) { (void)perMille; }
    // The time cursor scaled to `width`.
    virtual int GetCursorPos(int width) { (void)width; return 0; }
    // Paints the graph on `client` (white already).
    virtual void Draw(QPainter& painter, const QRect& client) { (void)painter; (void)client; }
    // The graph's white plate with its sunken edge, leaving a black pen and
    // no brush; false (nothing drawn) while a divider is dragged or the
    // window is too small for a graph.
    bool DrawPlate(QPainter& painter, const QRect& client) const;
    // Lets a view enable or check the menu's items before it shows.
    virtual void PrepareContextMenu(QMenu& menu) { (void)menu; }

    void SetFonts(std::unique_ptr<QFont> label, std::unique_ptr<QFont> title);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ScrollTo(bool horizontal, int position);
    void ZoomToRect(const QRect& r);
    void UpdateCursorShape();
    void Changed();

    bool m_columnSelection = false;
    std::uint32_t m_selectedColumn = 0;
    bool m_zoomMode = false;
    std::unique_ptr<QFont> m_labelFont;
    std::unique_ptr<QFont> m_titleFont;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPoint m_dragCurrent;
    bool m_timeCursor = false;
    CGraphRect m_plot{0, 0, 300, 300};
    int m_x0 = 0;
    int m_y0 = 0;
    int m_x1 = 1000;
    int m_y1 = 1000;
    QScrollBar* m_vertBar = nullptr;
    QScrollBar* m_horzBar = nullptr;
    QRubberBand* m_band = nullptr;
    bool m_settingBars = false;
    std::vector<std::uint32_t> m_columnEdges;
    std::vector<std::uint32_t> m_columnValues;
    bool m_grid = false;
    bool m_offline = false;
    bool m_ready = true;
};
