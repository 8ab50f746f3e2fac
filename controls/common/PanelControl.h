#pragma once
// The frame every front-panel control shares: a panel bitmap and a sprite
// sheet in panel units, drawn by stretch copies into the control's rectangle,
// a key table hit-tested at the scaled places, the dispatch-id facade and the
// events as signals carrying their dispatch ids.
//
// Drawing goes into a canvas of the widget's size. A full paint (panel,
// border, current state) runs when the canvas is new or was invalidated;
// everything else draws only what changed, as a real panel does, and the
// widget shows the canvas.
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QVariant>
#include <QWidget>

#include <span>

namespace controls {

// A rectangle in panel units, right and bottom exclusive.
struct PanelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr PanelRect sized(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool contains(int x, int y) const
    {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

// Stock dispatch and event ids of the framework.
enum StockId : int {
    DispidRefresh = -550,
    DispidEnabled = -514,
    DispidMouseDown = -605,
    DispidMouseMove = -606,
    DispidMouseUp = -607,
};

class CPanelControl : public QWidget {
    Q_OBJECT
public:
    // How a panel point maps into the control's rectangle: integer arithmetic
    // truncating, or floating point rounded to the nearest pixel.
    enum class Scaling { Truncate, Round };

    ~CPanelControl() override;

    // The dispatch facade: a property is read with no arguments and written
    // with one; a method takes its arguments in order. An unknown id or a
    // wrong argument count returns an invalid QVariant and changes nothing.
    virtual QVariant Invoke(int dispid, const QVariantList& args = {});

    QSize panelSize() const { return m_panel.size(); }
    // The bitmaps: the panel switched off and the sheet of lit pieces.
    const QImage& panel() const { return m_panel; }
    const QImage& sprite() const { return m_sprite; }
    QSize sizeHint() const override { return panelSize(); }

    // Scaling of panel units into the control's rectangle; `base` replaces
    // the panel size where a drawing step uses a fixed constant.
    int mapX(int x, int base = 0) const;
    int mapY(int y, int base = 0) const;
    QRect mapRect(const PanelRect& r, int base = 0) const;

    // The canvas as it is shown (a full paint first when it is due).
    const QImage& image();

    // Timers: the ids and periods the control asked for. With real timers off
    // (tests) nothing fires by itself; ticks are delivered with tick().
    static void setRealTimers(bool on);
    bool timerRunning(int id) const { return m_timers.contains(id); }
    int timerPeriod(int id) const;
    QList<int> timerIds() const { return m_timers.keys(); }
    void tick(int id) { onTimer(id); }

    bool isModified() const { return m_modified; }
    void setModifiedFlag(bool on) { m_modified = on; }

signals:
    // Every event, custom or stock, with its dispatch id and arguments.
    void controlEvent(int dispid, const QVariantList& args);
    void MouseDown(short button, short shift, int x, int y);
    void MouseMove(short button, short shift, int x, int y);
    void MouseUp(short button, short shift, int x, int y);

protected:
    CPanelControl(QWidget* parent, Scaling scaling);

    void setBitmaps(QImage panel, QImage sprite);
    void setScaleBase(int base) { m_scaleBase = base; }

    // One stretch copy of `src` (in pixels of `image`) onto `dst` (panel units).
    void copyPiece(const QImage& image, const PanelRect& src, const PanelRect& dst, int base = 0);
    void copyFromPanel(const PanelRect& r, int base = 0) { copyPiece(m_panel, r, r, base); }
    void copyFromSprite(const PanelRect& r, int base = 0) { copyPiece(m_sprite, r, r, base); }
    // Draws with a painter on the canvas in widget pixels.
    template <typename F>
    void paintOnCanvas(F&& f)
    {
        ensureCanvas();
        QPainter p(&m_canvas);
        f(p);
        p.end();
        update();
    }
    void stretchPanel();
    void drawBorder();
    // The next paint redraws everything.
    void invalidateAll();
    // Whole paint of the control on a fresh canvas.
    virtual void fullPaint() = 0;

    // First key of the table hit by a widget point (or -1).
    int hitKey(const QPoint& widgetPoint, std::span<const PanelRect> keys, int base = 0) const;

    // A property through the facade: read with no arguments, written with one.
    template <typename Get, typename Set>
    static QVariant property(const QVariantList& args, Get get, Set set)
    {
        if (args.isEmpty())
            return get();
        if (args.size() != 1)
            return {};
        set(args.front());
        return true;
    }

    // Keys of the analyser panels. A left press on a key draws it pressed and
    // returns it; anything else is the framework's (stock MouseDown), -1.
    int pressAnalyserKey(const QMouseEvent* event, std::span<const PanelRect> keys, int base = 0);
    // The key let go, drawn off again; -1 after the stock MouseUp.
    int releaseAnalyserKey(const QMouseEvent* event, std::span<const PanelRect> keys, int base = 0);

    void fireEvent(int dispid, const QVariantList& args = {});
    // Stock mouse events with the framework's button and shift codes.
    void fireStockMouse(int dispid, const QMouseEvent* event);

    void startPanelTimer(int id, int periodMs);
    void killPanelTimer(int id);
    virtual void onTimer(int id);

    void setModified() { m_modified = true; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void ensureCanvas();
    int mapCoord(int v, int extent, int size) const;

    QImage m_panel;
    QImage m_sprite;
    QImage m_canvas;
    bool m_canvasValid = false;
    Scaling m_scaling;
    int m_scaleBase = 0;
    bool m_modified = false;
    int m_analyserKey = -1;
    struct Timer {
        int period = 0;
        int qtId = 0;
    };
    QHash<int, Timer> m_timers;
};

} // namespace controls

// Host side: every control plugin's root object implements this.
class IPanelControlFactory {
public:
    virtual ~IPanelControlFactory() = default;
    virtual controls::CPanelControl* create(QWidget* parent) = 0;
};
#define IPanelControlFactory_iid "cz.qorin01.PanelControlFactory/1.0"
Q_DECLARE_INTERFACE(IPanelControlFactory, IPanelControlFactory_iid)
