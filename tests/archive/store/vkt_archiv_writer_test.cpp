#include "vkt_archiv_support.h"

#include <bit>
#include <thread>

namespace storetest::vkt {
namespace {

constexpr WORD kAllFourWithHarmonics = 0x7F; // channels 1-4, phase values, U and I harmonics (odd orders)

class VKTWriterTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(store);
    }
    VKTStore store;
};

TEST_F(VKTWriterTest, EqualMeasurementsGiveAFullRecordThenEmptyMasks)
{
    const CAktData v = MakeValues(kAllFourWithHarmonics);
    EXPECT_EQ(store.AddMeasurementRecord(v), 1);
    EXPECT_EQ(store.AddMeasurementRecord(v), 0);
    const CArchivRecordList list = store.Current();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].type, kRecordFull);
    // Header, four phase blocks, eight slots of 13 odd orders.
    EXPECT_EQ(list[0].data.size(), 10 + 4 * 20 + 8 * 26);
    EXPECT_EQ(list[1].type, kRecordChanged);
    // Header mask, one mask byte per channel, one mask word per harmonic slot.
    EXPECT_EQ(list[1].data, QByteArray(1 + 4 + 8 * 4, '\0'));
    EXPECT_EQ(list[1].time, m_clock.Get().GetTime());
    EXPECT_EQ(store.GetBlockRecordCount(), 2);

    CAktData latest;
    int fresh = 0;
    store.GetLatestData(latest, fresh);
    EXPECT_EQ(fresh, 1);
    EXPECT_EQ(latest.PackFull(), v.PackFull());
}

TEST_F(VKTWriterTest, ChangedPresenceIsWrittenFullEvenWithinABlock)
{
    EXPECT_EQ(store.AddMeasurementRecord(MakeValues(0x17)), 1);
    // Channel 4 joins: full, though no full record was due.
    EXPECT_EQ(store.AddMeasurementRecord(MakeValues(0x1F)), 0);
    EXPECT_EQ(store.AddMeasurementRecord(MakeValues(0x1F, 1)), 0);
    const CArchivRecordList list = store.Current();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].type, kRecordFull);
    EXPECT_EQ(list[1].type, kRecordFull);
    EXPECT_EQ(list[1].data.size(), 10 + 4 * 20);
    EXPECT_EQ(list[2].type, kRecordChanged);
}

TEST_F(VKTWriterTest, AValueThatTurnsIntoNoValueIsWrittenAsAChange)
{
    CAktData before = MakeValues(0x11);
    CAktData after = before;
    after.GetPhase(0)->activePower = std::bit_cast<float>(0xFFFFFFFFu);
    store.AddMeasurementRecord(before);
    store.AddMeasurementRecord(after);
    store.AddMeasurementRecord(after); // the same no-value again: no change
    const CArchivRecordList list = store.Current();
    ASSERT_EQ(list.size(), 3u);
    ASSERT_EQ(list[1].type, kRecordChanged);
    EXPECT_EQ(BYTE(list[1].data[1]), 0x08); // the active power of channel 1
    EXPECT_EQ(list[2].data, QByteArray(2, '\0'));

    CAktData read = before;
    ASSERT_GT(read.Unpack(reinterpret_cast<const BYTE*>(list[1].data.constData()), int(list[1].data.size()), false),
              0);
    EXPECT_EQ(std::bit_cast<DWORD>(read.GetPhase(0)->activePower), 0xFFFFFFFFu);
    EXPECT_FALSE(read.GetActivePower(0, CAktData::Average, 0) < 65535.0);
}

TEST_F(VKTWriterTest, SettingsRecordTakesRatiosAndChoosesFormats)
{
    // The constructor's first choice counts as a change.
    EXPECT_EQ(store.RescaleVoltageSeries(TRUE), 1);
    EXPECT_EQ(store.RescaleCurrentSeries(TRUE), 1);
    ASSERT_EQ(store.NeedsConfigRecord(), 1);

    const CVKTConfig same = MakeConfig(CVKTConfig::kUnset, CVKTConfig::kUnset, CVKTConfig::Star);
    store.AddConfigRecord(same);
    EXPECT_EQ(store.NeedsConfigRecord(), 0);
    EXPECT_EQ(store.RescaleVoltageSeries(TRUE), 0);
    EXPECT_EQ(store.RescaleCurrentSeries(TRUE), 0);
    const CArchivRecordList list = store.Current();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].type, kRecordSettings);
    QByteArray image(CVKTConfig::kImageSize, '\0');
    same.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    EXPECT_EQ(list[0].data, image);

    // Type 5: input 4 has its own transformers and the larger ratio rules.
    store.AddConfigRecord(MakeConfig(100, 50, CVKTConfig::FourPhase, 200, 100));
    float ratio = 0;
    float ratio4 = 0;
    QString format;
    int multiplier = 0;
    store.GetScaleU(ratio, ratio4, format, multiplier);
    EXPECT_EQ(ratio, 100.0f);
    EXPECT_EQ(ratio4, 200.0f);
    EXPECT_EQ(format, QStringLiteral("%0.3f"));
    EXPECT_EQ(multiplier, 1000);
    store.GetScaleI(ratio, ratio4, format, multiplier);
    EXPECT_EQ(format, QStringLiteral("%0.2f")); // 100
    store.GetScalePower(format, multiplier);
    EXPECT_EQ(format, QStringLiteral("%0.4f")); // 200 x 100
    EXPECT_EQ(multiplier, 1000000);
    EXPECT_EQ(store.RescaleVoltageSeries(TRUE), 1);
    EXPECT_EQ(store.RescaleCurrentSeries(TRUE), 1);

    // The same ratios under a connection without the own transformers of
    // input 4: the formats follow inputs 1 to 3 at once.
    store.AddConfigRecord(MakeConfig(100, 50, CVKTConfig::Star, 200, 100));
    EXPECT_EQ(store.GetConnectionType(), CVKTConfig::Star);
    store.GetScaleU(ratio, ratio4, format, multiplier);
    EXPECT_EQ(format, QStringLiteral("%0.4f")); // 100
    store.GetScalePower(format, multiplier);
    EXPECT_EQ(format, QStringLiteral("%0.4f")); // 100 x 50
    EXPECT_EQ(store.RescaleVoltageSeries(TRUE), 1);
}

TEST_F(VKTWriterTest, RecordCapacityByConnection)
{
    const std::pair<int, int> cases[] = {{0, 4593}, {1, 13299}, {2, 30711}, {3, 30711},
                                         {4, 22005}, {5, 65535}, {9, 30711}};
    for (const auto& [connection, capacity] : cases) {
        store.AddConfigRecord(MakeConfig(CVKTConfig::kUnset, CVKTConfig::kUnset, connection));
        EXPECT_EQ(store.GetRecordCapacity(), capacity) << connection;
    }
}

TEST_F(VKTWriterTest, IdentificationRecordKeepsTheImage)
{
    CIden iden;
    iden.number = 1234;
    iden.model = 0x2201;
    store.AddIdenRecord(iden);
    const CArchivRecordList list = store.Current();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].type, kRecordIden);
    ASSERT_EQ(list[0].data.size(), CIden::kImageSize);
    CIden back;
    back.FromRaw(reinterpret_cast<const BYTE*>(list[0].data.constData()));
    EXPECT_EQ(back, iden);
    EXPECT_EQ(store.NeedsConfigRecord(), 1);
}

TEST_F(VKTWriterTest, FileNamesAndTheirPeriodSuffix)
{
    const QString dir = m_dir.path() + QStringLiteral("/data.d/_Yard/");
    store.InitHeader(5, dir + QStringLiteral("Hala"), TRUE);
    EXPECT_EQ(store.HeaderName(), dir + QStringLiteral("Hala.vkt"));
    store.InitHeader(5, dir + QStringLiteral("Hala"), FALSE);
    EXPECT_EQ(store.HeaderName(), dir + QStringLiteral("Hala_Y24D0310H10.vkt"));

    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"Hala.vkt", "Hala_Y24D0311H06.vkt"},             // no suffix: it takes the extension's place
        {"Hala_Y24D0310H10.vkt", "Hala_Y24D0311H06.vkt"}, // a suffix is replaced
        {"_Y24D0310H10.vkt", "_Y24D0310H10_Y24D0311H06.vkt"}, // "_Y" at the start is no suffix
        {"Hala_Yx.vkt", "Hala_Yx_Y24D0311H06.vkt"},
    };
    store.SetStart(CTime(2024, 3, 11, 6, 0, 0));
    for (const Case& c : cases) {
        store.InitHeader(4, dir + QLatin1String(c.before).chopped(4), TRUE);
        store.SetTable({100, 200, 300, 400});
        store.RollFileName();
        // Folders with a dot or "_Y" stay as they are.
        EXPECT_EQ(store.HeaderName(), dir + QLatin1String(c.after)) << c.before;
        // The new file carries none of the old file's blocks.
        EXPECT_EQ(store.Table(), (std::vector<std::uint32_t>{0, 0, 0, 0})) << c.before;
    }
}

TEST_F(VKTWriterTest, PeriodChangeStartsTheNewFileWithTheCompletedBlockOnly)
{
    ASSERT_EQ(store.Create(7 * 86400, 1, 60, Path("Hala"), CVKTArchivData::Extension(), FALSE, TRUE,
                           QStringLiteral("Hala")),
              1);
    const QString first = store.HeaderName();
    EXPECT_TRUE(first.endsWith(QStringLiteral("Hala_Y24D0310H10.vkt"))) << first.toStdString();
    // Blocks up to the day's end, then one past midnight.
    int mode = 1;
    for (int i = 0; i < 3 && mode == 1; ++i) {
        store.AddMeasurementRecord(MakeValues(0x11, i));
        m_clock.Advance(60);
        mode = store.EndBlock(TRUE, TRUE, 60);
        ASSERT_EQ(store.Flush(TRUE, mode, QStringLiteral("Hala")), 1);
    }
    m_clock.Set(CTime(2024, 3, 11, 0, 0, 30));
    store.AddMeasurementRecord(MakeValues(0x11, 9));
    mode = store.EndBlock(TRUE, TRUE, 60); // the day is due: the change comes with the next block
    ASSERT_EQ(store.Flush(TRUE, mode, QStringLiteral("Hala")), 1);
    store.AddMeasurementRecord(MakeValues(0x11, 10));
    m_clock.Advance(60);
    mode = store.EndBlock(TRUE, TRUE, 60);
    ASSERT_EQ(mode, 2);
    ASSERT_EQ(store.Flush(TRUE, mode, QStringLiteral("Hala")), 1);
    EXPECT_NE(store.HeaderName(), first);
    const std::vector<std::uint32_t> table = store.Table();
    ASSERT_GE(table.size(), 3u);
    EXPECT_NE(table[0], 0u);
    // Slot 1 collects; no other slot claims a block.
    for (std::size_t s = 2; s < table.size(); ++s)
        EXPECT_EQ(table[s], 0u) << s;
}

TEST_F(VKTWriterTest, ViewsReadWhileTheMeasurementThreadWrites)
{
    constexpr int kRounds = 200;
    std::thread measurement([this] {
        for (int i = 0; i < kRounds; ++i) {
            store.AddConfigRecord(MakeConfig(WORD(1 + i % 3), 5, i % 2 ? CVKTConfig::FourPhase : CVKTConfig::Star));
            store.AddMeasurementRecord(MakeValues(i % 7 ? 0x1F : 0x17, i));
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        CAktData latest;
        int fresh = 0;
        store.GetLatestData(latest, fresh);
        float ratio = 0;
        float ratio4 = 0;
        QString format;
        int multiplier = 0;
        store.GetScaleU(ratio, ratio4, format, multiplier);
        EXPECT_FALSE(format.isEmpty());
        store.RescaleVoltageSeries(TRUE);
    }
    measurement.join();
    EXPECT_EQ(store.GetBlockRecordCount(), kRounds);
    EXPECT_EQ(int(store.Current().size()), 2 * kRounds);
    CAktData latest;
    int fresh = 0;
    store.GetLatestData(latest, fresh);
    EXPECT_EQ(fresh, 1);
    EXPECT_EQ(latest.PackFull(), MakeValues(0x1F, kRounds - 1).PackFull());
}

} // namespace
} // namespace storetest::vkt
