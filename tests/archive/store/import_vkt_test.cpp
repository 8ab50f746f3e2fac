#include "import_support.h"

#include <algorithm>
#include <optional>

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
        {"opened at the archive start (whole minutes)", 240, {1, 300, 100, 400},
         {"10@240", "1@240", "9@240", "7@240", "4@300", "4@400", "12@600", "7@600"}},
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

// The recording began at the start time of its description: what the
// memory holds from before it is left from an earlier recording.
TEST_F(VKTImportTest, TheImportBeginsAtTheRecordingStart)
{
    struct Case {
        const char* name;
        std::optional<int> start; // seconds after t0; none: "at once"
        int result;
        std::vector<std::string> stamps;
    };
    // The start has whole minutes, as the instrument keeps it.
    const std::vector<std::string> all{"10@0",  "1@0",    "9@0",    "7@0",    "12@0",
                                       "12@90", "12@150", "12@240", "7@240"};
    const Case cases[] = {
        {"at once", std::nullopt, 1, all},
        {"a day before every record", -86400, 1, all},
        {"an hour before every record", -3600, 1, all},
        {"at the first record", 0, 1, all},
        {"between two records", 60, 1, {"10@90", "1@90", "9@90", "7@90", "12@90", "12@150", "12@240", "7@240"}},
        {"at the last record", 240, 1, {"10@240", "1@240", "9@240", "7@240", "12@240", "7@240"}},
        {"after every record", 3600, 0, {"7@5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVKTStatus status = Status();
        status.GetArch().SetStartTime(c.start ? At(*c.start) : CTime(), !c.start);
        m_import.Close();
        QFile::remove(Path("dl.vkt"));
        ASSERT_EQ(m_import.NewHeader(Path("dl.vkt"), QStringLiteral("Rozvodna")), 1);
        const auto bytes = Records({{0, 0}, {0, 90}, {0, 150}, {0, 240}});
        CTime cursor = At(5);
        EXPECT_EQ(m_import.ImportDownloadedBlockWithEvents(cursor, Block(bytes), status, m_config, m_iden), c.result);
        ASSERT_EQ(m_import.AddDownloadEvent(cursor), 1);
        EXPECT_EQ(Stamps(), c.stamps);
    }
}

// Start bytes that form no time cannot tell one recording from another:
// nothing is left out.
TEST_F(VKTImportTest, AStartThatIsNoTimeLeavesNothingOut)
{
    CVKTStatus status = Status();
    BYTE image[CVKTStatus::kImageSize] = {};
    status.ToRaw(image);
    std::fill_n(image + 42, 4, BYTE(0)); // day 0, month 0
    status.FromRaw(image);
    const auto bytes = Records({{1, 0, 0, 30}, {0, 60}});
    CTime cursor;
    ASSERT_EQ(m_import.ImportDownloadedBlockWithEvents(cursor, Block(bytes), status, m_config, m_iden), 1);
    ASSERT_EQ(m_import.AddDownloadEvent(cursor), 1);
    // An outage opening the download stands at its own time.
    EXPECT_EQ(Stamps(), (std::vector<std::string>{"10@0", "1@0", "9@0", "7@0", "4@0", "4@30", "12@60", "7@60"}));
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
