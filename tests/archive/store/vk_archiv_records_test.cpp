// VK archive records: full and changed-fields records, their masks, the
// settings state the writers keep.
#include "VKArchivTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using namespace storetest;
using namespace vktest;

std::array<std::uint32_t, 3> Masks(const QByteArray& payload)
{
    const char* end = payload.constData() + payload.size();
    return {archive::ReadU32(end - 12), archive::ReadU32(end - 8), archive::ReadU32(end - 4)};
}

class VKRecordTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(m_data);
        ASSERT_EQ(m_data.Create(600, 5, 60, Path(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE, FALSE,
                                QStringLiteral("Linka")),
                  1);
    }
    Reader<CVKArchivData> m_data;
};

TEST_F(VKRecordTest, FullRecordStartsEachBlockThenChangedFields)
{
    const int counted = m_data.GetBlockRecordCount();
    m_data.AddMeasurementRecord(VKValues(0));
    m_data.AddMeasurementRecord(VKValues(1));
    m_data.AddMeasurementRecord(VKValues(1));
    auto full = m_data.Queued(kRecordFull);
    auto changed = m_data.Queued(kRecordChanged);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].data.size(), CVKArchivData::kFullRecordSize);
    ASSERT_EQ(changed.size(), 2u);
    // An unchanged measurement still counts, as 12 mask bytes all zero.
    EXPECT_EQ(changed[1].data, QByteArray(12, '\0'));
    EXPECT_EQ(m_data.GetBlockRecordCount(), counted + 3);

    m_clock.Advance(60);
    m_data.EndBlock(FALSE, FALSE, 60);
    m_data.AddMeasurementRecord(VKValues(2));
    ASSERT_EQ(m_data.Queued(kRecordFull).size(), 1u);
    EXPECT_TRUE(m_data.Queued(kRecordChanged).empty());
}

TEST(VKRecordPayload, HarmonicEntryIsWrittenWholeWithItsBit)
{
    const CVKAktData last = VKValues(3);
    CVKAktData now = last;
    now.GetVoltageHarmonics().SetHarmonicCode(1, 5, BYTE(last.GetVoltageHarmonics().GetHarmonicCode(1, 5) + 1));
    const QByteArray payload = CVKArchivData::BuildChangedRecord(now, last);
    ASSERT_EQ(payload.size(), 3 + 12);
    EXPECT_EQ(Masks(payload), (std::array<std::uint32_t, 3>{0, 1u << 8, 0}));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(BYTE(payload[k]), now.GetVoltageHarmonics().GetHarmonicCode(k, 5));
}

// One changed field: its width in the record, its mask and bit, and that the
// record reads back onto the previous values.
TEST(VKRecordPayload, EachFieldHasItsWidthAndMaskBit)
{
    struct Case {
        const char* what;
        std::function<void(CVKAktData&)> change;
        int bytes;
        int mask;
        int bit;
    };
    const Case cases[] = {
        {"state", [](CVKAktData& v) { v.SetFaultState(-5); }, 1, 0, 0},
        {"U3", [](CVKAktData& v) { v.SetU(2, 1); }, 2, 0, 3},
        {"I4", [](CVKAktData& v) { v.SetI(3, -77); }, 2, 0, 7},
        {"PF2", [](CVKAktData& v) { v.SetPF(1, -3); }, 1, 0, 9},
        {"frequency", [](CVKAktData& v) { v.SetFrequencyCode(1); }, 1, 0, 11},
        {"temperature", [](CVKAktData& v) { v.SetTemperatureCode(2); }, 1, 0, 12},
        {"cos3", [](CVKAktData& v) { v.SetCos(2, -50); }, 1, 0, 15},
        {"U1,2", [](CVKAktData& v) { v.SetULine(1, 7); }, 2, 0, 17},
        {"P1", [](CVKAktData& v) { v.SetP(0, -123456789); }, 4, 0, 19},
        {"Q3", [](CVKAktData& v) { v.SetQ(2, 5); }, 4, 0, 24},
        {"S2", [](CVKAktData& v) { v.SetS(1, 6); }, 4, 0, 26},
        {"flags", [](CVKAktData& v) { v.SetPowerLayout(0x80); }, 1, 0, 28},
        {"THDU3", [](CVKAktData& v) { v.GetVoltageHarmonics().SetThdCode(2, 255); }, 1, 1, 2},
        {"U harmonic 23", [](CVKAktData& v) { v.GetVoltageHarmonics().SetHarmonicCode(0, 23, 99); }, 3, 1, 26},
        {"THDI1", [](CVKAktData& v) { v.GetCurrentHarmonics().SetThdCode(0, 1); }, 1, 2, 0},
        {"I harmonic 0", [](CVKAktData& v) { v.GetCurrentHarmonics().SetHarmonicCode(2, 0, 99); }, 3, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CVKAktData last = VKValues(7);
        CVKAktData now = last;
        c.change(now);
        const QByteArray payload = CVKArchivData::BuildChangedRecord(now, last);
        ASSERT_EQ(payload.size(), c.bytes + 12);
        std::array<std::uint32_t, 3> expected{0, 0, 0};
        expected[std::size_t(c.mask)] = 1u << c.bit;
        EXPECT_EQ(Masks(payload), expected);
        CVKAktData read = last;
        ASSERT_EQ(CVKArchivData::DecodeDeltaRecord(read, {0, kRecordChanged, payload}), 1);
        EXPECT_EQ(CVKArchivData::BuildFullRecord(read), CVKArchivData::BuildFullRecord(now));
    }
}

TEST(VKRecordPayload, ChainOfChangedRecordsReadsBackEveryMeasurement)
{
    CVKAktData last = VKValues(0);
    CVKAktData read;
    ASSERT_EQ(CVKArchivData::DecodeFullRecord(read, {0, kRecordFull, CVKArchivData::BuildFullRecord(last)}), 1);
    for (int step = 1; step < 60; ++step) {
        const CVKAktData now = VKValues(step);
        ASSERT_EQ(CVKArchivData::DecodeDeltaRecord(read, {0, kRecordChanged,
                                                          CVKArchivData::BuildChangedRecord(now, last)}),
                  1);
        ASSERT_EQ(CVKArchivData::BuildFullRecord(read), CVKArchivData::BuildFullRecord(now)) << step;
        last = now;
    }
}

TEST(VKRecordPayload, DamagedRecordsChangeNothing)
{
    const CVKAktData before = VKValues(4);
    CVKAktData values = before;
    QByteArray claimsTooMuch(2, '\x11');
    archive::AppendU32(claimsTooMuch, 0x0E); // U1..U3: six bytes, two given
    archive::AppendU32(claimsTooMuch, 0);
    archive::AppendU32(claimsTooMuch, 0);
    EXPECT_EQ(CVKArchivData::DecodeDeltaRecord(values, {0, kRecordChanged, claimsTooMuch}), 0);
    EXPECT_EQ(CVKArchivData::DecodeDeltaRecord(values, {0, kRecordChanged, QByteArray(11, '\0')}), 0);
    EXPECT_EQ(CVKArchivData::DecodeFullRecord(values, {0, kRecordFull, QByteArray(215, '\0')}), 0);
    EXPECT_EQ(CVKArchivData::BuildFullRecord(values), CVKArchivData::BuildFullRecord(before));
}

TEST_F(VKRecordTest, SettingsRaiseOnlyTheScaleThatChanged)
{
    EXPECT_EQ(m_data.RescaleVoltageSeries(TRUE), 1); // construction raises both
    EXPECT_EQ(m_data.RescaleCurrentSeries(TRUE), 1);
    m_data.AddConfigRecord(VKConfig(100, 1));
    EXPECT_EQ(m_data.NeedsConfigRecord(), 0);
    EXPECT_EQ(m_data.RescaleVoltageSeries(TRUE), 0);
    EXPECT_EQ(m_data.RescaleCurrentSeries(TRUE), 0);

    m_data.AddConfigRecord(VKConfig(100, 400));
    EXPECT_EQ(m_data.RescaleVoltageSeries(TRUE), 0);
    EXPECT_EQ(m_data.RescaleCurrentSeries(TRUE), 1);
    EXPECT_FLOAT_EQ(m_data.GetRatioI(), 400.0f);
    QString format;
    int multiplier = 0;
    m_data.GetScalePower(format, multiplier);
    EXPECT_EQ(format, QStringLiteral("%0.3f")); // 400 x 1: kW with three decimals
    EXPECT_EQ(multiplier, 1000);
    ASSERT_EQ(m_data.Queued(kRecordSettings).size(), 2u);
    EXPECT_EQ(m_data.Queued(kRecordSettings)[0].data.size(), 28);
}

TEST_F(VKRecordTest, TemperatureLineConnectionAndVariantBits)
{
    CVKConfig config = VKConfig(100, 1, CVKConfig::Aron);
    config.SetTemperatureAt4mA(-200);
    config.SetTemperatureAt20mA(1000);
    m_data.AddConfigRecord(config);
    float slope = 0, offset = 0;
    m_data.GetTemperatureScale(slope, offset);
    // Through (40, -20.0) and (200, 100.0).
    EXPECT_NEAR(40 * slope + offset, -20.0, 1e-4);
    EXPECT_NEAR(200 * slope + offset, 100.0, 1e-4);
    EXPECT_EQ(m_data.IsConnectionMode2(), 1);
    EXPECT_EQ(m_data.TakeSettingsChanged(), 1);
    EXPECT_EQ(m_data.TakeSettingsChanged(), 0);
    m_data.AddConfigRecord(config);
    EXPECT_EQ(m_data.TakeSettingsChanged(), 0);

    CIden iden;
    iden.family = CIden::kFamilyAnalyser;
    iden.model = 0x1105; // variant bits 0 and 2
    m_data.AddIdenRecord(iden);
    EXPECT_EQ(m_data.HasVariantBit0(), 1);
    EXPECT_EQ(m_data.HasVariantBit2(), 1);
    EXPECT_EQ(m_data.TakeSettingsChanged(), 1);
    const auto idens = m_data.Queued(kRecordIden);
    ASSERT_EQ(idens.size(), 1u);
    CIden read;
    ASSERT_EQ(CVKArchivData::DecodeIdenRecord(idens[0], read), 1);
    EXPECT_EQ(read, iden);
}

TEST_F(VKRecordTest, LatestValuesAndStateByte)
{
    CVKAktData values;
    int fresh = -1;
    m_data.GetLatestValues(values, fresh);
    EXPECT_EQ(fresh, 0);
    CVKAktData v = VKValues(5);
    v.SetFaultState(-3);
    m_data.AddMeasurementRecord(v);
    m_data.GetLatestValues(values, fresh);
    EXPECT_EQ(fresh, 1);
    EXPECT_EQ(CVKArchivData::BuildFullRecord(values), CVKArchivData::BuildFullRecord(v));
    EXPECT_EQ(m_data.GetLatestStateByte(), -3);
}

// The measurement thread writes while the main thread reads the newest
// values and scales: every copy the reader takes is one whole measurement.
TEST_F(VKRecordTest, ReadersSeeWholeMeasurementsWhileTheWriterQueues)
{
    std::vector<QByteArray> images;
    for (int step = 0; step < 4; ++step)
        images.push_back(CVKArchivData::BuildFullRecord(VKValues(step)));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            if (i % 100 == 0)
                m_data.AddConfigRecord(VKConfig(100, DWORD(1 + i % 300)));
            m_data.AddMeasurementRecord(VKValues(i % 4));
        }
        done = true;
    });
    int torn = 0;
    while (!done) {
        CVKAktData values;
        int fresh = 0;
        m_data.GetLatestValues(values, fresh);
        if (fresh && std::find(images.begin(), images.end(), CVKArchivData::BuildFullRecord(values)) == images.end())
            ++torn;
        float ratio = 0;
        QString format;
        int multiplier = 0;
        m_data.GetScaleI(ratio, format, multiplier);
        m_data.RescaleCurrentSeries(TRUE);
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(m_data.Queued(kRecordFull).size() + m_data.Queued(kRecordChanged).size(), 2000u);
}

} // namespace
