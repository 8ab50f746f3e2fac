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
#include "model/ScaleCategories.h"
#include "model/ScaleCategorySection.h"
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
#include <QTest>

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
        const CVKTConfig config = FourPhase();
        for (int b = 0; b < 3; ++b)
            WriteBlock(config, [](int record) { return vkttest::MakeValues(0x1F, record); });
    }

    // The fixture's installation: four phases, CT 50.
    static CVKTConfig FourPhase()
    {
        CVKTConfig config;
        config.SetVtPrimary(1);
        config.SetCtPrimary(50);
        config.SetConnection(CVKTConfig::FourPhase);
        return config;
    }

    CVKTArchivView* OpenView()
    {
        return OpenArchive(QStringLiteral("VKTArchiv.Document"), QStringLiteral("hala.vkt"), QSize(1000, 760));
    }

    struct Range {
        const char* name;
        float minimum;
        float maximum;
    };
    void ExpectRanges(std::initializer_list<Range> ranges)
    {
        for (const Range& r : ranges) {
            const CGraphTrace* trace =
                m_doc->GetFamilyArchiv().SeriesRegistry().FindGraphSeries(QString::fromLatin1(r.name));
            ASSERT_TRUE(trace) << r.name;
            EXPECT_FLOAT_EQ(trace->Minimum(), r.minimum) << r.name;
            EXPECT_FLOAT_EQ(trace->Maximum(), r.maximum) << r.name;
        }
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
    const CVKTConfig config = FourPhase();
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

TEST_F(VKTArchivViewTest, AClickInTheGraphMovesTheCurrentRecordAndTheValuesAndCursorFollow)
{
    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    // 10:10 to 10:30 of a file of 10:00 to 10:31: ticks at both ends.
    const CTime from = ShowWindow(view, 600, 1800);
    CVKTGrafAktual* graph = view->Graph();
    const auto clickAt = [&](int permille) {
        ClickAcross(graph, permille);
        return m_doc->GetFamilyArchiv().GetCurrentTime();
    };
    const CTime early = clickAt(100);
    const CTime late = clickAt(900);
    EXPECT_GT(late.GetTime(), early.GetTime() + 600);
    // The values dialog names the record it shows.
    EXPECT_EQ(view->Values()->FieldText(1045), late.Format(QStringLiteral("%d.%m %H:%M:%S")));

    ExpectAClickedTickSelectsItsRecord(graph, from, 1200,
                                       [this] { return m_doc->GetFamilyArchiv().GetCurrentTime(); });
}

// Without a record of the archive's own the graph takes the VKT ranges of the
// general settings; an instrument this computer does not know gains no
// section (it would be an instrument of the list at the next start).
TEST_F(VKTArchivViewTest, WithoutItsOwnRecordTheGraphTakesTheVKTRangesOfTheGeneralSettings)
{
    platform::Settings settings;
    const platform::SettingsSection general(QStringLiteral("Obecne nastaveni vkt"));
    CScaleCategories stored(4);
    stored.SetAuto(FALSE);
    stored.SetRange(2, 0.5f, 1.5f); // PF
    stored.SetRange(3, 45.f, 55.f); // f
    stored.SetRange(5, 0.f, 20.f);  // THD
    ASSERT_TRUE(stored.SaveToSettings(4, settings));
    // The VK ranges stay with the VK.
    CScaleCategories vk(2);
    vk.SetAuto(FALSE);
    vk.SetRange(3, 49.f, 51.f);
    ASSERT_TRUE(vk.SaveToSettings(2, settings));
    for (const char* name : {"PF1", "Fr", "THDU1"})
        settings.WriteProfileInt(general, QStringLiteral("is") + QLatin1String(name), 1);

    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    ExpectRanges({{"PF1", 0.5f, 1.5f}, {"Fr", 45.f, 55.f}, {"THDU1", 0.f, 20.f}});
    EXPECT_FALSE(settings.SubSections(QStringLiteral("pristroje")).contains(QStringLiteral("Hala")));
}

// The archive's instrument set up on this computer: its own quantities and
// ranges, not the general ones.
TEST_F(VKTArchivViewTest, WithoutItsOwnRecordTheGraphTakesTheSettingsOfTheArchivesInstrument)
{
    platform::Settings settings;
    CScaleCategories general(4);
    general.SetAuto(FALSE);
    general.SetRange(3, 45.f, 55.f);
    ASSERT_TRUE(general.SaveToSettings(4, settings));
    settings.WriteProfileInt(platform::SettingsSection(QStringLiteral("Obecne nastaveni vkt")), QStringLiteral("isPF1"),
                             1);
    const platform::SettingsSection hala({QStringLiteral("pristroje"), QStringLiteral("Hala")});
    settings.WriteProfileInt(hala, QStringLiteral("init"), 1);
    settings.WriteProfileInt(hala, QStringLiteral("isFr"), 1);
    settings.WriteProfileInt(hala, QStringLiteral("isT"), 1);
    CScaleCategories own(4);
    own.SetAuto(FALSE);
    own.SetRange(3, 40.f, 60.f);
    own.SetRange(6, -10.f, 50.f); // T
    SaveScaleCategories(own, settings, hala);

    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    int shown = 0;
    std::uint32_t colour = 0;
    view->Graph()->GetQuantity(8, shown, colour); // PF1
    EXPECT_EQ(shown, 0);
    view->Graph()->GetQuantity(0, shown, colour); // U1, shown by default
    EXPECT_EQ(shown, 1);
    ExpectRanges({{"Fr", 40.f, 60.f}, {"T", -10.f, 50.f}});
}

// Import/export chosen for the archive's instrument: the power axes take
// their negative part and an exported power is drawn on them.
TEST_F(VKTArchivViewTest, WithImportExportTheExportedPowerIsOnItsAxis)
{
    platform::Settings settings;
    const platform::SettingsSection hala({QStringLiteral("pristroje"), QStringLiteral("Hala")});
    settings.WriteProfileInt(hala, QStringLiteral("init"), 1);
    settings.WriteProfileInt(hala, QStringLiteral("isOdbDod"), 1);
    settings.WriteProfileInt(hala, QStringLiteral("isP1"), 1);
    const CVKTConfig config = FourPhase();
    for (int b = 0; b < 3; ++b)
        WriteBlock(config, [](int record) {
            CAktData v = vkttest::MakeValues(0x1F, record);
            for (int i = 0; i < CAktData::kInputs; ++i)
                if (CAktPhase* ph = v.GetPhase(i))
                    ph->activePower = -1500.0f;
            return v;
        });

    CVKTArchivView* view = OpenView();
    ASSERT_TRUE(view);
    ASSERT_EQ(view->Graph()->IsOdbDod(), 1);
    // Every mode change scales the series again: they keep the choice.
    for (int tab : {1, 0}) {
        view->Modes().RangeBar()->findChild<QTabBar*>()->setCurrentIndex(tab);
        const CGraphTrace* p1 = m_doc->GetFamilyArchiv().SeriesRegistry().FindGraphSeries(u"P1");
        ASSERT_TRUE(p1);
        EXPECT_LT(p1->Minimum(), 0.f) << tab;
        EXPECT_EQ(p1->Option(), 0) << tab;
    }
    // The exported half hour (after the three blocks of the fixture's
    // imported power) is drawn below the middle of the plot, where the
    // axis puts 0.
    const QImage image = view->Graph()->RenderImage();
    const CGraphRect plot = view->Graph()->PlotRect();
    const QRgb colour = ColorFromRef(CVKTGrafAktual::QuantityAt(23).colour).rgb();
    int below = 0, above = 0;
    for (int y = plot.top + 1; y < plot.bottom; ++y)
        for (int x = plot.left + plot.Width() * 6 / 10; x < plot.right; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                ++(y > (plot.top + plot.bottom) / 2 ? below : above);
    EXPECT_GT(below, 0);
    EXPECT_EQ(above, 0);
}

} // namespace

