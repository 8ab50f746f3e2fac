// The report printer on PDF files: geometry from the printer's resolution,
// page numbers with their prefixes, header and footer modes, tables that
// flow over pages, and refused or cancelled jobs.
#include "PdfCheck.h"

#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QFile>
#include <QFontMetrics>

#include <algorithm>

namespace {

using charts::CReportPrinter;

TEST(ReportPrinterGeometry, NinePointLinesFromTheVerticalResolution)
{
    for (const int dpi : {72, 300, 600}) {
        pdfcheck::PdfJobs jobs(true, dpi);
        CReportPrinter printer(nullptr, 2, 3, false);
        ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QString(), QString()));
        const int h = dpi * 9 / 72;
        EXPECT_EQ(printer.TextHeight(), h) << dpi;
        // A line holds the printed text whatever its face: 1.1 text heights,
        // or the face's own line where that is more.
        const QFontMetrics text(printer.Painter().font(), printer.Painter().device());
        EXPECT_GE(printer.LineHeight(), int(1.1 * h)) << dpi;
        EXPECT_GE(printer.LineHeight(), text.height()) << dpi;
        EXPECT_LE(printer.LineHeight(), std::max(int(1.1 * h), text.height() + 1)) << dpi;
        EXPECT_EQ(printer.MarginRect().top(), 2 * h);
        EXPECT_EQ(printer.BodyRect().top(), 4 * h);
        EXPECT_EQ(printer.BodyRect().left(), 2 * h + int(1.3 * h));
        EXPECT_EQ(printer.BodyRect().bottom() + 1, printer.FooterRect().top());
        EXPECT_EQ(printer.CurrentY(), printer.BodyRect().top() + printer.LineHeight() + printer.LineGap());
        ASSERT_GT(printer.AverageCharWidth(), 0);
        EXPECT_EQ(printer.AverageCharWidth(), text.averageCharWidth()) << dpi;
        EXPECT_EQ(printer.GetFieldsPerLine(12),
                  unsigned(printer.BodyRect().width()) / unsigned(printer.AverageCharWidth() * 12));
        printer.EndPrint();
    }
}

TEST(ReportPrinterPages, SectionsNumberTheirPagesWithTheirPrefixAndTheFooterEndsEachSection)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    {
        CReportPrinter printer(nullptr, 2, 3, false);
        ASSERT_TRUE(printer.BeginPrint(QStringLiteral("A - Hodnoty"), QStringLiteral("Zkouška tisku"), QString()));
        printer.PrintBox(QStringLiteral("Nadpis zprávy"));
        const int firstPage = printer.PageNumber();
        for (int i = 0; printer.PageNumber() == firstPage; ++i)
            printer.PrintText(QStringLiteral("řádek %1").arg(i));
        printer.NewPage(QStringLiteral("%1-").arg(2));
        EXPECT_EQ(printer.PageNumberText(), QStringLiteral("strana 2-1"));
        printer.PrintText(QStringLiteral("druhá část"));
        printer.EndPrint();
        EXPECT_FALSE(printer.Failed());
    }
    ASSERT_EQ(pdfcheck::PageCount(jobs.Path()), 3);
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Zkouška tisku")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("strana 1")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Nadpis zprávy")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("řádek 0")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("strana 2")));
    EXPECT_TRUE(pages[2].contains(QStringLiteral("strana 2-1")));
    EXPECT_TRUE(pages[2].contains(QStringLiteral("druhá část")));
    // Footer mode 3: only the last page of each section.
    const QString maker = QStringLiteral("qorin01");
    EXPECT_FALSE(pages[0].contains(maker));
    EXPECT_TRUE(pages[1].contains(maker));
    EXPECT_TRUE(pages[2].contains(maker));
}

TEST(ReportPrinterPages, EveryPageCarriesTheFooterInModeTwoAndAnEmptyTitleLeavesThePageNumber)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    {
        CReportPrinter printer(nullptr, 2, 2, true);
        ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QString(), QString()));
        printer.PrintText(QString()); // an empty line moves on and draws nothing
        printer.NewPage(QString());
        printer.EndPrint();
    }
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_EQ(pages.size(), 2);
    for (const QString& page : pages) {
        EXPECT_TRUE(page.contains(QStringLiteral("strana 1")));
        EXPECT_TRUE(page.contains(QStringLiteral("qorin01")));
    }
}

TEST(ReportPrinterPages, TheTitleEndsLeftOfThePageNumberAtEveryResolution)
{
    PDFCHECK_REQUIRE_TOOLS();
    for (const int dpi : {300, 600, 1200}) {
        SCOPED_TRACE(dpi);
        pdfcheck::PdfJobs jobs(true, dpi);
        {
            CReportPrinter printer(nullptr, 2, 3, false);
            ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QStringLiteral("Rozvodna sever - Hodnoty"),
                                           QStringLiteral("1-")));
            printer.PrintText(QStringLiteral("obsah"));
            printer.EndPrint();
        }
        double titleRight = -1;
        double numberLeft = -1;
        double titleTop = 0;
        double numberTop = 0;
        for (const pdfcheck::Word& w : pdfcheck::Words(jobs.Path())) {
            if (w.text == QLatin1String("Hodnoty")) {
                titleRight = w.xMax;
                titleTop = w.yMin;
            }
            if (w.text == QLatin1String("strana")) {
                numberLeft = w.xMin;
                numberTop = w.yMin;
            }
        }
        ASSERT_GE(titleRight, 0);
        ASSERT_GE(numberLeft, 0);
        EXPECT_NEAR(titleTop, numberTop, 1.0); // one header line
        // A space of at least a few points between them.
        EXPECT_LT(titleRight + 3, numberLeft);
    }
}

TEST(ReportPrinterPages, TheFooterIsPrintedWholeWithinItsBandAtEveryResolution)
{
    PDFCHECK_REQUIRE_TOOLS();
    for (const int dpi : {300, 1200}) {
        SCOPED_TRACE(dpi);
        pdfcheck::PdfJobs jobs(true, dpi);
        {
            CReportPrinter printer(nullptr, 2, 2, false);
            ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QStringLiteral("Graf"), QString()));
            printer.PrintText(QStringLiteral("obsah"));
            printer.EndPrint();
        }
        // The maker line: the words level with "qorin01".
        const std::vector<pdfcheck::Word> words = pdfcheck::Words(jobs.Path());
        const auto maker = std::find_if(words.begin(), words.end(),
                                        [](const pdfcheck::Word& w) { return w.text == QLatin1String("qorin01"); });
        ASSERT_NE(maker, words.end());
        const pdfcheck::Word* last = &*maker;
        const pdfcheck::Word* next = nullptr;
        for (const pdfcheck::Word& w : words) {
            if (std::abs(w.yMin - maker->yMin) > 1 || w.xMin <= maker->xMax)
                continue;
            if (w.xMax > last->xMax)
                last = &w;
            if (!next || w.xMin < next->xMin)
                next = &w;
        }
        ASSERT_NE(next, nullptr) << "the line ends at qorin01";
        // A4 in points; the body ends 2 + 1.3 lines of 9 points from the edge.
        EXPECT_LE(last->xMax, 595 - 3.3 * 9);
        // The tab stands for a few characters, not for half the line.
        EXPECT_LT(next->xMin - maker->xMax, 10 * 9);
        // The last word is drawn to its end, not cut at the band's edge.
        const QImage page = pdfcheck::PageImage(jobs.Path(), 1, 144);
        if (page.isNull())
            continue;
        int ink = 0;
        for (int y = int(last->yMin * 2); y <= int(last->yMax * 2); ++y)
            for (int x = int((last->xMax - 3) * 2); x <= int(last->xMax * 2); ++x)
                ink += qGray(page.pixel(x, y)) < 128;
        EXPECT_GT(ink, 0) << last->text.toStdString();
    }
}

TEST(ReportPrinterTables, RowsFlowOverPagesWithTheCaptionsRepeated)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    {
        CReportPrinter printer(nullptr, 2, 3, false);
        ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QStringLiteral("Tabulka"), QStringLiteral("1-")));
        printer.BeginTable(1, {QStringLiteral("čas"), QStringLiteral("Napětí"), QStringLiteral("Proud")}, {2, 1, 1},
                           100);
        // Each form of BeginTable does nothing with the other form's kind.
        printer.BeginTable(1, {QStringLiteral("x")}, 2, 3, 100);
        for (int i = 0; i < 150; ++i)
            printer.PrintTableRow({QStringLiteral("01.02.09 10:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')),
                                   QString::number(230 + i % 7), QString::number(i)});
        printer.EndTable();
        printer.EndPrint();
    }
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_GE(pages.size(), 3);
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].count(QStringLiteral("Napětí")), 1) << i;
        EXPECT_TRUE(pages[i].contains(QStringLiteral("strana 1-%1").arg(i + 1))) << i;
    }
    const QStringList lines = pages[0].split(QLatin1Char('\n'));
    const auto first = std::find_if(lines.begin(), lines.end(),
                                    [](const QString& l) { return l.contains(QStringLiteral("10:00:00")); });
    ASSERT_NE(first, lines.end());
    EXPECT_TRUE(first->contains(QStringLiteral("230")));
    EXPECT_TRUE(pages.back().contains(QStringLiteral("149")));
}

TEST(ReportPrinterTables, GridTablesGuardTheirRowCountAndMarkARowCutAtThePageEnd)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    {
        CReportPrinter printer(nullptr, 2, 3, false);
        ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QString(), QString()));
        const int rowHeight = printer.LineHeight() + printer.LineGap();
        QStringList texts;
        for (int i = 0; i < 25; ++i)
            texts << QStringLiteral("t%1").arg(i);
        struct Case {
            int count;
            int cellsPerRow;
            int rows;
        };
        // 25 texts in 25 cells: one row; a single cell per row cannot hold a
        // value, so it is taken as two (one value per row).
        for (const Case& c : {Case{25, 25, 1}, Case{5, 1, 4}, Case{5, 0, 4}, Case{7, 3, 3}}) {
            const int before = printer.CurrentY();
            printer.BeginTable(2, texts.mid(0, c.count), c.cellsPerRow, 3, 100);
            EXPECT_EQ(printer.CurrentY() - before, c.rows * rowHeight) << c.count << " " << c.cellsPerRow;
            printer.EndTable();
            printer.NewPage(QString());
        }
        // A record higher than a whole page is cut and marked, and the report
        // goes on.
        QStringList tall;
        for (int i = 0; i < 400; ++i)
            tall << QStringLiteral("v%1").arg(i);
        printer.BeginTable(2, tall, 2, 3, 100);
        printer.EndTable();
        printer.PrintText(QStringLiteral("pokračuje"));
        printer.EndPrint();
    }
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_GE(pages.size(), 6);
    EXPECT_TRUE(pages[pages.size() - 2].contains(QStringLiteral("(zkráceno)")));
    EXPECT_TRUE(pages.back().contains(QStringLiteral("pokračuje")));
}

// Whatever face prints them, lines, headings, label and value pairs and
// table rows keep their text apart and inside the page's margins: no line
// runs into the next.
TEST(ReportPrinterText, LinesHeadingsAndRowsKeepTheirTextApartWithAnyFace)
{
    PDFCHECK_REQUIRE_TOOLS();
    constexpr int kDpi = 1200;
    pdfcheck::PdfJobs jobs(true, kDpi);
    QRect margin;
    {
        CReportPrinter printer(nullptr, 2, 3, false);
        ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QStringLiteral("Nastavení přístroje"), QString()));
        margin = printer.MarginRect();
        printer.PrintBox(QStringLiteral("Obecné nastavení Ýgj"));
        printer.PrintText(QStringLiteral("Čas přístroje: 10.03.26 12:00:00 (UTC)"));
        for (int kind : {1, 2, 3}) {
            printer.PrintTextFitted(QStringLiteral("Doba blokování znovuzapnutí"), 0, kind);
            printer.PrintText(QStringLiteral("60 s"), 16, kind);
        }
        printer.PrintTextPair(QStringLiteral("   U1"));
        printer.PrintTextPair(QStringLiteral("   I1"), 1);
        printer.PrintText(QString());
        printer.BeginTable(1, {QStringLiteral("Čas"), QStringLiteral("U1 [V]"), QStringLiteral("THDU1,2 [%]")},
                           {2, 1, 1}, 100);
        for (int i = 0; i < 4; ++i)
            printer.PrintTableRow({QStringLiteral("10.03 10:0%1:00").arg(i), QStringLiteral("23%1.5").arg(i),
                                   QStringLiteral("1.%1").arg(i)});
        printer.EndTable();
        QStringList texts{QStringLiteral("Stupeň")};
        for (int i = 1; i <= 12; ++i)
            texts << QStringLiteral("C%1").arg(i);
        printer.BeginTable(2, texts, 7, 3, 100);
        printer.PrintTableRow(texts);
        printer.EndTable();
        printer.EndPrint();
    }
    const std::vector<pdfcheck::Word> words = pdfcheck::Words(jobs.Path());
    ASSERT_GT(words.size(), 40u);
    pdfcheck::ExpectNoOverlappingWords(words);
    const double points = 72.0 / kDpi;
    const QRectF inside(jobs.paintOrigin + QPointF(margin.left(), margin.top()) * points,
                        QSizeF(margin.width(), margin.height()) * points);
    for (const pdfcheck::Word& w : words)
        EXPECT_TRUE(inside.contains(QRectF(QPointF(w.xMin, w.yMin), QPointF(w.xMax, w.yMax))))
            << w.text.toStdString() << " at " << w.xMin << ", " << w.yMin << " - " << w.xMax << ", " << w.yMax;
}

// The footer's logo: the program's name stands clear of the curve that runs
// out of the ring (it ends at x 140, drawn 3 pixels wide), whatever the face.
TEST(ReportPrinterText, TheLogosNameStandsClearOfItsCurve)
{
    const QImage logo = charts::ReportLogo().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(logo.size(), QSize(227, 77));
    const auto inked = [&logo](int x) {
        for (int y = 0; y < logo.height(); ++y)
            if (qGray(logo.pixel(x, y)) < 128)
                return true;
        return false;
    };
    EXPECT_TRUE(inked(140));
    for (int x = 143; x <= 145; ++x)
        EXPECT_FALSE(inked(x)) << x;
    int inkedRight = 0;
    for (int x = 146; x < logo.width(); ++x)
        inkedRight += inked(x) ? 1 : 0;
    EXPECT_GT(inkedRight, 30); // the name is there
    EXPECT_FALSE(inked(logo.width() - 1));
}

TEST(ReportPrinterText, ATextPairWrappedBelowTheBodyGoesOnTheNextPage)
{
    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    {
        CReportPrinter printer(nullptr, 2, 3, false);
        ASSERT_TRUE(printer.BeginPrint(QStringLiteral("job"), QString(), QString()));
        const int step = printer.LineHeight() + printer.LineGap();
        while (printer.CurrentY() + step <= printer.BodyRect().bottom() + 1)
            printer.PrintText(QStringLiteral("výplň"));
        const QString run = QStringLiteral("legenda ").repeated(12);
        printer.PrintTextPair(run);
        const QRect wrapped = printer.PrintTextPair(QStringLiteral("KONECLEGENDY ") + run);
        EXPECT_EQ(printer.PageNumber(), 2);
        EXPECT_LE(wrapped.bottom(), printer.BodyRect().bottom());
        EXPECT_EQ(wrapped.left(), printer.BodyRect().left());
        printer.EndPrint();
    }
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_EQ(pages.size(), 2);
    EXPECT_FALSE(pages[0].contains(QStringLiteral("KONECLEGENDY")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("KONECLEGENDY")));
}

TEST(ReportPrinterErrors, ARefusedJobIsReportedInCzechAndACancelledOneQuietlyPrintsNothing)
{
    {
        pdfcheck::PdfJobs jobs;
        jobs.outputPath = QStringLiteral("/nonexistent-folder-of-the-test/job.pdf");
        ui::ScriptedMessageBoxes boxes;
        CReportPrinter printer(nullptr, 2, 3, false);
        EXPECT_FALSE(printer.BeginPrint(QStringLiteral("job"), QString(), QString()));
        EXPECT_TRUE(printer.Failed());
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, charts::PrintFailedText());
        // Nothing after the failure prints or reports again.
        printer.PrintText(QStringLiteral("x"));
        printer.NewPage(QStringLiteral("2-"));
        printer.EndPrint();
        EXPECT_EQ(boxes.Requests().size(), 1u);
    }
    {
        pdfcheck::PdfJobs jobs(false);
        ui::ScriptedMessageBoxes boxes;
        CReportPrinter printer(nullptr, 2, 3, false);
        EXPECT_FALSE(printer.BeginPrint(QStringLiteral("job"), QString(), QString()));
        EXPECT_FALSE(printer.Failed());
        EXPECT_EQ(jobs.chooserCalls, 1);
        EXPECT_TRUE(boxes.Requests().empty());
        EXPECT_FALSE(QFile::exists(jobs.Path()));
    }
}

} // namespace
