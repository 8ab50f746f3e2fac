// VKR archive records: full and changed-fields records with their two
// masks, the settings the writers keep.
#include "VKArchivTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace storetest;
using namespace vktest;

std::pair<std::uint16_t, std::uint32_t> Masks(const QByteArray& payload)
{
    const char* end = payload.constData() + payload.size();
    return {std::uint16_t(std::uint8_t(end[-6]) | (std::uint8_t(end[-5]) << 8)), archive::ReadU32(end - 4)};
}

QByteArray Image(const CVKRAktData& v)
{
    return CVKRArchivData::BuildFullRecord(v);
}

TEST(VKRRecordPayload, ChangedFieldsTakeTwoFourOrNoBytes)
{
    struct Case {
        const char* what;
        std::function<void(CVKRAktData&)> change;
        int bytes;
        std::uint16_t maskA;
        std::uint32_t maskB;
    };
    const Case cases[] = {
        {"nothing", [](CVKRAktData&) {}, 0, 0, 0},
        // 230.0 and 230.5 share the upper half of their bits.
        {"U1 230.0 -> 230.5", [](CVKRAktData& v) { v.SetUPhase(0, 230.5f); }, 2, 1u << 0, 0},
        {"U1 230.0 -> 400.0", [](CVKRAktData& v) { v.SetUPhase(0, 400.0f); }, 4, 0, 1u << 1},
        {"I2 0.0 -> -0.0", [](CVKRAktData& v) { v.SetI(1, -0.0f); }, 0, 0, 0},
        {"Q3", [](CVKRAktData& v) { v.SetQ(2, 12345.0f); }, 4, 0, 1u << 27},
        {"status", [](CVKRAktData& v) { v.SetStatus(2); }, 1, 0, 1u << 0},
        {"angle 2", [](CVKRAktData& v) { v.SetAngle(1, -7); }, 2, 0, 1u << 14},
        {"THDU3,1", [](CVKRAktData& v) { v.SetThdULine(2, 99); }, 2, 0, 1u << 24},
        {"frequency", [](CVKRAktData& v) { v.SetFrequency(5001); }, 2, 0, 1u << 29},
        {"temperature and P3 low half",
         [](CVKRAktData& v) {
             v.SetTemperature(-150);
             v.SetP(2, 3000.5f);
         },
         4, 1u << 11, 1u << 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVKRAktData last = VKRValues(0);
        last.SetUPhase(0, 230.0f);
        last.SetI(1, 0.0f);
        last.SetP(2, 3000.0f);
        CVKRAktData now = last;
        c.change(now);
        const QByteArray payload = CVKRArchivData::BuildChangedRecord(now, last);
        ASSERT_EQ(payload.size(), c.bytes + CVKRArchivData::kMaskBytes);
        EXPECT_EQ(Masks(payload), std::make_pair(c.maskA, c.maskB));
        CVKRAktData read = last;
        ASSERT_EQ(CVKRArchivData::DecodeDeltaRecord(read, {0, kRecordChanged, payload}), 1);
        // -0.0 is not stored: the reader keeps 0.0, the same value.
        if (c.bytes > 0) {
            EXPECT_EQ(Image(read), Image(now));
        }
    }
}

TEST(VKRRecordPayload, ChainOfChangedRecordsReadsBackEveryMeasurement)
{
    CVKRAktData last = VKRValues(0);
    CVKRAktData read;
    ASSERT_EQ(Image(last).size(), CVKRArchivData::kFullRecordSize);
    ASSERT_EQ(CVKRArchivData::DecodeFullRecord(read, {0, kRecordFull, Image(last)}), 1);
    for (int step = 1; step < 60; ++step) {
        const CVKRAktData now = VKRValues(step);
        ASSERT_EQ(CVKRArchivData::DecodeDeltaRecord(read, {0, kRecordChanged,
                                                           CVKRArchivData::BuildChangedRecord(now, last)}),
                  1);
        ASSERT_EQ(Image(read), Image(now)) << step;
        last = now;
    }
}

TEST(VKRRecordPayload, DamagedRecordsChangeNothing)
{
    const CVKRAktData before = VKRValues(2);
    CVKRAktData values = before;
    // Mask B claims U1 whole (4 bytes); the record holds 2.
    const QByteArray claimsTooMuch = QByteArray::fromHex("1111" "0000" "02000000");
    EXPECT_EQ(CVKRArchivData::DecodeDeltaRecord(values, {0, kRecordChanged, claimsTooMuch}), 0);
    EXPECT_EQ(CVKRArchivData::DecodeDeltaRecord(values, {0, kRecordChanged, QByteArray(5, '\0')}), 0);
    EXPECT_EQ(CVKRArchivData::DecodeFullRecord(values, {0, kRecordFull, QByteArray(88, '\0')}), 0);
    EXPECT_EQ(Image(values), Image(before));
}

class VKRRecordTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(m_data);
        ASSERT_EQ(m_data.Create(600, 5, 60, Path(QStringLiteral("linka")), QStringLiteral(".vkr"), TRUE, FALSE,
                                QStringLiteral("Linka")),
                  1);
    }
    Reader<CVKRArchivData> m_data;
};

TEST_F(VKRRecordTest, WritersQueueTheirRecords)
{
    EXPECT_EQ(m_data.GetConnectionType(), 2);
    EXPECT_EQ(m_data.RescaleVoltageSeries(TRUE), 1);
    m_data.AddConfigRecord(VKRConfig(2200, 150, CVKRConfig::Aron));
    EXPECT_EQ(m_data.GetConnectionType(), 4);
    EXPECT_EQ(m_data.NeedsConfigRecord(), 0);
    EXPECT_EQ(m_data.RescaleVoltageSeries(TRUE), 1);
    m_data.AddConfigRecord(VKRConfig(2200, 150, CVKRConfig::Aron));
    EXPECT_EQ(m_data.RescaleVoltageSeries(TRUE), 0);
    const auto settings = m_data.Queued(kRecordSettings);
    ASSERT_EQ(settings.size(), 2u);
    ASSERT_EQ(settings[0].data.size(), CVKRArchivData::kSettingsRecordSize);
    CVKRConfig read;
    ASSERT_EQ(CVKRArchivData::DecodeConfigRecord(settings[0], read), 1);
    EXPECT_EQ(read.GetConnection(), CVKRConfig::Aron);
    EXPECT_DOUBLE_EQ(read.GetVtRatio(), VKRConfig(2200, 150, CVKRConfig::Aron).GetVtRatio());

    m_data.AddIdenRecord(CIden());
    EXPECT_EQ(m_data.Queued(kRecordIden).size(), 1u);

    m_data.AddMeasurementRecord(VKRValues(0));
    m_data.AddMeasurementRecord(VKRValues(0));
    ASSERT_EQ(m_data.Queued(kRecordFull).size(), 1u);
    EXPECT_EQ(m_data.Queued(kRecordFull)[0].data.size(), CVKRArchivData::kFullRecordSize);
    ASSERT_EQ(m_data.Queued(kRecordChanged).size(), 1u);
    EXPECT_EQ(m_data.Queued(kRecordChanged)[0].data, QByteArray(6, '\0'));
    CVKRAktData latest;
    int fresh = 0;
    m_data.GetLatestValues(latest, fresh);
    EXPECT_EQ(fresh, 1);
    EXPECT_EQ(Image(latest), Image(VKRValues(0)));
}

} // namespace
