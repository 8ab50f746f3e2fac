#include "analysers_vk/VKGrafAktual.h"
#include "archive/store/VKArchivData.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QTemporaryDir>

#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>

using analysers_vk::CVKGrafAktual;

namespace {

// The graph reads the general defaults when it binds: settings of our own.
class OwnSettings : public ::testing::Environment {
public:
    void SetUp() override { platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("s.ini"))); }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

private:
    QTemporaryDir m_dir;
};

class VKGrafRecord : public ::testing::Test {
protected:
    void SetUp() override { m_settings.SetUp(); }
    void TearDown() override { m_settings.TearDown(); }
    OwnSettings m_settings;
};

constexpr int kHead = 4 * (2 + 2 * CVKGrafAktual::kQuantityCount + 3); // up to the auto flag

int IntAt(const QByteArray& b, int offset)
{
    return qFromLittleEndian<qint32>(b.constData() + offset);
}

void SetIntAt(QByteArray& b, int offset, int value)
{
    qToLittleEndian<qint32>(value, b.data() + offset);
}

// A record as it is stored, with `count` floats (their block only when
// there are any) and the group and grid flag after them.
QByteArray Record(int count, int group, int grid)
{
    CVKArchivData data;
    CVKGrafAktual graph;
    graph.AttachArchive(data);
    std::vector<float> floats(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        floats[std::size_t(k)] = float(k * 10);
    data.ScaleCategories().Set(FALSE, count, floats.data());
    QByteArray record = graph.ArchiveRecord();
    const int tail = record.size() - 8;
    SetIntAt(record, tail, group);
    SetIntAt(record, tail + 4, grid);
    return record;
}

TEST_F(VKGrafRecord, LayoutOfTheStoredRecord)
{
    CVKArchivData data;
    CVKGrafAktual graph;
    graph.AttachArchive(data);
    graph.SetOdbDod(1);
    graph.SetQuantity(3, 1, 0x010203);
    graph.SetGrid(true);
    data.ScaleCategories().Set(TRUE, 0, nullptr);
    const QByteArray none = graph.ArchiveRecord();
    ASSERT_EQ(none.size(), kHead + 8); // no float block
    EXPECT_EQ(IntAt(none, 0), 1);
    EXPECT_EQ(IntAt(none, 8 + 3 * 8), 0x010203);
    EXPECT_EQ(IntAt(none, 8 + 3 * 8 + 4), 1);
    EXPECT_EQ(IntAt(none, kHead - 12), 7); // "typ"
    EXPECT_EQ(IntAt(none, kHead - 8), 0);
    EXPECT_EQ(IntAt(none, kHead - 4), 1);
    EXPECT_EQ(IntAt(none, kHead + 4), 1); // grid

    // Fourteen floats: the tail begins at byte 376.
    const QByteArray fourteen = Record(14, 3, 1);
    ASSERT_EQ(fourteen.size(), 376 + 8);
    EXPECT_EQ(IntAt(fourteen, kHead), 14 * 4);
}

TEST_F(VKGrafRecord, TheTailIsFoundFromTheFloatCount)
{
    struct Case {
        int count;
        int cut;       // bytes cut from the end
        bool applied;  // the record is taken at all
        bool tail;     // group and grid taken from it
    };
    const Case cases[] = {
        {0, 0, true, true},   {14, 0, true, true},  {20, 0, true, true},  {6, 0, true, true},
        {0, 8, true, false},  {14, 8, true, false}, {20, 4, true, false}, // tail missing: kept
        {14, 12, false, false}, {20, 60, false, false},                  // float block cut: registry
    };
    for (const Case& c : cases) {
        QByteArray record = Record(c.count, 5, 1);
        record.chop(c.cut);
        CVKArchivData data;
        CVKGrafAktual graph;
        graph.AttachArchive(data);
        graph.SetGrid(false);
        const int groupBefore = graph.CurrentGroup();
        EXPECT_EQ(graph.ApplyArchiveRecord(record), c.applied) << c.count << "/" << c.cut;
        EXPECT_EQ(graph.CurrentGroup(), c.tail ? 5 : groupBefore) << c.count << "/" << c.cut;
        EXPECT_EQ(graph.Grid(), c.tail) << c.count << "/" << c.cut;
        if (c.applied && c.count) {
            EXPECT_EQ(data.ScaleCategories().GetCount(), c.count);
        }
    }
}

TEST_F(VKGrafRecord, ABlockLengthThatDisagreesWithTheCountIsRejected)
{
    QByteArray record = Record(14, 2, 1);
    SetIntAt(record, kHead, 13 * 4);
    CVKArchivData data;
    CVKGrafAktual graph;
    graph.AttachArchive(data);
    EXPECT_FALSE(graph.ApplyArchiveRecord(record));
    SetIntAt(record, kHead - 8, -3); // a negative count
    EXPECT_FALSE(graph.ApplyArchiveRecord(record));
}

} // namespace

namespace {

// An archive graph of 600 x 300 pixels showing U1 and `more` over a time
// window of ten minutes.
class VKGrafPlot : public VKGrafRecord {
protected:
    void Show(std::initializer_list<int> more = {})
    {
        graph.resize(600, 300);
        data.ResetGraphTimeBase(600);
        graph.AttachArchive(data);
        graph.SetQuantity(0, 1, 0x0000FF);
        for (int index : more)
            graph.SetQuantity(index, 1, 0x00FF00);
    }
    void TearDown() override
    {
        graph.Detach();
        VKGrafRecord::TearDown();
    }
    bool Dark(const QImage& image, int x, int y) const { return qGray(image.pixel(x, y)) < 100; }

    CVKArchivData data;
    CVKGrafAktual graph;
};

// The axes move the plot's left edge while drawing; the next drawing must
// start from the laid-out plot again, not from where the last one ended.
TEST_F(VKGrafPlot, RepaintingDrawsTheSameGraph)
{
    Show({3, 10});
    const QImage first = graph.RenderImage();
    const int left = graph.PlotRect().left;
    const QImage second = graph.RenderImage();
    EXPECT_EQ(graph.PlotRect().left, left);
    EXPECT_TRUE(first == second);
}

// The curves and the time axis begin two pixels right of the last value
// axis's line.
TEST_F(VKGrafPlot, ThePlotBeginsTwoPixelsRightOfTheLastAxis)
{
    Show();
    const QImage image = graph.RenderImage();
    const CGraphRect plot = graph.PlotRect();
    EXPECT_TRUE(Dark(image, plot.left - 2, plot.bottom)); // the value axis
    EXPECT_FALSE(Dark(image, plot.left - 1, plot.bottom + 2));
    EXPECT_TRUE(Dark(image, plot.left, plot.bottom + 2)); // the time axis
    EXPECT_TRUE(Dark(image, plot.left + 20, plot.bottom + 2));
}

// The plot reaches the title's right edge but for the room the time axis
// keeps for its last label; the axis line ends where the curves do.
TEST_F(VKGrafPlot, ThePlotEndsAtTheTitlesRightEdgeLessTheTimeLabel)
{
    Show();
    const QImage image = graph.RenderImage();
    const CGraphRect plot = graph.PlotRect();
    ASSERT_NE(graph.LabelFont(), nullptr);
    const int charWidth = QFontMetrics(*graph.LabelFont(), &image).averageCharWidth();
    EXPECT_EQ(plot.right, graph.CurrentLayout().title.right() - 5 * charWidth);
    EXPECT_TRUE(Dark(image, plot.right, plot.bottom + 2));
    EXPECT_FALSE(Dark(image, plot.right + 1, plot.bottom + 2));
}

// Bold captions are larger than the labels, except in large graphs, which
// write both at one and a half times the base height.
TEST_F(VKGrafRecord, LargeGraphsWriteBoldAtTheLabelHeight)
{
    CVKArchivData data;
    CVKGrafAktual graph;
    graph.AttachArchive(data);
    graph.SetQuantity(0, 1, 0x0000FF);
    const int base = graph.logicalDpiY() * 9 / 72;
    struct Case {
        QSize size;
        int label;
        int bold;
    };
    const Case cases[] = {
        {{400, 300}, base, base * 8 / 7},
        {{900, 500}, base * 4 / 3, base * 4 / 3 * 8 / 7},
        {{1000, 900}, base * 3 / 2, base * 3 / 2},
    };
    graph.show();
    for (const Case& c : cases) {
        graph.resize(c.size);
        QCoreApplication::processEvents();
        graph.RenderImage();
        ASSERT_NE(graph.LabelFont(), nullptr);
        EXPECT_EQ(graph.LabelFont()->pixelSize(), c.label) << c.size.width();
        EXPECT_EQ(graph.TitleFont()->pixelSize(), c.bold) << c.size.width();
        EXPECT_TRUE(graph.TitleFont()->bold());
    }
    graph.Detach();
}

} // namespace
