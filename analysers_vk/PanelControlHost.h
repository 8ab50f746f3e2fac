#pragma once

#include <QWidget>

namespace controls {
class CPanelControl;
}

namespace analysers_vk {

// A front-panel control in a floating panel: placed at (1, 1) and sized
// with the panel, never below its least size (the panel clips it); a
// missing control plugin leaves its message in its place. The control's own
// mouse-down asks for the panel's menu, and so does the menu key (or a right
// click on the message); the control's other events go to ControlEvent.
class CPanelControlHost : public QWidget {
    Q_OBJECT
public:
    controls::CPanelControl* Control() const { return m_control; }
    QSize ControlSize() const { return m_controlSize; }

signals:
    void menuRequested(QPoint globalPos);

protected:
    // `control`: the control's class name; the control takes the panel's
    // size less `inset`, at least `minSize` pixels square.
    CPanelControlHost(const QString& control, int minSize, int inset, QWidget* parent);

    virtual void ControlEvent(int id) = 0;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    controls::CPanelControl* m_control = nullptr;
    QWidget* m_error = nullptr;
    int m_minSize;
    int m_inset;
    QSize m_controlSize;
};

} // namespace analysers_vk
