#pragma once
// What an analyser's archive window shows of one quantity, checked from the
// user's side: the value list's column and number, the graph's trace and
// where it lands among the pixels, and the numbers printed on its value
// axis. All of them must speak the same unit.
#include "charts/PdfCheck.h"

#include "archive/store/ArchivData.h"
#include "charts/ArchivValueList.h"
#include "charts/GraphPainter.h"
#include "charts/GraphWnd.h"
#include "platform/WindowMessage.h"
#include "platform/ThreadMessages.h"

#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace axischeck {

struct AxisCase {
    const char* quantity; // series and list column, e.g. "U1"
    const char* unit;     // the unit both name, e.g. "kV"
    double value;         // what the list shows and the trace stands at
    double axisTop;       // the axis' range ends there (from 0)
};

struct Views {
    QWidget* view = nullptr; // the archive window: gets the archive messages
    charts::CArchiveValueList* list = nullptr;
    CArchivData* data = nullptr;
};

// An archive `folder/name + ending` of instrument `name`: two blocks of ten
// one-minute measurements of `values` under `config`. Returns its path.
template <class Writer, class Clock, class Config, class Values>
QString Record(Clock& clock, const QString& folder, const QString& name, const QString& ending, const Config& config,
               const Values& values)
{
    Writer writer;
    writer.SetTimeSource(clock.Source());
    const QString base = folder + QLatin1Char('/') + name;
    EXPECT_EQ(writer.Create(40 * 60 * 10, 10, 60, base, ending, TRUE, TRUE, name), 1);
    for (int b = 0; b < 2; ++b) {
        writer.AddConfigRecord(config);
        for (int i = 0; i < 10; ++i) {
            clock.Advance(60);
            writer.AddMeasurementRecord(values);
        }
        clock.Advance(1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        EXPECT_EQ(writer.Flush(FALSE, mode, name), 1);
    }
    writer.Close();
    return base + ending;
}

// The numbers at the start of the printed lines: the value axis' labels
// (the heading, legend and time axis begin otherwise).
inline std::vector<double> AxisLabels(const QString& page)
{
    static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    std::vector<double> labels;
    for (const QString& line : page.split(QLatin1Char('\n'))) {
        const QString first = line.simplified().section(QLatin1Char(' '), 0, 0);
        if (number.match(first).hasMatch())
            labels.push_back(first.toDouble());
    }
    return labels;
}

inline void CheckAxis(const Views& v, const AxisCase& c)
{
    const QString quantity = QString::fromLatin1(c.quantity);
    const QString unit = QString::fromLatin1(c.unit);
    const double tolerance = c.axisTop / 500;

    // The list: the column names the unit, the number is in it.
    platform::SendMessageTo(v.view, platform::WM_ARCHIVE_REFILL, 1, 0);
    charts::CArchiveValueModel& model = v.list->Model();
    int column = -1;
    for (int i = 0; i < model.columnCount(); ++i)
        if (model.headerData(i, Qt::Horizontal, Qt::DisplayRole).toString().startsWith(quantity + QStringLiteral(" [")))
            column = i;
    ASSERT_GE(column, 0) << "no list column for " << c.quantity;
    EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
              quantity + QStringLiteral(" [") + unit + QLatin1Char(']'));
    ASSERT_GT(model.rowCount(), 0);
    const QString listText = model.data(model.index(0, column), Qt::DisplayRole).toString();
    EXPECT_NEAR(listText.toDouble(), c.value, tolerance) << listText.toStdString();

    // The trace: its unit, its range and its value on the axis' scale.
    platform::SendMessageTo(v.view, platform::WM_ARCHIVE_REFILL, 0, 0);
    const CGraphTrace* trace = v.data->SeriesRegistry().FindGraphSeries(quantity);
    ASSERT_TRUE(trace);
    // The power axes name all three quantities ("kW,...").
    EXPECT_TRUE(trace->Unit() == unit || trace->Unit().startsWith(unit + QLatin1Char(',')))
        << trace->Unit().toStdString();
    EXPECT_NEAR(trace->Maximum() / trace->Divisor(), c.axisTop, tolerance);
    EXPECT_NEAR(trace->Minimum() / trace->Divisor(), 0.0, tolerance);
    const CGraphPoint* point = nullptr;
    for (int ch = 0; ch < CGraphTrace::kChannels && !point; ++ch)
        for (const CGraphPoint& p : trace->Points(ch))
            if (!p.IsGap()) {
                point = &p;
                break;
            }
    ASSERT_TRUE(point);
    EXPECT_NEAR(trace->ValueOfY(point->y) / trace->Divisor(), c.value, tolerance);

    // The pixels: the trace's height in the plot is its value over the top.
    CGraphWnd* graph = v.view->findChild<CGraphWnd*>();
    ASSERT_TRUE(graph);
    const QImage image = graph->RenderImage();
    const CGraphRect plot = graph->PlotRect();
    const QColor colour = ColorFromRef(trace->Colour());
    std::vector<int> ys;
    for (int x = plot.left + plot.Width() / 4; x < plot.right - plot.Width() / 4; ++x)
        for (int y = plot.top; y < plot.bottom; ++y)
            if (image.pixelColor(x, y).rgb() == colour.rgb())
                ys.push_back(y);
    ASSERT_FALSE(ys.empty()) << "no trace in the plot";
    std::nth_element(ys.begin(), ys.begin() + std::ptrdiff_t(ys.size() / 2), ys.end());
    const double height = double(plot.bottom - ys[ys.size() / 2]) / plot.Height();
    EXPECT_NEAR(height, c.value / c.axisTop, 0.02);

    // The printed axis: "[unit]" and numbers of that unit, not of the base one.
    if (!pdfcheck::HaveTools())
        return;
    pdfcheck::PdfJobs jobs;
    platform::SendMessageTo(v.view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    ASSERT_EQ(jobs.chooserCalls, 1);
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages[0].contains(QLatin1Char('[') + trace->Unit() + QLatin1Char(']'))) << pages[0].toStdString();
    const std::vector<double> labels = AxisLabels(pages[0]);
    ASSERT_FALSE(labels.empty()) << pages[0].toStdString();
    const double top = *std::max_element(labels.begin(), labels.end());
    EXPECT_GT(top, c.axisTop / 2) << pages[0].toStdString();
    EXPECT_LE(top, c.axisTop) << pages[0].toStdString();
    EXPECT_GE(*std::min_element(labels.begin(), labels.end()), 0.0);
}

} // namespace axischeck
