#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace ui {

class CChildFrame;
class CDocManager;
class CDocument;
class CMDIFrame;
class CView;

// A document template: the document, frame and view classes of one kind of
// window, and its document string ("title\ndoc name\nnew name\nfilter
// name\nfilter ext\nfile-type id\nfile-type name").
class CDocTemplate {
public:
    enum DocStringIndex {
        windowTitle = 0,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName,
    };

    using DocumentFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CChildFrame*()>;
    using ViewFactory = std::function<CView*()>;

    CDocTemplate(int resourceId, const QString& docString, DocumentFactory document, FrameFactory frame,
                 ViewFactory view);
    ~CDocTemplate();
    CDocTemplate(const CDocTemplate&) = delete;
    CDocTemplate& operator=(const CDocTemplate&) = delete;

    int ResourceId() const { return m_resourceId; }
    QString GetDocString(DocStringIndex index) const;
    // True when the path ends with the template's extension (any case).
    bool MatchesExtension(const QString& path) const;

    // Opens the file in a new document window (an empty path makes a new,
    // untitled document). Null when the document refuses to open; then
    // nothing of it stays.
    CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true);

    const std::vector<CDocument*>& Documents() const { return m_documents; }

private:
    friend class CDocManager;
    friend class CDocument;
    void RemoveDocument(CDocument* document);

    int m_resourceId;
    QStringList m_docStrings;
    DocumentFactory m_newDocument;
    FrameFactory m_newFrame;
    ViewFactory m_newView;
    CDocManager* m_manager = nullptr;
    std::vector<CDocument*> m_documents;
};

template <class Document, class Frame, class View>
std::unique_ptr<CDocTemplate> MakeDocTemplate(int resourceId, const QString& docString)
{
    return std::make_unique<CDocTemplate>(
        resourceId, docString, [] { return new Document; }, [] { return new Frame; }, [] { return new View; });
}

// The program's templates, in the order they were added.
class CDocManager {
public:
    explicit CDocManager(CMDIFrame* mainFrame = nullptr) : m_mainFrame(mainFrame) {}

    void SetMainFrame(CMDIFrame* mainFrame) { m_mainFrame = mainFrame; }
    CMDIFrame* MainFrame() const { return m_mainFrame; }

    CDocTemplate* AddTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& Templates() const { return m_templates; }

    // The first template whose document string of that index equals `text`.
    CDocTemplate* FindTemplate(CDocTemplate::DocStringIndex index, const QString& text) const;
    // The first template whose extension the path has.
    CDocTemplate* TemplateForPath(const QString& path) const;
    // Opens the file with the template of its extension; null when no
    // template takes it or the document refuses.
    CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true);

private:
    CMDIFrame* m_mainFrame;
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
};

} // namespace ui
