#pragma once
// Printing checked on PDF files: the printer chooser writes the job into a
// file, poppler's tools read the page count and the text back.
#include "charts/ReportPrinter.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace pdfcheck {

inline bool HaveTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

inline QString Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int PageCount(const QString& pdf)
{
    const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The text of every page; pages are separated by form feeds.
inline QStringList PageTexts(const QString& pdf)
{
    QStringList pages = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// One word of a page as `pdftotext -bbox` places it, in points from the
// page's top left.
struct Word {
    int page = 0; // from 0
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

inline std::vector<Word> Words(const QString& pdf)
{
    std::vector<Word> words;
    const QString html = Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    int page = -1;
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("<page ")))
            ++page;
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch())
            words.push_back({page, m.captured(5).replace(QLatin1String("&amp;"), QLatin1String("&")),
                             m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble()});
    }
    return words;
}

// The pairs of words of one page whose boxes (the face's full height, as
// poppler takes it from the printed font) overlap by more than `slack`
// points both ways: text printed over other text. Words of a line meet at
// their spaces, lines at their edges; neither overlaps.
inline std::vector<std::pair<Word, Word>> OverlappingWords(const std::vector<Word>& words, double slack = 0.3)
{
    std::vector<std::pair<Word, Word>> overlaps;
    for (std::size_t i = 0; i < words.size(); ++i)
        for (std::size_t j = i + 1; j < words.size(); ++j) {
            const Word& a = words[i];
            const Word& b = words[j];
            if (a.page != b.page)
                continue;
            const double across = std::min(a.xMax, b.xMax) - std::max(a.xMin, b.xMin);
            const double down = std::min(a.yMax, b.yMax) - std::max(a.yMin, b.yMin);
            if (across > slack && down > slack)
                overlaps.emplace_back(a, b);
        }
    return overlaps;
}

// Fails the test for each pair of overlapping words, naming both.
inline void ExpectNoOverlappingWords(const std::vector<Word>& words, double slack = 0.3)
{
    for (const auto& [a, b] : OverlappingWords(words, slack))
        ADD_FAILURE() << "\"" << a.text.toStdString() << "\" (" << a.xMin << ", " << a.yMin << ", " << a.xMax << ", "
                      << a.yMax << ") overlaps \"" << b.text.toStdString() << "\" (" << b.xMin << ", " << b.yMin
                      << ", " << b.xMax << ", " << b.yMax << ") on page " << a.page + 1;
}

// Page `page` (from 1) rendered at `dpi`; null without pdftoppm.
inline QImage PageImage(const QString& pdf, int page = 1, int dpi = 60)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        return QImage();
    const QString base = pdf + QStringLiteral(".page");
    Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                     QString::number(page), QStringLiteral("-l"), QString::number(page),
                                     QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, base});
    return QImage(base + QStringLiteral(".png"));
}

// The bottom end, in the image's pixels, of the longest upright dark line
// in the left half of a printed page: the frame around a printed graph.
// -1 when no line is a third of the page high.
inline int GraphFrameBottom(const QImage& page)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    int bottom = -1;
    int longest = 0;
    for (int x = 0; x < rgb.width() / 2; ++x)
        for (int y = 0, run = 0; y < rgb.height(); ++y) {
            run = qGray(rgb.pixel(x, y)) < 96 ? run + 1 : 0;
            if (run > longest) {
                longest = run;
                bottom = y;
            }
        }
    return longest > rgb.height() / 3 ? bottom : -1;
}

// A graph printed on the first page of `pdf`: the time axis's labels (the
// words that read as times of day) end inside the graph's frame, in the
// lines the face printing them takes.
inline void ExpectTimeLabelsInsideTheFrame(const QString& pdf)
{
    constexpr int kDpi = 150;
    const QImage page = PageImage(pdf, 1, kDpi);
    if (page.isNull())
        return; // no pdftoppm
    const int frameBottom = GraphFrameBottom(page);
    ASSERT_GT(frameBottom, 0);
    static const QRegularExpression time(QStringLiteral("^\\d{1,2}:\\d\\d"));
    int labels = 0;
    for (const Word& w : Words(pdf)) {
        if (w.page != 0 || !time.match(w.text).hasMatch())
            continue;
        ++labels;
        EXPECT_LT(w.yMax * kDpi / 72.0, frameBottom) << w.text.toStdString();
    }
    EXPECT_GT(labels, 0);
}

// Jobs whose printer is chosen while this lives go into `Path()`; with
// `accept` false the user "cancels".
class PdfJobs {
public:
    explicit PdfJobs(bool accept = true, int resolution = 300)
    {
        m_previous = charts::SetPrinterChooser([this, accept, resolution](QPrinter& printer, QWidget*) {
            ++chooserCalls;
            if (!accept)
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setResolution(resolution);
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setOutputFileName(Path());
            paintOrigin = printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
            return true;
        });
    }
    ~PdfJobs() { charts::SetPrinterChooser(m_previous); }
    PdfJobs(const PdfJobs&) = delete;
    PdfJobs& operator=(const PdfJobs&) = delete;

    QString Path() const { return outputPath.isEmpty() ? m_dir.filePath(QStringLiteral("job.pdf")) : outputPath; }

    int chooserCalls = 0;
    QString outputPath; // another file, e.g. in a folder that does not exist
    // Where the printer's pixel (0, 0) lies on the page, in points: the
    // words' places are on the whole sheet.
    QPointF paintOrigin;

private:
    QTemporaryDir m_dir;
    charts::PrinterChooser m_previous;
};

// Runs `open`, which is to show a print preview: the preview's pages are
// counted into `pages` and printed from the preview onto a PDF, whose text
// comes back; empty when no preview showed.
inline QString PreviewText(const std::function<void()>& open, int* pages = nullptr)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("nahled.pdf"));
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&closer, &pdf, pages] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        closer.stop();
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        if (pages)
            *pages = widget ? widget->pageCount() : -1;
        preview->printer()->setOutputFormat(QPrinter::PdfFormat);
        preview->printer()->setOutputFileName(pdf);
        if (widget)
            widget->print();
        preview->reject();
    });
    closer.start();
    open();
    closer.stop();
    return QFile::exists(pdf) ? PageTexts(pdf).join(QString()) : QString();
}

// The text of the job `print` started, read back from its PDF; the user
// was asked for a printer once.
inline QString PrintedText(const std::function<void()>& print)
{
    PdfJobs jobs;
    print();
    EXPECT_EQ(jobs.chooserCalls, 1);
    return PageTexts(jobs.Path()).join(QString());
}

// The text of the preview `open` showed: at least a page, drawn on the
// preview's own printer without asking for another.
inline QString PreviewedText(const std::function<void()>& open)
{
    PdfJobs jobs;
    int pages = -1;
    const QString text = PreviewText(open, &pages);
    EXPECT_EQ(jobs.chooserCalls, 0);
    EXPECT_GE(pages, 1);
    return text;
}

// What an archive window prints in a mode of its range bar (0 graph,
// 1 value list, 2 statistics): a text only that mode's pages hold, and
// the other modes' texts.
struct ModePrint {
    int mode = 0;
    QString shows;
    QStringList absent;
};

inline std::vector<ModePrint> ArchiveModePrints(bool withStatistics)
{
    const QString list = QStringLiteral("Tisk hodnot");
    const QString statistics = QStringLiteral("Statistiky ");
    std::vector<ModePrint> modes = {
        {0, QStringLiteral("Naměřený graf"), {list, statistics}},
        {1, list, {statistics}},
    };
    if (withStatistics)
        modes.push_back({2, statistics, {list}});
    return modes;
}

inline void ExpectModePrinted(const QString& text, const ModePrint& mode)
{
    EXPECT_TRUE(text.contains(mode.shows)) << text.toStdString();
    for (const QString& other : mode.absent)
        EXPECT_FALSE(text.contains(other)) << text.toStdString();
}

} // namespace pdfcheck

#define PDFCHECK_REQUIRE_TOOLS()                                                                                   \
    do {                                                                                                           \
        if (!pdfcheck::HaveTools())                                                                                \
            GTEST_SKIP() << "pdfinfo/pdftotext missing";                                                           \
    } while (0)
