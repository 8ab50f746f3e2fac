#include "analysers_vkt/VKTVlnyZobrazeni.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace analysers_vkt;

namespace {

VKTVlnyFileData::Wave Sine(double amplitude, double phaseDegrees = 0.0)
{
    VKTVlnyFileData::Wave w{};
    const double phase = phaseDegrees * std::numbers::pi / 180.0;
    for (int n = 0; n < 64; ++n)
        w[std::size_t(n)] =
            std::int16_t(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * n / 64.0 + phase)));
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

// The rows of the horizontal grid lines, looked for mid-plot. The lines are
// dotted: any of a few neighbouring columns will do.
std::vector<int> GridRows(const QImage& image)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        bool dot = false;
        for (int x = 300; x < 306; ++x)
            dot = dot || image.pixelColor(x, y) == QColor(0xB4, 0xB4, 0xB4);
        if (dot)
            rows.push_back(y);
    }
    return rows;
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

// The period starts where the reference channel (U1 here) crosses zero
// rising, at any phase of the samples, also between two samples; the
// current keeps its lag of 30 degrees behind it.
TEST(VKTVlnyZobrazeni, TheReferencePhaseMovesEveryCurveRight)
{
    const int x0 = 5 * 16, width = 599 - 2 * 16 - x0, zero = 200 + 16, half = 200 - 3 * 16;
    const double uAmplitude = 230.0 * std::numbers::sqrt2 * half / 400; // range 400 V
    const double iAmplitude = 60.0 * std::numbers::sqrt2 * half / 200;  // range 200 A
    const auto near = [](const QImage& image, const QColor& colour, int x, int y) {
        for (int dy = -3; dy <= 3; ++dy)
            if (image.pixelColor(x, y + dy) == colour)
                return true;
        return false;
    };
    for (double start : {50.0, 0.0, -170.0, 93.0}) {
        VKTWaveChannels ch;
        ch.waves[0] = Sine(10000, start);
        ch.rms[0] = 230.0f;
        ch.waves[4] = Sine(10000, start - 30.0);
        ch.rms[4] = 60.0f;
        CVKTVlnyZobrazeni pane = Pane(0x11);
        ch.grid = false;
        const QImage image = Render(pane, ch, QSize(600, 400));
        for (double angle : {20.0, 90.0, 150.0, 200.0, 270.0, 340.0}) {
            const int x = x0 + int(angle / 360.0 * width + 0.5);
            const double rad = angle * std::numbers::pi / 180.0;
            const int yU = zero - int(std::lround(uAmplitude * std::sin(rad)));
            const int yI = zero - int(std::lround(iAmplitude * std::sin(rad - std::numbers::pi / 6)));
            EXPECT_TRUE(near(image, ch.colours[0], x, yU)) << "U1 from " << start << " at " << angle;
            EXPECT_TRUE(near(image, ch.colours[4], x, yI)) << "I1 from " << start << " at " << angle;
        }
    }
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
    EXPECT_NE(GridRows(before), GridRows(after));
    EXPECT_FALSE(GridRows(after).empty());

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

namespace {

// Pixels other than white inside `area`.
int Ink(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    return count;
}

// `text` alone, as a pane would write it into `box`.
QImage Written(const QString& text, const QRect& box, const QFont& font, int flags)
{
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setFont(font);
    p.drawText(box, flags, text);
    return image;
}

QFont Font(const char* family, int pixels, bool bold)
{
    QFont font = family ? QFont(QString::fromLatin1(family)) : QFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

// On the screen the pane is sunk into the window; on paper it has a plain
// black frame.
TEST(VKTVlnyZobrazeni, FrameIsSunkOnTheScreenAndPlainOnPaper)
{
    const VKTWaveChannels ch = Channels({{0, 10000, 230.0f}, {4, 5000, 12.0f}});
    const QColor dark(0x20, 0x20, 0x20), light(0xE0, 0xE0, 0xE0), black(Qt::black);
    for (const bool printing : {false, true}) {
        CVKTVlnyZobrazeni pane;
        pane.SetChannels(0x11);
        pane.SetRect(QRect(0, 0, 600, 400), 16, printing);
        const QImage image = Render(pane, ch, QSize(600, 400));
        EXPECT_EQ(image.pixelColor(300, 0), printing ? black : dark) << printing;   // top
        EXPECT_EQ(image.pixelColor(0, 300), printing ? black : dark) << printing;   // left
        EXPECT_EQ(image.pixelColor(300, 399), printing ? black : light) << printing; // bottom
        EXPECT_EQ(image.pixelColor(599, 300), printing ? black : light) << printing; // right
        EXPECT_EQ(image.pixelColor(300, 1), QColor(Qt::white)) << printing;
    }
}

// The axis letters are bold at the label height; the title is bold and a
// little larger on the screen, bold in the printer's own face on paper.
TEST(VKTVlnyZobrazeni, AxisLettersAndTitleAreBold)
{
    const VKTWaveChannels ch = Channels({{0, 10000, 230.0f}, {4, 5000, 12.0f}});
    const int u = 16, h = 12;
    const QFont normal = Font("Times New Roman", h, false);
    struct Case {
        bool printing;
        QFont titleFont;
    };
    const Case cases[] = {{false, Font("Times New Roman", u * 8 / 7, true)}, {true, Font(nullptr, u, true)}};
    for (const Case& c : cases) {
        const int x0 = (c.printing ? 6 : 5) * u;
        const auto render = [&](std::uint8_t mask) {
            CVKTVlnyZobrazeni pane;
            pane.SetChannels(mask);
            pane.SetRect(QRect(0, 0, 600, 400), u, c.printing);
            return Render(pane, ch, QSize(600, 400));
        };

        const QString title = QStringLiteral("Průběhy U1, I1");
        const QImage both = render(0x11);
        const QRect titleBox(x0 + 2 * u, u, 599 - 10 - x0 - 2 * u, int(1.3 * u));
        const QRect titleArea(x0 + u, 2, 560 - x0, 40);
        EXPECT_EQ(Ink(both, titleArea), Ink(Written(title, titleBox, c.titleFont, Qt::AlignCenter), titleArea))
            << c.printing;
        EXPECT_NE(Ink(both, titleArea), Ink(Written(title, titleBox, normal, Qt::AlignCenter), titleArea))
            << c.printing;

        // A pane of one kind has its axis inside, the letter above it.
        const QRect box(x0 - 3 * u, int(1.5 * u), int(2.65 * u), h);
        const QRect area = box.adjusted(-2, -2, 0, 0);
        for (const auto& [mask, letter] : {std::pair{0x01, "U"}, std::pair{0x10, "I"}}) {
            const QImage image = render(std::uint8_t(mask));
            const QString text = QString::fromLatin1(letter);
            EXPECT_EQ(Ink(image, area), Ink(Written(text, box, Font("Times New Roman", h, true), Qt::AlignRight), area))
                << letter << c.printing;
            EXPECT_NE(Ink(image, area), Ink(Written(text, box, normal, Qt::AlignRight), area)) << letter << c.printing;
        }
    }
}

// The current axis labels in nice steps down to a thousandth of the input's
// factor: a small current on a plain input gets half-ampere labels, a large
// factor holds the step at its own size. The grid lines of the inner axis
// stand at the labels.
TEST(VKTVlnyZobrazeni, CurrentLabelStepFollowsTheInputFactor)
{
    struct Case {
        float factor;
        float rms;
        int range;
        double step; // in the axis unit
        int divisor;
    };
    const Case cases[] = {
        {1.0f, 2.47f, 5, 0.5, 1},        // A = 4: nice step 0.5
        {1000.0f, 2.47f, 5, 1.0, 1},     // the factor's thousandth is coarser
        {100.0f, 247.0f, 500, 50.0, 1},  // A = 419, step 100
        {40000.0f, 2470.0f, 5000, 0.5, 1000},
        {20000.0f, 12.0f, 100, 20.0, 1}, // A = 20: range 100, the factor above the nice 10
    };
    const int zero = 300 + 16, half = 300 - 3 * 16;
    for (const Case& c : cases) {
        const std::array<float, 8> scale{1, 1, 1, 1, c.factor, c.factor, c.factor, c.factor};
        VKTWaveChannels ch = Channels({{4, 10000, c.rms}});
        ch.scale = scale;
        CVKTVlnyZobrazeni pane;
        pane.SetChannels(0x10, scale);
        pane.SetRect(QRect(0, 0, 600, 600), 16);
        const QImage image = Render(pane, ch, QSize(600, 600));
        ASSERT_EQ(pane.CurrentRange(), c.range) << c.factor;
        const double reduced = double(c.range) / c.divisor;
        std::vector<int> expected;
        const int labels = int(reduced / c.step + 0.1);
        for (int i = labels; i >= 1; --i)
            expected.push_back(zero - int(half / reduced * (i * c.step)));
        for (int i = 1; i <= labels; ++i)
            expected.push_back(zero + int(half / reduced * (i * c.step)));
        EXPECT_EQ(GridRows(image), expected) << "factor " << c.factor << " rms " << c.rms;
    }
}
