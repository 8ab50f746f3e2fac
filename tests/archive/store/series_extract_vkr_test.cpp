#include "archive/store/ArchivSeriesExtract.h"
#include "archive/store/VKRArchivData.h"
#include "model/QuantityNames.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::CTime;

namespace {

constexpr CTime::time_type kT0 = 1700000000;
constexpr double kNone = -1e9;

CVKRAktData Values()
{
    CVKRAktData v;
    for (int k = 0; k < 3; ++k) {
        v.SetUPhase(k, 230.0f);
        v.SetI(k, -float(k + 1)); // drawn as magnitudes
        v.SetULine(k, 400.0f);
        v.SetP(k, 200.0f);
        v.SetQ(k, -100.0f);
        v.SetAngle(k, 0);          // cos 1
        v.SetThdU(k, std::int16_t(250));
        v.SetThdI(k, std::int16_t(1000));
        v.SetThdULine(k, std::int16_t(300));
    }
    v.SetTemperature(2512);
    v.SetFrequency(5000);
    return v;
}

class VKRExtractTest : public ::testing::Test {
protected:
    VKRExtractTest()
    {
        registry.SetGraphTimeBase(CTime(kT0), 3000);
        for (QStringView name : VKRQuantityNames)
            registry.AddGraphSeries(name.toString(), {}, name.toString(), 0, 2000.0f, -2000.0f);
    }
    int Run(const CArchivRecordList& records, int connection)
    {
        registry.SizeSeriesChannel(kFamilyVKR, 0, int(records.size()));
        return archive::ExtractVKRSeries(registry, records, 0, int(records.size()), 0, connection);
    }
    double At(const char* name, int index)
    {
        const CGraphTrace* s = registry.FindGraphSeries(QString::fromLatin1(name));
        const CGraphPoint p = s->Points(0)[std::size_t(index)];
        return p.IsGap() ? kNone : s->ValueOfY(p.y);
    }
    void ExpectRow(const char* name, std::initializer_list<double> values)
    {
        int i = 0;
        for (double expected : values) {
            SCOPED_TRACE(::testing::Message() << name << " #" << i);
            if (expected == kNone)
                EXPECT_EQ(At(name, i), kNone);
            else
                EXPECT_NEAR(At(name, i), expected, 0.3); // a step of (-2000, 2000)
            ++i;
        }
    }

    CArchivSeriesRegistry registry;
};

CArchivRecord Full(CTime::time_type t, const CVKRAktData& v)
{
    return {t, kRecordFull, CVKRArchivData::BuildFullRecord(v)};
}

CArchivRecord Changed(CTime::time_type t, const CVKRAktData& v, const CVKRAktData& last)
{
    return {t, kRecordChanged, CVKRArchivData::BuildChangedRecord(v, last)};
}

TEST_F(VKRExtractTest, StarFullChangedAndMissingWords)
{
    const CVKRAktData v0 = Values();
    CVKRAktData v1 = v0;
    v1.SetUPhase(0, 231.0f); // a float whose upper half may stay
    v1.SetP(2, -300.0f);
    CVKRAktData v2 = v1;
    v2.SetThdU(0, std::int16_t(0x8000));
    EXPECT_EQ(Run({Full(kT0, v0), Changed(kT0 + 60, v1, v0), Changed(kT0 + 120, v2, v1)}, 2), 3);
    ExpectRow("U1", {230, 231, 231});
    ExpectRow("I2", {2, 2, 2});
    ExpectRow("S3", {690, 690, 690});
    ExpectRow("PF3", {2 - 200.0 / 690, 2 - 300.0 / 690, 2 - 300.0 / 690});
    ExpectRow("THDU1", {2.5, 2.5, kNone}); // 0x8000 is no value
    ExpectRow("THDU2", {2.5, 2.5, 2.5});   // absent words hold
    ExpectRow("cos1", {1, 1, 1});
    ExpectRow("3P", {600, 100, 100});
    ExpectRow("3S", {230.0 * 6, 231 + 230.0 * 5, 231 + 230.0 * 5});
    ExpectRow("3PF", {2 - 600.0 / 1380, 2 - 100.0 / 1381, 2 - 100.0 / 1381});
    ExpectRow("T", {25.12, 25.12, 25.12});
    ExpectRow("Fr", {50, 50, 50});
    ExpectRow("THDU3,1", {3, 3, 3});
    ExpectRow("I4", {kNone, kNone, kNone});
}

TEST_F(VKRExtractTest, ConnectionTypesBlankPhases)
{
    const CVKRAktData v = Values();
    CVKRConfig aron;
    aron.SetConnection(CVKRConfig::Aron);
    EXPECT_EQ(Run({Full(kT0, v), {kT0 + 30, kRecordSettings, CVKRArchivData::ConfigPayload(aron)}, Full(kT0 + 60, v)},
                  CVKRConfig::OnePhase),
              2);
    // One phase: phase 1 alone and no totals; Aron: no phase powers, no I2,
    // totals from phases 1 and 3.
    ExpectRow("U1", {230, 230});
    ExpectRow("U2", {kNone, 230});
    ExpectRow("U3,1", {kNone, 400});
    ExpectRow("THDU1,2", {kNone, 3});
    ExpectRow("I2", {kNone, kNone});
    ExpectRow("I3", {kNone, 3});
    ExpectRow("P1", {200, kNone});
    ExpectRow("cos1", {1, kNone});
    ExpectRow("3P", {kNone, 400});
    ExpectRow("3Q", {kNone, -200});
    ExpectRow("3S", {kNone, 230.0 * 4});
    ExpectRow("3PF", {kNone, 2 - 400.0 / 920});
}

TEST_F(VKRExtractTest, ChangedBeforeFullAndOutageAreGaps)
{
    const CVKRAktData v0 = Values();
    CVKRAktData v1 = v0;
    v1.SetP(0, 50.0f);
    EXPECT_EQ(Run({Changed(kT0, v1, v0), {kT0 + 60, kRecordError, {}}}, 2), 2);
    for (QStringView name : VKRQuantityNames)
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(registry.FindGraphSeries(name)->Points(0)[std::size_t(i)].IsGap())
                << name.toString().toStdString() << " #" << i;
}

} // namespace
