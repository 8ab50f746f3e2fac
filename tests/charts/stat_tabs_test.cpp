// The statistics result tabs of the VK and VKR archives: cell texts, the
// rows and captions of the quantity tabs, the segment tabs, and printing.
#include "PdfCheck.h"

#include "charts/StatCells.h"
#include "charts/StatTabCtrl.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>

namespace {

using platform::CTime;
using namespace statcells;

TEST(StatCells, TextsOfValuesTimesSharesWindowsAndUnits)
{
    struct Case {
        QString text;
        const char* expected;
    };
    const CTime t(1233478800); // 2009-02-01 10:00 local
    const Case cases[] = {
        {VKValue(2.5f, QStringLiteral("%0.2f"), 0), "2.50"},
        {VKValue(2.5f, QStringLiteral("%0.2f"), 1), "--"},
        {VKValue(2.5f, QStringLiteral("%0.2f"), 2), "-N-"},
        {VKTime(t, 0), "10:00:00 01.02.2009"},
        {VKTime(t, 2), "-N-"},
        {VKShareCount(12.34f, 3, 0), "12.3% / 3"},
        {QorinValue(0.955f, QStringLiteral("%0.2f"), 0), "--"},
        {QorinValue(1725.0f, QStringLiteral("%0.2f"), 1), "1725.00"},
        {WindowLabel(600), "10 min"},
        {WindowLabel(7200), "2 hod"},
        {WindowLabel(120), "1 min"},
        {VoltageUnit(1000), "kV"},
        {VoltageUnit(1), "V"},
        {CurrentUnit(1000000), "MA"},
        {PowerUnit(1000000, 1), "Mvar"},
        {PowerUnit(1000, 2), "kVA"},
        {PowerUnit(7, 0), "W"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, QString::fromUtf8(c.expected));
    float percent = 0;
    ASSERT_TRUE(PercentOfNominal(1, 2.5f, 5.0f, percent));
    EXPECT_EQ(VKValue(percent, QStringLiteral("%0.1f"), 0), QStringLiteral("50.0"));
    EXPECT_FALSE(PercentOfNominal(1, 2.5f, 0.0f, percent));
}

class StatTabsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_settings.window1 = 600;
        m_settings.window2 = 3600;
        for (int i = 0; i < 2; ++i) {
            CVKStatResult& r = m_results[i];
            r.settings = &m_settings;
            r.tail.startText = QStringLiteral("0%1.02.2009 10:00:00").arg(i + 1);
            r.tail.endText = QStringLiteral("0%1.02.2009 10:00:00").arg(i + 2);
            r.tail.lengthText = QStringLiteral("24:00:00");
            r.tail.coveredText = QStringLiteral("23:59:00");
            r.tail.intervalText = QStringLiteral("60 s");
            r.currents[0].average = 2.5f * float(i + 1);
            r.currents[0].averageState = vkstat::kPresent;
            r.voltageThd[0].average = 1.25f;
            r.voltageThd[0].averageState = vkstat::kPresent;
            r.voltageThd[4].averageState = vkstat::kNotApplicable;
        }
    }
    CVKStatSettings m_settings;
    CVKStatResult m_results[2];
};

TEST_F(StatTabsTest, CurrentTabShowsPercentOfNominalAndTheWindowInItsCaptions)
{
    CStatTabCtrl tabs(false);
    tabs.SetResults(2, m_results);
    tabs.Quantities().SelectTab(1);
    CGridCtrl& grid = tabs.Quantities().Grid();
    EXPECT_EQ(grid.GetCellText(1, 0), QStringLiteral("Proud [A]"));
    EXPECT_EQ(grid.GetCellText(2, 0), QStringLiteral("Průměrný:"));
    EXPECT_EQ(grid.GetCellText(3, 0), QStringLiteral("Tj. v % nom:"));
    EXPECT_EQ(grid.GetCellText(2, 1), QStringLiteral("2.50"));
    EXPECT_EQ(grid.GetCellText(3, 1), QStringLiteral("50.0"));
    EXPECT_EQ(grid.GetCellText(2, 2), QStringLiteral("--"));
    EXPECT_EQ(grid.GetCellText(6, 0), QStringLiteral("Max. klouzavý (10 min)"));
    EXPECT_EQ(grid.GetCellText(14, 0), QStringLiteral("Harmonické zkreslení THD [%]"));
    EXPECT_EQ(grid.GetCell(14, 0)->back, QColor(0xC8, 0, 0));
    EXPECT_EQ(grid.GetRowCount(), 20);
    // The power tab takes the second window.
    tabs.Quantities().SelectTab(2);
    EXPECT_EQ(grid.GetCellText(6, 0), QStringLiteral("Max. klouzavý (1 hod)"));
    EXPECT_EQ(grid.GetRowCount(), 60);
    EXPECT_EQ(grid.GetCellText(47, 0), QStringLiteral("Zdánlivý výkon [VA]"));
}

TEST_F(StatTabsTest, VoltageThdIsFilledInTheLineColumnsOnlyForVKR)
{
    for (const bool vkr : {false, true}) {
        CStatTabCtrl tabs(vkr);
        tabs.SetResults(1, m_results);
        CGridCtrl& grid = tabs.Quantities().Grid();
        ASSERT_EQ(grid.GetCellText(15, 0), QStringLiteral("Harmonické zkreslení THD [%]"));
        EXPECT_EQ(grid.GetCellText(16, 1), QStringLiteral("1.25"));
        EXPECT_EQ(grid.GetCellText(16, 5), vkr ? QStringLiteral("-N-") : QString()) << vkr;
        EXPECT_EQ(grid.GetCellText(16, 4), vkr ? QStringLiteral("--") : QString()) << vkr;
    }
}

TEST_F(StatTabsTest, SegmentsAreNamedByTheirStartAndShowTheirOwnResult)
{
    CStatTabCtrl tabs(false);
    QSignalSpy chosen(&tabs, &CStatTabCtrl::segmentSelected);
    tabs.SetResults(2, m_results);
    ASSERT_EQ(tabs.Segments().count(), 2);
    EXPECT_EQ(tabs.Segments().tabText(1), QStringLiteral("02.02.2009 10:00:00"));
    tabs.Quantities().SelectTab(1);
    tabs.Segments().setCurrentIndex(1);
    EXPECT_EQ(tabs.SelectedSegment(), 1);
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.back().at(0).toInt(), 1);
    EXPECT_EQ(tabs.Quantities().Grid().GetCellText(2, 1), QStringLiteral("5.00"));
    EXPECT_EQ(tabs.Quantities().Period().findChild<QLineEdit*>(QStringLiteral("32017"))->text(),
              QStringLiteral("02.02.2009 10:00:00"));

    // A new hand-over keeps the quantity tab and selects the first segment.
    tabs.SetResults(2, m_results);
    EXPECT_EQ(tabs.SelectedSegment(), 0);
    EXPECT_EQ(tabs.Quantities().SelectedTab(), 1);
    EXPECT_EQ(tabs.Quantities().Grid().GetCellText(2, 1), QStringLiteral("2.50"));

    // Freed results: nothing of them is shown any more.
    tabs.SetResults(0, nullptr);
    EXPECT_EQ(tabs.Quantities().Result(), nullptr);
    EXPECT_EQ(tabs.Quantities().Grid().GetCellText(2, 1), QString());
}

TEST_F(StatTabsTest, PrintsTheSelectedTabWithThePeriodLines)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    CStatTabCtrl tabs(false);
    tabs.SetResults(2, m_results);
    tabs.Quantities().SelectTab(1);
    ASSERT_TRUE(tabs.PrintAll(QStringLiteral("hala")));
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_GE(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Statistiky hala od 01.02.2009 10:00:00 do 02.02.2009 10:00:00")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("10:00:00.")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Celková doba: 24:00:00 , z toho archivní záznam: 23:59:00.")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Interval záznamu : 60 s.")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Tj. v % nom:")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("50.0")));
}


// The VKT tabs: the neutral's columns, the overload rows and the records'
// order of phases (the neutral before the three-phase total).
TEST(VKTStatTabs, NeutralColumnsOverloadRowsAndPositions)
{
    CVKTStatSettings settings;
    settings.window2 = 900;
    CVKTStatResult r;
    r.settings = &settings;
    r.tail.startText = QStringLiteral("01.02.2009 10:00:00");
    r.voltages[3].average = 12.5f; // UN
    r.voltages[3].averageState = vkstat::kPresent;
    r.voltages[4].average = 400.0f; // U12
    r.voltages[4].averageState = vkstat::kPresent;
    r.voltages[0].overloadShare = 2.5f;
    r.voltages[0].overloadChanges = 3;
    r.voltages[0].overloadState = vkstat::kPresent;
    r.currents[3].overloadState = vkstat::kNotApplicable;
    r.overloads[4] = {4, 10.0f, vkstat::kPresent};
    r.powers[4].average = 6000.0f; // P import, total
    r.powers[4].averageState = vkstat::kPresent;
    r.powerAboveHalf[10 + 4] = 75.0f; // S, total
    r.energies[3].value = 1.5f; // P import, neutral
    r.energies[3].state = vkstat::kNotApplicable;
    r.powerFactors[5 + 4].average = 0.5f; // export, total
    r.powerFactors[5 + 4].averageState = vkstat::kPresent;

    CStatTabCtrl tabs(CStatQuantityTabs::kVKT);
    tabs.SetResults(std::vector<const CVKTStatResult*>{&r});
    ASSERT_EQ(tabs.Segments().count(), 1);
    EXPECT_EQ(tabs.Segments().tabText(0), r.tail.startText);
    CStatQuantityTabs& q = tabs.Quantities();
    CGridCtrl& g = q.Grid();
    struct Cell {
        int tab, row, column;
        const char* text;
    };
    const Cell cells[] = {
        {0, 0, 7, "UN"},
        {0, 2, 7, "12.5"},
        {0, 2, 4, "400.0"},
        {0, 15, 0, "Doba přetížení / počet"},
        {0, 15, 1, "2.5% / 3"},
        {0, 16, 0, "Harmonické zkreslení THD [%]"},
        {0, 17, 4, ""}, // no THD of line voltages
        {1, 0, 4, "N"},
        {1, 14, 4, "-N-"},
        {1, 15, 0, "Harmonické zkreslení THD [%]"},
        {2, 2, 4, "6000.0"},
        {2, 60, 0, "Přetížení:"},
        {2, 61, 4, "10.0% / 4"},
        {2, 58, 4, "75.0"}, // S above half of nominal, total
        {3, 0, 5, "N"},
        {3, 9, 4, "0.50"},
        {4, 2, 5, "-N-"},
    };
    for (const Cell& c : cells) {
        q.SelectTab(c.tab);
        EXPECT_EQ(g.GetCellText(c.row, c.column), QString::fromUtf8(c.text)) << c.tab << " " << c.row << " " << c.column;
    }
    q.SelectTab(2);
    EXPECT_EQ(g.GetRowCount(), 62);
    EXPECT_EQ(g.GetCellText(6, 0), QStringLiteral("Max. klouzavý (15 min)"));

    // Freed results leave no values behind.
    tabs.SetResults(0, nullptr);
    q.SelectTab(0);
    EXPECT_EQ(q.VKTResult(), nullptr);
    EXPECT_EQ(g.GetCellText(2, 7), QString());
}

} // namespace
