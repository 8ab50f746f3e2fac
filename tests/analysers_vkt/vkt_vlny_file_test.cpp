#include "analysers_vkt/VKTVlnyFile.h"
#include "analysers_vkt/VKTVlnyScale.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vkt;

namespace {

VKTVlnyFileData Sample()
{
    VKTVlnyFileData d;
    d.time = 0x6578A1B2;
    d.coloursTaken = 1;
    d.connection = 2;
    VKTVlnyFileData::Wave w{};
    for (int n = 0; n < VKTVlnyFileData::kSamples; ++n)
        w[std::size_t(n)] = std::int16_t(n * 100 - 3200);
    d.waves[0] = w;
    d.waves[4] = w;
    d.panes[0].mask = 0x11;
    d.panes[0].rms[0] = 230.5f;
    d.panes[0].voltageRange = 400;
    d.values.voltages[0] = QStringLiteral("230.5");
    d.values.currents[0] = QStringLiteral("12.0");
    return d;
}

} // namespace

TEST(VKTVlnyFile, BytesStartWithTheSignatureAndTheHeader)
{
    const QByteArray bytes = VKTVlnyBytes(Sample());
    EXPECT_EQ(bytes.left(14), QByteArray::fromHex("01feb2a178650100000002000000"));
    // U1 present: presence byte, then the first sample -3200 (0xF380).
    EXPECT_EQ(bytes.mid(14, 3), QByteArray::fromHex("0180f3"));
    // U2 absent: a single zero after U1's 128 bytes.
    EXPECT_EQ(bytes.at(14 + 1 + 128), 0);
    // The values table ends the file with the voltage title.
    EXPECT_TRUE(bytes.endsWith(QByteArray("\x08U L-N[V]")));
}

TEST(VKTVlnyFile, RoundTripAndAbsentChannels)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vlny.vln"));
    QString error;
    ASSERT_TRUE(SaveVKTVlnyFile(path, Sample(), error)) << error.toStdString();
    VKTVlnyFileData back;
    back.waves[1] = VKTVlnyFileData::Wave{}; // a channel absent in the file goes
    ASSERT_TRUE(LoadVKTVlnyFile(path, back, error)) << error.toStdString();
    EXPECT_EQ(VKTVlnyBytes(back), VKTVlnyBytes(Sample()));
    EXPECT_FALSE(back.waves[1].has_value());
    EXPECT_EQ(back.values.voltages[0], QStringLiteral("230.5"));
}

TEST(VKTVlnyFile, RefusedFilesChangeNothing)
{
    const QByteArray good = VKTVlnyBytes(Sample());
    QByteArray swapped = good;
    swapped[0] = char(0xFE); // the sum is still 255, but the order is not ours
    swapped[1] = char(0x01);
    QByteArray other = good;
    other[1] = char(0xFF);
    for (const QByteArray& bad : {swapped, other, good.left(good.size() - 3), QByteArray()}) {
        VKTVlnyFileData d;
        d.connection = 5;
        QString error;
        EXPECT_FALSE(ParseVKTVlny(bad, d, error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(d.connection, 5);
    }
}

TEST(VKTWaveScale, UnitsRangesAndAxisTexts)
{
    EXPECT_EQ(WaveTextUnit(96), 16); // ((96 x 9) / 72 x 4) / 3
    EXPECT_EQ(WaveTextHeight(16), 12);

    const WaveAxisText kv = WaveAxisOf(4800, false);
    EXPECT_EQ(kv.divisor, 1000);
    EXPECT_EQ(kv.reduced, 4);
    EXPECT_STREQ(kv.format, "%0.2f");
    EXPECT_EQ(kv.unit, QStringLiteral("[kV]"));
    EXPECT_EQ(WaveAxisOf(400, false).unit, QStringLiteral("[V]"));
    EXPECT_EQ(WaveAxisOf(5, true).unit, QStringLiteral("[A]"));
    EXPECT_STREQ(WaveAxisOf(400, false).format, "%0.1f");

    CVKTWaveRange u(false);
    EXPECT_EQ(u.Update(230.0), 400); // A = 390, step 100
    EXPECT_EQ(u.Update(2500.0), 5000); // grows at once
    for (int call = 1; call <= 3; ++call)
        EXPECT_EQ(u.Update(2000.0), 5000) << call; // one step lower waits
    EXPECT_EQ(u.Update(2000.0), 4000);             // ... for the fourth call
    EXPECT_EQ(u.Update(1000.0), 2000);             // two steps lower at once
    CVKTWaveRange i(true);
    EXPECT_EQ(i.Update(2.0), 4); // A = 3, step 1
}
