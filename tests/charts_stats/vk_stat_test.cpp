#include "ArchiveFixture.h"

#include "archive/store/VKArchivData.h"
#include "charts_stats/VKFamilyStatEngine.h"
#include "charts_stats/VKStatistics.h"

#include <cmath>

namespace statstest {
namespace {

using charts::stats::ComputeVKStatistics;
using E = charts::stats::CVKFamilyStatEngine;
using platform::CTime;
using platform::CTimeSpan;
constexpr int kPresent = vkstat::kPresent;
constexpr int kMissing = vkstat::kNoValue;
constexpr int kNotApplicable = vkstat::kNotApplicable;

CVKConfig Config(int connection)
{
    CVKConfig c;
    c.SetDirectVoltage(TRUE);
    c.SetVoltageWord(2300);
    c.SetCtRatioDword(1);
    c.SetNominalPower(10); // kW
    c.SetConnection(connection);
    return c;
}

// 230 V, 400 V between lines, 10 A, 2 kW and 0.5 kvar a phase, 2 % THD.
CVKAktData Balanced()
{
    CVKAktData v;
    for (int i = 0; i < 3; ++i) {
        v.SetU(i, 2300);
        v.SetULine(i, 4000);
        v.SetI(i, 32000);
        v.SetP(i, 2000 * 320000);
        v.SetQ(i, 500 * 320000);
        v.SetS(i, 2300 * 320000);
        v.SetPF(i, 97);
        v.GetVoltageHarmonics().SetThdCode(i, 4);
        v.GetCurrentHarmonics().SetThdCode(i, 10);
    }
    return v;
}

CArchivRecord Settings(CTime t, const CVKConfig& c)
{
    return {t.GetTime(), kRecordSettings, CVKArchivData::ConfigPayload(c)};
}

CArchivRecord Full(CTime t, const CVKAktData& v)
{
    return {t.GetTime(), kRecordFull, CVKArchivData::BuildFullRecord(v)};
}

CArchivRecord Status(CTime t, int voltages)
{
    CVKStatus s;
    s.SetSamplingMode(0);
    s.SetVoltageRecording(0, voltages, 0);
    s.SetCurrentRecording(0, 3, 0);
    s.SetPowerRecording(3, 0, FALSE);
    QByteArray image(CVKStatus::kImageSize, '\0');
    s.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    return {t.GetTime(), kRecordStatus, image};
}

// The statistics of one block of records shown from `start` for `span`
// seconds, with the settings record already filled.
std::vector<CVKStatResult> OneBlock(CArchivRecordList block, CTime start, int span)
{
    CVKArchivData data;
    CArchivWindow& w = data.Window();
    w.start = start;
    w.span = span;
    w.blockFirstRecord = {0};
    w.ringSlots = {0};
    w.records = std::move(block);
    CVKStatSettings settings;
    settings.filled = 1;
    return ComputeVKStatistics(data, settings);
}

using VKStatTest = ArchiveFixture;

TEST_F(VKStatTest, OnLineArchiveEndToEnd)
{
    const CTime start = At(10, 0);
    {
        CVKArchivData writer;
        Use(writer);
        SetTime(start - CTimeSpan(30));
        ASSERT_EQ(writer.Create(20 * 600, 10, 60, Path(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE, TRUE,
                                QStringLiteral("Linka")),
                  1);
        writer.AddConfigRecord(Config(0));
        for (int i = 0; i < 10; ++i) {
            SetTime(start + CTimeSpan(i * 60));
            writer.AddMeasurementRecord(Balanced());
        }
        SetTime(start + CTimeSpan(570));
        EndBlock(writer);
        ASSERT_TRUE(writer.WaitWriterIdle(10000));
        writer.Close();
    }
    CVKArchivData reader;
    Use(reader);
    ASSERT_EQ(reader.Open(Path(QStringLiteral("hala.vk"))), 1);
    ASSERT_EQ(reader.ReadHeader(), 1);
    reader.Window().Load(reader, WrittenSlots(reader, 22), start, 600);

    CVKStatSettings settings;
    const auto results = ComputeVKStatistics(reader, settings);
    EXPECT_EQ(settings.filled, 1);
    EXPECT_NEAR(settings.nominalVoltage, 230.0f, 1e-3);
    EXPECT_FLOAT_EQ(settings.nominalPower, 10000.0f);
    EXPECT_NEAR(settings.nominalCurrent, 10000.0f / 3 / 230.0f, 1e-3);
    ASSERT_EQ(results.size(), 1u);
    const CVKStatResult& r = results[0];
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(r.voltages[k].averageState, kPresent) << k;
        EXPECT_NEAR(r.voltages[k].average, k < 3 ? 230.0f : 400.0f, 1e-3) << k;
    }
    EXPECT_EQ(r.voltageThd[3].averageState, kNotApplicable);
    EXPECT_NEAR(r.voltageThd[0].average, 2.0f, 1e-4);
    EXPECT_NEAR(r.currentThd[0].average, 5.0f, 1e-4);
    EXPECT_NEAR(r.currents[0].average, 10.0f, 1e-4);
    EXPECT_FLOAT_EQ(r.currents[0].aboveHalf, 100.0f); // nominal 14.5 A
    EXPECT_NEAR(r.powers[4 * E::kPImport].average, 2000.0f, 0.01);
    EXPECT_NEAR(r.powers[4 * E::kPImport + E::kSum].average, 6000.0f, 0.1);
    EXPECT_EQ(r.powers[4 * E::kQExport].averageState, kMissing);
    EXPECT_NEAR(r.energies[4 * E::kPImport].value, 2000.0f * 9 * 60 / 3600, 0.1);
    EXPECT_EQ(r.powerFactors[0].averageState, kPresent);
    EXPECT_NEAR(r.powerFactors[0].average, 2000.0f / 2300.0f, 1e-4);
    EXPECT_EQ(r.powerFactors[E::kSum].worstState, kPresent);
    EXPECT_EQ(r.displacement[0].state[0], kPresent);
    EXPECT_NEAR(r.displacement[0].worst[0], 0.97f, 1e-6);
    EXPECT_EQ(r.unbalance.averageState, kPresent);
}

TEST(VKStatWalk, DownloadedBlocksAreSegmentsOfTheirOwn)
{
    const CTime start = At(10, 0);
    CArchivRecordList online{Settings(start - CTimeSpan(10), Config(0))};
    CArchivRecordList downloaded{Status(start + CTimeSpan(300), 2)};
    CArchivRecordList again;
    for (int i = 0; i < 5; ++i) {
        online.push_back(Full(start + CTimeSpan(i * 60), Balanced()));
        downloaded.push_back(Full(start + CTimeSpan(300 + i * 60), Balanced()));
        again.push_back(Full(start + CTimeSpan(600 + i * 60), Balanced()));
    }
    CVKArchivData data;
    CArchivWindow& w = data.Window();
    w.start = start;
    w.span = 900;
    for (const CArchivRecordList* block : {&online, &downloaded, &again}) {
        w.blockFirstRecord.push_back(w.records.size());
        w.ringSlots.push_back(int(w.ringSlots.size()));
        w.records.insert(w.records.end(), block->begin(), block->end());
    }
    CVKStatSettings settings;
    settings.filled = 1;
    const auto results = ComputeVKStatistics(data, settings);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].tail.endText, QStringLiteral("10:05:00 10.03.2024"));
    EXPECT_EQ(results[1].tail.endText, QStringLiteral("10:10:00 10.03.2024"));

    const CVKStatResult& d = results[1];
    for (const CVKPowerFactorStat& pf : d.powerFactors)
        EXPECT_EQ(pf.averageState, kNotApplicable);
    EXPECT_EQ(d.displacement[0].state[0], kNotApplicable);
    EXPECT_EQ(d.voltages[0].averageState, kPresent);
    EXPECT_EQ(d.voltages[2].averageState, kNotApplicable); // two voltages recorded
    EXPECT_EQ(d.powers[4 * E::kPImport].averageState, kPresent);
    EXPECT_EQ(d.powers[4 * E::kQImport].averageState, kNotApplicable); // only P recorded
    EXPECT_EQ(d.tail.intervalText, QStringLiteral("60 [s]"));

    // On line again: everything is back.
    EXPECT_EQ(results[2].powerFactors[0].averageState, kPresent);
    EXPECT_EQ(results[2].voltages[2].averageState, kPresent);
}

TEST(VKStatWalk, AronConnectionSumsTwoWattmeters)
{
    const CTime start = At(10, 0);
    CArchivRecordList block{Settings(start - CTimeSpan(10), Config(CVKConfig::Aron))};
    for (int i = 0; i < 5; ++i)
        block.push_back(Full(start + CTimeSpan(i * 60), Balanced()));
    const auto results = OneBlock(block, start, 300);
    ASSERT_EQ(results.size(), 1u);
    const CVKStatResult& r = results[0];
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(r.voltages[k].averageState, kNotApplicable) << k;
    EXPECT_EQ(r.voltages[3].averageState, kPresent);
    EXPECT_EQ(r.voltages[4].averageState, kNotApplicable);
    EXPECT_EQ(r.powers[4 * E::kPImport].averageState, kNotApplicable);
    EXPECT_NEAR(r.powers[4 * E::kPImport + E::kSum].average, 4000.0f, 0.1);
    EXPECT_EQ(r.powerFactors[E::kSum].averageState, kNotApplicable);
    EXPECT_EQ(r.unbalance.averageState, kNotApplicable);
}


// A connection set at the window start splits the window only when another
// one held before it; what held before then keeps a segment of no length.
TEST(VKStatWalk, AConnectionSetAtTheWindowStartSplitsOnlyWhenItChanges)
{
    struct Case {
        const char* name;
        int before; // the connection set a minute earlier; -1: none
        std::size_t segments;
    };
    const Case cases[] = {
        {"same connection", 1, 1},
        {"another connection", 0, 2},
        {"first settings of the block", -1, 1},
    };
    const CTime start = At(10, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CArchivRecordList block;
        if (c.before >= 0)
            block.push_back(Settings(start - CTimeSpan(60), Config(c.before)));
        block.push_back(Settings(start, Config(1)));
        for (int i = 0; i < 10; ++i)
            block.push_back(Full(start + CTimeSpan(i * 60), Balanced()));
        const auto results = OneBlock(block, start, 600);
        ASSERT_EQ(results.size(), c.segments);
        for (const CVKStatResult& r : results)
            EXPECT_EQ(r.tail.startText, QStringLiteral("10:00:00 10.03.2024"));
        if (c.segments == 2) {
            const CVKStatResult& empty = results[0];
            EXPECT_EQ(empty.tail.endText, QStringLiteral("10:00:00 10.03.2024"));
            EXPECT_EQ(empty.tail.lengthText, QStringLiteral("00:00 [m:s]"));
            EXPECT_EQ(empty.tail.coveredText, QStringLiteral("00:00 [m:s] (0.0%)"));
            EXPECT_EQ(empty.voltages[0].averageState, kMissing);
        }
        const CVKStatResult& whole = results.back();
        EXPECT_EQ(whole.tail.endText, QStringLiteral("10:10:00 10.03.2024"));
        EXPECT_EQ(whole.tail.lengthText, QStringLiteral("10:00 [m:s]"));
        EXPECT_EQ(whole.voltages[0].averageState, kPresent);
    }
}

TEST(VKStatWalk, ACancelledRunStopsAtTheNextRecord)
{
    const CTime start = At(0, 0);
    CVKArchivData data;
    CArchivWindow& w = data.Window();
    w.start = start;
    w.span = 1000 * 60;
    w.blockFirstRecord.push_back(0);
    w.ringSlots.push_back(0);
    w.records.push_back(Settings(start - CTimeSpan(10), Config(0)));
    for (int i = 0; i <= 1000; ++i)
        w.records.push_back(Full(start + CTimeSpan(i * 60), Balanced()));

    const auto run = [&data](bool cancelAt10) {
        std::atomic<bool> cancel{false};
        std::vector<int> shown;
        const charts::stats::ProgressFn progress(
            [&](int p) {
                shown.push_back(p);
                if (cancelAt10 && p >= 10)
                    cancel = true;
            },
            &cancel);
        CVKStatSettings settings;
        settings.filled = 1;
        const auto results = ComputeVKStatistics(data, settings, progress);
        EXPECT_EQ(results.size(), 1u);
        return shown;
    };
    const std::vector<int> whole = run(false);
    ASSERT_FALSE(whole.empty());
    EXPECT_EQ(whole.back(), 100);
    // No record is added after the flag: the percent that set it is the last.
    const std::vector<int> stopped = run(true);
    ASSERT_FALSE(stopped.empty());
    EXPECT_EQ(stopped.back(), 10);
}

} // namespace
} // namespace statstest
