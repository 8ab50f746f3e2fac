#pragma once
// The graph of current values printed from a live window's File menu onto
// a PDF, and what its page says about the time window: the heading's
// "od ... do ..." and the time axis's labels.
#include "charts/PdfCheck.h"
#include "platform/ui/CommandTarget.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace livegraphprint {

// A live graph printed from the File menu onto a PDF: its text, its words,
// and the seconds since 1970 just before and after the printing.
struct PrintedGraph {
    QString text;
    std::vector<pdfcheck::Word> words;
    qint64 before = 0;
    qint64 after = 0;
};

template <class View>
PrintedGraph PrintFromFileMenu(View& view)
{
    PrintedGraph printed;
    pdfcheck::PdfJobs jobs(true, 1200);
    printed.before = QDateTime::currentSecsSinceEpoch();
    EXPECT_TRUE(view.OnCommand(ui::kCmdFilePrint));
    printed.after = QDateTime::currentSecsSinceEpoch();
    EXPECT_EQ(jobs.chooserCalls, 1);
    printed.text = pdfcheck::PageTexts(jobs.Path()).join(QString());
    printed.words = pdfcheck::Words(jobs.Path());
    return printed;
}

// The "od ... do ..." of the heading, as seconds since 1970.
inline bool HeadingWindow(const QString& text, qint64& from, qint64& to)
{
    static const QRegularExpression heading(
        QStringLiteral("od\\s+(\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d)\\s+do\\s+"
                       "(\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d)"));
    const QRegularExpressionMatch m = heading.match(text);
    if (!m.hasMatch())
        return false;
    const auto seconds = [](const QString& s) {
        // Two-digit years are this century's.
        return QDateTime::fromString(s, QStringLiteral("dd.MM.yy HH:mm:ss")).addYears(100).toSecsSinceEpoch();
    };
    from = seconds(m.captured(1));
    to = seconds(m.captured(2));
    return true;
}

// A year or a date of the unset window (1970) or of the end its
// overflowing span reaches (2041).
inline bool NamesAnUnsetWindow(const QString& text)
{
    static const QRegularExpression dates(QStringLiteral("1970|2041|\\b\\d\\d\\.\\d\\d\\.(70|41)\\b"));
    return text.contains(dates);
}

// The time-of-day labels below the heading: the time axis's.
inline QStringList AxisTimes(const PrintedGraph& printed)
{
    double headingBottom = -1;
    for (const pdfcheck::Word& w : printed.words)
        if (w.page == 0 && w.text == QStringLiteral("Naměřený"))
            headingBottom = w.yMax;
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d(:\\d\\d)?$"));
    QStringList times;
    for (const pdfcheck::Word& w : printed.words)
        if (w.page == 0 && w.yMin > headingBottom + 1 && time.match(w.text).hasMatch())
            times << w.text;
    return times;
}

// Printed before the store has chosen a time window: no time axis, and the
// heading gives the time of printing, never a date of the unset window.
template <class View>
void ExpectPrintedWithoutWindow(View& view)
{
    const PrintedGraph printed = PrintFromFileMenu(view);
    EXPECT_FALSE(NamesAnUnsetWindow(printed.text)) << printed.text.toStdString();
    qint64 from = 0, to = 0;
    ASSERT_TRUE(HeadingWindow(printed.text, from, to)) << printed.text.toStdString();
    EXPECT_EQ(from, to);
    EXPECT_GE(from, printed.before - 1);
    EXPECT_LE(from, printed.after + 1);
    EXPECT_TRUE(AxisTimes(printed).isEmpty()) << AxisTimes(printed).join(u' ').toStdString();
}

} // namespace livegraphprint
