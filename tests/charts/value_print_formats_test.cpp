// A printed value table reads the private copy the export reads: its cells
// are the value list's, with the window's formats, also where the ratios
// change inside the window and where only the walk knows the temperature
// input.
#include "PdfCheck.h"

#include "charts/ArchivValuePrint.h"
#include "charts_data/FormatFixtures.h"

#include <QRegularExpression>

namespace {

class ValuePrintFormatsTest : public statstest::ArchiveFixture {
    FORMATFIXTURE_HELPERS
};

TEST_F(ValuePrintFormatsTest, PrintedRowsAreTheListRows)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKArchivData document;
    formatfixture::WriteVKWithRatioChange(*this, document);
    charts::csvfamily::ScaleAndWalkLikeTheList(document);
    charts::VKCsvColumns columns;
    for (int c : {0, 3, 10, 17})
        columns.flags[std::size_t(c)] = 1;

    pdfcheck::PdfJobs jobs;
    ASSERT_TRUE(charts::PrintArchiveValues(nullptr, document, columns));
    const QString text = pdfcheck::PageTexts(jobs.Path()).join(QLatin1Char('\n'));

    const int rows = charts::csvfamily::RowCount(document);
    ASSERT_EQ(rows, 20);
    for (int r = 0; r < rows; ++r) {
        int count = 0, first = -1;
        std::vector<int> seconds;
        const auto block = charts::csvfamily::Rows(document, r, columns, count, first, seconds);
        ASSERT_GE(r - first, 0);
        const QStringList cells = block.at(std::size_t(r - first));
        QStringList quoted;
        for (const QString& cell : cells)
            quoted << QRegularExpression::escape(cell);
        // One printed line holds the row's cells in their order.
        const QRegularExpression line(QStringLiteral("(^|\\n)[^\\n]*") + quoted.join(QStringLiteral("\\s+"))
                                      + QStringLiteral("\\s*(\\n|$)"));
        EXPECT_TRUE(line.match(text).hasMatch()) << "row " << r << ": " << cells.join(' ').toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral(" -- "))) << "temperature cells are printed with values";
}

} // namespace
