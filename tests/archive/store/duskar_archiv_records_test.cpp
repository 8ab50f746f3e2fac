#include "ControllerTestSupport.h"

#include "archive/store/DuskarArchivData.h"

#include <thread>
#include <tuple>

namespace storetest {
namespace {

using DuskarStore = vktest::Reader<CDuskarArchivData>;

CDuskarAktData Measured()
{
    CDuskarAktData v;
    v.word0 = 0x0A0B;
    v.word1 = 1;
    v.model = 19;
    v.ctWord = 0x8000 | 100;
    v.freqCode = 78; // 50.0 Hz
    v.current = 4000;
    v.word18 = 18;
    v.activeCurrent = 3600;
    v.reactiveCurrent = -1200;
    v.word1E = -25;
    v.cosPhi = 95;
    v.byte21 = 21;
    v.stageMask = 0x00FF;
    v.byte24 = 24;
    v.byte25 = 25;
    v.state = 1;
    v.flags = 0x20;
    v.byte28 = 28;
    v.thdUCode = 10;
    v.thdICode = 40;
    for (int i = 0; i < 9; ++i) {
        v.harmonicU[i] = BYTE(i);
        v.harmonicI[i] = BYTE(20 + i);
    }
    v.voltage = 2300;
    v.voltageP = 2300;
    v.chlCode = 30;
    v.byte45 = 45;
    v.vtCode = 0;
    v.missingCurrent = 200;
    v.temperature = 25;
    v.byte4B = 1;
    v.byte4C = 7;
    return v;
}

auto Tie(const CDuskarAktData& v)
{
    return std::tuple(v.word0, v.word1, v.model, v.ctWord, v.freqCode, v.current, v.word18, v.activeCurrent,
                      v.reactiveCurrent, v.word1E, v.cosPhi, v.byte21, v.stageMask, v.byte24, v.byte25, v.state,
                      v.flags, v.byte28, v.thdUCode, v.thdICode,
                      std::vector<BYTE>(std::begin(v.harmonicU), std::end(v.harmonicU)),
                      std::vector<BYTE>(std::begin(v.harmonicI), std::end(v.harmonicI)), v.voltage, v.voltageP,
                      v.chlCode, v.byte45, v.vtCode, v.missingCurrent, v.temperature, v.byte4B, v.byte4C);
}

class DuskarArchivTest : public ControllerStoreTest {
protected:
    void Start(CDuskarArchivData& store) { ControllerStoreTest::Start(store, QStringLiteral("linka")); }
};

TEST_F(DuskarArchivTest, FullAndChangedRecordsWithBothMasks)
{
    DuskarStore store;
    Start(store);
    CDuskarAktData v = Measured();
    EXPECT_EQ(store.AddMeasurementRecord(v), TRUE);
    const CArchivRecord full = store.Queued().back();
    EXPECT_EQ(full.type, kRecordFull);
    ASSERT_EQ(full.data.size(), CDuskarArchivData::kFullSize);
    EXPECT_EQ(full.data[0], char(95));               // cosPhi
    EXPECT_EQ(PayloadU16(full.data, 1), 0x0A0Bu);    // word0
    EXPECT_EQ(full.data[40], char(0));               // vtCode after the harmonics
    EXPECT_EQ(PayloadU16(full.data, 41), 2300u);     // voltage
    EXPECT_EQ(PayloadU16(full.data, 52), 0x00FFu);   // stageMask
    EXPECT_EQ(full.data[59], char(7));               // byte4C last

    EXPECT_EQ(store.AddMeasurementRecord(v), FALSE);
    EXPECT_EQ(store.Queued().back().data, QByteArray(6, '\0'));

    struct Case {
        const char* what;
        std::function<void(CDuskarAktData&)> change;
        std::uint32_t maskA;
        unsigned maskB;
        QByteArray fields;
    };
    const Case cases[] = {
        {"cosPhi", [](CDuskarAktData& x) { x.cosPhi = 90; }, 1u << 0, 0, QByteArray(1, char(90))},
        {"current harmonic 8", [](CDuskarAktData& x) { x.harmonicI[8] = 99; }, 1u << 30, 0, QByteArray(1, char(99))},
        {"vtCode", [](CDuskarAktData& x) { x.vtCode = 40; }, 1u << 31, 0, QByteArray(1, char(40))},
        {"voltage", [](CDuskarAktData& x) { x.voltage = 0x0102; }, 0, 1u << 0, QByteArray("\x02\x01", 2)},
        {"missingCurrent", [](CDuskarAktData& x) { x.missingCurrent = -2; }, 0, 1u << 4, QByteArray("\xFE\xFF", 2)},
        {"byte28", [](CDuskarAktData& x) { x.byte28 = 3; }, 0, 1u << 13, QByteArray(1, char(3))},
        {"byte4C is never a changed field", [](CDuskarAktData& x) { x.byte4C = 9; }, 0, 0, QByteArray()},
        {"word0 and stageMask", [](CDuskarAktData& x) { x.word0 = 0x1111; x.stageMask = 0x2222; }, 1u << 1, 1u << 8,
         QByteArray("\x11\x11\x22\x22", 4)},
    };
    for (const Case& c : cases) {
        CDuskarAktData next = v;
        c.change(next);
        EXPECT_EQ(store.AddMeasurementRecord(next), FALSE) << c.what;
        const CArchivRecord r = store.Queued().back();
        ASSERT_GE(r.data.size(), 6) << c.what;
        EXPECT_EQ(r.data.left(r.data.size() - 6), c.fields) << c.what;
        EXPECT_EQ(PayloadU32(r.data, r.data.size() - 6), c.maskA) << c.what;
        EXPECT_EQ(PayloadU16(r.data, r.data.size() - 2), c.maskB) << c.what;
        // Decoded over the previous values, the record gives the new ones
        // (but for the one field that only full records carry).
        CDuskarAktData back = v;
        ASSERT_EQ(CDuskarArchivData::DecodeDeltaRecord(back, r), TRUE) << c.what;
        next.byte4C = v.byte4C;
        EXPECT_EQ(Tie(back), Tie(next)) << c.what;
        v = next;
    }
}

TEST_F(DuskarArchivTest, SettingsAreAskedForWhenABlockStartsOrTheRatiosChange)
{
    DuskarStore store;
    Start(store);
    CDuskarAktData v = Measured();
    EXPECT_EQ(store.IsConfigChanged(v), TRUE);
    CDuskarConfig config;
    config.SetVtRatio(400);
    store.AddConfigRecord(config);
    const CArchivRecord r = store.Queued().back();
    EXPECT_EQ(r.type, kRecordSettings);
    ASSERT_EQ(r.data.size(), CDuskarConfig::kImageSize);
    CDuskarConfig back;
    ASSERT_EQ(CDuskarArchivData::ConfigFromRecord(r, back), TRUE);
    EXPECT_EQ(back.GetVtRatio(), 400);

    store.AddMeasurementRecord(v);
    EXPECT_EQ(store.IsConfigChanged(v), FALSE);
    CDuskarAktData other = v;
    other.vtCode = 40;
    EXPECT_EQ(store.IsConfigChanged(other), TRUE);
    other = v;
    other.ctWord = 0x8000 | 200;
    EXPECT_EQ(store.IsConfigChanged(other), TRUE);
    EndAndWrite(store);
    EXPECT_EQ(store.IsConfigChanged(v), TRUE);
}

TEST_F(DuskarArchivTest, RatiosFollowTheMeasurementsAndRescaleTheGraphsOnce)
{
    DuskarStore store;
    Start(store);
    FakeSeries series({"U", "Ieff", "Iact", "Irea", "dIrea", "Pac", "Pre", "dPre"});
    store.SetSeriesRegistry(&series);
    // Built with ratios 1: both scales are new.
    EXPECT_EQ(store.RescaleVoltageSeries(FALSE), TRUE);
    EXPECT_EQ(store.RescaleCurrentSeries(FALSE), TRUE);
    EXPECT_EQ(store.RescaleVoltageSeries(FALSE), FALSE);
    EXPECT_EQ(store.RescaleCurrentSeries(FALSE), FALSE);

    const struct {
        BYTE vtCode;
        float ratio;
    } vt[] = {{0, 1}, {141, 1}, {100, 1000}, {101, 1100}, {140, 5000}, {40, 400}};
    CDuskarAktData v = Measured();
    v.ctWord = 0x8001;
    for (const auto& c : vt) {
        v.vtCode = c.vtCode;
        store.AddMeasurementRecord(v);
        EXPECT_FLOAT_EQ(store.GetRatioU(), c.ratio) << int(c.vtCode);
    }
    EXPECT_EQ(store.RescaleVoltageSeries(FALSE), TRUE);
    EXPECT_EQ(store.RescaleVoltageSeries(FALSE), FALSE);
    EXPECT_EQ(store.RescaleCurrentSeries(FALSE), FALSE);
    EXPECT_EQ(series.ranges["U"], (std::pair<double, double>(0, 500 * 400)));
    EXPECT_EQ(series.units["U"], "kV");
    EXPECT_EQ(series.divisors["U"], 1000); // the axis counts in kV
    EXPECT_EQ(series.ranges["Pac"], (std::pair<double, double>(0, 4000 * 400)));
    EXPECT_EQ(series.units["dPre"], "kW,...");
    EXPECT_EQ(series.divisors["dPre"], 1000);
    store.AddMeasurementRecord(v); // same ratios: nothing new
    EXPECT_EQ(store.RescaleVoltageSeries(TRUE), FALSE);

    v.ctWord = 0x8000 | 2000;
    store.AddMeasurementRecord(v);
    float ratio = 0;
    QString format;
    int multiplier = 0;
    store.GetScaleI(ratio, format, multiplier);
    EXPECT_FLOAT_EQ(ratio, 2000);
    EXPECT_EQ(format, "%0.3f");
    EXPECT_EQ(multiplier, 1000);
    store.GetScalePower(format, multiplier);
    EXPECT_EQ(multiplier, 1000000); // 400 x 2000
    EXPECT_EQ(store.RescaleCurrentSeries(TRUE), TRUE);
    EXPECT_EQ(series.ranges["Irea"], (std::pair<double, double>(0, 10 * 2000)));
    EXPECT_EQ(series.units["Ieff"], "kA");
    EXPECT_EQ(series.divisors["Ieff"], 1000);
    EXPECT_EQ(series.ranges["Pre"], (std::pair<double, double>(-4000.0 * 800000, 4000.0 * 800000)));
    EXPECT_EQ(series.units["Pac"], "MW,...");
    EXPECT_EQ(series.divisors["Pac"], 1000000);
    store.SetSeriesRegistry(nullptr);
}

TEST_F(DuskarArchivTest, LiveGetters)
{
    DuskarStore store;
    Start(store);
    CDuskarAktData seen;
    int state = -1;
    store.GetLatestValues(seen, state);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(seen.cosPhi, CDuskarAktData::kNoCosPhi);
    CDuskarAktData v = Measured();
    store.AddMeasurementRecord(v);
    store.GetLatestValues(seen, state);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(Tie(seen), Tie(v));
    EXPECT_EQ(store.IsModel19Or21(), TRUE);
    EXPECT_EQ(store.GetLatestStatusBit5(), 1);
    v.model = 20;
    v.flags = 0;
    store.AddMeasurementRecord(v);
    EXPECT_EQ(store.IsModel19Or21(), FALSE);
    EXPECT_EQ(store.GetLatestStatusBit5(), 0);
}

TEST_F(DuskarArchivTest, RowTextsAndAxisNames)
{
    CDuskarArchivData reader;
    CDuskarArchivData::Columns all;
    all.fill(TRUE);
    EXPECT_EQ(reader.GetAxisNames(all),
              (QStringList{"Čas", "Cos []", "U [V]", "Fr [Hz]", "Pac [W]", "Pre [var]", "dPre [var]", "Ieff [A]",
                           "Iact [A]", "Irea [A]", "dIrea [A]", "THDI [%]", "THDU [%]", "CHL [%]", "T [C]"}));
    const CTime t(2024, 3, 10, 10, 25, 30);
    QStringList none{"10.03 10:25:30"};
    for (int i = 0; i < CDuskarArchivData::kColumnCount; ++i)
        none.append("--");
    EXPECT_EQ(reader.FormatRecordRow(all, nullptr, t), none);

    // Window scales of ratio 1: V "%0.1f", A "%0.3f", W "%0.0f".
    struct Case {
        const char* what;
        std::function<void(CDuskarAktData&)> set;
        QStringList texts;
    };
    const Case cases[] = {
        {"measured",
         [](CDuskarAktData&) {},
         {"0.95", "230.0", "50.0", "62100", "C20700", "L3450", "100.000", "90.000", "C30.000", "L5.000", "20.0",
          "5.0", "30.0", "25"}},
        {"voltage transformer 400",
         [](CDuskarAktData& v) { v.vtCode = 40; },
         {"0.95", "92000.0", "50.0", "24840000", "C8280000", "L1380000", "100.000", "90.000", "C30.000", "L5.000",
          "20.0", "5.0", "30.0", "25"}},
        {"no values",
         [](CDuskarAktData& v) { v = CDuskarArchivData::NoValues(); },
         {"--", "--", "--", "--", "--", "--", "--", "--", "--", "--", "--", "--", "--", "--"}},
        // A power needs both its current and the voltage word.
        {"power voltage missing",
         [](CDuskarAktData& v) { v.voltageP = -1; },
         {"0.95", "230.0", "50.0", "--", "--", "--", "100.000", "90.000", "C30.000", "L5.000", "20.0", "5.0", "30.0",
          "25"}},
        {"active current missing",
         [](CDuskarAktData& v) { v.activeCurrent = 32767; },
         {"0.95", "230.0", "50.0", "--", "C20700", "L3450", "100.000", "--", "C30.000", "L5.000", "20.0", "5.0",
          "30.0", "25"}},
        {"small current and voltage",
         [](CDuskarAktData& v) { v.current = 6; v.voltage = 299; },
         {"--", "29.9", "50.0", "62100", "C20700", "L3450", "0.150", "90.000", "C30.000", "L5.000", "--", "--",
          "--", "25"}},
    };
    for (const Case& c : cases) {
        CDuskarAktData v = Measured();
        c.set(v);
        EXPECT_EQ(reader.FormatRecordRow(all, &v, t), QStringList{"10.03 10:25:30"} + c.texts) << c.what;
    }
}

// Writer, compound file, walk, rows and window scales.
TEST_F(DuskarArchivTest, FileRoundTrip)
{
    const CTime begin = m_clock.Get();
    std::vector<CDuskarAktData> written;
    {
        DuskarStore store;
        Start(store);
        CDuskarAktData v = Measured();
        for (int block = 0; block < 2; ++block) {
            CDuskarConfig config;
            config.SetVtRatio(block == 0 ? 100 : 400);
            config.SetCtRatio(10000, 5); // 2000
            store.AddConfigRecord(config);
            for (int i = 0; i < 4; ++i) {
                v.current = WORD(4000 + 40 * i);
                v.voltage = std::int16_t(2300 + block);
                v.byte4C = BYTE(block);
                store.AddMeasurementRecord(v);
                written.push_back(v);
                m_clock.Advance(60);
            }
            if (block == 0)
                store.AddRecord(QStringLiteral("Výpadek"), kRecordError);
            EndAndWrite(store);
        }
    }
    CDuskarArchivData reader;
    Prepare(reader);
    ASSERT_EQ(reader.Open(Path("linka.dsk")), 1);
    ASSERT_EQ(reader.ReadHeader(), 1);
    FakeSeries series({"U", "Ieff", "Pac"});
    reader.SetSeriesRegistry(&series);
    ASSERT_EQ(reader.Window().Load(reader, WrittenSlots(reader), begin, 3600), 1);

    ASSERT_EQ(reader.FirstRecord(), 1);
    CDuskarAktData seen;
    int state = 0;
    for (std::size_t i = 0; i < written.size(); ++i) {
        reader.GetLatestValues(seen, state);
        EXPECT_EQ(Tie(seen), Tie(written[i])) << i;
        CDuskarConfig config;
        ASSERT_EQ(reader.GetConfigAt(config), 1);
        EXPECT_EQ(config.GetVtRatio(), i < 4 ? 100 : 400) << i;
        EXPECT_EQ(reader.NextRecord(), i + 1 < written.size() ? 1 : 0) << i;
    }

    const QStringList texts = reader.GetWindowTexts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].endsWith("linka.dsk")) << texts[0].toStdString();
    EXPECT_EQ(texts[1], (begin + CTimeSpan(360)).Format("%d.%m %H:%M")); // slot time of the second block
    EXPECT_EQ(texts[3], (begin + CTimeSpan(480)).Format("%d.%m %H:%M:%S"));

    // Largest ratios of the window: VT 400, CT 2000, product 800000.
    reader.UpdateSeriesScales(FALSE);
    const CVKWindowScales scales = reader.GetWindowScales();
    EXPECT_EQ(scales.voltage.multiplier, 1000);
    EXPECT_EQ(scales.current, (CArchivNumberFormat{"%0.3f", 1000}));
    EXPECT_EQ(scales.power.multiplier, 1000000);
    EXPECT_EQ(series.ranges["U"], (std::pair<double, double>(0, 500 * 400)));
    EXPECT_EQ(series.ranges["Pac"], (std::pair<double, double>(0, 4000.0 * 800000)));
    const CDuskarArchivData::Columns columns{FALSE, TRUE, FALSE, FALSE, FALSE, FALSE, TRUE};
    EXPECT_EQ(reader.GetAxisNames(columns), (QStringList{"Čas", "U [kV]", "Ieff [kA]"}));

    EXPECT_EQ(reader.Window().rowCounts, (std::vector<int>{5, 4}));
    int count = 0;
    int first = -1;
    std::vector<int> offsets;
    const std::vector<QStringList> rows = reader.GetRecordRows(5, columns, count, first, &offsets);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(count, 7);
    ASSERT_EQ(rows.size(), 7u);
    // Row voltage: its own VT (code 0 in the values: 1) x 0.1, in kV.
    EXPECT_EQ(rows[0], (QStringList{(begin + CTimeSpan(120)).Format("%d.%m %H:%M:%S"), "0.23", "0.102"}));
    EXPECT_EQ(rows[2].mid(1), (QStringList{"--", "--"})); // the error record
    EXPECT_EQ(rows[3][1], "0.23");
    EXPECT_EQ(offsets[3], 5 * 60);
    reader.SetSeriesRegistry(nullptr);
}

// The measurement thread queues while the main thread reads the newest
// values, scales and ranges; every reader sees one whole measurement.
TEST_F(DuskarArchivTest, LiveReadersBesideTheMeasurementThread)
{
    DuskarStore store;
    Prepare(store);
    FakeSeries series({"U", "Ieff", "Pac"});
    store.SetSeriesRegistry(&series);
    constexpr int kPolls = 2000;
    std::thread writer([&store] {
        CDuskarAktData v = Measured();
        for (int i = 0; i < kPolls; ++i) {
            v.vtCode = BYTE(i % 3 == 0 ? 40 : 10);
            v.current = WORD(1000 + i);
            v.voltageP = std::int16_t(1000 + i); // the two words always agree
            if (store.IsConfigChanged(v))
                store.AddConfigRecord(CDuskarConfig());
            store.AddMeasurementRecord(v);
            if (i % 100 == 99)
                store.EndBlock(FALSE, FALSE, 60);
        }
    });
    int torn = 0;
    for (int i = 0; i < kPolls; ++i) {
        CDuskarAktData seen;
        int state = 0;
        store.GetLatestValues(seen, state);
        if (state == 1 && WORD(seen.voltageP) != seen.current)
            ++torn;
        store.RescaleVoltageSeries(FALSE);
        float ratio = 0;
        QString format;
        int multiplier = 0;
        store.GetScaleU(ratio, format, multiplier);
        (void)store.FormatValues();
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    CDuskarAktData last;
    int state = 0;
    store.GetLatestValues(last, state);
    EXPECT_EQ(last.current, 1000 + kPolls - 1);
    store.SetSeriesRegistry(nullptr);
}

TEST_F(DuskarArchivTest, DamagedRecordsLeaveTheValuesAlone)
{
    CDuskarAktData v = Measured();
    const auto before = Tie(v);
    const QByteArray bad[] = {
        QByteArray(5, '\0'),                                 // shorter than the masks
        QByteArray("\x01\x00\x00\x00\x00\x00", 6),           // cosPhi announced, not there
        QByteArray("\x05\x00\x00\x00\x00\x01\x00", 7),       // voltage announced, one byte there
        QByteArray("\x05\x07\x01\x00\x00\x00\x00\x00", 8),   // one byte too many
    };
    for (const QByteArray& data : bad) {
        EXPECT_EQ(CDuskarArchivData::DecodeDeltaRecord(v, {1, kRecordChanged, data}), FALSE) << data.toHex().data();
        EXPECT_EQ(Tie(v), before);
    }
    EXPECT_EQ(CDuskarArchivData::DecodeFullRecord(v, {1, kRecordFull, QByteArray(61, '\0')}), FALSE);
    EXPECT_EQ(Tie(v), before);
    CDuskarArchivData reader;
    reader.Window().records = {{1, kRecordChanged, QByteArray(6, '\0')}, {2, kRecordFull, QByteArray(59, '\0')}};
    EXPECT_EQ(reader.FirstRecord(), 0);
    EXPECT_EQ(reader.NextRecord(), 0);
}

} // namespace
} // namespace storetest
