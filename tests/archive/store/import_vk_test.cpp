#include "import_support.h"

using namespace importtest;
using storetest::StoreTest;

namespace {

constexpr int kStride = 13; // three voltages, three currents, frequency

CVKRecordLayout SmallLayout()
{
    CVKRecordLayout layout;
    for (int c : {0, 1, 2, 3, 4, 5, 10})
        layout.columns[std::size_t(c)] = 1;
    return layout;
}

void PutWord(std::vector<BYTE>& out, int value)
{
    out.push_back(BYTE(value >> 8));
    out.push_back(BYTE(value));
}

// Records with values that change from one to the next; `outages` lists the
// records that hold no value at all.
std::vector<BYTE> Records(int count, std::initializer_list<int> outages = {})
{
    std::vector<BYTE> out;
    for (int i = 0; i < count; ++i) {
        const bool none = std::find(outages.begin(), outages.end(), i) != outages.end();
        for (int k = 0; k < 3; ++k)
            PutWord(out, none ? 0xFFFF : 2300 + i % 7 + k);
        for (int k = 0; k < 3; ++k)
            PutWord(out, none ? 0x7FFF : 3200 + i % 5);
        out.push_back(none ? 0xFF : BYTE(100 + i % 3));
    }
    return out;
}

CImportRawBlock Block(const std::vector<BYTE>& bytes, int first, int count)
{
    return {count, kStride, bytes.data() + std::ptrdiff_t(first) * kStride};
}

class VKImportTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(m_import);
    }

    // NewHeader, the first block with events, the others plain, end events.
    void ImportAll(const std::vector<BYTE>& bytes, int count, int perBlock, CTime start)
    {
        ASSERT_EQ(m_import.NewHeader(Path("dl.vk"), QStringLiteral("Hala")), 1);
        CTime cursor = start;
        for (int first = 0; first < count; first += perBlock) {
            const int n = std::min(perBlock, count - first);
            const auto block = Block(bytes, first, n);
            if (first == 0)
                m_import.ImportDownloadedBlockWithEvents(cursor, block, SmallLayout(), kPeriod, m_status, m_config,
                                                         m_iden);
            else
                m_import.ImportDownloadedBlock(cursor, block, SmallLayout(), kPeriod, m_status, m_config, m_iden);
        }
        ASSERT_EQ(m_import.AddDownloadEvent(CTime(cursor.GetTime() - kPeriod)), 1);
    }

    static constexpr int kPeriod = 60;
    const CTime m_start{2024, 1, 15, 8, 0, 0};
    CVKDownloadArchivData m_import;
    CVKStatus m_status;
    CVKConfig m_config;
    CIden m_iden;
};

TEST_F(VKImportTest, BlocksOfHundredCountedRecordsEachOpenedByTheHeaderRecords)
{
    const auto bytes = Records(250);
    ImportAll(bytes, 250, 70, m_start);

    const auto blocks = ReadBlocks(Path("dl.vk"));
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(Counted(blocks[0]), 100);
    EXPECT_EQ(Counted(blocks[1]), 100);
    EXPECT_EQ(Counted(blocks[2]), 50);
    EXPECT_EQ(Shape(blocks[0]).at(3), "7:Začátek Off-line dat. ");
    for (std::size_t b : {1u, 2u}) {
        const auto shape = Shape(blocks[b]);
        EXPECT_EQ(std::vector<std::string>(shape.begin(), shape.begin() + 4),
                  (std::vector<std::string>{"10", "1", "9", "2"}))
            << "block " << b;
        EXPECT_EQ(blocks[b][0].time, blocks[b][3].time);
    }
    EXPECT_EQ(Shape(blocks[2]).back(), "7:Konec Off-line dat. ");
    // Slot k holds block k + 1; the table gives each block's first record.
    const std::uint32_t t0 = m_start.GetTime();
    EXPECT_EQ(ReadSlotTable(Path("dl.vk")), (std::vector<std::uint32_t>{t0, t0 + 100 * kPeriod, t0 + 200 * kPeriod}));
    // Records are one period apart and the end events stand at the last record.
    const auto times = DataTimes(blocks);
    ASSERT_EQ(times.size(), 250u);
    EXPECT_EQ(times.back(), t0 + 249 * kPeriod);
    EXPECT_EQ(blocks[2].back().time, t0 + 249 * kPeriod);

    // The values read back through the family's decoders.
    CVKAktData values;
    ASSERT_EQ(CVKArchivData::DecodeFullRecord(values, blocks[1][3]), 1);
    EXPECT_EQ(values.GetU(2), 2300 + 100 % 7 + 2);
    EXPECT_EQ(values.GetI(0), 3200 + 100 % 5);
    EXPECT_EQ(values.GetFrequencyCode(), 100 + 100 % 3);
    EXPECT_EQ(values.GetP(0), CVKAktData::kNoPower);
}

TEST_F(VKImportTest, RecordWithoutAnyValueIsAnOutageThatCounts)
{
    const auto bytes = Records(101, {5});
    ImportAll(bytes, 101, 101, m_start);
    const auto blocks = ReadBlocks(Path("dl.vk"));
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(Counted(blocks[0]), 100);
    int outages = 0;
    for (const CArchivRecord& r : blocks[0]) {
        if (r.type == kRecordError) {
            ++outages;
            EXPECT_EQ(Text(r), QStringLiteral("Výpadek přístroje."));
            EXPECT_EQ(r.time, m_start.GetTime() + 5 * kPeriod);
        }
    }
    EXPECT_EQ(outages, 1);
}

TEST_F(VKImportTest, ClockDisagreementFramesTheOfflineData)
{
    m_import.SetClockAgreement(0);
    const auto bytes = Records(3);
    ImportAll(bytes, 3, 3, m_start);
    const auto blocks = ReadBlocks(Path("dl.vk"));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(Shape(blocks[0]),
              (std::vector<std::string>{"10", "1", "9", "7:Začátek Off-line dat. ",
                                        "7:Čas přístroje neodpovídá času PC  (Začátek).  ", "2", "3", "3",
                                        "7:Čas přístroje neodpovídá času PC  (Konec).  ", "7:Konec Off-line dat. "}));
}

TEST_F(VKImportTest, RangedImportKeepsOnlyTheRange)
{
    const auto bytes = Records(10);
    const std::uint32_t t0 = m_start.GetTime();
    struct Case {
        const char* name;
        std::uint32_t from;
        std::uint32_t to;
        int result;
        std::vector<std::uint32_t> times;
    };
    const Case cases[] = {
        {"to inside", t0 + 2 * kPeriod, t0 + 4 * kPeriod, 0, {t0 + 120, t0 + 180, t0 + 240}},
        {"block before from", t0 + 20 * kPeriod, t0 + 30 * kPeriod, 1, {}},
        {"whole block", t0, t0 + 9 * kPeriod, 1, {t0, t0 + 60, t0 + 120, t0 + 180, t0 + 240, t0 + 300, t0 + 360,
                                                   t0 + 420, t0 + 480, t0 + 540}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVKDownloadArchivData import;
        Prepare(import);
        const QString path = Path(QString::fromLatin1(c.name) + ".vk");
        ASSERT_EQ(import.NewHeader(path, QStringLiteral("Hala")), 1);
        CTime cursor = m_start;
        EXPECT_EQ(import.ImportDownloadedRange(cursor, Block(bytes, 0, 10), SmallLayout(), kPeriod, m_status, m_config,
                                               m_iden, CTime(c.from), CTime(c.to)),
                  c.result);
        // The cursor moves over skipped records too.
        EXPECT_EQ(cursor.GetTime(), t0 + 10 * kPeriod);
        ASSERT_EQ(import.AddDownloadEvent(cursor), 1);
        EXPECT_EQ(DataTimes(ReadBlocks(path)), c.times);
    }
}

TEST_F(VKImportTest, RangedImportWithEventsStampsTheHeaderWithFrom)
{
    const auto bytes = Records(5);
    const CTime from(m_start.GetTime() + 2 * kPeriod);
    ASSERT_EQ(m_import.NewHeader(Path("dl.vk"), QStringLiteral("Hala")), 1);
    CTime cursor = m_start;
    EXPECT_EQ(m_import.ImportDownloadedRangeWithEvents(cursor, Block(bytes, 0, 5), SmallLayout(), kPeriod, m_status,
                                                       m_config, m_iden, from, CTime(m_start.GetTime() + 3600)),
              1);
    ASSERT_EQ(m_import.AddDownloadEvent(cursor), 1);
    const auto blocks = ReadBlocks(Path("dl.vk"));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0][0].time, from.GetTime());
    EXPECT_EQ(blocks[0][3].time, m_start.GetTime());
    EXPECT_EQ(DataTimes(blocks).front(), from.GetTime());
}

TEST_F(VKImportTest, ImportWithoutBlocksStillEndsInABlock)
{
    ASSERT_EQ(m_import.NewHeader(Path("dl.vk"), QStringLiteral("Hala")), 1);
    ASSERT_EQ(m_import.AddDownloadEvent(m_start), 1);
    const auto blocks = ReadBlocks(Path("dl.vk"));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(Shape(blocks[0]), (std::vector<std::string>{"7:Konec Off-line dat. "}));
    CVKDownloadArchivData reader;
    ASSERT_EQ(reader.OpenByPath(Path("dl.vk")), 1);
    EXPECT_EQ(reader.GetInstrumentName(), QStringLiteral("Hala"));
}

TEST_F(VKImportTest, FileThatCannotBeCreatedFailsAndWritesNothing)
{
    m_provider->FailWhen([](const std::string& op, const std::string&) { return op == "create-file"; });
    EXPECT_EQ(m_import.NewHeader(Path("dl.vk"), QStringLiteral("Hala")), 0);
    CTime cursor = m_start;
    const auto bytes = Records(3);
    EXPECT_EQ(m_import.ImportDownloadedBlockWithEvents(cursor, Block(bytes, 0, 3), SmallLayout(), kPeriod, m_status,
                                                       m_config, m_iden),
              0);
    EXPECT_FALSE(QFile::exists(Path("dl.vk")));
}

// A block write that fails keeps what the file held: the blocks before it
// stay readable and the header does not name the lost block.
TEST_F(VKImportTest, FailedBlockWriteLeavesEarlierBlocksReadable)
{
    ASSERT_EQ(m_import.NewHeader(Path("dl.vk"), QStringLiteral("Hala")), 1);
    m_provider->FailWhen([](const std::string& op, const std::string& name) { return op == "write" && name == "A1"; });
    const auto bytes = Records(150);
    CTime cursor = m_start;
    EXPECT_EQ(m_import.ImportDownloadedBlockWithEvents(cursor, Block(bytes, 0, 150), SmallLayout(), kPeriod, m_status,
                                                       m_config, m_iden),
              1);
    EXPECT_EQ(m_import.AddDownloadEvent(cursor), 0);
    EXPECT_FALSE(m_import.GetErrorText().isEmpty());
    m_import.Close();
    const auto blocks = ReadBlocks(Path("dl.vk"));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(Counted(blocks[0]), 100);
}

struct DecodeCase {
    const char* name;
    std::vector<int> columns;
    bool connection2;
    bool connection1;
    std::vector<BYTE> bytes;
    std::function<void(const CVKAktData&)> check;
};

TEST(VKRawRecord, DecodesByLayoutAndConnection)
{
    const DecodeCase cases[] = {
        {"phase voltages, cos bytes, temperature",
         {0, 2, 6, 7, 8, 9, 11},
         false, false,
         {0x09, 0x00, 0x09, 0x02, 0x5A, 0xA6, 0x7F, 0x42},
         [](const CVKAktData& v) {
             EXPECT_EQ(v.GetU(0), 0x0900);
             EXPECT_EQ(v.GetU(1), CVKAktData::kNoVoltage);
             EXPECT_EQ(v.GetU(2), 0x0902);
             EXPECT_EQ(v.GetCos(0), 0x5A);
             EXPECT_EQ(v.GetCos(1), std::int8_t(0xA6));
             EXPECT_EQ(v.GetPF(0), CVKAktData::kNoFactor);
             EXPECT_EQ(v.GetTemperatureCode(), 0x42);
             EXPECT_EQ(v.GetFrequencyCode(), CVKAktData::kNoCode);
         }},
        {"line voltages (connection 1), PF bytes",
         {0, 1, 2, 7},
         false, true,
         {0x10, 0x00, 0x10, 0x01, 0x10, 0x02, 0x63},
         [](const CVKAktData& v) {
             EXPECT_EQ(v.GetULine(0), 0x1000);
             EXPECT_EQ(v.GetULine(2), 0x1002);
             EXPECT_EQ(v.GetU(0), CVKAktData::kNoVoltage);
             EXPECT_EQ(v.GetPF(0), 0x63);
         }},
        {"connection 2: first and third, currents swapped, no phase bytes",
         {0, 1, 3, 4, 5, 7, 8},
         true, false,
         {0x11, 0x00, 0x11, 0x02, 0x00, 0x01, 0x00, 0x03, 0x00, 0x02, 0x0A},
         [](const CVKAktData& v) {
             EXPECT_EQ(v.GetULine(0), 0x1100);
             EXPECT_EQ(v.GetULine(2), 0x1102);
             EXPECT_EQ(v.GetI(0), 1);
             EXPECT_EQ(v.GetI(2), 3);
             EXPECT_EQ(v.GetI(1), 2);
             EXPECT_EQ(v.GetPF(0), CVKAktData::kNoFactor); // the byte after is not a phase byte
         }},
        {"three-phase totals in two halves",
         {12, 13, 14, 16},
         false, false,
         {0, 0, 0, 1, 0, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},
         [](const CVKAktData& v) {
             EXPECT_TRUE(v.HasTotals());
             EXPECT_EQ(v.GetP(0), 3);
             EXPECT_EQ(v.GetS(0), -1);
             EXPECT_EQ(v.GetQ(0), CVKAktData::kNoPower);
         }},
        {"phase powers, connection 2 reads the second phase past",
         {14, 17, 18, 19},
         true, false,
         {0, 0, 0, 10, 0, 0, 0, 30, 0, 0, 0, 20},
         [](const CVKAktData& v) {
             EXPECT_FALSE(v.HasTotals());
             EXPECT_EQ(v.GetP(0), 10);
             EXPECT_EQ(v.GetP(2), 30);
             EXPECT_EQ(v.GetP(1), CVKAktData::kNoPower);
         }},
        {"distortion and one harmonic order per phase",
         {20, 21, 22, 23, 23 + 24, 95},
         false, false,
         {1, 2, 3, 11, 12, 21},
         [](const CVKAktData& v) {
             EXPECT_EQ(v.GetVoltageHarmonics().GetThdCode(2), 3);
             EXPECT_EQ(v.GetVoltageHarmonics().GetHarmonicCode(0, 0), 11);
             EXPECT_EQ(v.GetVoltageHarmonics().GetHarmonicCode(1, 0), 12);
             EXPECT_EQ(v.GetCurrentHarmonics().GetThdCode(0), 21);
         }},
        {"record shorter than its layout keeps the rest empty",
         {0, 1, 2},
         false, false,
         {0x09, 0x00, 0x09},
         [](const CVKAktData& v) {
             EXPECT_EQ(v.GetU(0), 0x0900);
             EXPECT_EQ(v.GetU(1), CVKAktData::kNoVoltage);
         }},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CVKRecordLayout layout;
        for (int col : c.columns)
            layout.columns[std::size_t(col)] = 1;
        layout.connection2 = c.connection2;
        layout.connection1 = c.connection1;
        CVKAktData values;
        values.SetU(1, 1234); // stale values must not survive
        CVKDownloadArchivData::DecodeRawRecord(c.bytes.data(), int(c.bytes.size()), layout, values);
        c.check(values);
    }
}

} // namespace
