#include "analysers_vk/ArchivViewFixture.h"
#include "analysers_vk/VKArchivView.h"
#include "analysers_vk/VKArchivViewRecord.h"
#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/StoreTestSupport.h"
#include "archive/store/VKArchivTestSupport.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/ExportDlg.h"
#include "charts/PdfCheck.h"
#include "charts/StatPanel.h"
#include "charts/TimeAxisCheck.h"
#include "model/ScaleCategories.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace analysers_vk;
using platform::CTime;

namespace {

// A VK archive recorded by the family writer on a fake clock, opened in the
// VK archive template as the program opens it.
class VKArchivViewTest
    : public archivviewtest::TArchivViewFixture<CVKArchivData, CVKArchivDoc, CVKArchivView> {
protected:
    void SetUp() override
    {
        CreateArchive(AddVKArchivTemplate, CTime(1233478800), QStringLiteral("hala"), QStringLiteral(".vk"),
                      QStringLiteral("Linka")); // 2009-02-01 10:00 local
        WriteBlocks(3);
    }

    void WriteBlocks(int blocks)
    {
        for (int b = 0; b < blocks; ++b)
            WriteBlock(vktest::VKConfig(400, 100), [](int record) { return vktest::VKValues(record + 1); });
    }

    QString Path() const { return m_dir.filePath(QStringLiteral("hala.vk")); }

    CVKArchivView* OpenView()
    {
        return OpenArchive(QStringLiteral("VKArchiv.Document"), QStringLiteral("hala.vk"), QSize(900, 700));
    }

    void Send(platform::MessageId id, std::uintptr_t w = 0, std::intptr_t l = 0)
    {
        platform::SendMessageTo(m_view, id, w, l);
    }
};

TEST_F(VKArchivViewTest, OpensInGraphModeUnderTheRangeBarWithoutThePanel)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->Initialised());
    EXPECT_EQ(view->Mode(), 0);
    CGraphRangeBar* bar = view->Modes().RangeBar();
    EXPECT_TRUE(bar->isVisibleTo(view));
    EXPECT_TRUE(view->Graph()->isVisibleTo(view));
    EXPECT_FALSE(view->List()->isVisibleTo(view));
    EXPECT_FALSE(view->Stats()->isVisibleTo(view));
    EXPECT_EQ(view->PaneMask() & CVKPaneLayout::kPanelBit, 0);
    // Bar 24 pixels high across the top of the graph pane, the graph below.
    EXPECT_EQ(bar->height(), CVKArchivModes::kBarHeight);
    EXPECT_EQ(view->Graph()->geometry().top(), bar->geometry().top() + CVKArchivModes::kBarHeight);
    EXPECT_EQ(view->Graph()->geometry().left(), bar->geometry().left());
    EXPECT_EQ(view->Graph()->width(), bar->width());
    // The bar shows the document's window and the data are ready.
    CTime from, to, start, end;
    bar->GetRange(from, to);
    m_doc->Navigator().GetWindow(start, end);
    EXPECT_EQ(from.GetTime(), start.GetTime());
    EXPECT_EQ(to.GetTime(), end.GetTime());
    EXPECT_TRUE(view->ZoomAllowed());
    EXPECT_TRUE(view->Graph()->Ready());
    // The values panel shows the current record of the archive.
    EXPECT_FALSE(view->Values()->findChildren<QWidget*>().isEmpty());
}

TEST_F(VKArchivViewTest, TheAlarmListShowsTheEventsOfTheWindowInEveryMode)
{
    AddEvents();
    WriteBlocks(1);
    auto* view = OpenView();
    ASSERT_TRUE(view);
    ExpectEventRowsInEveryMode(view);
}

TEST_F(VKArchivViewTest, TheRangeBarsTabsSwitchBetweenGraphListAndStatistics)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    auto* tab = view->Modes().RangeBar()->findChild<QTabBar*>();
    ASSERT_TRUE(tab);
    tab->setCurrentIndex(1);
    EXPECT_EQ(view->Mode(), 1);
    EXPECT_TRUE(view->List()->isVisibleTo(view));
    EXPECT_FALSE(view->Graph()->isVisibleTo(view));
    EXPECT_EQ(view->List()->Model().rowCount(), m_records);
    EXPECT_EQ(m_doc->Navigator().GetMode(), 1);

    tab->setCurrentIndex(2);
    EXPECT_EQ(view->Mode(), 2);
    EXPECT_TRUE(view->Stats()->isVisibleTo(view));
    EXPECT_FALSE(view->List()->isVisibleTo(view));
    EXPECT_GT(view->Stats()->ResultCount(), 0);

    tab->setCurrentIndex(0);
    EXPECT_EQ(view->Mode(), 0);
    EXPECT_TRUE(view->Graph()->isVisibleTo(view));
    EXPECT_EQ(view->Stats()->ResultCount(), 0); // freed outside statistics

    // A mode chosen elsewhere shows on the bar's tab.
    Send(platform::WM_ARCHIVE_REFILL, 1);
    EXPECT_EQ(tab->currentIndex(), 1);
    EXPECT_TRUE(view->List()->isVisibleTo(view));

    // A mode of none hides the bar and all three.
    Send(platform::WM_ARCHIVE_REFILL, 7);
    EXPECT_FALSE(view->Modes().RangeBar()->isVisibleTo(view));
    EXPECT_FALSE(view->Graph()->isVisibleTo(view));
    EXPECT_FALSE(view->List()->isVisibleTo(view));
    EXPECT_FALSE(view->Stats()->isVisibleTo(view));
    // The document asks the view for its mode.
    EXPECT_EQ(m_doc->RefreshAndGetState(), 7);
}

// Switching to the statistics shows their panel, and no longer the list,
// before the statistics are worked out.
TEST_F(VKArchivViewTest, TheStatisticsPanelIsOnTheScreenBeforeItsWorkBegins)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    view->window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    auto* tab = view->Modes().RangeBar()->findChild<QTabBar*>();
    tab->setCurrentIndex(1);
    QApplication::processEvents();
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    view->Stats()->installEventFilter(&counter);
    int paintsAtWork = -1;
    bool listShown = true;
    // The panel asks its reload check first when it starts its work.
    view->Stats()->SetReloadCheck([&] {
        if (paintsAtWork < 0) {
            paintsAtWork = counter.paints;
            listShown = view->List()->isVisible();
        }
        return 0;
    });
    tab->setCurrentIndex(2);
    EXPECT_GT(paintsAtWork, 0);
    EXPECT_FALSE(listShown);
    view->Stats()->removeEventFilter(&counter);
    // The panel works again while the view closes: not with this test's locals.
    view->Stats()->SetReloadCheck({});
}

TEST_F(VKArchivViewTest, ZoomAndQuantitiesAreDisabledWhileTheRangeIsEdited)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    auto enabled = [view](const QString& text) {
        QMenu menu;
        view->FillMenu(menu);
        for (QAction* a : menu.actions())
            if (a->text() == text || (a->menu() && a->menu()->title() == text))
                return a->isEnabled();
        ADD_FAILURE() << text.toStdString();
        return false;
    };
    EXPECT_TRUE(enabled(QStringLiteral("Časová lupa")));
    Send(platform::WM_ARCHIVE_REDRAW, 0);
    EXPECT_FALSE(view->ZoomAllowed());
    EXPECT_FALSE(view->Graph()->Ready());
    EXPECT_EQ(view->List()->IsReady(), 0);
    EXPECT_EQ(view->Stats()->ShowFlag(), 0);
    EXPECT_FALSE(enabled(QStringLiteral("Časová lupa")));
    EXPECT_FALSE(enabled(QStringLiteral("Vertikální lupa")));
    EXPECT_FALSE(enabled(QStringLiteral("Zobrazené veličiny ...")));
    Send(platform::WM_ARCHIVE_REDRAW, 1);
    EXPECT_TRUE(enabled(QStringLiteral("Zobrazené veličiny ...")));
}

TEST_F(VKArchivViewTest, AClickInTheGraphMovesTheCurrentRecordAndTheValuesFollow)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    CVKGrafAktual* graph = view->Graph();
    const auto clickAt = [&](int permille) {
        ClickAcross(graph, permille);
        return m_doc->GetFamilyArchiv().GetCurrentRecordTime();
    };
    const CTime early = clickAt(100);
    const CTime late = clickAt(900);
    EXPECT_GT(late.GetTime(), early.GetTime() + 600);
    // The values panel names the record it shows.
    const QString shown = late.Format(QStringLiteral("%d.%m.%Y %H:%M:%S"));
    bool found = false;
    for (const QLabel* label : view->Values()->findChildren<QLabel*>())
        found = found || label->text() == shown;
    EXPECT_TRUE(found) << shown.toStdString();
    // Keys step by records through the document.
    graph->setFocus();
    QTest::keyClick(graph, Qt::Key_Left);
    QApplication::processEvents();
    EXPECT_EQ(m_doc->GetFamilyArchiv().GetCurrentRecordTime().GetTime(), late.GetTime() - 60);
}

TEST_F(VKArchivViewTest, ANewRangeFromTheBarBecomesTheDocumentsWindow)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    CTime start, end;
    m_doc->Navigator().GetFileRange(start, end);
    const CTime from(start.GetTime() + 600);
    const CTime to(start.GetTime() + 1500);
    view->Modes().RangeBar()->SetLimits(from, to);
    Send(platform::WM_ARCHIVE_SET_WINDOW);
    CTime ws, we;
    m_doc->Navigator().GetWindow(ws, we);
    EXPECT_EQ(ws.GetTime(), from.GetTime());
    EXPECT_EQ(we.GetTime(), to.GetTime());
    // The view followed: the list counts the records of the new window only.
    Send(platform::WM_ARCHIVE_REFILL, 1);
    EXPECT_LT(view->List()->Model().rowCount(), m_records);
    EXPECT_GT(view->List()->Model().rowCount(), 0);
}

// A range typed into the bar and confirmed inside the first block, which
// begins at 10:01: the values panel at once shows the first record of the
// new range, not the block's first record before it.
TEST_F(VKArchivViewTest, AConfirmedRangeShowsItsFirstRecordInTheValues)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    CGraphRangeBar* bar = view->Modes().RangeBar();
    CTime fileStart, fileEnd;
    m_doc->Navigator().GetFileRange(fileStart, fileEnd);
    const CTime from(fileStart.GetTime() + 3 * 60); // the fourth record
    const CTime to(fileStart.GetTime() + 7 * 60);
    const auto focus = [bar](int id, QEvent::Type type) {
        QFocusEvent event(type, Qt::OtherFocusReason);
        QApplication::sendEvent(bar->Control(id), &event);
    };
    const auto type = [bar](int id, CTime t) {
        static_cast<QDateTimeEdit*>(bar->Control(id))->setDateTime(QDateTime::fromSecsSinceEpoch(t.GetTime()));
    };
    focus(CGraphRangeBar::kFromTime, QEvent::FocusIn);
    for (int id : {CGraphRangeBar::kFromDate, CGraphRangeBar::kFromTime})
        type(id, from);
    for (int id : {CGraphRangeBar::kToDate, CGraphRangeBar::kToTime})
        type(id, to);
    focus(CGraphRangeBar::kToTime, QEvent::FocusOut);
    static_cast<QToolButton*>(bar->Control(CGraphRangeBar::kConfirm))->click();

    CTime ws, we;
    m_doc->Navigator().GetWindow(ws, we);
    ASSERT_EQ(ws.GetTime(), from.GetTime());
    const CTime current = m_doc->GetFamilyArchiv().GetCurrentRecordTime();
    EXPECT_EQ(current.GetTime(), from.GetTime());
    const QString shown = from.Format(QStringLiteral("%d.%m.%Y %H:%M:%S"));
    QStringList labels;
    for (const QLabel* label : view->Values()->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(shown)) << shown.toStdString() << " not among " << labels.join(u'|').toStdString();
}

TEST_F(VKArchivViewTest, TheTimeAxisIsTheWindowOfTheBarAndTheCursorStandsUnderItsTick)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    // 10:10 to 10:30 of a file of 10:00 to 10:31: whole blocks load beyond it.
    const CTime from = ShowWindow(view, 600, 1800);
    CVKGrafAktual* graph = view->Graph();
    const QImage image = graph->RenderImage(); // lays the plot out
    const CGraphRect plot = graph->PlotRect();
    const std::vector<int> ticks = timeaxis::TickXs(image, plot);
    ASSERT_GE(ticks.size(), 3u);
    // The window starts and ends on whole minutes: ticks at both edges.
    EXPECT_NEAR(ticks.front(), plot.left, 1);
    EXPECT_NEAR(ticks.back(), plot.right, 1);
    ExpectAClickedTickSelectsItsRecord(graph, from, 1200,
                                       [this] { return m_doc->GetFamilyArchiv().GetCurrentRecordTime(); });
}

TEST_F(VKArchivViewTest, TheGraphTakesTheStoredRangesOfItsCategories)
{
    // Ranges stored by the family's settings page, not automatic.
    platform::Settings settings;
    CScaleCategories stored(2);
    stored.SetAuto(FALSE);
    stored.SetRange(2, 0.5f, 1.5f); // PF
    stored.SetRange(3, 45.f, 55.f); // f
    stored.SetRange(5, 0.f, 20.f);  // THD
    ASSERT_TRUE(stored.SaveToSettings(2, settings));
    const platform::SettingsSection general(QStringLiteral("Obecne nastaveni vk"));
    for (const char* name : {"PF1", "Fr", "THDU1"})
        settings.WriteProfileInt(general, QStringLiteral("is") + QLatin1String(name), 1);
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    struct Range {
        const char* name;
        float minimum;
        float maximum;
    };
    for (const Range& r : {Range{"PF1", 0.5f, 1.5f}, Range{"Fr", 45.f, 55.f}, Range{"THDU1", 0.f, 20.f}}) {
        const CGraphTrace* trace = m_doc->GetFamilyArchiv().SeriesRegistry().FindGraphSeries(QString::fromLatin1(r.name));
        ASSERT_TRUE(trace) << r.name;
        EXPECT_FLOAT_EQ(trace->Minimum(), r.minimum) << r.name;
        EXPECT_FLOAT_EQ(trace->Maximum(), r.maximum) << r.name;
    }
    // The archive's instrument is not known here and stays unknown: a
    // section of its name would list it as an instrument at the next start.
    EXPECT_FALSE(settings.SubSections(QStringLiteral("pristroje")).contains(QStringLiteral("Linka")));
}

TEST_F(VKArchivViewTest, ThePrintedGraphIsHeadedWithTheWindowOfTheBar)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    const CTime from = ShowWindow(view, 600, 1800);
    const CTime to(from.GetTime() + 1200);
    pdfcheck::PdfJobs jobs(true, 1200);
    Send(platform::WM_ARCHIVE_PRINT_GRAPH);
    ASSERT_EQ(jobs.chooserCalls, 1);
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_FALSE(pages.isEmpty());
    const QString format = QStringLiteral("%d.%m.%y %H:%M:%S");
    EXPECT_TRUE(pages[0].contains(QStringLiteral("od ") + from.Format(format) + QStringLiteral(" do ") + to.Format(format)))
        << pages[0].toStdString();
    // The footer is printed whole under the graph.
    EXPECT_TRUE(pages[0].contains(QStringLiteral("qorin01"))) << pages[0].toStdString();
}

TEST_F(VKArchivViewTest, ExportWritesTheListOnlyInListMode)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    int dialogs = 0;
    const QString out = m_dir.filePath(QStringLiteral("vystup"));
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        ++dialogs;
        auto* exportDlg = qobject_cast<charts::CExportDlg*>(&dialog);
        EXPECT_TRUE(exportDlg);
        if (!exportDlg)
            return int(QDialog::Rejected);
        EXPECT_TRUE(exportDlg->Path().endsWith(QStringLiteral("data.csv")));
        EXPECT_EQ(exportDlg->DecimalIndex(), charts::kCsvDecimalPoint);
        exportDlg->SetPath(out);
        return int(QDialog::Accepted);
    };
    Send(platform::WM_ARCHIVE_PRINT_LIST); // graph mode: nothing
    EXPECT_EQ(dialogs, 0);
    Send(platform::WM_ARCHIVE_REFILL, 1);
    Send(platform::WM_ARCHIVE_PRINT_LIST);
    EXPECT_EQ(dialogs, 1);
    QFile file(out + QStringLiteral(".csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    // Preamble of three lines and an empty one, the header, one line per record, three closing lines.
    EXPECT_EQ(lines.size(), 4 + 1 + m_records + 3 + 1);
    EXPECT_TRUE(lines[4].startsWith("\"\xC8" "as1\","));
}

TEST_F(VKArchivViewTest, AListOfAFileThatChangedIsNeitherPrintedNorExported)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    Send(platform::WM_ARCHIVE_REFILL, 1);
    WriteBlocks(1); // the recorder went on meanwhile
    pdfcheck::PdfJobs jobs;
    ui::ScriptedMessageBoxes boxes;
    int dialogs = 0;
    CArchivDocHooks::Instance().runDialog = [&](QDialog&) { return ++dialogs, int(QDialog::Rejected); };
    Send(platform::WM_ARCHIVE_PRINT_GRAPH);
    EXPECT_EQ(jobs.chooserCalls, 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text,
              QStringLiteral("Zobrazené hodnoty nelze vytisknout, protože došlo k změně archivního souboru."));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    // Read again, the list now prints.
    Send(platform::WM_ARCHIVE_PRINT_GRAPH);
    EXPECT_EQ(jobs.chooserCalls, 1);
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()) >= 1, true);

    WriteBlocks(1);
    Send(platform::WM_ARCHIVE_PRINT_LIST);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(boxes.Requests().size(), 2u);
}

TEST_F(VKArchivViewTest, TheGraphPrintsItsWindowWithTheHeading)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    pdfcheck::PdfJobs jobs(true, 1200);
    Send(platform::WM_ARCHIVE_PRINT_GRAPH);
    if (!qEnvironmentVariableIsEmpty("QORIN_PRINTOUTS")) { QFile::remove(qEnvironmentVariable("QORIN_PRINTOUTS") + QStringLiteral("/vkgraph.pdf")); QFile::copy(jobs.Path(), qEnvironmentVariable("QORIN_PRINTOUTS") + QStringLiteral("/vkgraph.pdf")); }
    ASSERT_EQ(jobs.chooserCalls, 1);
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Naměřený graf"))) << pages[0].toStdString();
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Graf vybraných veličin")));
    // Under the plot the time axis's labels keep inside the frame, in the
    // lines of whatever face prints them.
    pdfcheck::ExpectTimeLabelsInsideTheFrame(jobs.Path());

    pdfcheck::PdfJobs cancelled(false);
    EXPECT_FALSE(view->Graph()->Print());
    EXPECT_FALSE(QFile::exists(cancelled.Path()));
}

TEST_F(VKArchivViewTest, PanesDividersTabsAndStatisticsComeBackFromTheArchive)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    view->SetPanes(true, true, false, false);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 0)); // no divider: nothing
    CVKArchivViewRecord wanted = view->StateRecord();
    wanted.prickaY = 650;
    wanted.nominalVoltage = 400.0f;
    wanted.window1 = 600;
    wanted.hasLayout = wanted.hasPlacement = wanted.hasStatistics = true;
    view->ApplyStateRecord(wanted);
    EXPECT_EQ(view->RatioY(), 650);
    m_doc->Navigator(); // still open
    CloseView();

    CVKArchivView* again = OpenView();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->PaneMask(), CVKPaneLayout::kGraphBit | CVKPaneLayout::kValuesBit);
    EXPECT_EQ(again->RatioY(), 650); // the stored divider, not the reset one
    EXPECT_FLOAT_EQ(again->Stats()->GetSettings().nominalVoltage, 400.0f);
    EXPECT_EQ(again->Stats()->GetSettings().window1, 600);
}

TEST_F(VKArchivViewTest, TheGraphsChoiceIsKeptInTheArchiveBesideTheViewRecord)
{
    CVKArchivView* view = OpenView();
    ASSERT_TRUE(view);
    view->SetPanes(true, true, true, false);
    CVKGrafAktual* graph = view->Graph();
    graph->SetQuantity(10, 1, 0x123456); // Fr
    graph->SetQuantity(0, 0, 0x0000FF);  // U1 off
    graph->SetGrid(true);
    graph->SetOdbDod(1);
    CloseView();

    CVKArchivView* again = OpenView();
    ASSERT_TRUE(again);
    int shown = 0;
    std::uint32_t colour = 0;
    ASSERT_TRUE(again->Graph()->GetQuantity(10, shown, colour));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(colour, 0x123456u);
    ASSERT_TRUE(again->Graph()->GetQuantity(0, shown, colour));
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(again->Graph()->Grid());
    EXPECT_EQ(again->Graph()->IsOdbDod(), 1);
    EXPECT_EQ(again->PaneMask(), CVKPaneLayout::kGraphBit | CVKPaneLayout::kValuesBit | CVKPaneLayout::kAlarmsBit);
    // The list follows the graph's quantities.
    EXPECT_EQ(again->List()->ColumnFlags().flags[9], 1); // Fr, after I4 left out
    EXPECT_EQ(again->List()->ColumnFlags().flags[0], 0);
}

TEST(VKArchivViewRecord, PartsAreReadOnlyWhenTheBlockHoldsThem)
{
    CVKArchivViewRecord full;
    full.isAlarm = 0;
    full.prickaX = 300;
    full.cx = 640;
    full.tab3 = 2;
    full.nominalCurrent = 1.0f;
    full.currentMultiplier = 1000;
    const QByteArray bytes = full.Write();
    ASSERT_EQ(bytes.size(), CVKArchivViewRecord::kSize);

    struct Case {
        int length;
        bool layout, placement, statistics;
    };
    const Case cases[] = {
        {0, false, false, false}, {19, false, false, false}, {20, true, false, false}, {40, true, false, false},
        {52, true, true, false},  {60, true, true, false},   {84, true, true, true},
    };
    for (const Case& c : cases) {
        const CVKArchivViewRecord read = CVKArchivViewRecord::Read(bytes.left(c.length));
        EXPECT_EQ(read.hasLayout, c.layout) << c.length;
        EXPECT_EQ(read.hasPlacement, c.placement) << c.length;
        EXPECT_EQ(read.hasStatistics, c.statistics) << c.length;
        EXPECT_EQ(read.isAlarm, c.layout ? 0 : 1) << c.length;
        EXPECT_EQ(read.cx, c.placement ? 640 : 0) << c.length;
        EXPECT_EQ(read.currentMultiplier, c.statistics ? 1000 : 1) << c.length;
    }
    // A statistics block whose length is not 4 is not ours.
    QByteArray odd = bytes;
    odd[52] = 8;
    EXPECT_FALSE(CVKArchivViewRecord::Read(odd).hasStatistics);
    EXPECT_TRUE(CVKArchivViewRecord::Read(odd).hasPlacement);
}

} // namespace
