#include "import_support.h"

using namespace importtest;
using namespace importtest::vkt;

namespace {

class VKTImportTest : public DownloadTest {
protected:
    VKTImportTest() : DownloadTest("dl.vkt") {}
    // "type@seconds" per counted or event record.
    std::vector<std::string> Stamps()
    {
        std::vector<std::string> out;
        for (const auto& b : ReadBlocks(Path(m_file)))
            for (const CArchivRecord& r : b)
                out.push_back(std::to_string(int(r.type)) + "@" + std::to_string(int(r.time) - int(t0.GetTime())));
        return out;
    }
};

TEST_F(VKTImportTest, MeasurementsAndOutagesOfADownload)
{
    const auto first = Records({{0, 0}, {0, 60}, {1, 600, 120, 540}, {0, 600}});
    const auto second = Records({{1, 900, 700, 880}, {1, 960, -1, 950}, {0, 960}});
    CTime cursor;
    ASSERT_EQ(m_import.ImportDownloadedBlockWithEvents(cursor, Block(first), m_status, m_config, m_iden), 1);
    EXPECT_EQ(cursor, At(600));
    ASSERT_EQ(m_import.ImportDownloadedBlock(cursor, Block(second), m_status, m_config, m_iden), 1);
    ASSERT_EQ(m_import.AddDownloadEvent(cursor), 1);
    EXPECT_EQ(Stamps(), (std::vector<std::string>{"10@0", "1@0", "9@0", "7@0",
                                                   "12@0", "12@60", "4@120", "4@540", "12@600",
                                                   "4@700", "4@900", "4@960", "12@960", "7@960"}));

    // A measurement reads back as the instrument's record read under the status.
    const auto blocks = ReadBlocks(Path("dl.vkt"));
    CAktData expected;
    expected.SetArchiveLayout(m_status);
    ASSERT_TRUE(expected.FromRaw(first.data() + kStride + 6, kStride - 6));
    EXPECT_EQ(blocks[0][5].data, expected.Pack());
    EXPECT_EQ(blocks[0][5].type, kRecordVKT);
}

TEST_F(VKTImportTest, DownloadOpenedByAnOutage)
{
    struct Case {
        const char* name;
        int start; // archive start of the description, seconds after t0; 0: none
        Raw opening;
        std::vector<std::string> stamps;
    };
    const Case cases[] = {
        {"no start: opened at the record", 0, {1, 300, 100, 400},
         {"10@300", "1@300", "9@300", "7@300", "4@300", "4@400", "12@600", "7@600"}},
        {"opened at the archive start (whole minutes)", 420, {1, 300, 100, 400},
         {"10@420", "1@420", "9@420", "7@420", "4@300", "4@400", "12@600", "7@600"}},
        {"outage that ends before its record is left out", 0, {1, 300, 100, 200},
         {"10@300", "1@300", "9@300", "7@300", "12@600", "7@600"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVKTStatus status = Status();
        status.GetArch().SetStartTime(At(c.start), c.start == 0);
        m_import.Close();
        QFile::remove(Path("dl.vkt"));
        ASSERT_EQ(m_import.NewHeader(Path("dl.vkt"), QStringLiteral("Rozvodna")), 1);
        const auto bytes = Records({c.opening, {0, 600}});
        CTime cursor;
        ASSERT_EQ(m_import.ImportDownloadedBlockWithEvents(cursor, Block(bytes), status, m_config, m_iden), 1);
        ASSERT_EQ(m_import.AddDownloadEvent(cursor), 1);
        EXPECT_EQ(Stamps(), c.stamps);
    }
}

TEST_F(VKTImportTest, NoRecordAtOrBeforeTheArchiveStartWritesNothing)
{
    CVKTStatus status = Status();
    status.GetArch().SetStartTime(At(-3600), FALSE);
    const auto bytes = Records({{0, 0}, {0, 60}});
    CTime cursor = At(5);
    EXPECT_EQ(m_import.ImportDownloadedBlockWithEvents(cursor, Block(bytes), status, m_config, m_iden), 0);
    EXPECT_EQ(cursor, At(5));
    ASSERT_EQ(m_import.AddDownloadEvent(cursor), 1);
    EXPECT_EQ(Stamps(), (std::vector<std::string>{"7@5"}));
}

TEST_F(VKTImportTest, RangeLeavesOutWhatLiesOutside)
{
    const auto bytes = Records({{0, 0}, {0, 60}, {0, 120}, {0, 180}});
    CTime cursor;
    EXPECT_EQ(m_import.ImportDownloadedRangeWithEvents(cursor, Block(bytes), m_status, m_config, m_iden, At(60),
                                                       At(120)),
              0);
    EXPECT_EQ(cursor, At(120));
    ASSERT_EQ(m_import.AddDownloadEvent(cursor), 1);
    EXPECT_EQ(Stamps(), (std::vector<std::string>{"10@0", "1@0", "9@0", "7@0", "12@60", "12@120", "7@120"}));
}

} // namespace
