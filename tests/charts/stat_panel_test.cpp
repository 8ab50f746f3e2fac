// The statistics panel over a VK archive: computing into the tabs, freeing
// the results, the segment that moves the archive, the not-ready notice and
// printing.
#include "PdfCheck.h"
#include "ValueListFixture.h"

#include "archive/store/VKRArchivData.h"
#include "charts/StatPanel.h"

#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTabBar>

namespace {

using namespace valuelist;

class StatPanelTest : public VKArchiveFixture {};

TEST_F(StatPanelTest, RefreshFillsTheTabsAndFreeingLeavesNothingToShow)
{
    WriteArchive(3);
    CVKStatPanel panel;
    panel.resize(900, 500);
    EXPECT_EQ(panel.Tabs().Segments().count(), 0);
    EXPECT_EQ(panel.GetSettings().nominalCurrent, 5.0f);
    EXPECT_EQ(panel.GetSettings().filled, 1);
    panel.SetArchivData(m_data.get(), m_data.get());
    QSignalSpy moved(&panel, &CStatPanel::graphChanged);
    panel.Refresh();
    ASSERT_GE(panel.ResultCount(), 1);
    EXPECT_EQ(panel.Tabs().Segments().count(), panel.ResultCount());
    EXPECT_EQ(panel.Tabs().Quantities().Result(), &panel.Results().front());
    // The first segment moves a VK archive to its start.
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(panel.Tabs().Quantities().Grid().GetCellText(2, 0), QStringLiteral("Průměrný:"));
    EXPECT_NE(panel.Tabs().Quantities().Grid().GetCellText(2, 1), QString());

    panel.Refresh(); // the first results go before the second run
    EXPECT_GE(panel.ResultCount(), 1);

    panel.FreeResults();
    EXPECT_EQ(panel.ResultCount(), 0);
    EXPECT_EQ(panel.Tabs().Quantities().Result(), nullptr);
    EXPECT_EQ(panel.Tabs().Quantities().Grid().GetCellText(2, 1), QString());
    EXPECT_FALSE(panel.PrintResults());
}

TEST_F(StatPanelTest, AReloadedFileSuppressesTheRunAndTheMove)
{
    WriteArchive(2);
    CVKStatPanel panel;
    panel.SetArchivData(m_data.get(), m_data.get());
    int reloaded = 1;
    panel.SetReloadCheck([&reloaded] { return reloaded; });
    panel.Refresh();
    EXPECT_EQ(panel.ResultCount(), 0);
    reloaded = 0;
    panel.Refresh();
    EXPECT_GE(panel.ResultCount(), 1);
}

TEST_F(StatPanelTest, WhileTheTimeIsBeingSetTheTabsHideBehindTheNotice)
{
    CVKStatPanel panel;
    panel.resize(400, 200);
    panel.show();
    panel.SetShowFlag(0);
    const QImage notice = panel.grab().toImage();
    EXPECT_FALSE(panel.Tabs().isVisible());
    bool text = false;
    for (int x = 0; x < notice.width(); ++x)
        text |= notice.pixelColor(x, notice.height() / 2) != panel.palette().color(QPalette::Window);
    EXPECT_TRUE(text);
    panel.SetShowFlag(1);
    panel.grab();
    EXPECT_TRUE(panel.Tabs().isVisible());
}

TEST_F(StatPanelTest, AVKRArchiveIsNotMovedByItsFirstSegment)
{
    // Two blocks of a VKR analyser, the connection changing between them.
    CVKRArchivData writer;
    writer.SetTimeSource(m_clock.Source());
    m_clock.Set(CTime(1233478800));
    ASSERT_EQ(writer.Create(20 * 600, 10, 60, m_dir.filePath(QStringLiteral("linka")), QStringLiteral(".vkr"), TRUE,
                            TRUE, QStringLiteral("Linka")),
              1);
    for (int block = 0; block < 2; ++block) {
        writer.AddConfigRecord(
            vktest::VKRConfig(100, 1, block == 0 ? CVKRConfig::Star : CVKRConfig::TwoPhases));
        for (int i = 0; i < 10; ++i) {
            m_clock.Advance(60);
            writer.AddMeasurementRecord(vktest::VKRValues(i));
        }
        m_clock.Advance(1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }
    writer.Close();
    TArchivDocData<CVKRArchivData> data;
    ASSERT_EQ(data.Open(m_dir.filePath(QStringLiteral("linka.vkr"))), 1);
    ASSERT_EQ(data.OpenAtEnd(), 1);
    CTime start;
    CTime end;
    data.GetFileRange(start, end);
    data.SetWindow(start, end);

    CVKRStatPanel panel;
    panel.SetArchivData(&data, &data);
    QSignalSpy moved(&panel, &CStatPanel::graphChanged);
    panel.Refresh();
    // The connection change splits the window.
    ASSERT_GE(panel.ResultCount(), 2);
    EXPECT_EQ(moved.count(), 0);
    panel.Tabs().Segments().setCurrentIndex(1);
    EXPECT_EQ(moved.count(), 1);
    panel.FreeResults();
    data.Close();
}

TEST_F(StatPanelTest, PrintsUnderTheArchivesName)
{
    PDFCHECK_REQUIRE_TOOLS();
    WriteArchive(2);
    pdfcheck::PdfJobs jobs;
    CVKStatPanel panel;
    panel.SetArchivData(m_data.get(), m_data.get());
    panel.Refresh();
    ASSERT_TRUE(panel.PrintResults());
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_GE(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Statistiky ") + m_data->GetArchiveFileName() + QStringLiteral(" od")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("U1N")));
}


// The computation cannot be broken off: Esc and closing the wait dialog
// leave it up, and the run goes to its end; the dialog goes when it is done.
TEST(StatisticsProgress, TheWaitDialogStaysUpToTheEnd)
{
    QWidget owner;
    int reports = 0;
    QPointer<ui::CWaitDlg> wait;
    charts::WithStatisticsProgress(&owner, [&](const charts::stats::ProgressFn& progress) {
        for (int p = 0; p <= 100; ++p) {
            progress(p);
            ++reports;
            if (p == 5 || p == 50) {
                wait = owner.findChild<ui::CWaitDlg*>();
                ASSERT_FALSE(wait.isNull());
                EXPECT_TRUE(wait->isVisible());
                if (p == 5)
                    QTest::keyClick(wait, Qt::Key_Escape);
                else
                    EXPECT_FALSE(wait->close());
                QApplication::processEvents();
                ASSERT_FALSE(wait.isNull()) << p;
                EXPECT_TRUE(wait->isVisible()) << p;
            }
            EXPECT_FALSE(progress.Cancelled()) << p;
        }
    });
    EXPECT_EQ(reports, 101);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(wait.isNull() || !wait->isVisible());
}

} // namespace
