#include "platform/ui/HtmlHelp.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WaitDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

TEST(WaitDlg, ProgressIsClampedAndTextShown)
{
    QPointer<ui::CWaitDlg> dlg = new ui::CWaitDlg;
    dlg->show();
    EXPECT_EQ(dlg->Progress(), 0);
    const std::pair<int, int> cases[] = {{-5, 0}, {37, 37}, {100, 100}, {250, 100}, {0, 0}};
    for (auto [given, shown] : cases) {
        dlg->SetProgress(given);
        EXPECT_EQ(dlg->Progress(), shown) << given;
    }
    dlg->SetText(QStringLiteral("Načítám data..."));
    EXPECT_EQ(dlg->Text(), QStringLiteral("Načítám data..."));

    dlg->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dlg);  // it deletes itself
}

// The wait cursor lasts as long as the exchange, whatever its outcome, so
// that whatever the command shows next has the ordinary pointer.
TEST(InstrumentTask, WaitCursorWhileTheExchangeRunsAndNoneAfter)
{
    for (const bool outcome : {true, false}) {
        SCOPED_TRACE(outcome);
        std::atomic<bool> looked{false};
        Qt::CursorShape during = Qt::ArrowCursor;
        bool any = false;
        QTimer look;
        look.setSingleShot(true);
        QObject::connect(&look, &QTimer::timeout, [&] {
            const QCursor* cursor = QApplication::overrideCursor();
            any = cursor != nullptr;
            during = cursor ? cursor->shape() : Qt::ArrowCursor;
            looked.store(true);
        });
        look.start(0);
        // The exchange lasts until the GUI thread has had its look.
        const bool result = ui::RunInstrumentTask(nullptr, [&] {
            while (!looked.load())
                QThread::msleep(1);
            return outcome;
        });
        EXPECT_EQ(result, outcome);
        EXPECT_TRUE(any);
        EXPECT_EQ(during, Qt::WaitCursor);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previous = ui::SetHelpOpener([this](const QUrl& url) {
            opened.push_back(url);
            return opens;
        });
    }
    void TearDown() override { ui::SetHelpOpener(std::move(previous)); }

    QString MakeFile(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    QTemporaryDir dir;
    ui::HelpOpener previous;
    std::vector<QUrl> opened;
    bool opens = true;
    ui::ScriptedMessageBoxes boxes;
};

TEST_F(HelpTest, MissingHelpFileIsToldInCzech)
{
    // The request is seen as made, the topic with it.
    std::vector<ui::HelpRequest> requests;
    const ui::HelpRecorder previousRecorder =
        ui::SetHelpRecorder([&requests](const ui::HelpRequest& request) { requests.push_back(request); });
    EXPECT_EQ(ui::CallHtmlHelp(nullptr, dir.filePath(QStringLiteral("qorin01.chm")), ui::HH_HELP_CONTEXT, 116), 0);
    ui::SetHelpRecorder(previousRecorder);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].file, dir.filePath(QStringLiteral("qorin01.chm")));
    EXPECT_EQ(requests[0].command, ui::HH_HELP_CONTEXT);
    EXPECT_EQ(requests[0].data, 116u);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("INFO"));
    EXPECT_TRUE(boxes.Requests()[0].text.contains(QStringLiteral("Nápověda není nainstalována")));
    EXPECT_TRUE(boxes.Requests()[0].text.contains(QStringLiteral("qorin01.chm")));
}

TEST_F(HelpTest, InstalledHelpOpensTheTopic)
{
    const QString html = MakeFile(QStringLiteral("qorin01.htm"));
    EXPECT_NE(ui::CallHtmlHelp(nullptr, html, ui::HH_HELP_CONTEXT, 116), 0);
    const QString chm = MakeFile(QStringLiteral("qorin01.chm"));
    EXPECT_NE(ui::CallHtmlHelp(nullptr, chm, ui::HH_HELP_CONTEXT, 101), 0);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].toLocalFile(), html);
    EXPECT_EQ(opened[0].fragment(), QStringLiteral("116"));
    EXPECT_EQ(opened[1].toLocalFile(), chm);
    EXPECT_FALSE(opened[1].hasFragment());
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST_F(HelpTest, AfterTheDesktopFailsHelpIsNotTriedAgain)
{
    const QString chm = MakeFile(QStringLiteral("qorin01.chm"));
    opens = false;
    EXPECT_EQ(ui::CallHtmlHelp(nullptr, chm, ui::HH_HELP_CONTEXT, 101), 0);
    EXPECT_EQ(ui::CallHtmlHelp(nullptr, chm, ui::HH_HELP_CONTEXT, 102), 0);
    EXPECT_EQ(opened.size(), 1u);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
}

// A dialog's F1 asks for the help of the place it was pressed: a page's
// own, else its dialog's, else the page a sheet shows; without any, none.
TEST(HelpContext, ThePageOrDialogOfTheWidget)
{
    QDialog sheet;
    auto* pages = new QStackedWidget(&sheet);
    auto* first = new QWidget(pages);
    auto* second = new QWidget(pages);
    pages->addWidget(first);
    pages->addWidget(second);
    auto* field = new QPushButton(first);
    auto* ok = new QPushButton(&sheet);
    sheet.show();
    // No ids anywhere.
    EXPECT_EQ(ui::HelpContextOf(field), 0);
    EXPECT_EQ(ui::HelpContextOf(nullptr), 0);

    ui::SetHelpId(first, 133);
    ui::SetHelpId(second, 135);
    struct Case {
        QWidget* widget;
        int shownPage;
        int context;
    };
    const Case cases[] = {
        {field, 0, 0x20085},
        {first, 0, 0x20085},
        // Outside the pages: the page shown, not the first one made.
        {ok, 0, 0x20085},
        {ok, 1, 0x20087},
        {&sheet, 1, 0x20087},
    };
    for (const Case& c : cases) {
        pages->setCurrentIndex(c.shownPage);
        EXPECT_EQ(ui::HelpContextOf(c.widget), c.context) << c.shownPage;
    }
    // The dialog's own id stands for everything outside its pages.
    ui::SetHelpId(&sheet, 132);
    EXPECT_EQ(ui::HelpContextOf(ok), 0x20084);
    EXPECT_EQ(ui::HelpContextOf(field), 0x20085);
}

} // namespace
