// The grid of the statistics results: filling, highlighted rows, missing
// cells, clipboard copy, wheel scrolling, drawing and printing.
#include "PdfCheck.h"

#include "charts/GridCtrl.h"

#include <QApplication>
#include <QRegularExpression>
#include <QClipboard>
#include <QTest>
#include <QWheelEvent>

namespace {

QStringList Numbered(const QString& stem, int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << stem.arg(i);
    return out;
}

TEST(GridCtrl, FillTableBuildsHeadingsBodyAndHighlightedRows)
{
    struct Case {
        int columns;
        int rows;
    };
    for (const Case& c : {Case{3, 4}, Case{0, 2}, Case{2, 0}}) {
        CGridCtrl grid;
        grid.FillTable(Numbered(QStringLiteral("Sloupec %1"), c.columns), Numbered(QStringLiteral("Řádek %1"), c.rows),
                       {2, 99, -1});
        ASSERT_EQ(grid.GetRowCount(), c.rows + 1);
        ASSERT_EQ(grid.GetColumnCount(), c.columns + 1);
        EXPECT_EQ(grid.GetHeadingRowCount(), 1);
        EXPECT_EQ(grid.GetHeadingColumnCount(), 1);
        for (int col = 1; col <= c.columns; ++col) {
            EXPECT_EQ(grid.GetCellText(0, col), QStringLiteral("Sloupec %1").arg(col));
            EXPECT_EQ(grid.GetColumnWidth(col), 150);
        }
        for (int row = 1; row <= c.rows; ++row) {
            EXPECT_EQ(grid.GetCellText(row, 0), QStringLiteral("Řádek %1").arg(row));
            EXPECT_EQ(grid.GetRowHeight(row), 18);
        }
        EXPECT_EQ(grid.GetColumnWidth(0), 170);
        EXPECT_EQ(grid.GetRowHeight(0), grid.DefaultRowHeight());
        if (c.rows >= 2) {
            for (int col = 0; col <= c.columns; ++col) {
                const CGridCtrl::Cell* cell = grid.GetCell(2, col);
                ASSERT_TRUE(cell);
                EXPECT_EQ(cell->back, QColor(0xC8, 0, 0));
                EXPECT_EQ(cell->fore, QColor(Qt::white));
            }
            EXPECT_FALSE(grid.GetCell(1, 0)->back.has_value());
        }
        if (c.rows > 0 && c.columns > 0) {
            EXPECT_EQ(grid.GetCell(1, 1)->format, 1u);
        }
    }
}

// A row title wider than the usual 170 pixels widens the title column, so
// that it is never cut, not even in the bold focus line.
TEST(GridCtrl, ALongRowTitleWidensTheTitleColumn)
{
    CGridCtrl grid;
    grid.setFont(QFont(grid.font().family(), 10)); // the panels' font
    const QString title = QStringLiteral("Harmonické zkreslení THD [%]");
    grid.FillTable({QStringLiteral("L1")}, {QStringLiteral("Průměrný:"), title}, {});
    QFont bold = grid.font();
    bold.setWeight(QFont::DemiBold);
    EXPECT_GT(grid.GetColumnWidth(0), QFontMetrics(bold).horizontalAdvance(title));
    EXPECT_GE(grid.GetColumnWidth(0), 170);
}

TEST(GridCtrl, MissingCellsAreRefusedAndLeaveTheTableAlone)
{
    CGridCtrl grid;
    grid.FillTable({QStringLiteral("A")}, {QStringLiteral("r")}, {});
    EXPECT_EQ(grid.SetItemText(1, 1, QStringLiteral("5,0")), 1);
    EXPECT_EQ(grid.GetCellText(1, 1), QStringLiteral("5,0"));
    EXPECT_EQ(grid.SetItemText(2, 1, QStringLiteral("x")), 0);
    EXPECT_EQ(grid.SetItemText(1, -1, QStringLiteral("x")), 0);
    EXPECT_EQ(grid.SetCellBackColour(5, 5, Qt::red), 0);
    EXPECT_EQ(grid.SetRowHeight(9, 10), 0);
    EXPECT_EQ(grid.GetCellText(7, 7), QString());
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetColumnCount(), 2);
}

TEST(GridCtrl, ClicksSelectNothingAndSelectAllCopiesTheBodyWithBlanksForEmptyCells)
{
    CGridCtrl grid;
    grid.resize(600, 300);
    grid.show();
    grid.FillTable({QStringLiteral("U"), QStringLiteral("I")}, {QStringLiteral("min"), QStringLiteral("max")}, {});
    grid.SetItemText(1, 1, QStringLiteral("229,5"));
    grid.SetItemText(2, 1, QStringLiteral("231,0"));
    grid.SetItemText(2, 2, QStringLiteral("4,2"));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(200, 30));
    EXPECT_FALSE(grid.IsSelected(1, 1));
    QApplication::clipboard()->setText(QStringLiteral("před"));
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(grid.IsSelected(1, 1));
    EXPECT_FALSE(grid.IsSelected(0, 1));
    EXPECT_FALSE(grid.IsSelected(1, 0));
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("229,5\t \n231,0\t4,2\n"));
}

TEST(GridCtrl, AWheelNotchScrollsTheLinesOfTheSystemSetting)
{
    CGridCtrl grid;
    grid.resize(400, 200);
    grid.show();
    grid.FillTable({QStringLiteral("A")}, Numbered(QStringLiteral("r%1"), 60), {});
    ASSERT_EQ(grid.TopRow(), 1);
    const QPoint at(50, 50);
    QWheelEvent down(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &down);
    EXPECT_EQ(grid.TopRow(), 1 + QApplication::wheelScrollLines());
}

TEST(GridCtrl, DrawsHeadingsInButtonFaceAndHighlightedRowsInRed)
{
    CGridCtrl grid;
    grid.resize(600, 200);
    grid.FillTable({QStringLiteral("A"), QStringLiteral("B")}, {QStringLiteral("r1"), QStringLiteral("r2")}, {2});
    grid.show();
    const QImage image = grid.viewport()->grab().toImage();
    const int headingBottom = grid.DefaultRowHeight();
    // A highlighted row's body cell, away from its text.
    const QColor highlighted = image.pixelColor(170 + 140, headingBottom + 18 + 3);
    EXPECT_EQ(highlighted, QColor(0xC8, 0, 0));
    const QColor normal = image.pixelColor(170 + 140, headingBottom + 3);
    EXPECT_EQ(normal, grid.palette().color(QPalette::Base));
}

TEST(GridCtrl, PrintsHeadingLinesAndTheTableOnAPdf)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    CGridCtrl grid;
    grid.FillTable({QStringLiteral("U1 [V]"), QStringLiteral("I1 [A]")}, Numbered(QStringLiteral("Hodnota %1"), 120),
                   {1});
    grid.SetItemText(1, 1, QStringLiteral("229,87"));
    const QStringList texts = {QString(), QStringLiteral("Statistiky archivu."), QStringLiteral("Od 1.2.2009"),
                               QStringLiteral("Do 2.2.2009"), QString()};
    ASSERT_TRUE(grid.Print(texts, QStringLiteral("hala")));
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_GE(pages.size(), 2);
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), pages.size());
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Statistiky archivu")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Statistiky archivu.")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Od 1.2.2009")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Hodnota 1")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("229,87")));
    // The heading row is repeated on the next page, the rows go on.
    EXPECT_TRUE(pages[1].contains(QStringLiteral("U1 [V]")));
    EXPECT_TRUE(pages.back().contains(QStringLiteral("Hodnota 120")));
    int seen = 0;
    for (const QString& page : pages)
        for (int i = 1; i <= 120; ++i)
            seen += page.contains(QRegularExpression(QStringLiteral("Hodnota %1\\b").arg(i))) ? 1 : 0;
    EXPECT_EQ(seen, 120);
}

} // namespace
