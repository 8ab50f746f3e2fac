#include "vkt_archiv_support.h"

#include "archive/store/ArchivSeriesExtract.h"
#include "model/QuantityNames.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::CTime;
using storetest::vkt::MakeValues;

namespace {

constexpr CTime::time_type kT0 = 1700000000;
constexpr double kNone = -1e9;
constexpr WORD kInputs123 = 0x0017; // inputs 1 to 3 and the powers

class VKTExtractTest : public ::testing::Test {
protected:
    VKTExtractTest()
    {
        registry.SetGraphTimeBase(CTime(kT0), 3000);
        for (QStringView name : VKTQuantityNames) {
            const QString n = name.toString();
            // P1, 3Q, S4 ...: powers take a wider range than the rest.
            const QString base = n.startsWith(QLatin1Char('3')) ? n.mid(1) : n;
            const bool power = !base.startsWith(QStringLiteral("PF")) &&
                               (base.startsWith(QLatin1Char('P')) || base.startsWith(QLatin1Char('Q')) ||
                                base.startsWith(QLatin1Char('S')));
            const float range = power ? 200000.0f : 1000.0f;
            registry.AddGraphSeries(n, {}, n, 0, range, -range);
        }
    }
    int Run(const CArchivRecordList& records, archive::CVKTSeriesScales scales)
    {
        registry.SizeSeriesChannel(kFamilyVKT, 0, int(records.size()));
        return archive::ExtractVKTSeries(registry, records, 0, int(records.size()), 0, scales);
    }
    void ExpectRow(const char* name, std::initializer_list<double> values)
    {
        const CGraphTrace* s = registry.FindGraphSeries(QString::fromLatin1(name));
        const double step = (s->Maximum() - s->Minimum()) / 15000.0 * 1.1;
        int i = 0;
        for (double expected : values) {
            SCOPED_TRACE(::testing::Message() << name << " #" << i);
            const CGraphPoint p = s->Points(0)[std::size_t(i)];
            if (expected == kNone)
                EXPECT_TRUE(p.IsGap());
            else if (p.IsGap())
                ADD_FAILURE() << "gap, expected " << expected;
            else
                EXPECT_NEAR(s->ValueOfY(p.y), expected, step);
            ++i;
        }
    }
    static archive::CVKTSeriesScales Scales(int connection)
    {
        archive::CVKTSeriesScales s;
        s.voltageRatio = 2;
        s.currentRatio = 10;
        s.connectionType = connection;
        return s;
    }

    CArchivSeriesRegistry registry;
};

CArchivRecord Full(CTime::time_type t, const CAktData& v)
{
    return {t, kRecordFull, v.PackFull()};
}

TEST_F(VKTExtractTest, FaultStateIsAHoleAndTheNextRecordMovesOn)
{
    CAktData faulty = MakeValues(kInputs123);
    faulty.SetFaultState(0x08);
    const CAktData good = MakeValues(kInputs123);
    EXPECT_EQ(Run({Full(kT0, faulty), Full(kT0 + 60, good)}, Scales(CVKTConfig::Star)), 2);
    for (QStringView name : VKTQuantityNames)
        EXPECT_TRUE(registry.FindGraphSeries(name)->Points(0)[0].IsGap()) << name.toString().toStdString();
    ExpectRow("U1", {kNone, good.GetVoltage(0, 0) * 2});
    ExpectRow("I2", {kNone, good.GetCurrent(1, 0) * 10});
    // A hole without flag: the value after it is not held back.
    EXPECT_FALSE(registry.FindGraphSeries(u"U1")->GapFlag());
}

TEST_F(VKTExtractTest, TwoPhaseTotalsNeedTheirSelectionBits)
{
    const CAktData v = MakeValues(0x0013);
    const CAktData without = MakeValues(0x0003);
    EXPECT_EQ(Run({Full(kT0, v), Full(kT0 + 60, without)}, Scales(CVKTConfig::TwoPhase)), 2);
    const double p = (v.GetActivePower(0, 0, 0) + v.GetActivePower(1, 0, 0)) * 20;
    const double q = (v.GetReactivePower(0, 0, 0) + v.GetReactivePower(1, 0, 0)) * 20;
    ExpectRow("3P", {p, kNone});
    ExpectRow("3Q", {q, kNone});
    ExpectRow("3PF", {2 - std::min(std::fabs(p) / ((v.GetApparentPower(0, 0) + v.GetApparentPower(1, 0)) * 20), 1.0),
                      kNone});
    ExpectRow("U3", {kNone, kNone}); // not a phase of the connection
    ExpectRow("U3,1", {v.GetLineVoltage(0, 0) * 2, kNone}); // not selected
    ExpectRow("U1,2", {kNone, kNone});
}

TEST_F(VKTExtractTest, ConnectionAndFlagsBlankOrZeroPhases)
{
    CAktData v = MakeValues(kInputs123);
    v.SetStatusB(0x01); // voltage of input 1 failed
    const CAktData aron = MakeValues(kInputs123);
    const CVKTConfig config = storetest::vkt::MakeConfig(2, 4, CVKTConfig::Aron);
    QByteArray settings(CVKTConfig::kImageSize, '\0');
    config.ToRaw(reinterpret_cast<BYTE*>(settings.data()));
    EXPECT_EQ(Run({Full(kT0, v), {kT0 + 30, kRecordSettings, settings}, Full(kT0 + 60, aron)},
                  Scales(CVKTConfig::Single)),
              2);
    ExpectRow("U1", {0, kNone});            // failed phase: 0; Aron: no phase voltages
    ExpectRow("U2", {kNone, kNone});        // single phase
    ExpectRow("I1", {v.GetCurrent(0, 0) * 10, aron.GetCurrent(0, 0) * config.GetRatio()});
    ExpectRow("I2", {kNone, kNone});        // Aron drops I2
    ExpectRow("I3", {kNone, aron.GetCurrent(2, 0) * config.GetRatio()});
    ExpectRow("cos1", {kNone, kNone});      // flagged input, then Aron
    ExpectRow("3P", {kNone, (aron.GetActivePower(0, 0, 0) + aron.GetActivePower(2, 0, 0)) * config.GetPrimary() *
                                config.GetRatio()});
    ExpectRow("U1,2", {kNone, kNone});
    ExpectRow("U2,3", {kNone, aron.GetLineVoltage(2, 0) * config.GetPrimary()});
}

TEST_F(VKTExtractTest, ChangedRecordsBuildOnTheFullOne)
{
    const CAktData v0 = MakeValues(kInputs123);
    CAktData v1 = v0;
    v1.GetPhase(0)->voltage = 9600; // 240 V
    const CArchivRecord changed{kT0 + 60, kRecordChanged, v1.PackDifference(v0)};
    EXPECT_EQ(Run({changed, Full(kT0 + 120, v0), changed, {kT0 + 200, kRecordVKT, QByteArray(8, '\0')}},
                  Scales(CVKTConfig::Star)),
              4);
    ExpectRow("U1", {kNone, 460, 480, kNone}); // no base; then the full one; no description for type 12
    ExpectRow("U2", {kNone, v0.GetVoltage(1, 0) * 2, v0.GetVoltage(1, 0) * 2, kNone});
}

} // namespace
