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

} // namespace

TEST(VKTVlnyZobrazeni, DrawsTheChosenCurvesWithTheirRanges)
{
    VKTWaveChannels ch;
    ch.waves[0] = Sine(10000);
    ch.rms[0] = 230.0f;
    ch.waves[4] = Sine(5000);
    ch.rms[4] = 12.0f;
    ch.waves[1] = Sine(9000);
    ch.rms[1] = 231.0f;
    CVKTVlnyZobrazeni pane;
    pane.SetChannels(0x11);
    pane.SetRect(QRect(0, 0, 600, 400), 16);
    const QImage image = Render(pane, ch, QSize(600, 400));
    EXPECT_EQ(pane.VoltageRange(), 400);
    EXPECT_EQ(pane.CurrentRange(), 100); // A = 20: step 100
    EXPECT_GT(CountColour(image, ch.colours[0]), 100);
    EXPECT_GT(CountColour(image, ch.colours[4]), 100);
    EXPECT_EQ(CountColour(image, ch.colours[1]), 0); // U2 is not in the pair
}

TEST(VKTVlnyZobrazeni, SmallOrEmptyPanesShowOnlyTheFrame)
{
    VKTWaveChannels ch;
    ch.waves[0] = Sine(10000);
    ch.rms[0] = 230.0f;
    CVKTVlnyZobrazeni small;
    small.SetChannels(0x11);
    small.SetRect(QRect(0, 0, 40, 40), 16);
    EXPECT_EQ(small.FrameRect().size(), QSize(250, 150));
    EXPECT_EQ(CountColour(Render(small, ch, QSize(300, 200)), ch.colours[0]), 0);

    CVKTVlnyZobrazeni empty;
    empty.SetChannels(0x22);
    empty.SetRect(QRect(0, 0, 600, 400), 16);
    const QImage image = Render(empty, ch, QSize(600, 400));
    EXPECT_EQ(CountColour(image, Qt::black), 0); // no axes
}
