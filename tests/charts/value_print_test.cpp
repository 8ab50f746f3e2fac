// Printing a value list's window: column groups that fit the page, each a
// section with its own page prefix, read from a private copy; a store that
// cannot supply a row and a copy that cannot be made.
#include "PdfCheck.h"
#include "ValueListFixture.h"

#include "charts/ArchivValueLists.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace valuelist;

std::vector<int> Sizes(const std::vector<std::vector<int>>& groups)
{
    std::vector<int> sizes;
    for (const auto& g : groups)
        sizes.push_back(int(g.size()));
    return sizes;
}

TEST(ValuePrintLayout, GroupsHeadingAndTableWidth)
{
    struct Case {
        int checked;
        int perPage;
        std::vector<int> sizes;
    };
    const Case cases[] = {
        {12, 6, {5, 5, 2}}, // the time column goes with every group
        {10, 6, {5, 5}},    // an exactly full last group adds none with the time alone
        {0, 6, {0}},        // the times alone
        {3, 1, {1, 1, 1}},  // a page too narrow for two columns still ends
        {3, 0, {1, 1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sizes(charts::SplitColumnGroups(c.checked, c.perPage)), c.sizes) << c.checked << "/" << c.perPage;
    EXPECT_EQ(charts::SplitColumnGroups(12, 6)[1], (std::vector<int>{5, 6, 7, 8, 9}));

    EXPECT_EQ(charts::ValuePrintHeading(QStringLiteral("A"), CTime(1233478800), CTime(1233565200)),
              QStringLiteral("Tisk hodnot A od 01.02.09 10:00:00 do 02.02.09 10:00:00"));
    EXPECT_EQ(charts::ValueTableWidthPercent(3, 6), 55);
    EXPECT_EQ(charts::ValueTableWidthPercent(7, 6), 100);
    EXPECT_EQ(charts::ValueTableWidthPercent(1, 7), 15);
}

class ValuePrintTest : public VKArchiveFixture {};

TEST_F(ValuePrintTest, ThreeColumnGroupsPrintAsSectionsNumberedOneTwoAndThree)
{
    PDFCHECK_REQUIRE_TOOLS();
    WriteArchive(2);
    pdfcheck::PdfJobs jobs;
    int perPage = 0;
    {
        charts::CReportPrinter probe(nullptr, 2, 3, false);
        ASSERT_TRUE(probe.BeginPrint(QStringLiteral("probe"), QString(), QString()));
        perPage = int(probe.GetFieldsPerLine(12));
        probe.EndPrint();
    }
    ASSERT_GE(perPage, 2);
    // Two full groups and two quantities more.
    const int checked = 2 * (perPage - 1) + 2;
    ASSERT_LE(checked, CVKArchivData::kColumnCount);
    charts::CVKValueList list;
    list.setWindowTitle(QStringLiteral("Archivní soubor: hala"));
    charts::VKCsvColumns columns;
    for (int c = 0; c < checked; ++c)
        columns.flags[std::size_t(c)] = 1;
    list.SetArchivData(m_data.get());
    list.SetColumns(columns);
    ASSERT_TRUE(list.Print());

    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 3);
    CTime start;
    CTime end;
    m_data->GetWindow(start, end);
    const QString heading = charts::ValuePrintHeading(m_data->GetArchiveFileName(), start, end);
    for (int g = 0; g < 3; ++g) {
        EXPECT_TRUE(pages[g].contains(QStringLiteral("strana %1-1").arg(g + 1))) << g;
        EXPECT_TRUE(pages[g].contains(heading)) << g;
        EXPECT_TRUE(pages[g].contains(QStringLiteral("Archivní soubor: hala"))) << g;
        // The first record's time, then the rest of the records.
        EXPECT_TRUE(pages[g].contains(m_times[0].Format(QStringLiteral("%d.%m %H:%M:%S")))) << g;
        EXPECT_TRUE(pages[g].contains(m_times[19].Format(QStringLiteral("%d.%m %H:%M:%S")))) << g;
    }
    // Captions, times and values each in their cells, whatever the face.
    pdfcheck::ExpectNoOverlappingWords(pdfcheck::Words(jobs.Path()));
    // The first row carries the values of the group's first quantity.
    int count = 0;
    int first = 0;
    const auto rows = m_data->GetRecordRows(0, columns.flags.data(), count, first, nullptr);
    ASSERT_FALSE(rows.empty());
    const QString firstValue = rows.front().value(1);
    EXPECT_TRUE(pages[0].contains(firstValue)) << firstValue.toStdString();
}

TEST_F(ValuePrintTest, EveryCaptionFitsItsColumnAtThePrintersResolution)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs(true, 1200);
    int perPage = 0;
    {
        charts::CReportPrinter probe(nullptr, 2, 3, false);
        ASSERT_TRUE(probe.BeginPrint(QStringLiteral("probe"), QString(), QString()));
        perPage = int(probe.GetFieldsPerLine(12));
        probe.EndPrint();
    }
    ASSERT_GE(perPage, 3);
    // A full group and a short one of the longest captions the lists have.
    charts::CValuePrintJob job;
    job.instrument = QStringLiteral("A");
    job.captions = {QStringLiteral("Čas")};
    const int quantities = perPage - 1 + 2;
    for (int k = 0; k < quantities; ++k)
        job.captions << QStringLiteral("THDU%1,%2 [%]").arg(k % 3 + 1).arg((k + 1) % 3 + 1);
    job.rowCount = 1;
    job.rows = [](int, const std::vector<int>& group, int& count, int& first) {
        QStringList row{QStringLiteral("10.03 10:00:00")};
        for (std::size_t i = 0; i < group.size(); ++i)
            row << QStringLiteral("1.5");
        count = 1;
        first = 0;
        return std::vector<QStringList>{row};
    };
    ASSERT_TRUE(charts::PrintValueJob(nullptr, nullptr, job, QString()));
    const std::vector<pdfcheck::Word> words = pdfcheck::Words(jobs.Path());
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page);
        // The caption line: the words level with "Čas", each caption from
        // its "THDU" on.
        const auto time = std::find_if(words.begin(), words.end(), [page](const pdfcheck::Word& w) {
            return w.page == page && w.text == QStringLiteral("Čas");
        });
        ASSERT_NE(time, words.end());
        struct Span {
            double left;
            double right;
        };
        std::vector<Span> captions;
        const double height = time->yMax - time->yMin;
        for (const pdfcheck::Word& w : words) {
            if (w.page != page || std::abs(w.yMin - time->yMin) > height / 2 || w.text == QStringLiteral("Čas"))
                continue;
            if (!captions.empty() && !w.text.startsWith(QStringLiteral("THDU")))
                captions.back().right = w.xMax;
            else
                captions.push_back({w.xMin, w.xMax});
        }
        const int expected = page == 0 ? perPage - 1 : 2;
        ASSERT_EQ(int(captions.size()), expected);
        // Columns of one width: the distance of neighbouring centres.
        const double column = (captions[1].left + captions[1].right - captions[0].left - captions[0].right) / 2;
        for (const Span& c : captions)
            EXPECT_LE(c.right - c.left, column) << c.left;
    }
}

TEST_F(ValuePrintTest, AStoreThatCannotSupplyARowEndsTheTable)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    charts::CValuePrintJob job;
    job.instrument = QStringLiteral("A");
    job.captions = {QStringLiteral("čas"), QStringLiteral("U1")};
    job.rowCount = 50;
    int asked = 0;
    job.rows = [&asked](int r, const std::vector<int>&, int& count, int& first) {
        ++asked;
        // Rows 0..4 exist; the store has nothing from row 5 on.
        std::vector<QStringList> rows;
        first = std::max(r - 3, 0);
        for (int i = first; i < std::min(first + 10, 5); ++i)
            rows.push_back({QStringLiteral("t%1").arg(i), QStringLiteral("v%1").arg(i)});
        count = int(rows.size());
        return rows;
    };
    EXPECT_TRUE(charts::PrintValueJob(nullptr, nullptr, job, QString()));
    EXPECT_LE(asked, 3);
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("v4")));
}

TEST_F(ValuePrintTest, ACopyThatCannotBeMadeIsReportedAndNothingIsPrinted)
{
    pdfcheck::PdfJobs jobs;
    ui::ScriptedMessageBoxes boxes;
    CVKArchivData unopened; // no file behind it
    charts::VKCsvColumns columns;
    columns.flags[0] = 1;
    EXPECT_FALSE(charts::PrintArchiveValues(nullptr, unopened, columns));
    EXPECT_EQ(jobs.chooserCalls, 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(charts::ValueCopyFailedText(QString())));
}

} // namespace
