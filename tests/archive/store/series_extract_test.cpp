#include "archive/store/ArchivSeriesExtract.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivData.h"
#include "model/QuantityNames.h"

#include "controller_records.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::CTime;

namespace {

constexpr CTime::time_type kT0 = 1700000000;
constexpr double kNone = -1e9; // expected gap

// Registers the family's names over 3000 s from kT0 with the range (-1000,
// 1000), so a value reads back from its y to within a range step.
class ExtractTest : public ::testing::Test {
protected:
    void Register(int kind, int points)
    {
        registry.SetGraphTimeBase(CTime(kT0), 3000);
        for (QStringView name : SeriesNamesOfKind(kind))
            registry.AddGraphSeries(name.toString(), {}, name.toString(), 0, 1000.0f, -1000.0f);
        registry.SizeSeriesChannel(kind, 0, points);
    }
    // The value of point `index` of series `name`; kNone for a gap.
    double At(const char* name, int index)
    {
        const CGraphTrace* s = registry.FindGraphSeries(QString::fromLatin1(name));
        const CGraphPoint p = s->Points(0)[std::size_t(index)];
        return p.IsGap() ? kNone : s->ValueOfY(p.y);
    }
    void ExpectAt(const char* name, int index, double expected)
    {
        SCOPED_TRACE(::testing::Message() << name << " #" << index);
        if (expected == kNone)
            EXPECT_EQ(At(name, index), kNone);
        else
            EXPECT_NEAR(At(name, index), expected, 0.14); // one y step of (-1000, 1000)
    }

    CArchivSeriesRegistry registry;
};

template <class Traits>
CArchivRecord Full(std::uint32_t t, const typename Traits::Values& v)
{
    return storetest::ControllerFull<Traits>(t, v);
}

template <class Traits>
CArchivRecord Changed(std::uint32_t t, const typename Traits::Values& v, const typename Traits::Values& previous)
{
    return storetest::ControllerChanged<Traits>(t, v, previous);
}

CQorinAktData QorinValues()
{
    CQorinAktData v;
    v.cosPhi = 95;          // 1.05
    v.ctWord = 0x8000 | 20; // ratio 20 (5 A secondary)
    v.current = 4000;       // 4000 x 20 x 0.00025 = 20 A
    v.activeCurrent = 3000;
    v.reactiveCurrent = -1000;
    v.thdCode = 0xFF;
    return v;
}

using QorinTraits = QorinArchivTraits;

TEST_F(ExtractTest, QorinFullChangedAndErrorRecords)
{
    Register(kFamilyQorin, 5);
    CQorinAktData v0 = QorinValues();
    CQorinAktData v1 = v0;
    v1.activeCurrent = 2000; // only one current word changes
    CQorinAktData v2 = v1;
    v2.cosPhi = CQorinAktData::kNoCosPhi; // only the cos byte changes, to no value
    CQorinAktData v3 = v2;
    v3.current = 0xFFFF;
    const CArchivRecordList records = {
        {kT0 - 10, kRecordSettings, QByteArray(4, '\0')},
        Full<QorinTraits>(kT0, v0),
        Changed<QorinTraits>(kT0 + 60, v1, v0),
        {kT0 + 120, kRecordError, QByteArray("Chyba")},
        Changed<QorinTraits>(kT0 + 180, v2, v1),
        Changed<QorinTraits>(kT0 + 240, v3, v2),
        Full<QorinTraits>(kT0 + 300, v0), // beyond the end index
    };
    EXPECT_EQ(archive::ExtractQorinSeries(registry, records, 0, 5, 0, 0x0001), 5);

    const struct {
        const char* name;
        double values[5];
    } rows[] = {
        {"Cos", {1.05, 1.05, kNone, kNone, kNone}},   // no-value cos: gap with flag stops holds
        {"Proud", {20, 20, kNone, 20, kNone}},        // 0xFFFF is a gap, not a zero
        {"real", {15, 10, kNone, 10, 10}},            // absent words reuse the last value
        {"imag", {-5, -5, kNone, -5, -5}},
        {"THD", {kNone, kNone, kNone, kNone, kNone}}, // code 0xFF decodes above the limit
    };
    for (const auto& row : rows)
        for (int i = 0; i < 5; ++i)
            ExpectAt(row.name, i, row.values[i]);
    EXPECT_EQ(registry.FindGraphSeries(u"Proud")->Points(0)[1].x, 60 * 30000 / 3000);
}

TEST_F(ExtractTest, QorinChangedBeforeAnyFullRecordDrawsGaps)
{
    Register(kFamilyQorin, 1);
    CQorinAktData v = QorinValues();
    CQorinAktData before = v;
    before.activeCurrent = 0;
    const CArchivRecordList records = {Changed<QorinTraits>(kT0, v, before)};
    EXPECT_EQ(archive::ExtractQorinSeries(registry, records, 0, 1, 0, 0x0001), 1);
    ExpectAt("Cos", 0, kNone);
    ExpectAt("Proud", 0, kNone);
    ExpectAt("real", 0, 3000 * 5 * 0.00025); // ratio word 1: ratio 5
}

TEST_F(ExtractTest, DamagedRecordIsAGapInEverySeries)
{
    Register(kFamilyQorin, 2);
    const CArchivRecordList records = {Full<QorinTraits>(kT0, QorinValues()), {kT0 + 60, kRecordFull, QByteArray(3, 'x')}};
    EXPECT_EQ(archive::ExtractQorinSeries(registry, records, 0, 2, 0, 0), 2);
    for (QStringView name : ControllerCurveNames)
        EXPECT_TRUE(registry.FindGraphSeries(name)->Points(0)[1].IsGap()) << name.toString().toStdString();
}

TEST_F(ExtractTest, UnregisteredFamilyCountsPointsOnly)
{
    const CArchivRecordList records = {Full<QorinTraits>(kT0, QorinValues()), {kT0 + 1, kRecordError, {}}};
    EXPECT_EQ(archive::ExtractQorinSeries(registry, records, 0, 10, 3, 0), 5);
    EXPECT_EQ(archive::ExtractQorinSeries(registry, {}, 0, 10, 3, 0), 3);
}

using DuskarTraits = DuskarArchivTraits;

CDuskarAktData DuskarValues()
{
    CDuskarAktData v = DuskarTraits::NoValues();
    v.cosPhi = -90;         // 0.9
    v.ctWord = 0x8000 | 50; // ratio 50
    v.freqCode = 78;        // 50.0 Hz
    v.current = 2000;       // 25 A
    v.activeCurrent = -1600; // |-1600| x 50 x 0.00025 = 20 A
    v.reactiveCurrent = 800; // 10 A
    v.missingCurrent = -400; // 5 A
    v.vtCode = 0;            // ratio 1
    v.voltage = 2300;        // 230 V
    v.voltageP = 100;
    v.temperature = 31;
    v.thdUCode = 0xFF;
    v.thdICode = 0xFF;
    v.chlCode = 100; // 100 with a voltage word of at least 300
    return v;
}

TEST_F(ExtractTest, DuskarValuesGapsAndHolds)
{
    Register(kFamilyDuskar, 4);
    const CDuskarAktData v0 = DuskarValues();
    CDuskarAktData v1 = v0;
    v1.current = 0xFFFF; // no effective current: "U" becomes a gap whatever its word
    CDuskarAktData v2 = v1;
    v2.current = 2000;
    v2.reactiveCurrent = 0x7FFF;
    CDuskarAktData v3 = v2;
    v3.temperature = 33;
    const CArchivRecordList records = {
        Full<DuskarTraits>(kT0, v0),
        Changed<DuskarTraits>(kT0 + 60, v1, v0),
        Changed<DuskarTraits>(kT0 + 120, v2, v1),
        Changed<DuskarTraits>(kT0 + 180, v3, v2),
    };
    EXPECT_EQ(archive::ExtractDuskarSeries(registry, records, 0, 4, 0, 0, 0), 4);
    const double power = 100 * 50 * 0.000075;
    const struct {
        const char* name;
        double values[4];
    } rows[] = {
        {"Cos", {0.9, 0.9, 0.9, 0.9}},
        {"U", {230, kNone, 230, 230}},
        {"Fr", {50, 50, 50, 50}},
        {"Ieff", {25, kNone, 25, 25}},
        {"Iact", {20, 20, 20, 20}},
        {"Irea", {10, 10, kNone, kNone}},
        {"dIrea", {5, 5, kNone, kNone}},
        {"Pac", {power * -1600, power * -1600, power * -1600, power * -1600}},
        {"Pre", {power * 800, power * 800, kNone, kNone}},
        {"CHL", {100, 100, 100, 100}},
        {"T", {31, 31, 31, 33}},
        {"THDU", {kNone, kNone, kNone, kNone}},
    };
    for (const auto& row : rows)
        for (int i = 0; i < 4; ++i)
            ExpectAt(row.name, i, row.values[i]);
}

CVKAktData VKValues()
{
    CVKAktData v;
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, WORD(2300 + k));  // x kU 2 x 0.1
        v.SetULine(k, 4000);
        v.SetP(k, 32000 * (k + 1)); // x 2 x 10 x 0.000003125 = 2, 4, 6
        v.SetQ(k, 16000);           // 1 each
        v.SetS(k, 64000);
        v.GetVoltageHarmonics().SetThdCode(k, 0xFF);
        v.GetCurrentHarmonics().SetThdCode(k, 0xFF);
    }
    v.SetI(0, -1234);
    v.SetI(1, 1000);
    v.SetPF(0, 50);
    v.SetPF(1, -50);
    v.SetPF(2, 0x7F);
    v.SetCos(0, 80);
    v.SetCos(1, -80);
    v.SetFrequencyCode(128); // 50 Hz
    v.SetTemperatureCode(40);
    v.SetPowerLayout(0);
    return v;
}

CArchivRecord VKFull(CTime::time_type t, const CVKAktData& v)
{
    return {t, kRecordFull, CVKArchivData::BuildFullRecord(v)};
}

CArchivRecord VKChanged(CTime::time_type t, const CVKAktData& v, const CVKAktData& last)
{
    return {t, kRecordChanged, CVKArchivData::BuildChangedRecord(v, last)};
}

archive::CVKSeriesScales VKScales()
{
    archive::CVKSeriesScales s;
    s.voltageRatio = 2;
    s.currentRatio = 10;
    s.temperatureSlope = 0.5;
    s.temperatureOffset = 0;
    return s;
}

TEST_F(ExtractTest, VKFullAndChangedRecords)
{
    Register(kFamilyVK, 3);
    const CVKAktData v0 = VKValues();
    CVKAktData v1 = v0;
    v1.SetU(0, 2400); // neither the temperature nor a code byte changes
    v1.SetP(1, CVKAktData::kNoPower);
    CVKAktData v2 = v1;
    v2.SetCos(0, 0x7F);
    v2.SetTemperatureCode(60);
    const CArchivRecordList records = {VKFull(kT0, v0), VKChanged(kT0 + 60, v1, v0), VKChanged(kT0 + 120, v2, v1)};
    EXPECT_EQ(archive::ExtractVKSeries(registry, records, 0, 3, 0, VKScales()), 3);
    const double pf3 = 2 - 12.0 / std::sqrt(12.0 * 12.0 + 3.0 * 3.0);
    const struct {
        const char* name;
        double values[3];
    } rows[] = {
        {"U1", {460, 480, 480}},
        {"U3,1", {800, 800, 800}},
        {"I1", {1234 * 10 * 0.0003125, 1234 * 10 * 0.0003125, 1234 * 10 * 0.0003125}},
        {"I3", {kNone, kNone, kNone}}, // never set: 0x7FFF
        {"PF1", {1.5, 1.5, 1.5}},
        {"PF2", {1.5, 1.5, 1.5}},
        {"PF3", {kNone, kNone, kNone}},
        {"cos1", {1.2, 1.2, kNone}},
        {"cos2", {0.8, 0.8, 0.8}},
        {"Fr", {50, 50, 50}},
        {"T", {20, 20, 30}},
        {"P2", {4, kNone, kNone}},
        {"P3", {6, 6, 6}},
        {"3P", {12, kNone, kNone}}, // a used phase without value
        {"3Q", {3, 3, 3}},
        {"3PF", {pf3, kNone, kNone}},
        {"THDU1", {kNone, kNone, kNone}},
    };
    for (const auto& row : rows)
        for (int i = 0; i < 3; ++i)
            ExpectAt(row.name, i, row.values[i]);
}

TEST_F(ExtractTest, VKTotalsLayoutAndAronSettings)
{
    Register(kFamilyVK, 3);
    CVKAktData totals = VKValues();
    totals.SetPowerLayout(CVKAktData::kTotalsLayout);
    CVKConfig aron;
    aron.SetDirectVoltage(TRUE);                // kU 1
    aron.SetCtRatioDword(0x80000000u | 100);    // kI 20
    aron.SetConnection(CVKConfig::Aron);
    aron.SetTemperatureAt4mA(200);
    aron.SetTemperatureAt20mA(1000);
    CVKAktData phases = VKValues();
    phases.SetP(1, CVKAktData::kNoPower); // phase 2 is not used with Aron
    const CArchivRecordList records = {
        VKFull(kT0, totals),
        {kT0 + 30, kRecordSettings, CVKArchivData::ConfigPayload(aron)},
        VKFull(kT0 + 60, phases),
        {kT0 + 90, kRecordError, {}},
    };
    EXPECT_EQ(archive::ExtractVKSeries(registry, records, 0, 3, 0, VKScales()), 3);
    const struct {
        const char* name;
        double values[3];
    } rows[] = {
        {"3P", {2, (32000 + 96000) * 20 * 0.000003125, kNone}},
        {"3Q", {4, 32000 * 20 * 0.000003125, kNone}},
        {"3S", {6, std::sqrt(128000.0 * 128000 + 32000.0 * 32000) * 20 * 0.000003125, kNone}},
        {"P1", {kNone, kNone, kNone}},
        {"S3", {kNone, kNone, kNone}},
        {"U1", {460, 230, kNone}},
        {"T", {20, 20, kNone}}, // the settings' line: code 40 is the 4 mA end
    };
    for (const auto& row : rows)
        for (int i = 0; i < 3; ++i)
            ExpectAt(row.name, i, row.values[i]);
}

TEST_F(ExtractTest, FamilyKindChoosesTheWalk)
{
    Register(kFamilyQorin, 1);
    const CArchivRecordList records = {Full<QorinTraits>(kT0, QorinValues())};
    archive::CSeriesScales scales;
    // A VK walk finds no VK series here and draws nothing.
    EXPECT_EQ(archive::ExtractFamilySeries(kFamilyVK, registry, records, 0, 1, 0, scales), 1);
    ExpectAt("Cos", 0, kNone);
    EXPECT_EQ(archive::ExtractFamilySeries(kFamilyQorin, registry, records, 0, 1, 0, scales), 1);
    ExpectAt("Cos", 0, 1.05);
    EXPECT_EQ(archive::ExtractFamilySeries(7, registry, records, 0, 1, 0, scales), 0);
}

} // namespace
