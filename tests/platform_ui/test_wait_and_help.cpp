#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WaitDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    EXPECT_EQ(ui::CallHtmlHelp(nullptr, dir.filePath(QStringLiteral("qorin01.chm")), ui::HH_HELP_CONTEXT, 116), 0);
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

} // namespace
