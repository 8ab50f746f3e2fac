#pragma once

#include "platform/WindowMessage.h"
#include "platform/ui/CommandTarget.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QDialog;

namespace ui {

class CChildFrame;
class CDocTemplate;
class CView;

// A document: the data behind one or more views. It keeps the list of its
// views; the frames own the view widgets. When the last view goes, the
// document closes itself. Documents live on the GUI thread only.
//
// Declare Q_OBJECT in every document class: the frames choose their bars by
// RuntimeClassName().
class CDocument : public QObject, public CCommandTarget {
    Q_OBJECT
public:
    CDocument();
    ~CDocument() override;

    // The class name without namespace ("CArchivDoc").
    virtual QString RuntimeClassName() const;

    const std::vector<CView*>& Views() const { return m_views; }
    CView* FirstView() const { return m_views.empty() ? nullptr : m_views.front(); }
    void AddView(CView* view);
    void RemoveView(CView* view);

    // Calls OnUpdate of every view except the sender.
    void UpdateAllViews(CView* sender, std::intptr_t hint = 0, void* object = nullptr);

    const QString& GetTitle() const { return m_title; }
    virtual void SetTitle(const QString& title);
    const QString& GetPathName() const { return m_pathName; }
    // Sets the path and, by default, the title to the file name.
    virtual void SetPathName(const QString& path, bool addToRecent = true);

    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    CDocTemplate* GetDocTemplate() const { return m_template; }

    // False keeps the document from opening (the template discards it).
    virtual bool OnNewDocument() { return true; }
    virtual bool OnOpenDocument(const QString& path);

    // Closes every frame of the document and deletes it (later, from the
    // event loop, so that a handler of the document or a view may call it).
    // Nothing may use the document after the call.
    virtual void OnCloseDocument();
    bool IsClosing() const { return m_closing; }

    // The data-control bar of the main frame, handed over when a frame of the
    // document is activated (archive documents attach or load it).
    virtual void TakeDataControlBar(QWidget* bar) { (void)bar; }

    // The settings sheet a command of the document shows now, if any: the
    // main window's load, save and print commands act on it meanwhile.
    virtual QDialog* OpenSheet() const { return nullptr; }

private:
    friend class CDocTemplate;

    std::vector<CView*> m_views;
    QString m_title;
    QString m_pathName;
    CDocTemplate* m_template = nullptr;
    bool m_modified = false;
    bool m_closing = false;
};

// A view: a widget that shows its document. It takes private window messages
// (set handlers with SetMessageHandler).
class CView : public QWidget, public platform::MessageDispatcher, public CCommandTarget {
    Q_OBJECT
public:
    explicit CView(QWidget* parent = nullptr);
    ~CView() override;

    CDocument* GetDocument() const { return m_document; }
    // The child frame that holds the view, if any.
    CChildFrame* GetParentFrame() const;

    // Once, after the frame was made and the document opened: by default an
    // update without hint.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    virtual void OnUpdate(CView* sender, std::intptr_t hint, void* object);

    // The view's own menu, the one its context menu shows: the main frame
    // shows it in its menu bar, titled MenuTitle, while the view is active.
    virtual void FillMenu(QMenu& menu) { (void)menu; }
    virtual QString MenuTitle() const { return QStringLiteral("&Okno"); }
    // The help context of the window (0x20000 + its resource id); 0: the
    // main window's.
    virtual int HelpContext() const { return 0; }

protected:
    bool event(QEvent* event) override;

private:
    friend class CDocument;
    CDocument* m_document = nullptr;
};

} // namespace ui
