// The meter-archive table: interval boundaries, readings and increments,
// columns and power factors.
#include "charts_data/MeterTable.h"
#include "charts_data/ArchiveCsvWriter.h"

#include "model/VKBexor.h"

#include "platform/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using platform::CTime;
using charts::CMeterDisplay;
using charts::CMeterSample;
using charts::CMeterTable;

TEST(MeterTableTest, PowerFactorOfTheFourEnergies)
{
    const struct {
        double aai, aae, arl, arc;
        const char* text;
    } cases[] = {
        {3, 1, 2, 1, "0.800"},        // 4 / sqrt(16 + 9)
        {10, 0, 0, 0, "1.000"},
        {0, 0, 0, 0, "--"},            // no energy at all
        {0.0004, 0, 0.0005, 0, "--"}, // root below 0.001
        {0, 0, 5, 0, "0.000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(charts::MeterPowerFactorText(c.aai, c.aae, c.arl, c.arc), QString::fromLatin1(c.text))
            << c.aai << " " << c.arl;
}

TEST(MeterTableTest, BoundariesFollowTheLocalCalendar)
{
    const struct {
        CTime t;
        int period;
        CTime boundary;
    } cases[] = {
        {CTime(2024, 3, 13, 10, 44, 59), 900, CTime(2024, 3, 13, 10, 30, 0)},
        {CTime(2024, 3, 13, 10, 45, 0), 900, CTime(2024, 3, 13, 10, 45, 0)},
        {CTime(2024, 3, 13, 10, 44, 59), 28800, CTime(2024, 3, 13, 8, 0, 0)},
        {CTime(2024, 3, 13, 0, 10, 0), 86400, CTime(2024, 3, 13, 0, 0, 0)},
        // A week starts on Monday, also across a month.
        {CTime(2024, 3, 13, 10, 0, 0), 604800, CTime(2024, 3, 11, 0, 0, 0)},
        {CTime(2024, 3, 3, 23, 0, 0), 604800, CTime(2024, 2, 26, 0, 0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(charts::AlignToInterval(c.t, c.period).Format(QStringLiteral("%d.%m.%y %H:%M:%S")),
                  c.boundary.Format(QStringLiteral("%d.%m.%y %H:%M:%S")));
}

// Readings every 15 minutes from 23:30 on, the one of 23:45 late by 40 s,
// none at 00:15; AaI counts 1 kWh a reading, AaE nothing.
std::vector<CMeterSample> Readings()
{
    const CTime start(2024, 3, 12, 23, 30, 0);
    std::vector<CMeterSample> samples;
    const int offsets[] = {0, 900 + 40, 1800, 3600};
    double aai = 100;
    for (int offset : offsets) {
        CMeterSample s;
        s.time = start + CTimeSpan(offset);
        s.energy[3] = {aai, 0, aai / 2, 0};
        aai += 1;
        samples.push_back(s);
    }
    return samples;
}

TEST(MeterTableTest, ReadingsAndIncrementsByBoundary)
{
    CMeterDisplay display;
    display.increments = 0;
    CMeterTable table;
    table.Build(Readings(), display, false);
    ASSERT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.ColumnCount(), 1 + 5);
    EXPECT_EQ(table.Caption(0), QStringLiteral("Čas"));
    EXPECT_EQ(table.Caption(1), QStringLiteral("AaI (C) [kWh]"));
    EXPECT_EQ(table.Caption(5), QStringLiteral("PF (C) []"));
    EXPECT_EQ(table.Cell(0, 0), QStringLiteral("23:30:00 12.03.24"));
    EXPECT_EQ(table.Cell(1, 0), QStringLiteral("23:45:40"));
    EXPECT_EQ(table.Cell(2, 0), QStringLiteral("00:00:00 13.03.24"));
    EXPECT_EQ(table.Cell(3, 1), QStringLiteral("103.000"));
    EXPECT_EQ(table.Cell(0, 5), QStringLiteral("0.894"));
    EXPECT_TRUE(table.OnTime(0));
    EXPECT_FALSE(table.OnTime(1)); // 40 s late

    display.increments = 1;
    table.Build(Readings(), display, false);
    // The first boundary with data has no row of its own.
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_TRUE(table.IncrementMode());
    EXPECT_EQ(table.Caption(0), QStringLiteral("Čas od - do"));
    EXPECT_EQ(table.Cell(0, 0), QStringLiteral("23:30:00 (12.03.24) - 23:45:40"));
    EXPECT_EQ(table.Cell(1, 0), QStringLiteral("23:45:40 - 00:00:00 (13.03.24)"));
    EXPECT_EQ(table.Cell(2, 0), QStringLiteral("00:00:00 - 00:30:00"));
    EXPECT_EQ(table.Cell(2, 1), QStringLiteral("1.000"));
    EXPECT_EQ(table.Cell(0, 2), QStringLiteral("0.000"));
    EXPECT_FALSE(table.OnTime(0));
    EXPECT_TRUE(table.OnTime(2));

    // One reading: no increments at all.
    table.Build({Readings().front()}, display, false);
    EXPECT_EQ(table.RowCount(), 0);
}

TEST(MeterTableTest, ColumnsFollowTheDisplaySettings)
{
    CMeterDisplay display;
    display.quantities = {1, 0, 1, 0, 1};
    display.subColumns = {1, 1, 0, 1, 1, 1, 1};
    CMeterTable table;
    table.Build(Readings(), display, false);
    EXPECT_EQ(table.ColumnCount(), 1 + 3 * 3); // L1..L3 are VKT only
    table.Build(Readings(), display, true);
    EXPECT_EQ(table.ColumnCount(), 1 + 3 * 6);
    EXPECT_EQ(table.Cell(0, 1).count(QLatin1Char('.')), 1);
    EXPECT_EQ(table.Cell(0, 1).section(QLatin1Char('.'), 1).size(), 4);
    EXPECT_EQ(table.ExportCaption(4), QStringLiteral("AaI (L1)"));
    EXPECT_EQ(table.ExportCaption(7), QStringLiteral("ArL (T1) "));
    display.subColumns = {};
    table.Build(Readings(), display, true);
    EXPECT_EQ(table.ColumnCount(), 1);
}

TEST(MeterTableTest, VKCountersTimesTheMultiplierWithTheirTotal)
{
    CBexorBlock block;
    block.SetMultiplier(20.0f);
    block.SetEntryCount(1);
    CBexorEntry& entry = block.GetEntry(0);
    entry.SetTime(CTime(2024, 3, 12, 0, 0, 0));
    for (int tariff = 0; tariff < 3; ++tariff)
        entry.SetCounter(CVKEData::CounterIndex(tariff, CVKEData::ReactiveCapacitive), DWORD(1000 * (tariff + 1)));
    const std::vector<CMeterSample> samples = charts::MeterSamples(block);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_DOUBLE_EQ(samples[0].energy[1][3], 40.0);
    EXPECT_DOUBLE_EQ(samples[0].energy[3][3], 120.0);
    EXPECT_DOUBLE_EQ(samples[0].energy[3][0], 0.0);
}

TEST(MeterTableTest, CsvExportQuotesFieldsAndReportsFailures)
{
    CMeterDisplay display;
    display.increments = 0;
    display.quantities = {1, 0, 0, 0, 1};
    CMeterTable table;
    table.Build(Readings(), display, false);
    const QString text = platform::FromCp1250(charts::BuildMeterCsv(table, charts::kCsvDecimalComma,
                                                                    QStringLiteral("hala \"A\"")));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    // Quotes inside a field stay single, as in the value lists' files.
    EXPECT_EQ(lines[0], QStringLiteral("\"přístroj:\";\"hala \"A\"\";;;;;"));
    EXPECT_EQ(lines[1], QStringLiteral("\"od:\";\"12.03.24 23:30:00\";;;;;"));
    EXPECT_EQ(lines[2], QStringLiteral("\"do:\";\"13.03.24 00:30:00\";;;;;"));
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines[4], QStringLiteral("\"Čas1\";\"Čas2 [s]\";\"AaI (C)\";\"PF (C) []\";"));
    EXPECT_EQ(lines[6], QStringLiteral("\"12.03. 23:45:40\";\"940\";\"101,000\";\"0,894\";"));
    EXPECT_EQ(lines[9], QStringLiteral(";;;;"));

    QTemporaryDir dir;
    QString error;
    // ".CSV" in any case is the ending already.
    ASSERT_EQ(charts::WriteMeterCsv(dir.filePath(QStringLiteral("m.CSV")), table, 1, QStringLiteral("hala"), error), 1);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("m.CSV"))));
    EXPECT_EQ(charts::WriteMeterCsv(dir.filePath(QStringLiteral("none/m")), table, 1, QStringLiteral("hala"), error), 0);
    EXPECT_EQ(error, QStringLiteral("Soubor se nepodařilo otevřít."));
    // Only the time column: no file.
    display.quantities = {};
    table.Build(Readings(), display, false);
    EXPECT_EQ(charts::WriteMeterCsv(dir.filePath(QStringLiteral("t")), table, 1, QStringLiteral("hala"), error), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("t.csv"))));
}

} // namespace
