#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <QRect>
#include <QString>

namespace ui {

class CDocument;
class CMDIFrame;
class CView;

// The bars a document class wants when its frame becomes active.
struct FrameBars {
    int mode = -1;            // CMDIFrame::ShowBarsForView mode; -1: leave the bars
    bool withGraph = false;
    bool takesDataBar = false;  // hand the returned data-control bar to the document
};
FrameBars BarsForDocumentClass(const QString& className);
// Archive documents whose frames refresh the main frame's bars on focus.
bool IsArchiveDocumentClass(const QString& className);

// An MDI child frame: holds one view and switches the main frame's bars to
// the kind of document that becomes active. Deletes itself when closed; the
// view goes with it, and with the last view its document.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(QWidget* parent = nullptr);
    ~CChildFrame() override;

    void SetView(CView* view);
    // The size the view asks for, kept within NewWindowRoom. A frame not
    // shown yet takes the next free place of the area's cascade, as far as
    // it still fits whole.
    void FitToView();
    // The most a window without a place of its own takes: the MDI area
    // less a few steps of its cascade, or the screen while the area is not
    // shown yet.
    QSize NewWindowRoom() const;
    // A stored size taken from a minimised or empty window would bring the
    // window back as a bare title bar.
    static bool PlacementShowsWindow(QSize size) { return size.width() >= 160 && size.height() >= 120; }
    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;
    // The main window whose MDI area holds the frame; null outside one.
    CMDIFrame* GetMainFrame() const;

    // Used on activation while the frame has no view yet.
    void SetRememberedDocument(CDocument* document) { m_rememberedDocument = document; }

    // Where the frame stands when neither maximised nor minimised; kept
    // here because a child window has no normal geometry of its own.
    QRect NormalGeometry() const { return m_normal.isValid() ? m_normal : geometry(); }

protected:
    virtual void OnMDIActivate();
    virtual void OnSetFocus();
    void focusInEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void TakeNormalGeometry();
    // One step of the cascade: a title bar's height.
    int CascadeStep() const;
    QPoint CascadePoint(QSize room) const;

    static constexpr int kCascadeStepsKept = 2;

    QPointer<CDocument> m_rememberedDocument;
    QRect m_normal;
    bool m_shown = false;
};

// Frame of the download windows: its view decides whether a close request
// closes the window.
class CDownloaderChildFrame : public CChildFrame {
    Q_OBJECT
public:
    explicit CDownloaderChildFrame(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace ui
