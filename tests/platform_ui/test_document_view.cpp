#include "FakeFrames.h"

#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

namespace {

void RunDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::unique_ptr<ui::CDocTemplate> Template(int id, const QString& docString)
{
    return ui::MakeDocTemplate<FakeDoc, ui::CChildFrame, FakeView>(id, docString);
}

class DocumentViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeDoc::nextClassName = QStringLiteral("CFakeDoc");
        FakeDoc::nextOpens = true;
        manager.AddTemplate(Template(162, QStringLiteral("\nArchiv\nArchiv\nQorin (*.qor)\n.qor\nArchiv.Document\nQorin Archiv")));
        manager.AddTemplate(Template(188, QStringLiteral("\nVK\nVK\nVK (*.vk)\n.vk\nVKArchiv.Document\nVK Archiv")));
        manager.AddTemplate(Template(303, QStringLiteral("\nVKT\nVKT\nVKT (*.vkt)\n.vkt\nVKTArchiv.Document\nVKT Archiv")));
        manager.AddTemplate(Template(183, QStringLiteral("\nVK\nVK\n\n\nVK01.Document\nVK Document")));
        main.show();
    }
    void TearDown() override
    {
        main.MdiArea()->closeAllSubWindows();
        RunDeferredDeletes();
    }

    FakeMainFrame main;
    ui::CDocManager manager{&main};
};

TEST_F(DocumentViewTest, UpdateAllViewsSkipsTheSenderAndPassesHintAndObject)
{
    FakeDoc doc;
    FakeView a, b, c;
    doc.AddView(&a);
    doc.AddView(&b);
    doc.AddView(&c);
    int payload = 0;
    doc.UpdateAllViews(&b, 4 | 128, &payload);
    for (FakeView* view : {&a, &c}) {
        ASSERT_EQ(view->updates.size(), 1u);
        EXPECT_EQ(view->updates[0].sender, &b);
        EXPECT_EQ(view->updates[0].hint, 4 | 128);
        EXPECT_EQ(view->updates[0].object, &payload);
    }
    EXPECT_TRUE(b.updates.empty());

    doc.RemoveView(&a);
    doc.UpdateAllViews(nullptr, 2);
    EXPECT_EQ(a.updates.size(), 1u);
    EXPECT_EQ(b.updates.size(), 1u);
    EXPECT_EQ(a.GetDocument(), nullptr);
}

TEST_F(DocumentViewTest, TemplatesOpenFilesByExtension)
{
    struct Case {
        const char* path;
        int templateId;  // 0: no template takes it
    };
    const Case cases[] = {
        {"/data/hala_Y26D1209H10.qor", 162}, {"/data/hala.VK", 188},   {"/data/hala.vkt", 303},
        {"/data/hala.vkr", 0},               {"/data/hala.avk", 0},    {"/data/qor", 0},
    };
    for (const Case& c : cases) {
        ui::CDocTemplate* found = manager.TemplateForPath(QString::fromLatin1(c.path));
        EXPECT_EQ(found ? found->ResourceId() : 0, c.templateId) << c.path;
    }

    auto* doc = dynamic_cast<FakeDoc*>(manager.OpenDocumentFile(QStringLiteral("/data/hala.vk")));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->openedPath, QStringLiteral("/data/hala.vk"));
    EXPECT_EQ(doc->GetPathName(), QStringLiteral("/data/hala.vk"));
    EXPECT_EQ(doc->GetDocTemplate()->ResourceId(), 188);
    ASSERT_EQ(doc->Views().size(), 1u);
    auto* view = static_cast<FakeView*>(doc->FirstView());
    ASSERT_EQ(view->updates.size(), 1u);  // the initial update
    ASSERT_NE(view->GetParentFrame(), nullptr);
    EXPECT_EQ(main.ActiveChildFrame(), view->GetParentFrame());
    EXPECT_EQ(main.GetActiveDocument(), doc);
    EXPECT_EQ(manager.OpenDocumentFile(QStringLiteral("/data/hala.vkr")), nullptr);
}

TEST_F(DocumentViewTest, ARefusedFileLeavesNoWindowAndNoDocument)
{
    FakeDoc::nextOpens = false;
    ui::CDocTemplate* vk = manager.TemplateForPath(QStringLiteral("x.vk"));
    EXPECT_EQ(vk->OpenDocumentFile(QStringLiteral("/data/broken.vk")), nullptr);
    EXPECT_TRUE(vk->Documents().empty());
    EXPECT_TRUE(main.MdiArea()->subWindowList().isEmpty());
}

TEST_F(DocumentViewTest, FindsTemplatesByTypeNameAndMakesUntitledDocuments)
{
    ui::CDocTemplate* live = manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("VK Document"));
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live->ResourceId(), 183);
    EXPECT_EQ(manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKTArchiv.Document"))->ResourceId(), 303);
    EXPECT_EQ(manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Downloader")), nullptr);
    // A live template has no extension: it never takes a file.
    EXPECT_FALSE(live->MatchesExtension(QStringLiteral("a.")));

    ui::CDocument* doc = live->OpenDocumentFile(QString());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("VK"));
    EXPECT_EQ(static_cast<FakeDoc*>(doc)->openedPath, QString());
    EXPECT_EQ(live->Documents().size(), 1u);
}

TEST_F(DocumentViewTest, ClosingTheLastFrameClosesTheDocumentAndCloseDocumentClosesEveryFrame)
{
    QPointer<ui::CDocument> doc = manager.OpenDocumentFile(QStringLiteral("/data/a.qor"));
    ASSERT_TRUE(doc);
    // A second window on the same document.
    auto* frame = new ui::CChildFrame;
    auto* second = new FakeView;
    frame->SetView(second);
    doc->AddView(second);
    main.AddChildFrame(frame);
    frame->show();

    QPointer<ui::CChildFrame> first = doc->FirstView()->GetParentFrame();
    first->close();
    RunDeferredDeletes();
    EXPECT_FALSE(first);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Views().size(), 1u);

    QPointer<ui::CChildFrame> secondFrame = frame;
    doc->OnCloseDocument();
    EXPECT_TRUE(manager.Templates()[0]->Documents().empty());
    RunDeferredDeletes();
    EXPECT_FALSE(doc);
    EXPECT_FALSE(secondFrame);
    QCoreApplication::processEvents();
    EXPECT_GE(main.activeDocChanges, 1);
}

} // namespace
