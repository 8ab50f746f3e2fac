#pragma once

#include "platform/WindowMessage.h"

#include <QMainWindow>

class QMdiArea;

namespace ui {

class CChildFrame;
class CDocument;
class CView;

// Base of the program's main window: a QMainWindow whose centre is the MDI
// area that holds the child frames. It takes private window messages.
class CMDIFrame : public QMainWindow, public platform::MessageDispatcher {
    Q_OBJECT
public:
    explicit CMDIFrame(QWidget* parent = nullptr);
    ~CMDIFrame() override;

    QMdiArea* MdiArea() const { return m_mdiArea; }

    // Puts a frame into the MDI area (hidden until shown).
    void AddChildFrame(CChildFrame* frame);
    CChildFrame* ActiveChildFrame() const;
    CDocument* GetActiveDocument() const;

    // Shows the bars for the kind of view that became active and returns the
    // data-control bar when it is shown, else null. Modes: 0 live view,
    // 1 archive view, 2 others.
    virtual QWidget* ShowBarsForView(int mode, bool withGraph);
    // The active document may have changed: set the bars for it.
    virtual void OnActiveDocChanged() {}
    // The commands of `frame`'s view changed (it was bound to its
    // instrument): its menu, keys and buttons are taken again.
    virtual void OnWindowCommandsChanged(CChildFrame* frame) { (void)frame; }

protected:
    bool event(QEvent* event) override;

private:
    QMdiArea* m_mdiArea;
};

} // namespace ui
