#include "analysers_vkt/VKTVlnyZobrazeni.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace analysers_vkt;

namespace {

VKTVlnyFileData::Wave Sine(double amplitude)
{
    VKTVlnyFileData::Wave w{};
    for (int n = 0; n < 64; ++n)
        w[std::size_t(n)] = std::int16_t(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * n / 64.0)));
    return w;
}

int CountColour(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

QImage Render(CVKTVlnyZobrazeni& pane, const VKTWaveChannels& ch, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter p(&image);
    pane.Draw(p, ch, 16);
    return image;
}

struct Curve {
    int channel;
    double amplitude;
    float rms;
};

VKTWaveChannels Channels(std::initializer_list<Curve> curves)
{
    VKTWaveChannels ch;
    for (const Curve& c : curves) {
        ch.waves[std::size_t(c.channel)] = Sine(c.amplitude);
        ch.rms[std::size_t(c.channel)] = c.rms;
    }
    return ch;
}

// A pane of `mask` over 600 x 400 pixels.
CVKTVlnyZobrazeni Pane(std::uint8_t mask, const std::array<float, 8>& scale = {1, 1, 1, 1, 1, 1, 1, 1})
{
    CVKTVlnyZobrazeni pane;
    pane.SetChannels(mask, scale);
    pane.SetRect(QRect(0, 0, 600, 400), 16);
    return pane;
}

} // namespace

TEST(VKTVlnyZobrazeni, DrawsTheChosenCurvesWithTheirRanges)
{
    const VKTWaveChannels ch = Channels({{0, 10000, 230.0f}, {4, 5000, 12.0f}, {1, 9000, 231.0f}});
    CVKTVlnyZobrazeni pane = Pane(0x11);
    const QImage image = Render(pane, ch, QSize(600, 400));
    EXPECT_EQ(pane.VoltageRange(), 400);
    EXPECT_EQ(pane.CurrentRange(), 100); // A = 20: step 100
    EXPECT_GT(CountColour(image, ch.colours[0]), 100);
    EXPECT_GT(CountColour(image, ch.colours[4]), 100);
    EXPECT_EQ(CountColour(image, ch.colours[1]), 0); // U2 is not in the pair
}

// A pane ranges over its own channels (the one whose peak reaches highest on
// its input's scale), whatever U1 and I1 hold.
TEST(VKTVlnyZobrazeni, EachPaneRangesOverItsOwnChannels)
{
    VKTWaveChannels ch = Channels({{0, 10000, 230.0f}, {4, 5000, 60.0f}, {1, 400, 10.0f}, {5, 300, 1.0f}});
    CVKTVlnyZobrazeni pane = Pane(0x22);
    Render(pane, ch, QSize(600, 400));
    EXPECT_EQ(pane.VoltageRange(), 100); // A = 16, step 100
    EXPECT_EQ(pane.CurrentRange(), 2);   // A = 1, step 1

    // Of U1..U3 the fourth input's larger factor picks U4.
    ch.waves[3] = Sine(9000);
    ch.rms[3] = 700.0f;
    ch.scale = {1, 1, 1, 100, 1, 1, 1, 1};
    CVKTVlnyZobrazeni all = Pane(0x0F, ch.scale);
    Render(all, ch, QSize(600, 400));
    EXPECT_EQ(all.VoltageRange(), 2000); // from U4: A = 1187, step 1000
}

// One period along the phase axis: twelve ticks, the grid through each and
// "360°" under the last.
TEST(VKTVlnyZobrazeni, PhaseAxisWithItsGrid)
{
    VKTWaveChannels ch = Channels({{0, 10000, 230.0f}});
    CVKTVlnyZobrazeni pane = Pane(0x01);
    const QImage grid = Render(pane, ch, QSize(600, 400));
    const std::vector<int> ticks = pane.PhaseTicks();
    ASSERT_EQ(ticks.size(), 12u);
    const QColor gridColour(0xB4, 0xB4, 0xB4);
    const auto gridIn = [&gridColour](const QImage& image, int x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            count += image.pixelColor(x, y) == gridColour ? 1 : 0;
        return count;
    };
    for (int i : {0, 2, 5, 10})
        EXPECT_GT(gridIn(grid, ticks[std::size_t(i)]), 40) << i;
    // Without the grid the columns hold no grid dots, and the ticks stay.
    ch.grid = false;
    const QImage plain = Render(pane, ch, QSize(600, 400));
    EXPECT_EQ(gridIn(plain, ticks[2]), 0);
    const int zero = 400 / 2 + 16;
    EXPECT_EQ(plain.pixelColor(ticks[2], zero - 3), QColor(Qt::black));
    // "360°" is written under the last tick, below the tick's own line.
    int dark = 0;
    for (int y = zero + 9; y < zero + 25; ++y) {
        for (int x = ticks[11] - 16; x <= ticks[11] + 16; ++x) {
            const QColor c = plain.pixelColor(x, y);
            dark += c.red() < 80 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 10);
}

// A pane with voltages and currents swaps its axes on a click left of the
// outer axis; the grid follows the inner one.
TEST(VKTVlnyZobrazeni, AClickOnTheOuterAxisSwapsTheAxes)
{
    const VKTWaveChannels ch = Channels({{0, 10000, 230.0f}, {4, 5000, 60.0f}});
    CVKTVlnyZobrazeni pane = Pane(0x11);
    const QImage before = Render(pane, ch, QSize(600, 400));
    EXPECT_FALSE(pane.HitSwap(QPoint(300, 200))); // inside the plot
    ASSERT_TRUE(pane.HitSwap(QPoint(10, 200)));
    EXPECT_FALSE(pane.VoltageAxisInner());
    const QImage after = Render(pane, ch, QSize(600, 400));
    // The horizontal grid lines now stand at the current's labels.
    const auto gridRows = [](const QImage& image) {
        std::vector<int> rows;
        // The lines are dotted: any of a few neighbouring columns will do.
        for (int y = 0; y < image.height(); ++y) {
            bool dot = false;
            for (int x = 300; x < 306; ++x)
                dot = dot || image.pixelColor(x, y) == QColor(0xB4, 0xB4, 0xB4);
            if (dot)
                rows.push_back(y);
        }
        return rows;
    };
    EXPECT_NE(gridRows(before), gridRows(after));
    EXPECT_FALSE(gridRows(after).empty());

    // A pane of one kind has no outer axis to click.
    CVKTVlnyZobrazeni voltages = Pane(0x0F);
    Render(voltages, ch, QSize(600, 400));
    EXPECT_FALSE(voltages.HitSwap(QPoint(10, 200)));
    EXPECT_TRUE(voltages.VoltageAxisInner());
}

TEST(VKTVlnyZobrazeni, SmallOrEmptyPanesShowOnlyTheFrame)
{
    const VKTWaveChannels ch = Channels({{0, 10000, 230.0f}});
    CVKTVlnyZobrazeni small;
    small.SetChannels(0x11);
    small.SetRect(QRect(0, 0, 40, 40), 16);
    EXPECT_EQ(small.FrameRect().size(), QSize(250, 150));
    EXPECT_EQ(CountColour(Render(small, ch, QSize(300, 200)), ch.colours[0]), 0);

    CVKTVlnyZobrazeni empty = Pane(0x22);
    const QImage image = Render(empty, ch, QSize(600, 400));
    EXPECT_EQ(CountColour(image, Qt::black), 0); // no axes
}
