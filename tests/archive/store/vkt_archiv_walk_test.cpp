#include "vkt_archiv_support.h"

#include "model/QuantityNames.h"
#include "platform/Cp1250.h"

namespace storetest::vkt {
namespace {

QByteArray ImageOf(const CVKTConfig& c)
{
    QByteArray image(CVKTConfig::kImageSize, '\0');
    c.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    return image;
}

QByteArray ImageOf(const CVKTStatus& s)
{
    QByteArray image(CVKTStatus::kImageSize, '\0');
    s.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    return image;
}

// A status whose archive description keeps the voltage of input 1 and the frequency.
CVKTStatus VoltageStatus()
{
    CVKTStatus status;
    status.GetArch().SetSelection(CVKTArch::SelVoltage, 0x01);
    status.GetArch().SetSelection(CVKTArch::SelFlags, 0x01);
    return status;
}

CVKTArchivData::Selection Select(std::initializer_list<int> quantities)
{
    CVKTArchivData::Selection s{};
    for (int q : quantities)
        s[std::size_t(q)] = 1;
    return s;
}

int Q(const char* name)
{
    for (std::size_t q = 0; q < VKTQuantityNames.size(); ++q) {
        if (VKTQuantityNames[q] == QLatin1String(name))
            return int(q);
    }
    ADD_FAILURE() << name;
    return 0;
}

class VKTWalkTest : public StoreTest {
protected:
    static constexpr int kRecordsPerBlock = 20;

    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(recorder);
        ASSERT_EQ(recorder.Create(4 * kRecordsPerBlock * 60, kRecordsPerBlock, 60, Path("hala"),
                                  CVKTArchivData::Extension(), TRUE, TRUE, QStringLiteral("Hala")),
                  1);
    }

    // Ends the collected block and writes it (slot 0 for the first one).
    void WriteBlock()
    {
        const int mode = recorder.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(recorder.Flush(FALSE, mode, QStringLiteral("Hala")), 1);
    }

    // A reader over the window of the first block.
    void OpenReader(int blocks = 1)
    {
        Prepare(reader);
        ASSERT_EQ(reader.Open(Path("hala.vkt")), 1);
        ASSERT_EQ(reader.LoadWindow(0, blocks, CTime(2024, 3, 10, 10, 0, 0), 4 * 3600), 1);
    }

    std::uint32_t Tick()
    {
        m_clock.Advance(60);
        return m_clock.Get().GetTime();
    }

    VKTStore recorder;
    VKTStore reader;
};

TEST_F(VKTWalkTest, RecordedMeasurementsWalkBackWithTheirSettings)
{
    recorder.AddConfigRecord(MakeConfig(100, 50, CVKTConfig::Star));
    CIden iden;
    iden.number = 4711;
    recorder.AddIdenRecord(iden);
    for (int i = 0; i < 12; ++i) {
        m_clock.Advance(60);
        recorder.AddMeasurementRecord(MakeValues(0x7F | (i >= 6 ? 0x80 : 0), i % 4));
        if (i == 3)
            recorder.AddRecord(QStringLiteral("Přístroj neodpovídá"), kRecordError);
    }
    WriteBlock();
    OpenReader();
    EXPECT_EQ(reader.GetWindowRowCount(), 13);

    ASSERT_EQ(reader.FirstRecord(), 1);
    int walked = 1;
    EXPECT_EQ(reader.GetCurrentValues().PackFull(), MakeValues(0x7F, 0).PackFull());
    while (reader.NextRecord()) {
        const int i = walked++;
        EXPECT_EQ(reader.GetCurrentIndex(), i);
        EXPECT_EQ(reader.GetCurrentValues().PackFull(), MakeValues(0x7F | (i >= 6 ? 0x80 : 0), i % 4).PackFull())
            << i;
    }
    EXPECT_EQ(walked, 12);
    EXPECT_EQ(reader.GetRatioU(), 100.0f);
    EXPECT_EQ(reader.GetRatioI(), 50.0f);

    CVKTConfig config;
    ASSERT_EQ(reader.GetConfigAt(config), 1);
    EXPECT_EQ(config.GetVtPrimary(), 100);
    CIden idenAt;
    ASSERT_EQ(reader.GetIdenAt(idenAt), 1);
    EXPECT_EQ(idenAt.number, 4711);
    EXPECT_EQ(reader.GetModelIndex(), iden.GetVKTModelIndex());
    EXPECT_EQ(reader.GetArchiveFileName(), QStringLiteral("hala"));
    CVKTStatus status;
    EXPECT_EQ(reader.GetStatusRecord(status), 0);

    const CVKTArchivData::WindowTexts texts = reader.GetWindowTexts();
    EXPECT_EQ(texts.fileName, Path("hala.vkt"));
    EXPECT_EQ(texts.currentTime, QStringLiteral("10.03 10:37:30"));
}

TEST_F(VKTWalkTest, RowsStartThreeBeforeTheIndexAndShowErrorsAsDashes)
{
    recorder.AddConfigRecord(MakeConfig(CVKTConfig::kUnset, CVKTConfig::kUnset, CVKTConfig::Star));
    for (int i = 0; i < 13; ++i) {
        m_clock.Advance(60);
        if (i == 4)
            recorder.AddRecord(QStringLiteral("Přístroj neodpovídá"), kRecordError);
        else
            recorder.AddMeasurementRecord(MakeValues(0x1F, i));
    }
    WriteBlock();
    OpenReader();
    const CVKTArchivData::Selection sel = Select({Q("U1"), Q("Fr")});

    struct Case {
        int index;
        int first;
        int count;
    };
    for (const Case& c : {Case{5, 2, 10}, Case{0, 0, 10}, Case{12, 9, 4}, Case{13, -1, 0}}) {
        int count = -1;
        int first = -2;
        std::vector<int> offsets;
        const std::vector<QStringList> rows = reader.GetRecordRows(c.index, sel, count, first, &offsets);
        EXPECT_EQ(first, c.first) << c.index;
        EXPECT_EQ(count, c.count) << c.index;
        ASSERT_EQ(int(rows.size()), count);
        ASSERT_EQ(int(offsets.size()), count);
        for (int r = 0; r < count; ++r) {
            const int row = first + r;
            // Records one minute apart from 10:26:30 on; the window starts at 10:00.
            EXPECT_EQ(offsets[std::size_t(r)], 26 * 60 + 30 + 60 * row);
            ASSERT_EQ(rows[std::size_t(r)].size(), 3);
            if (row == 4) {
                EXPECT_EQ(rows[std::size_t(r)][1], QStringLiteral("--"));
                EXPECT_EQ(rows[std::size_t(r)][2], QStringLiteral("--"));
            } else {
                EXPECT_EQ(rows[std::size_t(r)][1], QString::number((9200 + row) * 0.025, 'f', 1)) << row;
                EXPECT_EQ(rows[std::size_t(r)][2], QString::number((5000 + row) * 0.01, 'f', 2)) << row;
            }
        }
    }
}

TEST_F(VKTWalkTest, AWindowBeginningWithChangesStartsAtItsFirstFullRecord)
{
    const CAktData a = MakeValues(0x11, 1);
    const CAktData b = MakeValues(0x11, 2);
    const CAktData c = MakeValues(0x11, 3);
    recorder.Queue(Tick(), kRecordChanged, c.PackDifference(b)); // its full record is in an older block
    recorder.Queue(Tick(), kRecordSettings, ImageOf(MakeConfig(CVKTConfig::kUnset, CVKTConfig::kUnset, 2)));
    recorder.Queue(Tick(), kRecordFull, a.PackFull());
    recorder.Queue(Tick(), kRecordSettings, ImageOf(MakeConfig(100, CVKTConfig::kUnset, 2)));
    recorder.Queue(Tick(), kRecordChanged, b.PackDifference(a));
    WriteBlock();
    OpenReader();

    ASSERT_EQ(reader.FirstRecord(), 1);
    EXPECT_EQ(reader.GetCurrentIndex(), 1);
    EXPECT_EQ(reader.GetCurrentValues().PackFull(), a.PackFull());
    ASSERT_EQ(reader.NextRecord(), 1);
    EXPECT_EQ(reader.GetCurrentIndex(), 2);
    EXPECT_EQ(reader.GetCurrentValues().PackFull(), b.PackFull());
    EXPECT_EQ(reader.GetRatioU(), 100.0f);
    EXPECT_EQ(reader.NextRecord(), 0);

    // The first row has no full record to apply its changes to.
    int count = 0;
    int first = 0;
    const auto rows = reader.GetRecordRows(0, Select({Q("U1")}), count, first, nullptr);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(rows[0][1], QStringLiteral("--"));
    EXPECT_EQ(rows[1][1], QString::number((9200 + 1) * 0.025, 'f', 1));
    // The second settings record applies to the rows after it.
    EXPECT_EQ(rows[2][1], QString::number((9200 + 2) * 0.025 * 100, 'f', 1));
}

TEST_F(VKTWalkTest, SettingsInForceFallBackToTheFirstOfTheWindow)
{
    const CAktData a = MakeValues(0x11, 1);
    recorder.Queue(Tick(), kRecordFull, a.PackFull());
    recorder.Queue(Tick(), kRecordSettings, ImageOf(MakeConfig(100, CVKTConfig::kUnset, 2)));
    recorder.Queue(Tick(), kRecordSettings, QByteArray(10, '\x01')); // too short to be settings
    recorder.Queue(Tick(), kRecordChanged, a.PackDifference(a));
    WriteBlock();
    OpenReader();
    // The graph formats follow the largest ratios of the window, walked or not.
    reader.UpdateSeriesScales(TRUE);
    EXPECT_EQ(reader.GetAxisNames(Select({Q("U1")})), (QStringList{"Čas", "U1 [kV]"}));

    ASSERT_EQ(reader.FirstRecord(), 1);
    CVKTConfig config;
    ASSERT_EQ(reader.GetConfigAt(config), 1);
    EXPECT_EQ(config.GetVtPrimary(), 100);
    CIden iden;
    iden.number = 77;
    EXPECT_EQ(reader.GetIdenAt(iden), 0);
    EXPECT_EQ(iden.number, 77);
    ASSERT_EQ(reader.NextRecord(), 1);
    ASSERT_EQ(reader.GetConfigAt(config), 1);
    EXPECT_EQ(config.GetVtPrimary(), 100);
}

TEST_F(VKTWalkTest, InstrumentRecordsNeedTheirStatusDescription)
{
    const CVKTStatus status = VoltageStatus();
    CAktData described;
    described.SetArchiveLayout(status);
    described.GetPhase(0)->voltage = 9200;
    described.SetFrequencyWord(4990);

    struct Case {
        const char* what;
        std::vector<std::uint8_t> types; // 10 status, 12 instrument record, 2 full record
        int statusFound;
        bool voltageShown;
    };
    const Case cases[] = {
        {"status first", {10, 12}, 1, true},
        {"instrument record first", {12, 10, 12}, 1, false},
        {"full record first", {2, 10, 12}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VKTStore writer;
        Prepare(writer);
        const QString name = Path(QLatin1String(c.what).toString().replace(' ', '_'));
        ASSERT_EQ(writer.Create(4 * 60, 1, 60, name, CVKTArchivData::Extension(), TRUE, TRUE, "Hala"), 1);
        for (std::uint8_t type : c.types) {
            const QByteArray data = type == 10 ? ImageOf(status)
                                    : type == 12 ? described.Pack()
                                                 : MakeValues(0x11).PackFull();
            writer.Queue(Tick(), type, data);
        }
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, "Hala"), 1);

        CVKTArchivData read;
        Prepare(read);
        ASSERT_EQ(read.Open(name + CVKTArchivData::Extension()), 1);
        ASSERT_EQ(read.LoadWindow(0, 1, CTime(2024, 3, 10, 10, 0, 0), 7200), 1);
        CVKTStatus found;
        EXPECT_EQ(read.GetStatusRecord(found), c.statusFound);
        ASSERT_EQ(read.FirstRecord(), 1);
        if (c.types[0] == 12) {
            EXPECT_FALSE(read.GetCurrentValues().HasVoltage(0, CAktData::Average));
        }
        if (c.voltageShown) {
            EXPECT_DOUBLE_EQ(read.GetCurrentValues().GetVoltage(0, CAktData::Average), 230.0);
            EXPECT_DOUBLE_EQ(read.GetCurrentValues().GetFrequency(CAktData::Average), 49.9);
        }
        // Walk to the last record: an instrument record after its status decodes.
        while (read.NextRecord()) {
        }
        if (c.types.back() == 12 && c.types.size() > 1) {
            EXPECT_DOUBLE_EQ(read.GetCurrentValues().GetVoltage(0, CAktData::Average), 230.0);
        }
    }
}

// ---- value texts --------------------------------------------------------------------

class VKTRowTextTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(store);
    }
    QStringList Row(const CAktData* v, std::initializer_list<const char*> names, int connection, float vt = 1.0f,
                    float ct = 1.0f)
    {
        CVKTArchivData::Selection sel{};
        for (const char* n : names)
            sel[std::size_t(Q(n))] = 1;
        QStringList row = store.FormatRecordRow(sel, v, CTime(2024, 3, 10, 10, 25, 30), ct, vt, 1.0f, 1.0f,
                                                connection);
        EXPECT_EQ(row.takeFirst(), QStringLiteral("10.03 10:25:30"));
        return row;
    }
    VKTStore store;
};

TEST_F(VKTRowTextTest, ConnectionTypesHideTheChannelsTheyLack)
{
    const CAktData v = MakeValues(0x1F);
    // Texts come in table order.
    const auto names = {"U1", "U4", "I1", "I2", "PF1", "PF4", "cos1", "cos4", "U3,1", "U1,2", "P1", "3P", "P4", "3Q", "3S"};
    struct Case {
        int connection;
        QStringList expected;
    };
    const Case cases[] = {
        {4, {"230.0", "-N-", "5.0000", "-N-", "-N-", "-N-", "-N-", "-N-", "400.0", "400.3", "-N-", "2002.00", "-N-",
             "202.00", "2302.59"}},
        {0, {"230.0", "-N-", "5.0000", "-N-", "0.87", "-N-", "L+1.00", "-N-", "-N-", "-N-", "1000.0", "-N-", "-N-",
             "-N-", "-N-"}},
        {1, {"230.0", "-N-", "5.0000", "5.0002", "0.87", "-N-", "L+1.00", "-N-", "400.0", "-N-", "1000.0", "2001.00",
             "-N-", "201.00", "2301.30"}},
        {5, {"230.0", "230.8", "5.0000", "5.0002", "0.87", "0.87", "L+1.00", "L+1.00", "400.0", "400.3", "1000.0",
             "3003.00", "1003.0", "303.00", "3453.89"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Row(&v, names, c.connection), c.expected) << c.connection;
}

TEST_F(VKTRowTextTest, FlagsAndAnglesMarkTheirTexts)
{
    CAktData v = MakeValues(0x1F);
    v.GetPhase(1)->angle = 20000;  // 2.0 rad
    v.GetPhase(2)->angle = -5000;  // -0.5 rad
    v.GetPhase(3)->angle = -20000; // -2.0 rad
    EXPECT_EQ(Row(&v, {"cos1", "cos2", "cos3", "cos4"}, 5), (QStringList{"L+1.00", "C-0.42", "C+0.88", "L-0.42"}));

    v.SetStatusA(0x01 | 0x20); // voltage 1 and current 2 overloaded
    v.SetStatusB(0x04);        // voltage 3 zero
    EXPECT_EQ(Row(&v, {"U1", "U2", "U3", "I2", "3PF", "cos1", "U3,1", "U2,3", "P2", "P3", "3P", "THDU3"}, 2),
              (QStringList{"E230.0", "230.3", "0.0", "E5.0002", "--", "--", "E400.0", "E400.5", "E1001.0", "0.0", "-N-",
                           "--"}));
    v.SetStatusB(0x05); // voltages 1 and 3 zero: U3,1 (channels 3 and 1) is zero
    EXPECT_EQ(Row(&v, {"U2,3"}, 2), QStringList{"0.0"});

    // A current THD the instrument could not give is no number.
    v.SetStatusA(0);
    v.SetStatusB(0);
    v.GetPhase(0)->thdI = 0xFFFF;
    EXPECT_EQ(Row(&v, {"THDI1", "THDI2"}, 2), (QStringList{"--", "8.0"}));

    // Without values every quantity is "--".
    EXPECT_EQ(Row(nullptr, {"U1", "3P", "T"}, 2), (QStringList{"--", "--", "--"}));
}

TEST_F(VKTRowTextTest, RatiosScaleAndTheWindowFormatsChooseUnits)
{
    const CAktData v = MakeValues(0x1F);
    const auto names = {"U1", "U4", "I1", "P1", "3P", "Q4", "PF1", "Fr", "T", "THDU1"};
    CVKTArchivData::Selection sel{};
    for (const char* n : names)
        sel[std::size_t(Q(n))] = 1;
    EXPECT_EQ(store.GetAxisNames(sel), (QStringList{"Čas", "U1 [V]", "U4 [V]", "I1 [A]", "PF1 []", "Fr [Hz]", "T [C]",
                                                    "P1 [W]", "3P [W]", "Q4 [var]", "THDU1 [%]"}));

    // The window's settings: 100 / 50 on inputs 1 to 3, none on input 4.
    store.AddConfigRecord(MakeConfig(100, 50, CVKTConfig::FourPhase));
    SeriesLog series;
    store.SetSeriesRegistry(&series);
    store.UpdateSeriesScales(FALSE);
    // Powers of every channel follow the larger power ratio; the unscaled
    // three-phase totals keep the base unit.
    EXPECT_EQ(store.GetAxisNames(sel), (QStringList{"Čas", "U1 [kV]", "U4 [V]", "I1 [A]", "PF1 []", "Fr [Hz]",
                                                    "T [C]", "P1 [MW]", "3P [W]", "Q4 [Mvar]", "THDU1 [%]"}));
    const QStringList row = Row(&v, names, 5, 100.0f, 50.0f);
    EXPECT_EQ(row[0], QStringLiteral("23.0000")); // kV, voltage set A
    EXPECT_EQ(row[1], QStringLiteral("230.8"));   // input 4 without transformer
    EXPECT_EQ(row[2], QStringLiteral("250.00"));  // current set B follows 50
    EXPECT_EQ(row[6], QStringLiteral("5.0000"));  // 1000 W x 5000 in MW
    EXPECT_EQ(row[7], QStringLiteral("15015000.00")); // 3P unscaled

    EXPECT_EQ(series.units.at("U1"), QStringLiteral("kV"));
    EXPECT_EQ(series.units.at("U2,3"), QStringLiteral("kV"));
    EXPECT_EQ(series.units.at("I4"), QStringLiteral("A"));
    EXPECT_EQ(series.units.at("3S"), QStringLiteral("MW,..."));
    // Ranges stay in V, A, W: the axes divide them by what the prefix means.
    EXPECT_EQ(series.divisors.at("U1"), 1000);
    EXPECT_EQ(series.divisors.at("I4"), 1);
    EXPECT_EQ(series.divisors.at("3S"), 1000000);
    EXPECT_EQ(series.ranges.at("U1"), (std::pair<double, double>{0.0, 50000.0}));
    EXPECT_EQ(series.ranges.at("P1"), (std::pair<double, double>{0.0, 4000.0 * 5000.0}));
    EXPECT_EQ(series.ranges.count("Fr"), 0u);
    store.UpdateSeriesScales(TRUE);
    EXPECT_EQ(series.ranges.at("Q1").first, -4000.0 * 5000.0);
    EXPECT_EQ(series.ranges.at("Q4").first, -4000.0); // input 4 without transformers

    // The live rescale follows the settings once per change.
    series.ranges.clear();
    EXPECT_EQ(store.RescaleCurrentSeries(TRUE), 1);
    EXPECT_EQ(series.ranges.at("I1"), (std::pair<double, double>{0.0, 10.0 * 50.0}));
    EXPECT_EQ(store.RescaleCurrentSeries(TRUE), 0);
}

// The fourth input's own transformers range U4, I4 and channel 4's powers,
// in the archive's window and in the live rescale alike.
TEST_F(VKTRowTextTest, FourthInputRangesFollowItsOwnRatios)
{
    // Inputs 1 to 3: 100 and 50; input 4: 20 and 10.
    store.AddConfigRecord(MakeConfig(100, 50, CVKTConfig::FourPhase, 20, 10));
    SeriesLog series;
    store.SetSeriesRegistry(&series);
    using Range = std::pair<double, double>;
    const Range u{0.0, 500.0 * 100}, i{0.0, 10.0 * 50}, p{-4000.0 * 5000, 4000.0 * 5000};
    const Range u4{0.0, 500.0 * 20}, i4{0.0, 10.0 * 10}, p4{-4000.0 * 200, 4000.0 * 200};
    const std::pair<const char*, Range> expected[] = {
        {"U1", u}, {"U3,1", u}, {"U4", u4}, {"I3", i}, {"I4", i4},
        {"P1", p}, {"3S", p},   {"P4", p4}, {"Q4", p4}, {"S4", p4},
    };
    store.UpdateSeriesScales(TRUE);
    for (const auto& [name, range] : expected)
        EXPECT_EQ(series.ranges.at(name), range) << "window " << name;

    series.ranges.clear();
    ASSERT_EQ(store.RescaleVoltageSeries(TRUE), 1);
    ASSERT_EQ(store.RescaleCurrentSeries(TRUE), 1);
    for (const auto& [name, range] : expected)
        EXPECT_EQ(series.ranges.at(name), range) << "live " << name;
}

} // namespace
} // namespace storetest::vkt
