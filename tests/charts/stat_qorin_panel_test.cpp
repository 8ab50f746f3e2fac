// The statistics panel over a Qorin archive recorded by the store: two
// segments split by the required power factor, the "Proud", "Výkon" and
// "Cos" tabs, the period with the power factor, the segment that moves the
// archive, freeing and printing.
#include "PdfCheck.h"
#include "tests/charts_stats/QorinStatSupport.h"

#include "archive_docs/ArchivDocData.h"
#include "charts/QorinStatPanel.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>

namespace {

using platform::CTimeSpan;
using statstest::At;

struct RowText {
    int row;
    const char* label;
    const char* text;
};

class QorinStatPanelTest : public statstest::ArchiveFixture {
protected:
    // Ten minutes at the required factor 0.95, ten at 0.90; every record
    // 20 A with the factor 0.9487.
    void SetUp() override
    {
        ArchiveFixture::SetUp();
        const CTime start = At(10, 0);
        {
            CQorinArchivData writer;
            Use(writer);
            SetTime(start - CTimeSpan(30));
            ASSERT_EQ(writer.Create(20 * 600, 10, 60, Path(QStringLiteral("hala")), CQorinArchivData::Extension(),
                                    TRUE, TRUE, QStringLiteral("Linka")),
                      1);
            for (int block = 0; block < 2; ++block) {
                writer.AddConfigRecord(statstest::QorinConfig(block == 0 ? 95 : 90));
                for (int i = 0; i < 10; ++i) {
                    SetTime(start + CTimeSpan((block * 10 + i) * 60));
                    writer.AddMeasurementRecord(statstest::QorinValues(4000, 3600, 1200));
                }
                SetTime(start + CTimeSpan((block * 10 + 9) * 60 + 30));
                EndBlock(writer);
            }
            ASSERT_TRUE(writer.WaitWriterIdle(10000));
            writer.Close();
        }
        Use(data);
        ASSERT_EQ(data.Open(Path(QStringLiteral("hala") + CQorinArchivData::Extension())), 1);
        ASSERT_EQ(data.OpenAtEnd(), 1);
        CTime first;
        CTime last;
        data.GetFileRange(first, last);
        data.SetWindow(first, last);
    }
    void TearDown() override { data.Close(); }

    static QString Cell(CStatQuantityTabs& q, int row, int column = 1) { return q.Grid().GetCellText(row, column); }
    template <std::size_t N>
    static void ExpectRows(CStatQuantityTabs& q, const RowText (&rows)[N])
    {
        for (const RowText& r : rows) {
            EXPECT_EQ(Cell(q, r.row, 0), QString::fromUtf8(r.label)) << r.row;
            EXPECT_EQ(Cell(q, r.row), QString::fromUtf8(r.text)) << r.row;
        }
    }

    TArchivDocData<CQorinArchivData> data;
};

TEST_F(QorinStatPanelTest, SegmentsAndTabsShowTheControllerResults)
{
    CQorinStatPanel panel;
    panel.resize(1000, 600);
    const CQorinStatSettings& s = panel.GetSettings();
    EXPECT_EQ(s.requiredPowerFactor, 0.98f);
    EXPECT_EQ(s.filled, 0);
    panel.SetArchivData(&data, &data);
    QSignalSpy moved(&panel, &CStatPanel::graphChanged);
    panel.Refresh();
    // The first run takes the nominal current from the transformer's
    // primary (100/5) and the power from it at 220 V; later runs keep them.
    EXPECT_EQ(s.nominalCurrent, 100.0f);
    EXPECT_EQ(s.nominalPower, 66000.0f);
    EXPECT_EQ(s.filled, 1);
    // The file starts with the first settings record, in force from the
    // window start: one segment per required power factor, none empty.
    ASSERT_EQ(panel.ResultCount(), 2);
    EXPECT_EQ(panel.Tabs().Segments().count(), 2);
    EXPECT_EQ(panel.Results()[0].powerFactorText, QStringLiteral("0.95 / 0.95"));
    // The first segment does not move a controller archive.
    EXPECT_EQ(moved.count(), 0);

    CStatQuantityTabs& q = panel.Tabs().Quantities();
    ASSERT_EQ(q.Tabs().count(), 3);
    EXPECT_EQ(q.Tabs().tabText(0), QStringLiteral("Proud"));
    EXPECT_EQ(q.Tabs().tabText(1), QStringLiteral("Výkon"));
    EXPECT_EQ(q.Tabs().tabText(2), QStringLiteral("Cos"));
    EXPECT_EQ(q.QorinResult(), &panel.Results()[0]);
    ASSERT_NE(q.QorinPeriod(), nullptr);
    EXPECT_EQ(q.QorinPeriod()->powerFactor, QStringLiteral("0.95 / 0.95"));

    // 20 A of a nominal 100 A; no record above 50 % or 100 %.
    q.SelectTab(0);
    const RowText current[] = {
        {1, "Proud [A]", ""},
        {2, "Průměrný:", "20.00"},
        {3, "Tj. v % nom:", "20.0"},
        {12, "Doba nad 50% Inom [%]:", "0.0"},
        {13, "Doba nad 100% Inom [%]:", "0.0"},
        {14, "Harmonické zkreslení THD [%]", ""},
    };
    ExpectRows(q, current);
    EXPECT_EQ(q.Grid().GetCellText(0, 1), QStringLiteral("1"));

    // Power: import only; the export section has no values.
    q.SelectTab(1);
    EXPECT_EQ(q.Grid().GetCellText(0, 1), QStringLiteral("3f"));
    EXPECT_EQ(Cell(q, 1, 0), QStringLiteral("Činný výkon Import  [W]"));
    EXPECT_NE(Cell(q, 2), QStringLiteral("--"));
    EXPECT_EQ(Cell(q, 14, 0), QStringLiteral("Činný výkon Export [W]"));
    EXPECT_EQ(Cell(q, 15), QStringLiteral("--"));
    EXPECT_EQ(Cell(q, 27, 0), QStringLiteral("Jalový chybějící [var]"));
    EXPECT_EQ(Cell(q, 28), QStringLiteral("100.0"));
    EXPECT_EQ(Cell(q, 34, 0), QStringLiteral("Jalový přebývající [var]"));

    // 0.9487 is at or below 0.95: all of it on the first side, and all of
    // it below 0.95 and below 1.00.
    q.SelectTab(2);
    const RowText cos[] = {
        {1, "Cos nedokompenzováno", ""},
        {2, "Doba trvání [% ]", "100.0"},
        {3, "Průměrný:", "0.95"},
        {8, "Doba pod 0.95 [%]", "100.0"},
        {9, "Cos překompenzováno", ""},
        {10, "Doba trvání [% ]", "0.0"},
        {11, "Průměrný:", "--"},
        {16, "Doba pod 1.00 [%]", "100.0"},
    };
    ExpectRows(q, cos);

    // The next segment (0.90 required) moves the archive; the same factor
    // is now above the target.
    panel.Tabs().Segments().setCurrentIndex(1);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(q.QorinResult(), &panel.Results()[1]);
    EXPECT_EQ(q.QorinPeriod()->powerFactor, QStringLiteral("0.90 / 0.90"));
    EXPECT_EQ(Cell(q, 10), QStringLiteral("100.0"));
    EXPECT_EQ(Cell(q, 11), QStringLiteral("0.95"));
    EXPECT_EQ(Cell(q, 16), QStringLiteral("100.0"));

    panel.FreeResults();
    EXPECT_EQ(panel.ResultCount(), 0);
    EXPECT_EQ(q.QorinResult(), nullptr);
    EXPECT_EQ(Cell(q, 2), QString());
    EXPECT_FALSE(panel.PrintResults());
}

TEST_F(QorinStatPanelTest, PrintsWithTheRequiredPowerFactor)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    CQorinStatPanel panel;
    panel.SetArchivData(&data, &data);
    panel.Refresh();
    panel.Tabs().Segments().setCurrentIndex(0);
    panel.Tabs().Quantities().SelectTab(2);
    ASSERT_TRUE(panel.PrintResults());
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_GE(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Statistiky ") + data.GetArchiveFileName() + QStringLiteral(" od")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Požadovaný účiník ( zadaný / nastavený v přístroji ) 0.95 / 0.95.")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Doba pod 1.00 [%]")));
}

} // namespace
