// The VKT archive view: its 84-byte record in the archive and the view over
// an archive recorded by the family writer.
#include "VKTTestValues.h"
#include "analysers_vk/ArchivViewFixture.h"

#include "analysers_vk/VKArchivModes.h"
#include "analysers_vkt/VKTArchivView.h"
#include "analysers_vkt/VKTArchivViewRecord.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/StoreTestSupport.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/ExportDlg.h"
#include "charts/PdfCheck.h"
#include "charts/StatPanel.h"
#include "model/VKTConfig.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vkt;
using platform::CTime;

namespace {

TEST(VKTArchivViewRecord, PartsAreReadOnlyAsFarAsTheBlockReaches)
{
    CVKTArchivViewRecord full;
    full.isAlarm = 0;
    full.prickaX = 345;
    full.prickaY = 678;
    full.x = 10;
    full.cx = 500;
    full.cy = 400;
    full.showCommand = 3;
    full.tab1 = 2;
    full.SetA(100.0f);
    full.SetB(2000.0f);
    full.window1 = 120;
    full.currentMultiplier = 1000;
    const QByteArray bytes = full.Write();
    ASSERT_EQ(bytes.size(), CVKTArchivViewRecord::kSize);
    // Offsets of the stored layout: the block length before each float.
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    in.skipRawData(52);
    qint32 length = 0;
    in >> length;
    EXPECT_EQ(length, 4);

    struct Case {
        int size;
        bool layout, placement, statistics;
    };
    const Case cases[] = {{19, false, false, false}, {20, true, false, false}, {51, true, false, false},
                          {52, true, true, false},   {83, true, true, false},  {84, true, true, true}};
    for (const Case& c : cases) {
        const CVKTArchivViewRecord r = CVKTArchivViewRecord::Read(bytes.left(c.size));
        EXPECT_EQ(r.hasLayout, c.layout) << c.size;
        EXPECT_EQ(r.hasPlacement, c.placement) << c.size;
        EXPECT_EQ(r.hasStatistics, c.statistics) << c.size;
        EXPECT_EQ(r.prickaX, c.layout ? 345 : CVKTArchivViewRecord().prickaX) << c.size;
        EXPECT_EQ(r.tab1, c.placement ? 2 : -1) << c.size;
        EXPECT_EQ(r.window1, c.statistics ? 120 : 60) << c.size;
    }
    const CVKTArchivViewRecord back = CVKTArchivViewRecord::Read(bytes);
    EXPECT_FLOAT_EQ(back.LineVoltage(), 100.0f * 1.7320508f);
    EXPECT_FLOAT_EQ(back.ThreePhasePower(), 6000.0f);
    EXPECT_FLOAT_EQ(back.Current(), 20.0f);
    CVKTArchivViewRecord zero;
    zero.SetA(0.0f);
    EXPECT_FALSE(zero.HasCurrent());

    // A float block of another length is not taken.
    QByteArray bad = bytes;
    bad[52] = 8;
    EXPECT_FALSE(CVKTArchivViewRecord::Read(bad).hasStatistics);
    EXPECT_TRUE(CVKTArchivViewRecord::Read(bad).hasPlacement);
}

class VKTArchivViewTest
    : public archivviewtest::TArchivViewFixture<CVKTArchivData, CVKTArchivDoc, CVKTArchivView> {
protected:
    void SetUp() override
    {
        CreateArchive(AddVKTArchivTemplate, CTime(2024, 3, 10, 10, 0, 0), QStringLiteral("hala"),
                      CVKTArchivData::Extension(), QStringLiteral("Hala"));
        CVKTConfig config;
        config.SetVtPrimary(1);
        config.SetCtPrimary(50);
        config.SetConnection(CVKTConfig::FourPhase);
        for (int b = 0; b < 3; ++b)
            WriteBlock(config, [](int record) { return vkttest::MakeValues(0x1F, record); });
    }

    CVKTArchivView* OpenView()
    {
        return OpenArchive(QStringLiteral("VKTArchiv.Document"), QStringLiteral("hala.vkt"), QSize(1000, 760));
    }
};

TEST_F(VKTArchivViewTest, OpensWithTheGraphUnderTheRangeBarAndNeverThePanel)
{
    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->Initialised());
    EXPECT_EQ(view->Mode(), 0);
    EXPECT_EQ(view->PaneMask() & CVKT01View::Layout::kPanelBit, 0);
    EXPECT_TRUE(view->Graph()->isVisibleTo(view));
    EXPECT_TRUE(view->Graph()->HasSource());
    EXPECT_TRUE(view->Values()->ArchiveMode());
    CGraphRangeBar* bar = view->Modes().RangeBar();
    EXPECT_EQ(view->Graph()->geometry().top(), bar->geometry().top() + analysers_vk::CVKArchivModes::kBarHeight);
    // The values dialog shows a record of the archive.
    EXPECT_NE(view->Values()->FieldText(1015), QStringLiteral("--"));
}

TEST_F(VKTArchivViewTest, TheOutputsBandShowsTheOutputsOfTheRecords)
{
    // Three more blocks with output 1 on in every other pair of records;
    // the band is switched on.
    CVKTConfig config;
    config.SetVtPrimary(1);
    config.SetCtPrimary(50);
    config.SetConnection(CVKTConfig::FourPhase);
    for (int b = 0; b < 3; ++b)
        WriteBlock(config, [](int record) {
            CAktData v = vkttest::MakeValues(0x1F, record);
            v.SetStatusA(BYTE(record % 4 < 2 ? 0x01 : 0x00));
            return v;
        });
    platform::Settings().WriteProfileInt(platform::SettingsSection("Obecne nastaveni vkt"), QStringLiteral("isSpinac"),
                                         1);
    CVKTArchivView* view = OpenArchive(QStringLiteral("VKTArchiv.Document"), QStringLiteral("hala.vkt"), QSize(1000, 900));
    ASSERT_TRUE(view);
    CGraphWnd* graph = view->Graph();
    const QImage image = graph->RenderImage();
    const CGraphRect plot = graph->PlotRect();
    const QRgb bar = ColorFromRef(CGraphPainter::kBarColour).rgb();
    int bars = 0;
    for (int y = plot.bottom + 6; y < image.height(); ++y)
        for (int x = plot.left; x < plot.right; ++x)
            bars += image.pixel(x, y) == bar ? 1 : 0;
    EXPECT_GT(bars, 0) << "no output bars under the plot";
}

TEST_F(VKTArchivViewTest, TheAlarmListShowsTheEventsOfTheWindowInEveryMode)
{
    AddEvents();
    CVKTConfig config;
    config.SetCtPrimary(50);
    WriteBlock(config, [](int record) { return vkttest::MakeValues(0x1F, record); });
    auto* view = OpenView();
    ASSERT_TRUE(view);
    ExpectEventRowsInEveryMode(view);
}

TEST_F(VKTArchivViewTest, LayoutAndStatisticsAreKeptInTheArchive)
{
    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    view->TogglePane(CVKT01View::Layout::kAlarmsBit);
    view->Stats()->GetSettings().nominalVoltage = 100.0f;
    view->Stats()->GetSettings().nominalPowerPhase = 2000.0f;
    const int y = view->RatioY();
    CloseView();

    CVKTArchivView* again = OpenView();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->PaneMask() & CVKT01View::Layout::kAlarmsBit, 0);
    EXPECT_EQ(again->RatioY(), y);
    const CVKTStatSettings& stats = again->Stats()->GetSettings();
    EXPECT_FLOAT_EQ(stats.nominalVoltageLine, 100.0f * 1.7320508f);
    EXPECT_FLOAT_EQ(stats.nominalPower, 6000.0f);
    EXPECT_FLOAT_EQ(stats.nominalCurrent, 20.0f);
}

TEST_F(VKTArchivViewTest, GraphChoicesAreKeptInTheArchive)
{
    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    CVKTGrafAktual* graph = view->Graph();
    graph->SetQuantity(22, 1, 0x123456); // "_u2"
    graph->SetQuantity(0, 0, CVKTGrafAktual::QuantityAt(0).colour);
    graph->SetOffLineZob(2);
    const QByteArray record = graph->ArchiveRecord();
    // A record cut short changes nothing.
    EXPECT_FALSE(graph->ApplyArchiveRecord(record.left(record.size() - 4)));
    EXPECT_EQ(graph->OffLineZob(), 2);
    CloseView();

    CVKTArchivView* again = OpenView();
    ASSERT_TRUE(again);
    int shown = 0;
    std::uint32_t colour = 0;
    again->Graph()->GetQuantity(22, shown, colour);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(colour, 0x123456u);
    again->Graph()->GetQuantity(0, shown, colour);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(again->Graph()->OffLineZob(), 2);
}

TEST_F(VKTArchivViewTest, ExportWritesTheListOnlyOutsideGraphMode)
{
    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    int dialogs = 0;
    const QString out = m_dir.filePath(QStringLiteral("vystup"));
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        ++dialogs;
        auto* exportDlg = qobject_cast<charts::CExportDlg*>(&dialog);
        if (!exportDlg)
            return int(QDialog::Rejected);
        exportDlg->SetPath(out);
        return int(QDialog::Accepted);
    };
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_LIST, 0, 0); // graph mode: nothing
    EXPECT_EQ(dialogs, 0);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REFILL, 1, 0);
    EXPECT_EQ(view->Mode(), 1);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_LIST, 0, 0);
    EXPECT_EQ(dialogs, 1);
    CArchivDocHooks::Instance().runDialog = nullptr;
    QFile file(out + QStringLiteral(".csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // A line per record among the rest.
    EXPECT_GT(file.readAll().count('\n'), 30);
}

TEST_F(VKTArchivViewTest, TheGraphPrintsItsWindowWithTheHeading)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    view->Graph()->SetSpinac(1); // with the channel band on paper
    pdfcheck::PdfJobs jobs;
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    ASSERT_EQ(jobs.chooserCalls, 1);
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Naměřený graf"))) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QStringLiteral("hala"))) << pages[0].toStdString();

    pdfcheck::PdfJobs cancelled(false);
    EXPECT_FALSE(view->Graph()->Print());
    EXPECT_FALSE(QFile::exists(cancelled.Path()));
}

} // namespace

