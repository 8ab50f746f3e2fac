#include "PdfCheck.h"

#include "charts/GraphPainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <random>

using platform::CTime;

namespace {

constexpr std::uint32_t kBlue = 0x00FF0000; // COLORREF: blue
const QColor kBlueColour(0, 0, 255);

// A white image with a painter whose label font has a known size.
struct Canvas {
    QImage image{400, 300, QImage::Format_ARGB32_Premultiplied};
    QFont font{QStringLiteral("DejaVu Sans")};
    std::unique_ptr<QPainter> painter;
    Canvas()
    {
        image.fill(Qt::white);
        font.setPixelSize(10);
        painter = std::make_unique<QPainter>(&image);
    }
    QColor At(int x, int y) const { return image.pixelColor(x, y); }
    bool Painted(int x, int y) const { return image.pixelColor(x, y) != QColor(Qt::white); }
    void End() { painter->end(); }
};

// Points of channel 0 at the given logical (x, y); y < 0 is a gap. With a
// span of 30000 s and a range of 0..15000 a point's x is its second and its
// y is 15001 minus its value.
CGraphTrace TraceOf(const std::vector<CGraphPoint>& points)
{
    const CTime origin(1000000);
    CGraphTrace trace(QStringLiteral("U1"), QStringLiteral("V"), QString(), kBlue, 15000.0f, 0.0f);
    trace.Rescale(origin, 30000, false);
    trace.SetPointCount(0, int(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].y < 0)
            trace.SetGap(0, int(i), false);
        else
            trace.SetPoint(0, int(i), origin + platform::CTimeSpan(points[i].x), 15001.0 - points[i].y);
    }
    return trace;
}

} // namespace

TEST(GraphPainter, ViewportMapsTheLogicalSpaceOntoTheDeviceRectangle)
{
    Canvas c;
    CGraphPainter painter(c.painter.get(), &c.font, &c.font);
    painter.SetViewport(100, 50, 300, 250, 0, 0, 1000, 1000);
    EXPECT_EQ(painter.LogicalToDevice(30000, 15000), QPoint(300, 249));
    EXPECT_EQ(painter.LogicalToDevice(0, 0), QPoint(100, 49));
    // The right half, the lower half: logical x 15000 on the left edge,
    // logical y 7500 one pixel above the top.
    painter.SetViewport(100, 50, 300, 250, 500, 0, 1000, 500);
    EXPECT_EQ(painter.LogicalToDevice(15000, 7500), QPoint(100, 49));
    EXPECT_EQ(painter.LogicalToDevice(30000, 15000), QPoint(300, 249));
    // A window of no width must not divide by zero.
    painter.SetViewport(100, 50, 300, 250, 500, 500, 500, 500);
    (void)painter.LogicalToDevice(30000, 15000);
}

TEST(GraphPainter, AxisStepsDecimalsAndLabels)
{
    struct Case {
        double range;
        int ticks;
        double step;
    };
    for (const Case& k : {Case{230, 10, 50}, Case{0.3, 4, 0.1}, Case{1, 5, 0.5}, Case{0.0004, 4, 0.0002}}) {
        const auto s = CGraphPainter::ComputeAxisStep(k.range, k.ticks);
        EXPECT_NEAR(s.step, k.step, k.step * 1e-9) << k.range << " with " << k.ticks;
    }
    EXPECT_EQ(CGraphPainter::DecimalsOfStep(50), 0);
    EXPECT_EQ(CGraphPainter::DecimalsOfStep(0.5), 1);
    EXPECT_EQ(CGraphPainter::DecimalsOfStep(0.05), 2);
    EXPECT_EQ(CGraphPainter::DecimalsOfStep(0.002), 3);
    EXPECT_EQ(CGraphPainter::FormatAxisLabels(2, 0.1, 0.1), (QStringList{"0.1", "0.2"}));

    // 0..230 by 50 keeps its top label 200.
    const double first = CGraphPainter::RoundUpToStep(0, 50);
    const int count = CGraphPainter::LabelCount(first, 230, 50);
    EXPECT_EQ(CGraphPainter::FormatAxisLabels(count, first, 50), (QStringList{"0", "50", "100", "150", "200"}));
    EXPECT_EQ(CGraphPainter::LabelCount(0, 200, 50), 5);
    EXPECT_EQ(CGraphPainter::LabelCount(60, 50, 50), 0);

    EXPECT_DOUBLE_EQ(CGraphPainter::RoundUpToStep(-73, 50), -50);
    EXPECT_DOUBLE_EQ(CGraphPainter::RoundUpToStep(51, 50), 100);
    EXPECT_DOUBLE_EQ(CGraphPainter::RoundUpToStep(100.000001, 50), 100);

    EXPECT_EQ(CGraphPainter::FormatAxisLabels(1, 0.95, 0.05, true), QStringList{"-0.95"});
    EXPECT_EQ(CGraphPainter::FormatAxisLabels(1, 1.05, 0.05, true), QStringList{"0.95"});

    // Nothing sensible to step through: no steps, never a loop.
    for (double range : {0.0, -5.0, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_EQ(CGraphPainter::ComputeAxisStep(range, 10).count, 0);
}

TEST(GraphPainter, TimeTicksFollowTheCalendar)
{
    // 600 s on 600 px with 6-px characters: 30 s would crowd, 60 s fits.
    const auto ticks = CGraphPainter::BuildTimeTicks(CTime(2024, 3, 12, 10, 0, 0), 600, 600, 6);
    ASSERT_EQ(ticks.size(), 11u);
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_EQ(ticks[i].offset, int(i) * 60);
    EXPECT_EQ(ticks[0].label, QStringLiteral("10"));
    EXPECT_EQ(ticks[1].label, QStringLiteral("10:01"));

    auto labels = [](CTime start, int span, int width) {
        QStringList out;
        for (const auto& t : CGraphPainter::BuildTimeTicks(start, span, width, 6))
            out << t.label;
        return out;
    };
    // Midnights: weekday (Monday 26 February 2024), month name, year.
    const QStringList week = labels(CTime(2024, 2, 26, 0, 0, 0), 7 * 86400, 700);
    EXPECT_EQ(week.value(0), QStringLiteral("Po"));
    EXPECT_TRUE(week.contains(QStringLiteral("Út")));
    EXPECT_TRUE(week.contains(QStringLiteral("Březen")));
    EXPECT_TRUE(labels(CTime(2023, 12, 30, 0, 0, 0), 4 * 86400, 700).contains(QStringLiteral("2024")));
    // Seconds where the step is below a minute; 1 s would crowd 30 px.
    EXPECT_EQ(labels(CTime(2024, 3, 12, 10, 0, 0), 20, 600).value(1), QStringLiteral("10:00:02"));
    // Long windows: one tick on the first of the month inside the window.
    const auto months = CGraphPainter::BuildTimeTicks(CTime(2024, 2, 10, 0, 0, 0), 40 * 86400, 300, 6);
    bool march = false;
    for (const auto& t : months)
        march = march || t.label == QStringLiteral("Březen");
    EXPECT_TRUE(march);
    // No span, no width: no ticks.
    EXPECT_TRUE(CGraphPainter::BuildTimeTicks(CTime(2024, 3, 12, 10, 0, 0), 0, 600, 6).empty());
    EXPECT_TRUE(CGraphPainter::BuildTimeTicks(CTime(2024, 3, 12, 10, 0, 0), 600, 0, 6).empty());
}

TEST(GraphPainter, TracesStopAtGapsAndKeepLonePoints)
{
    Canvas c;
    {
        CGraphPainter painter(c.painter.get(), &c.font, &c.font);
        painter.SetViewport(100, 50, 300, 250, 0, 0, 1000, 1000);
        // A level line over the first third, a gap, a lone point at the
        // middle between two gaps, a gap, and a level line over the last
        // sixth.
        CGraphTrace trace = TraceOf({{0, 7500},
                                     {10000, 7500},
                                     {-1, -1},
                                     {15000, 3000},
                                     {-1, -1},
                                     {25000, 12000},
                                     {30000, 12000}});
        painter.DrawTrace(trace, 0, 0, 1000, 1000);
        EXPECT_GT(painter.LastSegmentCount(), 0);
    }
    c.End();
    EXPECT_EQ(c.At(150, 149), kBlueColour);  // on the first line
    EXPECT_FALSE(c.Painted(175, 149));       // the gap after it
    EXPECT_FALSE(c.Painted(200, 100));       // no line into the lone point ...
    EXPECT_TRUE(c.Painted(200, 89) || c.Painted(201, 89)); // ... which stays visible
    EXPECT_FALSE(c.Painted(230, 180));       // no line across the second gap
    EXPECT_EQ(c.At(280, 209), kBlueColour);  // on the last line
    EXPECT_FALSE(c.Painted(150, 60));
}

TEST(GraphPainter, OnlyGapsDrawNothing)
{
    Canvas c;
    CGraphTrace trace = TraceOf({{-1, -1}, {-1, -1}});
    {
        CGraphPainter painter(c.painter.get(), &c.font, &c.font);
        painter.SetViewport(0, 0, 400, 300, 0, 0, 1000, 1000);
        painter.DrawTrace(trace, 0, 0, 1000, 1000);
        EXPECT_EQ(painter.LastSegmentCount(), 0);
        CGraphTrace empty(QStringLiteral("U1"), QString(), QString(), kBlue, 1, 0);
        painter.DrawTrace(empty, 0, 0, 1000, 1000);
        EXPECT_EQ(painter.LastSegmentCount(), 0);
    }
    c.End();
    for (int x = 0; x < 400; x += 7)
        for (int y = 0; y < 300; y += 7)
            ASSERT_FALSE(c.Painted(x, y)) << x << "," << y;
}

TEST(GraphPainter, DenseTracesNeverDrawMoreStrokesThanColumns)
{
    std::mt19937 random(17);
    std::uniform_int_distribution<int> value(1, 15000);
    std::vector<CGraphPoint> points;
    const int n = 200000;
    for (int i = 0; i < n; ++i)
        points.push_back(i % 5000 == 4999 ? CGraphPoint{} : CGraphPoint{int(std::int64_t(i) * 30000 / n), value(random)});
    CGraphTrace trace = TraceOf(points);
    Canvas c;
    CGraphPainter painter(c.painter.get(), &c.font, &c.font);
    painter.SetViewport(50, 20, 350, 280, 0, 0, 1000, 1000);
    painter.DrawTrace(trace, 0, 0, 1000, 1000);
    EXPECT_LE(painter.LastSegmentCount(), 300 + 1);
    // Zoomed into a fifth: bounded by the columns of the clip (two either
    // side of the plot) and the two lines that run out of it.
    painter.SetViewport(50, 20, 350, 280, 400, 0, 600, 1000);
    painter.DrawTrace(trace, 400, 0, 600, 1000);
    EXPECT_LE(painter.LastSegmentCount(), 304 + 2);
    EXPECT_GT(painter.LastSegmentCount(), 250);
}

TEST(GraphPainter, ZoomedTraceRunsIntoThePlotFromOutside)
{
    // Two points far outside on either side: the line between them still
    // crosses the zoomed plot.
    Canvas c;
    {
        CGraphPainter painter(c.painter.get(), &c.font, &c.font);
        painter.SetViewport(100, 50, 300, 250, 400, 0, 600, 1000);
        painter.DrawTrace(TraceOf({{0, 7500}, {30000, 7500}}), 400, 0, 600, 1000);
    }
    c.End();
    EXPECT_EQ(c.At(200, 149), kBlueColour);
    EXPECT_FALSE(c.Painted(50, 149)); // clipped to the plot
}

TEST(GraphPainter, MarkerDarkensAndPanelsFill)
{
    Canvas c;
    {
        CGraphPainter painter(c.painter.get(), &c.font, &c.font);
        painter.DrawBusyNotice(0, 0, 100, 100);
        // One stage on from the start to the middle of a 1000 s span.
        std::vector<std::vector<std::uint32_t>> rows(14);
        rows[0] = {0x80000000u | 0, 500};
        const std::array<CSwitchRows, 3> channels{CSwitchRows(rows), CSwitchRows(), CSwitchRows()};
        painter.DrawStageBars(channels, {200, 0, 400, 290}, 1000, 0, 1000, false);
        painter.SetViewport(100, 150, 200, 250, 0, 0, 1000, 1000);
        painter.DrawMarkerLine(15000, 1000);
    }
    c.End();
    EXPECT_EQ(c.At(50, 30), QColor(0xDE, 0xDE, 0xDE));
    // Row 1 of the stage panel: p = 10, m = (290 - 280) / 3 = 3, top = 23.
    EXPECT_EQ(c.At(250, 27), QColor(0x80, 0, 0));
    EXPECT_NE(c.At(350, 27), QColor(0x80, 0, 0));
    EXPECT_EQ(c.At(150, 200), QColor(0xFA, 0x50, 0x50));
}

TEST(GraphPainter, ValueAxisTakesTheWidthOfItsTexts)
{
    Canvas c;
    CGraphPainter painter(c.painter.get(), &c.font, &c.font);
    CGraphTrace trace(QStringLiteral("Činný proud"), QStringLiteral("A"), QString(), kBlue, 230.0f, 0.0f);
    CGraphRect axis{10, 40, 10, 280};
    painter.DrawValueAxis(trace, axis, true, 390, 0, 1000, 1.0f);
    // The caption (11 characters x 5 / 4 = 13) is the widest text.
    EXPECT_EQ(axis.right, 10 + (13 + 5) * painter.AverageCharWidth());
    // A range of no height: caption only, no division by zero.
    CGraphTrace flat(QStringLiteral("U"), QStringLiteral("V"), QString(), kBlue, 5.0f, 5.0f);
    CGraphRect flatAxis{10, 40, 10, 280};
    painter.DrawValueAxis(flat, flatAxis, true, 390, 0, 1000, 1.0f);
    EXPECT_GT(flatAxis.right, 10);
}

TEST(GraphPainter, IndexedAndWalkedTracesLookTheSame)
{
    // A long trace with gaps, drawn whole and zoomed, once through the
    // column index and once point by point.
    std::mt19937 random(5);
    std::uniform_int_distribution<int> value(1, 15000);
    std::vector<CGraphPoint> points;
    const int n = 60000;
    for (int i = 0; i < n; ++i)
        points.push_back(i % 7001 < 3 || (i > 20000 && i < 20500) ? CGraphPoint{}
                                                                  : CGraphPoint{int(std::int64_t(i) * 30000 / n), value(random)});
    CGraphTrace trace = TraceOf(points);
    auto draw = [&](bool indexed, int x0, int x1) {
        CGraphPainter::UseColumnIndex(indexed);
        Canvas c;
        {
            CGraphPainter painter(c.painter.get(), &c.font, &c.font);
            painter.SetViewport(20, 20, 380, 280, x0, 0, x1, 1000);
            painter.DrawTrace(trace, x0, 0, x1, 1000);
        }
        c.End();
        CGraphPainter::UseColumnIndex(true);
        return c.image;
    };
    for (auto [x0, x1] : {std::pair{0, 1000}, std::pair{300, 420}, std::pair{655, 700}})
        EXPECT_EQ(draw(true, x0, x1), draw(false, x0, x1)) << x0 << ".." << x1;
}

TEST(GraphPainter, EachTraceOwnsTheIndexItIsDrawnThrough)
{
    std::mt19937 random(9);
    std::uniform_int_distribution<int> value(1, 15000);
    auto longPoints = [&] {
        std::vector<CGraphPoint> points;
        for (int i = 0; i < 40000; ++i)
            points.push_back(CGraphPoint{int(std::int64_t(i) * 30000 / 40000), value(random)});
        return points;
    };
    auto draw = [](const CGraphTrace& trace, bool indexed) {
        CGraphPainter::UseColumnIndex(indexed);
        Canvas c;
        {
            CGraphPainter painter(c.painter.get(), &c.font, &c.font);
            painter.SetViewport(20, 20, 380, 280, 0, 0, 1000, 1000);
            painter.DrawTrace(trace, 0, 0, 1000, 1000);
        }
        c.End();
        CGraphPainter::UseColumnIndex(true);
        return c.image;
    };
    // Traces come and go in the same storage: each is drawn from its own
    // points, through an index it carries itself and that goes with it.
    std::optional<CGraphTrace> slot;
    for (int round = 0; round < 3; ++round) {
        slot.emplace(TraceOf(longPoints()));
        EXPECT_EQ(slot->PaintCache(), nullptr);
        const QImage indexed = draw(*slot, true);
        EXPECT_NE(slot->PaintCache(), nullptr) << round;
        EXPECT_EQ(indexed, draw(*slot, false)) << round;
        // A copy has points of its own and starts without the index.
        const CGraphTrace copy(*slot);
        EXPECT_EQ(copy.PaintCache(), nullptr);
        EXPECT_EQ(draw(copy, true), indexed);
    }
}

TEST(GraphPainter, TracesOfNoSpanOrNoRangeDrawWithoutFault)
{
    const CTime origin(CTime(2024, 3, 12, 10, 0, 0));
    CGraphTrace trace(QStringLiteral("U1"), QStringLiteral("V"), QString(), kBlue, 10.0f, 10.0f);
    trace.Rescale(origin, 0, false);
    trace.SetPointCount(0, 2);
    trace.SetPoint(0, 0, origin, 10.0);
    trace.SetPoint(0, 1, origin, 10.0);
    const std::uint64_t before = trace.Revision();
    // A failed move to a later origin leaves every point and the time base.
    EXPECT_THROW(trace.Rescale(origin + platform::CTimeSpan(60), 0, true), CGraphTraceRangeError);
    EXPECT_EQ(trace.Points(0)[0].x, 0);
    EXPECT_EQ(trace.Origin(), origin);
    EXPECT_EQ(trace.Revision(), before);
    trace.SetRange(10.0f, 10.0f, true);
    EXPECT_NE(trace.Revision(), before);
    for (const CGraphPoint& p : trace.Points(0))
        EXPECT_GE(p.y, 0);

    Canvas c;
    CGraphPainter painter(c.painter.get(), &c.font, &c.font);
    CGraphRect time{20, 20, 380, 250};
    painter.DrawTimeAxis(trace, time, true, 0, 1000);
    CGraphRect value{20, 20, 20, 250};
    painter.DrawValueAxis(trace, value, true, 380, 0, 1000, 1.0f);
    painter.SetViewport(20, 20, 380, 250, 0, 0, 1000, 1000);
    painter.DrawTrace(trace, 0, 0, 1000, 1000); // all at the left edge: nothing to see, nothing to fail
    EXPECT_LE(painter.LastSegmentCount(), 1);
}

TEST(GraphPainter, ValueTicksStandAtTheirValuesAndClearOfTheUnitLine)
{
    // 0..230 on an axis 230 pixels high: a pixel a unit, label 200 at 30.
    // On an axis 100 pixels high label 200 would stand within 1.5 text
    // heights of the top: it goes, with its tick.
    CGraphTrace trace(QStringLiteral("U"), QStringLiteral("V"), QString(), kBlue, 230.0f, 0.0f);
    for (int height : {230, 100}) {
        Canvas c;
        CGraphRect axis{10, 40, 10, 40 + height};
        int textHeight = 0;
        {
            CGraphPainter painter(c.painter.get(), &c.font, &c.font);
            textHeight = painter.TextHeight();
            painter.DrawValueAxis(trace, axis, false, 390, 0, 1000, 1.0f);
        }
        c.End();
        const int y200 = 30 * height / 230;
        const bool kept = y200 >= textHeight * 3 / 2;
        EXPECT_EQ(kept, height == 230);
        EXPECT_EQ(c.Painted(axis.right + 1, axis.top + y200), kept) << height;
        EXPECT_TRUE(c.Painted(axis.right + 1, axis.top + height)) << height; // label 0 at the bottom
        EXPECT_FALSE(c.Painted(axis.right + 1, axis.top + y200 + 3)) << height;
    }
}

TEST(GraphPainter, ChannelBarsFollowTheSwitchEventsOfEveryChannel)
{
    Canvas c;
    {
        CGraphPainter painter(c.painter.get(), &c.font, &c.font);
        // Row 1 on from the start until 500 s (in the older channel), row 5
        // off at the start and on from 600 s (in the newer channel).
        std::vector<std::vector<std::uint32_t>> older(9);
        std::vector<std::vector<std::uint32_t>> newer(9);
        older[0] = {0x80000000u | 0, 500};
        newer[4] = {0, 0x80000000u | 600};
        const std::array<CSwitchRows, 3> channels{CSwitchRows(newer), CSwitchRows(older), CSwitchRows()};
        // p = 10, row step 18, free space 7: row 1 at 25, row 5 at 104.
        painter.DrawChannelBars(channels, {200, 0, 400, 190}, 1000, 0, 1000);
    }
    c.End();
    const QColor bar(0x80, 0, 0);
    EXPECT_EQ(c.At(250, 29), bar);
    EXPECT_NE(c.At(350, 29), bar);
    EXPECT_EQ(c.At(380, 108), bar);
    EXPECT_NE(c.At(300, 108), bar);
    EXPECT_NE(c.At(250, 60), bar); // rows without events stay empty
}

// The outputs band's captions on a band laid out for a smaller text than
// the labels' (a large window enlarges the fonts, not the band) and on a
// roomy printed one, in whatever face: the captions are all there, those of
// a group's first and last row keep apart, and where there is room they
// keep the label font.
TEST(GraphPainter, ChannelBarCaptionsKeepApartInTheirRows)
{
    PDFCHECK_REQUIRE_TOOLS();
    struct Case {
        int dpi;
        int pixels;      // the label font's size
        int bandHeight;  // the band as the layout gives it
        bool roomy;
    };
    for (const Case& c : {Case{96, 12, 88, false}, Case{96, 18, 88, false}, Case{96, 24, 88, false},
                          Case{1200, 150, 1026, true}}) {
        SCOPED_TRACE(std::to_string(c.pixels) + " px in " + std::to_string(c.bandHeight));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("band.pdf"));
        QFont label(QStringLiteral("Times New Roman"));
        label.setPixelSize(c.pixels);
        int line = 0;
        {
            QPdfWriter writer(pdf);
            writer.setResolution(c.dpi);
            writer.setPageSize(QPageSize(QPageSize::A4));
            QPainter p(&writer);
            line = QFontMetrics(label, &writer).height();
            CGraphPainter painter(&p, &label, &label);
            const std::array<CSwitchRows, 3> channels{};
            const int left = 12 * QFontMetrics(label, &writer).averageCharWidth();
            painter.DrawChannelBars(channels, {left, 2 * line, left + 20 * line, 2 * line + c.bandHeight}, 1000, 0, 1000);
        }
        std::vector<pdfcheck::Word> captions;
        for (const pdfcheck::Word& w : pdfcheck::Words(pdf))
            if (w.text != QStringLiteral("&gt;&gt;"))
                captions.push_back(w);
        ASSERT_EQ(captions.size(), 5u); // U1, U4, I1, I4, Vstup from the top
        // The captions of a group's first and last row keep apart.
        pdfcheck::ExpectNoOverlappingWords({captions[0], captions[1]});
        pdfcheck::ExpectNoOverlappingWords({captions[2], captions[3]});
        for (const pdfcheck::Word& w : captions) {
            if (c.roomy) {
                EXPECT_NEAR(w.yMax - w.yMin, line * 72.0 / c.dpi, 1.0) << w.text.toStdString();
            }
        }
    }
}
