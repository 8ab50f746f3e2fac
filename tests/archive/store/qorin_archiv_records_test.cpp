#include "ControllerTestSupport.h"

#include "archive/store/QorinArchivData.h"

#include <tuple>

namespace storetest {
namespace {

// Reaches the header hooks and the period start of the store.
class QorinStore : public vktest::Reader<CQorinArchivData> {
public:
    void MakeHeader(const QString& name, BOOL overwrite) { InitHeader(4, name, overwrite); }
    void UseHeaderName(const QString& name) { SetNewHeader(4, name); }
    void Roll(CTime start)
    {
        {
            std::lock_guard ring(ringLock);
            startTime = start;
            header->slotTable[2] = 12345;
        }
        RollFileName();
    }
};

CQorinAktData Measured()
{
    CQorinAktData v;
    v.thdCode = 40;
    for (int i = 0; i < 6; ++i)
        v.harmonicCode[i] = BYTE(10 + i);
    v.word0 = 0x1234;
    v.word1 = 2;
    v.model = 3;
    v.ctWord = 0x8000 | 100;
    v.byte8 = 8;
    v.current = 4000;
    v.word11 = 11;
    v.activeCurrent = 3600;
    v.reactiveCurrent = -1200;
    v.word17 = 17;
    v.cosPhi = 95;
    v.byte27 = 27;
    v.stageMask = 0x0105;
    v.byte30 = 30;
    v.byte31 = 31;
    v.state = 1;
    v.flags = 0x80;
    v.byte34 = 34;
    return v;
}

auto Tie(const CQorinAktData& v)
{
    return std::tuple(v.thdCode, v.harmonicCode[0], v.harmonicCode[1], v.harmonicCode[2], v.harmonicCode[3],
                      v.harmonicCode[4], v.harmonicCode[5], v.word0, v.word1, v.model, v.ctWord, v.byte8, v.current,
                      v.word11, v.activeCurrent, v.reactiveCurrent, v.word17, v.cosPhi, v.byte27, v.stageMask,
                      v.byte30, v.byte31, v.state, v.flags, v.byte34);
}

bool SameValues(const CQorinAktData& a, const CQorinAktData& b)
{
    return Tie(a) == Tie(b);
}

class QorinArchivTest : public ControllerStoreTest {
protected:
    void Start(CQorinArchivData& store) { ControllerStoreTest::Start(store, QStringLiteral("hala")); }
    void Open(CQorinArchivData& reader)
    {
        Prepare(reader);
        ASSERT_EQ(reader.Open(Path("hala.qor")), 1);
        ASSERT_EQ(reader.ReadHeader(), 1);
    }
};

TEST_F(QorinArchivTest, FirstMeasurementOfEachBlockIsFullLaterOnesCarryTheChangesAndTheirMask)
{
    QorinStore store;
    Start(store);
    CQorinAktData v = Measured();
    EXPECT_EQ(store.AddMeasurementRecord(v), TRUE);
    EXPECT_EQ(store.AddMeasurementRecord(v), FALSE);
    CArchivRecordList list = store.Queued();
    ASSERT_GE(list.size(), 2u);
    const CArchivRecord& full = list[list.size() - 2];
    EXPECT_EQ(full.type, kRecordFull);
    ASSERT_EQ(full.data.size(), CQorinArchivData::kFullSize);
    EXPECT_EQ(full.data[0], char(95));                  // cosPhi first
    EXPECT_EQ(PayloadU16(full.data, 1), 0x1234u);       // word0, little-endian
    EXPECT_EQ(PayloadU16(full.data, 7), 0x8064u);       // ctWord
    EXPECT_EQ(PayloadU16(full.data, 14), unsigned(std::uint16_t(3600))); // activeCurrent
    EXPECT_EQ(full.data[20], char(40));                 // thdCode after word17
    EXPECT_EQ(full.data[34], char(34));                 // byte34 last
    const CArchivRecord& same = list.back();
    EXPECT_EQ(same.type, kRecordChanged);
    EXPECT_EQ(same.data, QByteArray(4, '\0'));

    // Each change alone: its mask bit and its bytes.
    struct Case {
        const char* what;
        std::function<void(CQorinAktData&)> change;
        std::uint32_t mask;
        QByteArray fields;
    };
    const Case cases[] = {
        {"cosPhi", [](CQorinAktData& x) { x.cosPhi = 90; }, 1u << 0, QByteArray(1, char(90))},
        {"ctWord", [](CQorinAktData& x) { x.ctWord = 0x0102; }, 1u << 4, QByteArray("\x02\x01", 2)},
        {"current", [](CQorinAktData& x) { x.current = 0xABCD; }, 1u << 6, QByteArray("\xCD\xAB", 2)},
        {"harmonic 5", [](CQorinAktData& x) { x.harmonicCode[5] = 99; }, 1u << 17, QByteArray(1, char(99))},
        {"stageMask", [](CQorinAktData& x) { x.stageMask = 0x3FFF; }, 1u << 19, QByteArray("\xFF\x3F", 2)},
        {"byte34", [](CQorinAktData& x) { x.byte34 = 77; }, 1u << 24, QByteArray(1, char(77))},
        {"cosPhi and flags", [](CQorinAktData& x) { x.cosPhi = 80; x.flags = 0x20; }, (1u << 0) | (1u << 23),
         QByteArray("\x50\x20", 2)},
    };
    for (const Case& c : cases) {
        CQorinAktData next = v;
        c.change(next);
        EXPECT_EQ(store.AddMeasurementRecord(next), FALSE) << c.what;
        const CArchivRecord r = store.Queued().back();
        EXPECT_EQ(r.type, kRecordChanged) << c.what;
        EXPECT_EQ(r.data.left(r.data.size() - 4), c.fields) << c.what;
        EXPECT_EQ(PayloadU32(r.data, r.data.size() - 4), c.mask) << c.what;
        v = next;
    }

    // A new block starts with a full record again.
    EndAndWrite(store);
    EXPECT_EQ(store.AddMeasurementRecord(v), TRUE);
}

TEST_F(QorinArchivTest, SettingsRecordHoldsTheImageAndIsNoLongerNeeded)
{
    QorinStore store;
    Start(store);
    EXPECT_EQ(store.NeedsConfigRecord(), 1);
    const int counted = store.GetBlockRecordCount();
    CConfig config;
    config.SetCtRatio(250, 5);
    store.AddConfigRecord(config);
    EXPECT_EQ(store.NeedsConfigRecord(), 0);
    EXPECT_EQ(store.GetBlockRecordCount(), counted);
    const CArchivRecord r = store.Queued().back();
    EXPECT_EQ(r.type, kRecordSettings);
    QByteArray image(CConfig::kImageSize, '\0');
    config.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    EXPECT_EQ(r.data, image);
    CConfig back;
    ASSERT_EQ(CQorinArchivData::ConfigFromRecord(r, back), TRUE);
    EXPECT_EQ(back.GetCtPrimaryCurrent(), 250);
    // A record of another kind or size is no settings record.
    EXPECT_EQ(CQorinArchivData::ConfigFromRecord({0, kRecordSettings, image.left(65)}, back), FALSE);
}

// Writer, compound file and walk: what the walk steps through is what was
// measured, across blocks (each with its own full record).
TEST_F(QorinArchivTest, WalkReplaysWhatWasWrittenAcrossBlocks)
{
    std::vector<CQorinAktData> written;
    {
        QorinStore store;
        Start(store);
        store.AddConfigRecord(CConfig());
        CQorinAktData v = Measured();
        for (int block = 0; block < 2; ++block) {
            for (int i = 0; i < 4; ++i) {
                v.current = WORD(v.current + 100 * i);
                v.cosPhi = std::int8_t(90 + i);
                v.byte34 = BYTE(i * block);
                store.AddMeasurementRecord(v);
                written.push_back(v);
                m_clock.Advance(60);
            }
            EndAndWrite(store);
        }
    }
    CQorinArchivData reader;
    Open(reader);
    ASSERT_EQ(reader.Window().Load(reader, WrittenSlots(reader), CTime(0), 0x7FFFFFFF), 1);
    ASSERT_EQ(reader.Window().ringSlots.size(), 2u);
    ASSERT_EQ(reader.FirstRecord(), 1);
    CQorinAktData seen;
    int state = 0;
    for (std::size_t i = 0; i < written.size(); ++i) {
        reader.GetLatestValues(seen, state);
        EXPECT_TRUE(SameValues(seen, written[i])) << "record " << i;
        EXPECT_EQ(reader.GetCurrentRecordIndex(), int(i));
        EXPECT_EQ(reader.NextRecord(), i + 1 < written.size() ? 1 : 0) << i;
    }
    // At the end the values stay those of the last record.
    reader.GetLatestValues(seen, state);
    EXPECT_TRUE(SameValues(seen, written.back()));
    CConfig config;
    EXPECT_EQ(reader.GetConfigAt(config), 1);
    const QStringList texts = reader.GetWindowTexts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].endsWith("hala.qor")) << texts[0].toStdString();
    EXPECT_EQ(texts[3], reader.GetCurrentRecordTime().Format("%d.%m %H:%M:%S"));
    EXPECT_EQ(texts[2], texts[3].left(11));
}

TEST_F(QorinArchivTest, WalkWithoutFullRecordAndDamagedRecords)
{
    CQorinArchivData reader;
    const CArchivRecord changed{10, kRecordChanged, QByteArray("\x05\x01\x00\x00\x00", 5)}; // cosPhi = 5
    reader.Window().records = {changed};
    EXPECT_EQ(reader.FirstRecord(), 0);
    EXPECT_EQ(reader.NextRecord(), 0);

    CQorinAktData v = Measured();
    ASSERT_EQ(CQorinArchivData::DecodeDeltaRecord(v, changed), TRUE);
    EXPECT_EQ(v.cosPhi, 5);
    const CQorinAktData before = v;
    const QByteArray bad[] = {
        QByteArray("\x01\x00", 2),                  // shorter than its mask
        QByteArray("\x01\x00\x00\x00", 4),          // mask announces one byte, none there
        QByteArray("\x05\x06\x01\x00\x00\x00", 6),  // one byte too many
        QByteArray("\x05\x02\x00\x00\x00", 5),      // word0 announced, one byte there
    };
    for (const QByteArray& data : bad) {
        EXPECT_EQ(CQorinArchivData::DecodeDeltaRecord(v, {10, kRecordChanged, data}), FALSE) << data.toHex().data();
        EXPECT_TRUE(SameValues(v, before));
    }
    EXPECT_EQ(CQorinArchivData::DecodeFullRecord(v, {10, kRecordFull, QByteArray(34, '\0')}), FALSE);
    EXPECT_TRUE(SameValues(v, before));

    // A damaged record in the middle of a walk is stepped over without
    // touching the values.
    CArchivRecordList list;
    list.push_back({1, kRecordFull, QByteArray(CQorinArchivData::kFullSize, '\x01')});
    list.push_back({2, kRecordChanged, bad[1]});
    list.push_back({3, kRecordChanged, changed.data});
    reader.Window().records = list;
    ASSERT_EQ(reader.FirstRecord(), 1);
    EXPECT_EQ(reader.NextRecord(), 0);
    CQorinAktData seen;
    int state = 0;
    reader.GetLatestValues(seen, state);
    EXPECT_EQ(seen.byte34, 1);
    EXPECT_EQ(reader.NextRecord(), 1);
    reader.GetLatestValues(seen, state);
    EXPECT_EQ(seen.cosPhi, 5);
}

TEST_F(QorinArchivTest, ChangedRatioWordRescalesTheCurrentSeriesOnce)
{
    QorinStore store;
    Start(store);
    FakeSeries series({"real", "imag", "Proud"});
    store.SetSeriesRegistry(&series);
    CQorinAktData v = Measured();
    v.ctWord = 4; // 5-A secondary flag clear: 20
    store.AddMeasurementRecord(v);
    EXPECT_DOUBLE_EQ(store.GetCTRatio(), 20.0);
    EXPECT_EQ(store.ScaleCurrentSeries(FALSE), TRUE);
    EXPECT_EQ(series.ranges["Proud"], (std::pair<double, double>(0, 160)));
    EXPECT_EQ(store.ScaleCurrentSeries(FALSE), FALSE);
    store.AddMeasurementRecord(v); // same word: nothing to do
    EXPECT_EQ(store.ScaleCurrentSeries(TRUE), FALSE);
    v.ctWord = 0x8000 | 20;
    store.AddMeasurementRecord(v);
    EXPECT_EQ(store.ScaleCurrentSeries(TRUE), TRUE);
    EXPECT_EQ(series.ranges["real"], (std::pair<double, double>(-160, 160)));
    store.SetSeriesRegistry(nullptr);
}

TEST_F(QorinArchivTest, LiveGettersReadTheNewestValues)
{
    QorinStore store;
    Start(store);
    CQorinAktData seen;
    int state = -1;
    store.GetLatestValues(seen, state);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(seen.cosPhi, CQorinAktData::kNoCosPhi);
    CQorinAktData v = Measured();
    store.AddMeasurementRecord(v);
    store.GetLatestValues(seen, state);
    EXPECT_EQ(state, 1);
    EXPECT_TRUE(SameValues(seen, v));
    EXPECT_EQ(store.IsModel3Or5(), TRUE);
    EXPECT_EQ(store.GetLatestStatusBit7(), 1);
    v.model = 4;
    v.flags = 0x7F;
    store.AddMeasurementRecord(v);
    EXPECT_EQ(store.IsModel3Or5(), FALSE);
    EXPECT_EQ(store.GetLatestStatusBit7(), 0);
}

TEST_F(QorinArchivTest, FileNamesFollowThePeriod)
{
    QorinStore store;
    Prepare(store);
    m_clock.Set(CTime(2005, 3, 7, 14, 0, 0));
    store.MakeHeader(QStringLiteral("hala"), FALSE);
    EXPECT_EQ(store.HeaderName(), "hala_Y05D0307H14.qor");
    store.MakeHeader(QStringLiteral("hala"), TRUE);
    EXPECT_EQ(store.HeaderName(), "hala.qor");

    const CTime start(2005, 3, 8, 9, 0, 0);
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"hala_Y05D0307H14.qor", "hala_Y05D0308H09.qor"},
        {"hala.qor", "hala_Y05D0308H09.qor"},
        {"hala", "hala"},
        {"/data/x.y/hala_Y05D0307H14.qor", "/data/x.y/hala_Y05D0308H09.qor"},
    };
    for (const auto& c : cases) {
        store.UseHeaderName(QString::fromLatin1(c.before));
        store.Roll(start);
        EXPECT_EQ(store.HeaderName(), QString::fromLatin1(c.after)) << c.before;
        EXPECT_EQ(store.Table(), std::vector<std::uint32_t>(4, 0)) << c.before;
    }
}

TEST_F(QorinArchivTest, RowsFormatTheValuesOfTheirOwnRatio)
{
    CQorinArchivData reader;
    const CQorinArchivData::Columns all{TRUE, TRUE, TRUE, TRUE, TRUE};
    const CTime t(2024, 3, 10, 10, 25, 30);
    EXPECT_EQ(reader.GetAxisNames(all), (QStringList{"Čas", "Cos []", "THD [%]", "Ieff [A]", "Ič [A]", "Ij [A]"}));
    EXPECT_EQ(reader.GetAxisNames({FALSE, FALSE, TRUE, FALSE, TRUE}), (QStringList{"Čas", "Ieff [A]", "Ij [A]"}));
    EXPECT_EQ(reader.FormatRecordRow(all, nullptr, t), (QStringList{"10.03 10:25:30", "--", "--", "--", "--", "--"}));

    struct Case {
        const char* what;
        std::function<void(CQorinAktData&)> set;
        QStringList texts; // columns 1..5
    };
    const Case cases[] = {
        {"reactive -200 at ratio 1",
         [](CQorinAktData& v) { v.ctWord = 0x8001; v.reactiveCurrent = -200; },
         {"0.95", "20.0", "1.00", "0.90", "C0.05"}},
        {"ratio word 0x8000|10",
         [](CQorinAktData& v) { v.ctWord = 0x8000 | 10; },
         {"0.95", "20.0", "10.00", "9.00", "L3.00"}},
        {"ratio word 10 (5-A secondary)",
         [](CQorinAktData& v) { v.ctWord = 10; },
         {"0.95", "20.0", "50.00", "45.00", "L15.00"}},
        {"ratio word 0x7FFF counts as 1",
         [](CQorinAktData& v) { v.ctWord = 0x7FFF; },
         {"0.95", "20.0", "1.00", "0.90", "L0.30"}},
        {"no values",
         [](CQorinAktData& v) { v.cosPhi = 127; v.thdCode = 0xFF; v.current = 0xFFFF; v.activeCurrent = 32767; v.reactiveCurrent = 32767; },
         {"--", "--", "--", "--", "--"}},
        {"current below 0.25 A has no THD",
         [](CQorinAktData& v) { v.ctWord = 0x8001; v.current = 999; },
         {"0.95", "--", "0.25", "0.90", "L0.30"}},
    };
    for (const Case& c : cases) {
        CQorinAktData v = Measured();
        v.thdCode = 40;
        v.current = 4000;
        v.activeCurrent = 3600;
        v.reactiveCurrent = 1200;
        c.set(v);
        EXPECT_EQ(reader.FormatRecordRow(all, &v, t), QStringList{"10.03 10:25:30"} + c.texts) << c.what;
    }
}

TEST_F(QorinArchivTest, ValueRowsAndWindowScalesComeFromTheFile)
{
    const CTime begin = m_clock.Get();
    {
        QorinStore store;
        Start(store);
        CConfig config;
        config.SetCtRatio(250, 5); // 50
        store.AddConfigRecord(config);
        CQorinAktData v = Measured();
        for (int i = 0; i < 6; ++i) {
            v.current = WORD(4000 + i);
            store.AddMeasurementRecord(v);
            m_clock.Advance(60);
        }
        store.AddRecord(QStringLiteral("Chyba spojení"), kRecordError);
        EndAndWrite(store);
        for (int i = 0; i < 6; ++i) {
            v.current = WORD(5000 + i);
            store.AddMeasurementRecord(v);
            m_clock.Advance(60);
        }
        EndAndWrite(store);
    }
    CQorinArchivData reader;
    Open(reader);
    FakeSeries series({"real", "imag", "Proud"});
    reader.SetSeriesRegistry(&series);
    reader.Window().Load(reader, WrittenSlots(reader), begin, 3600);
    EXPECT_EQ(reader.Window().rowCounts, (std::vector<int>{7, 6}));

    // Ratio 50 from the settings record: one decimal, range -8..8 x 50.
    reader.ScaleWindowSeries(TRUE);
    EXPECT_EQ(reader.GetCurrentFormat(), "%0.1f");
    EXPECT_EQ(series.ranges["imag"], (std::pair<double, double>(-400, 400)));
    EXPECT_EQ(series.ranges["Proud"], (std::pair<double, double>(-400, 400)));

    const CQorinArchivData::Columns ieff{FALSE, FALSE, TRUE, FALSE, FALSE};
    int count = 0;
    int first = -1;
    std::vector<int> offsets;
    std::vector<QStringList> rows = reader.BuildValueRows(8, ieff, count, first, &offsets);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(count, 8);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0][1], "100.1"); // 4005 x 100 (0x8064) x 0.025 = 10012.5 -> 10013 x 0.01
    EXPECT_EQ(rows[1][1], "--");    // the error record
    EXPECT_EQ(rows[2][1], "125.0"); // 5000 x 100 x 0.00025
    EXPECT_EQ(offsets[0], 5 * 60);
    rows = reader.BuildValueRows(0, ieff, count, first, nullptr);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(rows.size(), 10u);
    rows = reader.BuildValueRows(40, ieff, count, first, nullptr);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(first, -1);
    reader.SetSeriesRegistry(nullptr);
}

} // namespace
} // namespace storetest
