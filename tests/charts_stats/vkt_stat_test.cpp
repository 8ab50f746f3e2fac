#include "ArchiveFixture.h"

#include "archive/store/VKTArchivData.h"
#include "charts_stats/VKTStatistics.h"

#include <cmath>

namespace statstest {
namespace {

using charts::stats::ComputeVKTStatistics;
using platform::CTimeSpan;
constexpr int kPresent = vkstat::kPresent;
constexpr int kMissing = vkstat::kNoValue;
constexpr int kNotApplicable = vkstat::kNotApplicable;

// Live values of three inputs: 230 V, 400 V between lines, 5 A, 1 kW and
// 0.1 kvar a phase (1150 VA), 1.5 % and 8 % distortion, no phase angle.
CAktData Values(BYTE zeroFlags = 0, BYTE overloadFlags = 0)
{
    CAktData v;
    const BYTE selection[2] = {0x00, 0x17};
    v.CreateParts(selection, 2);
    for (int i = 0; i < 3; ++i) {
        CAktPhase* ph = v.GetPhase(i);
        ph->voltage = 9200;
        ph->lineVoltage = 16000;
        ph->current = 25000;
        ph->activePower = 1000.0f;
        ph->reactivePower = 100.0f;
        ph->angle = 0;
        ph->thdU = 150;
        ph->thdI = 800;
    }
    v.SetStatusB(zeroFlags);
    v.SetStatusA(overloadFlags);
    return v;
}

CVKTConfig Config(int connection)
{
    CVKTConfig c;
    c.SetVtPrimary(CVKTConfig::kUnset);
    c.SetCtPrimary(CVKTConfig::kUnset);
    c.SetConnection(connection);
    c.SetNominalVoltage(4000.0f); // line to line, tenths of a volt
    c.SetNominalPower(30.0f);     // kW
    return c;
}

class VKTStatTest : public ArchiveFixture {
protected:
    // Records every 60 s from 10:00 for 20 minutes; settings of `second` at
    // 10:09:50; `values(i)` gives record i.
    template <class MakeValues>
    std::vector<CVKTStatResult> Run(int first, int second, MakeValues values, CVKTStatSettings& settings)
    {
        CVKTArchivData reader;
        WriteTwentyMinutes(reader, CVKTArchivData::Extension(), Config(first), Config(second), values);
        return ComputeVKTStatistics(reader, settings);
    }
};

TEST_F(VKTStatTest, StarConnectionEndToEnd)
{
    CVKTStatSettings settings;
    const auto results = Run(CVKTConfig::Star, CVKTConfig::Star, [](int) { return Values(); }, settings);
    EXPECT_EQ(settings.filled, 1);
    EXPECT_NEAR(settings.nominalVoltage, 4000.0f * 0.057803467f, 1e-3);
    EXPECT_FLOAT_EQ(settings.nominalPower, 30000.0f);
    ASSERT_EQ(results.size(), 1u);
    const CVKTStatResult& r = results[0];
    EXPECT_EQ(r.settings, &settings);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(r.voltages[k].averageState, kPresent) << k;
        EXPECT_NEAR(r.voltages[k].average, 230.0f, 1e-3) << k;
        EXPECT_NEAR(r.voltages[4 + k].average, 400.0f, 1e-3) << k;
        EXPECT_NEAR(r.currents[k].average, 5.0f, 1e-4) << k;
        EXPECT_NEAR(r.voltageThd[k].average, 1.5f, 1e-4) << k;
        EXPECT_NEAR(r.currentThd[k].average, 8.0f, 1e-4) << k;
        EXPECT_NEAR(r.powers[k].average, 1000.0f, 1e-2) << k;        // P import
        EXPECT_NEAR(r.powers[20 + k].average, 1150.0f, 1e-1) << k;   // S
    }
    EXPECT_EQ(r.voltages[3].averageState, kNotApplicable); // U4
    EXPECT_EQ(r.currents[3].averageState, kNotApplicable);
    EXPECT_EQ(r.powers[5].averageState, kMissing); // no export
    EXPECT_NEAR(r.powers[4].average, 3000.0f, 0.1); // three-phase P import
    EXPECT_NEAR(r.energies[0].value, 1000.0f * 19 * 60 / 3600, 0.1);
    EXPECT_EQ(r.energies[5].state, kPresent);
    EXPECT_FLOAT_EQ(r.energies[5].value, 0.0f);
    EXPECT_EQ(r.powerFactors[0].averageState, kPresent);
    EXPECT_NEAR(r.powerFactors[0].average, 1000.0f / 1150.0f, 1e-4);
    EXPECT_FLOAT_EQ(r.powerFactors[0].classShare, 100.0f);
    EXPECT_NEAR(r.powerFactors[0].worst, 1000.0f / 1150.0f, 1e-4);
    EXPECT_FLOAT_EQ(r.powerFactors[0].below095, 100.0f);
    EXPECT_EQ(r.powerFactors[0].windowState, kPresent);
    EXPECT_EQ(r.phaseAngles[0].state[0], kPresent);
    EXPECT_NEAR(r.phaseAngles[0].worst[0], 1.0f, 1e-6);
    EXPECT_EQ(r.unbalance.averageState, kPresent);
    EXPECT_EQ(r.overloads[0].state, kPresent);
    EXPECT_EQ(r.overloads[0].changes, 0);
    EXPECT_EQ(r.tail.intervalText, QStringLiteral("60 [s]"));
}

TEST_F(VKTStatTest, AronConnectionSamplesOnlyItsLineVoltagesAndCurrents)
{
    CVKTStatSettings settings;
    const auto results = Run(CVKTConfig::Star, CVKTConfig::Aron, [](int) { return Values(); }, settings);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].tail.endText, QStringLiteral("10:09:50 10.03.2024"));
    const CVKTStatResult& r = results[1];
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(r.voltages[k].averageState, kNotApplicable) << k;
        // Excluded positions still count in the upper limit shares, as 0.
        EXPECT_FLOAT_EQ(r.voltages[k].above115, 0.0f) << k;
        EXPECT_EQ(r.powers[k].averageState, kNotApplicable) << k;
        EXPECT_EQ(r.phaseAngles[k].state[0], kNotApplicable) << k;
    }
    EXPECT_EQ(r.voltages[4].averageState, kPresent);        // U12
    EXPECT_EQ(r.voltages[5].averageState, kNotApplicable);  // U23
    EXPECT_EQ(r.voltages[6].averageState, kPresent);        // U31
    EXPECT_EQ(r.currents[0].averageState, kPresent);
    EXPECT_EQ(r.currents[1].averageState, kNotApplicable);
    EXPECT_FLOAT_EQ(r.currents[1].aboveHalf, 0.0f);
    EXPECT_EQ(r.currents[2].averageState, kPresent);
    EXPECT_NEAR(r.powers[4].average, 2000.0f, 0.1); // inputs 1 and 3
    EXPECT_EQ(r.unbalance.averageState, kNotApplicable);
}

TEST_F(VKTStatTest, ZeroFlaggedInputsCountAsZeroAndOverloadsAreCounted)
{
    CVKTStatSettings settings;
    // Every second record flags the voltage of input 1 as zero and, from the
    // tenth on, its voltage as overloaded.
    const auto results = Run(
        CVKTConfig::Star, CVKTConfig::Star,
        [](int i) { return Values(i % 2 ? 0x01 : 0x00, i >= 10 ? 0x01 : 0x00); }, settings);
    ASSERT_EQ(results.size(), 1u);
    const CVKTStatResult& r = results[0];
    EXPECT_NEAR(r.voltages[0].min, 0.0f, 1e-6);
    EXPECT_NEAR(r.voltages[0].max, 230.0f, 1e-3);
    EXPECT_LT(r.voltages[0].average, 200.0f);
    EXPECT_GT(r.voltages[0].below10, 40.0f);
    EXPECT_EQ(r.voltages[0].dropState, kPresent);
    EXPECT_GT(r.voltages[0].drops, 0);
    EXPECT_NEAR(r.voltages[0].overloadShare, 50.0f, 1e-3);
    EXPECT_EQ(r.overloads[0].changes, 1);
    EXPECT_NEAR(r.overloads[0].share, 50.0f, 1e-3);
    EXPECT_NEAR(r.overloads[4].share, 50.0f, 1e-3);
    // An overloaded or zeroed voltage gives no distortion sample.
    EXPECT_EQ(r.voltageThd[0].averageState, kPresent);
    // Phase 1's power factor is taken only from records without flags.
    EXPECT_EQ(r.powerFactors[0].worstState, kPresent);
}

TEST(VKTStatWalk, AnEmptyWindowReportsNoValuesButEnergies)
{
    CVKTArchivData data;
    CVKTStatSettings settings;
    CArchivWindow& window = data.Window();
    window.start = At(10, 0);
    window.span = 600;
    const auto results = ComputeVKTStatistics(data, settings);
    ASSERT_EQ(results.size(), 1u);
    const CVKTStatResult& r = results[0];
    EXPECT_EQ(settings.filled, 0);
    EXPECT_EQ(r.voltages[0].averageState, kMissing);     // connection 0: U1 only
    EXPECT_EQ(r.voltages[1].averageState, kNotApplicable);
    EXPECT_EQ(r.powers[4].averageState, kNotApplicable); // no total with one phase
    EXPECT_EQ(r.energies[0].state, kPresent);
    EXPECT_FLOAT_EQ(r.energies[0].value, 0.0f);
    EXPECT_EQ(r.tail.intervalText, QStringLiteral("--"));
}

// A downloaded block begins a segment of its own, whose connection is the
// one its settings give from its start.
TEST(VKTStatWalk, ABlockHeadedByAStatusRecordStartsASegment)
{
    const CTime start = At(10, 0);
    CVKTConfig config = Config(CVKTConfig::Star);
    QByteArray settingsImage(CVKTConfig::kImageSize, '\0');
    config.ToRaw(reinterpret_cast<BYTE*>(settingsImage.data()));
    CVKTStatus status;
    QByteArray statusImage(CVKTStatus::kImageSize, '\0');
    status.ToRaw(reinterpret_cast<BYTE*>(statusImage.data()));

    CArchivRecordList online{{(start - CTimeSpan(10)).GetTime(), kRecordSettings, settingsImage}};
    CVKTConfig twoPhase = Config(CVKTConfig::TwoPhase);
    QByteArray twoPhaseImage(CVKTConfig::kImageSize, '\0');
    twoPhase.ToRaw(reinterpret_cast<BYTE*>(twoPhaseImage.data()));
    CArchivRecordList downloaded{{(start + CTimeSpan(300)).GetTime(), kRecordStatus, statusImage},
                                 {(start + CTimeSpan(330)).GetTime(), kRecordSettings, twoPhaseImage}};
    for (int i = 0; i < 5; ++i) {
        online.push_back({(start + CTimeSpan(i * 60)).GetTime(), kRecordFull, Values().PackFull()});
        downloaded.push_back({(start + CTimeSpan(300 + i * 60)).GetTime(), kRecordFull, Values().PackFull()});
    }
    CVKTArchivData data;
    CArchivWindow& window = data.Window();
    window.start = start;
    window.span = 600;
    for (const CArchivRecordList* block : {&online, &downloaded}) {
        window.blockFirstRecord.push_back(window.records.size());
        window.ringSlots.push_back(int(window.ringSlots.size()));
        window.records.insert(window.records.end(), block->begin(), block->end());
    }
    CVKTStatSettings settings;
    const auto results = ComputeVKTStatistics(data, settings);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].tail.endText, QStringLiteral("10:05:00 10.03.2024"));
    EXPECT_NEAR(results[1].voltages[0].average, 230.0f, 1e-3);
    EXPECT_EQ(results[1].voltages[1].averageState, kPresent);
    EXPECT_EQ(results[1].voltages[2].averageState, kNotApplicable); // two phases from the block's start
}

} // namespace
} // namespace statstest
