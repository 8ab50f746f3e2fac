// VK archives written through a real compound file and walked back: values,
// settings in force, rows, axis names, graph scales, period files.
#include "VKArchivTestSupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace storetest;
using namespace vktest;

class VKWalkTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(m_writer);
        ASSERT_EQ(m_writer.Create(20 * 600, 10, 60, Path(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE, TRUE,
                                  QStringLiteral("Linka")),
                  1);
        m_windowStart = m_clock.Get();
    }

    // One block: settings, identification, `count` measurements a minute
    // apart; values numbered from `firstStep`.
    void WriteBlock(int firstStep, int count, const CVKConfig& config)
    {
        m_writer.AddConfigRecord(config);
        CIden iden;
        iden.family = CIden::kFamilyAnalyser;
        iden.model = 0x1101;
        m_writer.AddIdenRecord(iden);
        for (int i = 0; i < count; ++i) {
            m_clock.Advance(60);
            m_times.push_back(m_clock.Get());
            m_writer.AddMeasurementRecord(VKValues(firstStep + i));
        }
        EndBlock();
    }
    void EndBlock()
    {
        m_clock.Advance(1);
        const int mode = m_writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(m_writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }
    // A reader over the whole written file.
    void OpenReader(Reader<CVKArchivData>& reader, int loaded = 1)
    {
        Prepare(reader);
        ASSERT_EQ(reader.Open(Path(QStringLiteral("hala.vk"))), 1);
        ASSERT_EQ(reader.ReadHeader(), 1);
        ASSERT_EQ(reader.Window().Load(reader, reader.WrittenSlots(), m_windowStart, 86400), loaded);
    }

    Reader<CVKArchivData> m_writer;
    CTime m_windowStart;
    std::vector<CTime> m_times; // of the measurements, in order
};

TEST_F(VKWalkTest, WalkReadsEveryMeasurementBackAcrossBlocks)
{
    WriteBlock(0, 10, VKConfig(100, 1));
    WriteBlock(10, 10, VKConfig(100, 50));
    Reader<CVKArchivData> reader;
    OpenReader(reader);
    ASSERT_EQ(reader.FirstRecord(), 1);
    int step = 0;
    do {
        CVKAktData values;
        int fresh = 0;
        reader.GetLatestValues(values, fresh);
        ASSERT_EQ(CVKArchivData::BuildFullRecord(values), CVKArchivData::BuildFullRecord(VKValues(step))) << step;
        EXPECT_EQ(reader.Window().currentIndex, step);
        CVKConfig config;
        ASSERT_EQ(reader.GetConfigAt(config), 1);
        EXPECT_EQ(config.GetCtRatioDword(), step < 10 ? 1u : 50u);
        ++step;
    } while (reader.NextRecord());
    EXPECT_EQ(step, 20);
    EXPECT_FLOAT_EQ(reader.GetRatioI(), 50.0f);
    EXPECT_EQ(reader.HasVariantBit0(), 1);
    CIden iden;
    ASSERT_EQ(reader.GetIdenAt(iden), 1);
    EXPECT_EQ(iden.model, 0x1101);
    CVKStatus status;
    EXPECT_EQ(reader.GetStatusRecord(status), 0);

    const QStringList texts = reader.GetWindowTexts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0], Path(QStringLiteral("hala.vk")));
    EXPECT_EQ(texts[3], reader.GetCurrentRecordTime().Format(QStringLiteral("%d.%m %H:%M:%S")));
}

TEST_F(VKWalkTest, WalkNeedsAFullRecordAndStatusComesBeforeMeasurements)
{
    CVKArchivData data;
    const QByteArray unchanged(12, '\0');
    data.Window().records = {{100, kRecordSettings, CVKArchivData::ConfigPayload(VKConfig(100, 1))},
                             {101, kRecordChanged, unchanged}};
    EXPECT_EQ(data.FirstRecord(), 0);
    EXPECT_EQ(data.NextRecord(), 0);
    CVKConfig config;
    EXPECT_EQ(data.GetConfigAt(config), 1); // the first measurement record is there

    QByteArray status(CVKStatus::kImageSize, '\0');
    data.Window().records.insert(data.Window().records.begin(), {99, kRecordStatus, status});
    CVKStatus read;
    EXPECT_EQ(data.GetStatusRecord(read), 1);
    data.Window().records = {{101, kRecordChanged, unchanged}, {102, kRecordStatus, status}};
    EXPECT_EQ(data.GetStatusRecord(read), 0);
    EXPECT_EQ(data.GetConfigAt(config), 0); // no settings record at all
}

TEST_F(VKWalkTest, RowsStartThreeBeforeTheAskedRowAcrossBlocks)
{
    WriteBlock(0, 10, VKConfig(100, 1));
    WriteBlock(10, 10, VKConfig(100, 1));
    WriteBlock(20, 10, VKConfig(100, 1));
    Reader<CVKArchivData> reader;
    OpenReader(reader);
    const std::vector<int> all = AllColumns(CVKArchivData::kColumnCount);
    int count = 0, first = 0;
    std::vector<int> offsets;
    auto rows = reader.GetRecordRows(0, all.data(), count, first, &offsets);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(first, 0);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].size(), 37);
    EXPECT_EQ(offsets[0], int(m_times[0].GetTime() - m_windowStart.GetTime()));

    // Row 20 is the first of the third block; the three before it are in the second.
    rows = reader.GetRecordRows(20, all.data(), count, first, &offsets);
    EXPECT_EQ(first, 17);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(offsets[0], int(m_times[17].GetTime() - m_windowStart.GetTime()));
    EXPECT_EQ(rows[0][0], m_times[17].Format(QStringLiteral("%d.%m %H:%M:%S")));

    rows = reader.GetRecordRows(28, all.data(), count, first, nullptr);
    EXPECT_EQ(first, 25);
    EXPECT_EQ(count, 5);
    rows = reader.GetRecordRows(40, all.data(), count, first, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(first, -1);
}

// A block that cannot be read leaves a gap: one row that says so, and the
// blocks after it read as they were written.
TEST_F(VKWalkTest, UnreadableBlockIsAGapAndTheNextBlockReadsWhole)
{
    WriteBlock(0, 10, VKConfig(100, 1));
    WriteBlock(10, 10, VKConfig(100, 1));
    WriteBlock(20, 10, VKConfig(100, 1));
    Reader<CVKArchivData> probe;
    OpenReader(probe);
    const std::string lost = archive::SlotStreamName(probe.WrittenSlots()[1]);
    m_provider->FailWhen([lost](const std::string& op, const std::string& name) { return op == "read" && name == lost; });

    Reader<CVKArchivData> reader;
    OpenReader(reader, 0);
    std::vector<int> steps;
    for (int more = reader.FirstRecord(); more; more = reader.NextRecord()) {
        CVKAktData values;
        int fresh = 0;
        reader.GetLatestValues(values, fresh);
        for (int step = 0; step < 30; ++step)
            if (CVKArchivData::BuildFullRecord(values) == CVKArchivData::BuildFullRecord(VKValues(step)))
                steps.push_back(step);
    }
    std::vector<int> expected;
    for (int step = 0; step < 30; ++step)
        if (step < 10 || step >= 20)
            expected.push_back(step);
    EXPECT_EQ(steps, expected);

    std::vector<int> selection(CVKArchivData::kColumnCount, 0);
    selection[0] = 1;
    int count = 0, first = 0;
    const auto rows = reader.GetRecordRows(10, selection.data(), count, first, nullptr);
    EXPECT_EQ(first, 7);
    ASSERT_EQ(count, 10);
    EXPECT_EQ(rows[2][1], QStringLiteral("230.1")); // row 9: the last of the first block
    EXPECT_EQ(rows[3][1], QStringLiteral("--"));    // row 10: the gap
    EXPECT_EQ(rows[4][1], QStringLiteral("230.0")); // row 11: the third block's first
}

TEST_F(VKWalkTest, SettingsInTheMiddleChangeTheRowsAfterItAndErrorsAreRows)
{
    m_writer.AddConfigRecord(VKConfig(100, 1));
    m_clock.Advance(60);
    m_writer.AddMeasurementRecord(VKValues(0));
    m_clock.Advance(60);
    m_writer.AddRecord(QStringLiteral("Přístroj neodpovídá"), kRecordError);
    m_writer.AddConfigRecord(VKConfig(100, 100));
    m_clock.Advance(60);
    m_writer.AddMeasurementRecord(VKValues(0));
    EndBlock();
    Reader<CVKArchivData> reader;
    OpenReader(reader);
    reader.UpdateSeriesScales(TRUE); // the window's largest CT is 100: "%0.1f" A
    std::vector<int> selection(CVKArchivData::kColumnCount, 0);
    selection[3] = 1; // I1
    int count = 0, first = 0;
    const auto rows = reader.GetRecordRows(0, selection.data(), count, first, nullptr);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(rows[0][1], QStringLiteral("1.0"));
    EXPECT_EQ(rows[1][1], QStringLiteral("--"));
    EXPECT_EQ(rows[2][1], QStringLiteral("100.0"));
    // The rows leave the object's own ratio alone.
    EXPECT_FLOAT_EQ(reader.GetRatioI(), 1.0f);
}

TEST(VKRows, ValueRules)
{
    CVKArchivData data;
    const std::vector<int> all = AllColumns(CVKArchivData::kColumnCount);
    CVKAktData v = VKValues(0);
    v.SetI(0, -3200);
    v.SetU(1, CVKAktData::kNoVoltage);
    v.SetPF(2, -87);
    v.SetTemperatureCode(120);
    v.SetP(0, 320000);
    v.SetP(1, 320000 * 2);
    v.SetP(2, 320000 * 4);
    v.SetQ(0, 0);
    v.SetQ(1, 0);
    v.SetQ(2, 0);
    const CTime t(2024, 3, 10, 10, 0, 5);
    // Temperature line through (40, 0.0) and (200, 160.0): slope 1, offset -40.
    QStringList row = data.FormatRecordRow(all.data(), &v, t, 1.0f, 1.0f, -40.0f, 1.0f, 1, 0);
    ASSERT_EQ(row.size(), 37);
    EXPECT_EQ(row[0], QStringLiteral("10.03 10:00:05"));
    EXPECT_EQ(row[1], QStringLiteral("230.0"));
    EXPECT_EQ(row[2], QStringLiteral("--"));
    EXPECT_EQ(row[4], QStringLiteral("-1.000")); // signed in the rows
    EXPECT_EQ(row[9], QStringLiteral("-0.87"));
    EXPECT_EQ(row[11], QStringLiteral("80.0"));
    EXPECT_EQ(row[18], QStringLiteral("1"));  // P1, W without decimals
    EXPECT_EQ(row[34], QStringLiteral("7"));  // 3P
    EXPECT_EQ(row[36], QStringLiteral("7"));  // 3S from 3P and 3Q
    EXPECT_EQ(row[33], QStringLiteral("1.00"));

    // Without variant bit 0 there is no temperature; connection mode 2
    // hides the phase powers and leaves P2 out of the totals.
    row = data.FormatRecordRow(all.data(), &v, t, 1.0f, 1.0f, -40.0f, 1.0f, 0, 1);
    EXPECT_EQ(row[11], QStringLiteral("--"));
    for (int c = 17; c <= 25; ++c)
        EXPECT_EQ(row[c + 1], QStringLiteral("--")) << c;
    EXPECT_EQ(row[34], QStringLiteral("5"));

    // The totals layout: 3P, 3Q, 3S are the first slots, 3PF is not given.
    v.SetPowerLayout(CVKAktData::kTotalsLayout);
    row = data.FormatRecordRow(all.data(), &v, t, 1.0f, 1.0f, 0.0f, 0.0f, 1, 0);
    EXPECT_EQ(row[18], QStringLiteral("--"));
    EXPECT_EQ(row[21], QStringLiteral("0"));
    EXPECT_EQ(row[33], QStringLiteral("--"));
    EXPECT_EQ(row[34], QStringLiteral("1"));

    row = data.FormatRecordRow(all.data(), nullptr, t, 1.0f, 1.0f, 0.0f, 0.0f, 1, 0);
    EXPECT_EQ(row.size(), 37);
    EXPECT_EQ(row.count(QStringLiteral("--")), 36);
}

TEST(VKAxisNames, CaptionsAndUnitsFollowTheWindowMultipliers)
{
    CVKArchivData data;
    const std::vector<int> all = AllColumns(CVKArchivData::kColumnCount);
    QStringList names = data.GetAxisNames(all.data());
    ASSERT_EQ(names.size(), 37);
    EXPECT_EQ(names[0], QStringLiteral("Čas"));
    EXPECT_EQ(names[1], QStringLiteral("U1 [V]"));
    EXPECT_EQ(names[4], QStringLiteral("I1 [A]"));
    EXPECT_EQ(names[7], QStringLiteral("PF1 []"));
    EXPECT_EQ(names[10], QStringLiteral("Fr [Hz]"));
    EXPECT_EQ(names[11], QStringLiteral("T [C]"));
    EXPECT_EQ(names[15], QStringLiteral("U3,1 [V]"));
    EXPECT_EQ(names[21], QStringLiteral("Q1 [var]"));
    EXPECT_EQ(names[27], QStringLiteral("THDU1 [%]"));
    EXPECT_EQ(names[36], QStringLiteral("3S [VA]"));
    std::vector<int> one(CVKArchivData::kColumnCount, 0);
    one[33] = 1;
    EXPECT_EQ(data.GetAxisNames(one.data()), (QStringList{QStringLiteral("Čas"), QStringLiteral("3P [W]")}));
}

TEST_F(VKWalkTest, GraphScalesFromTheLargestRatiosOfTheWindow)
{
    WriteBlock(0, 2, VKConfig(100, 1));
    WriteBlock(2, 2, VKConfig(22000 * 100, 3000)); // 22 kV / 100 V, 3000 A
    Reader<CVKArchivData> reader;
    OpenReader(reader);
    FakeSeries series({QStringLiteral("U1"), QStringLiteral("I4"), QStringLiteral("3Q")});
    reader.SetSeriesRegistry(&series);
    reader.UpdateSeriesScales(FALSE);
    EXPECT_EQ(series.units.value(QStringLiteral("U1")), QStringLiteral("kV"));
    EXPECT_EQ(series.units.value(QStringLiteral("I4")), QStringLiteral("kA"));
    EXPECT_EQ(series.units.value(QStringLiteral("3Q")), QStringLiteral("Mvar"));
    // The ranges stay in V, A, var; each unit goes with the divisor of its
    // prefix, so that the axes count in the unit they name.
    EXPECT_EQ(series.divisors.value(QStringLiteral("U1")), 1000);
    EXPECT_EQ(series.divisors.value(QStringLiteral("I4")), 1000);
    EXPECT_EQ(series.divisors.value(QStringLiteral("3Q")), 1000000);
    EXPECT_EQ(series.ranges.size(), 3);
    EXPECT_DOUBLE_EQ(series.ranges[QStringLiteral("U1")].second, 500.0 * 22000);
    EXPECT_DOUBLE_EQ(series.ranges[QStringLiteral("I4")].second, 10.0 * 3000);
    // Powers may not go below 0 unless asked.
    EXPECT_DOUBLE_EQ(series.ranges[QStringLiteral("3Q")].first, 0.0);
    EXPECT_DOUBLE_EQ(series.ranges[QStringLiteral("3Q")].second, 4000.0 * 22000 * 3000);
    reader.UpdateSeriesScales(TRUE);
    EXPECT_DOUBLE_EQ(series.ranges[QStringLiteral("3Q")].first, -4000.0 * 22000 * 3000);

    const std::vector<int> all = AllColumns(CVKArchivData::kColumnCount);
    const QStringList names = reader.GetAxisNames(all.data());
    EXPECT_EQ(names[1], QStringLiteral("U1 [kV]"));
    EXPECT_EQ(names[18], QStringLiteral("P1 [MW]"));

    // The live graph: only a recomputed format rescales.
    CVKArchivData live;
    FakeSeries liveSeries({QStringLiteral("I1"), QStringLiteral("P1")});
    live.SetSeriesRegistry(&liveSeries);
    EXPECT_EQ(live.RescaleCurrentSeries(TRUE), 1);
    EXPECT_EQ(live.RescaleCurrentSeries(TRUE), 0);
    live.AddConfigRecord(VKConfig(100, 2500));
    EXPECT_EQ(live.RescaleVoltageSeries(TRUE), 1); // still raised from construction
    EXPECT_EQ(live.RescaleCurrentSeries(TRUE), 1);
    EXPECT_EQ(liveSeries.units.value(QStringLiteral("I1")), QStringLiteral("kA"));
    EXPECT_EQ(liveSeries.divisors.value(QStringLiteral("I1")), 1000);
    EXPECT_DOUBLE_EQ(liveSeries.ranges[QStringLiteral("I1")].second, 25000.0);
    EXPECT_EQ(liveSeries.units.value(QStringLiteral("P1")), QStringLiteral("MW"));
    EXPECT_EQ(liveSeries.divisors.value(QStringLiteral("P1")), 1000000);

    // A window without transformers: base units, nothing divided.
    Reader<CVKArchivData> plain;
    FakeSeries plainSeries({QStringLiteral("U1"), QStringLiteral("I1"), QStringLiteral("P1")});
    plain.SetSeriesRegistry(&plainSeries);
    plain.UpdateSeriesScales(FALSE);
    EXPECT_EQ(plainSeries.units.value(QStringLiteral("U1")), QStringLiteral("V"));
    EXPECT_EQ(plainSeries.divisors.value(QStringLiteral("U1")), 1);
    EXPECT_EQ(plainSeries.divisors.value(QStringLiteral("I1")), 1);
    EXPECT_EQ(plainSeries.units.value(QStringLiteral("P1")), QStringLiteral("W"));
    EXPECT_EQ(plainSeries.divisors.value(QStringLiteral("P1")), 1);
}

// A new file per day: the next period's file is named after its start and
// its header lists only the block carried over, never a block of the old
// file.
TEST_F(VKWalkTest, NewPeriodFileHoldsNoBlocksOfTheOldFile)
{
    Reader<CVKArchivData> data;
    Prepare(data);
    m_clock.Set(CTime(2024, 3, 10, 23, 50, 30));
    ASSERT_EQ(data.Create(600, 1, 60, Path(QStringLiteral("den")), QStringLiteral(".vk"), FALSE, TRUE,
                          QStringLiteral("Linka")),
              1);
    const QString firstName = data.HeaderName();
    EXPECT_TRUE(firstName.endsWith(QStringLiteral("den_Y24D0310H23.vk"))) << firstName.toStdString();
    // Blocks a minute long until the day's file ends and the next begins.
    int mode = 1;
    for (int i = 0; i < 40 && mode != 2; ++i) {
        data.AddConfigRecord(VKConfig(100, 1));
        data.AddMeasurementRecord(VKValues(i));
        m_clock.Advance(60);
        mode = data.EndBlock(TRUE, TRUE, 60);
        ASSERT_EQ(data.Flush(TRUE, mode, QStringLiteral("Linka")), 1);
    }
    ASSERT_EQ(mode, 2);
    const QString secondName = data.HeaderName();
    EXPECT_TRUE(QFileInfo(secondName).fileName().startsWith(QStringLiteral("den_Y24D0311H00")))
        << secondName.toStdString();
    // The block carried over in slot 0 and the one being collected in slot 1.
    const std::vector<std::uint32_t> table = data.Table();
    EXPECT_EQ(std::count_if(table.begin(), table.end(), [](std::uint32_t t) { return t != 0; }), 2);
    EXPECT_NE(table[0], 0u);
    EXPECT_NE(table[1], 0u);

    Reader<CVKArchivData> reader;
    Prepare(reader);
    ASSERT_EQ(reader.Open(secondName), 1);
    ASSERT_EQ(reader.ReadHeader(), 1);
    EXPECT_EQ(reader.WrittenSlots(), std::vector<int>{0});
    CArchivRecordList records;
    EXPECT_EQ(reader.ReadBlock(0, records), 1);
}

} // namespace
