// A VKT download cut into period files: where a range ends inside a block,
// what the import result says, and whether the off-line section was opened
// (a 0 means "past the range" once it is, "nothing to open at" before).
#include "import_support.h"

using namespace importtest;
using namespace importtest::vkt;

namespace {

class VKTRangeEndTest : public DownloadTest {
protected:
    VKTRangeEndTest() : DownloadTest("period.vkt") {}
    // The data records' times, seconds after t0, once the import is ended.
    std::vector<int> Written(CTime end)
    {
        EXPECT_EQ(m_import.AddDownloadEvent(end), 1);
        std::vector<int> out;
        for (std::uint32_t t : DataTimes(ReadBlocks(Path(m_file))))
            out.push_back(int(t) - int(t0.GetTime()));
        return out;
    }
};

TEST_F(VKTRangeEndTest, RecordsUpToTheEndAreKeptAndThePastOneEndsTheRange)
{
    struct Case {
        const char* name;
        int from, to;
        int result;
        std::vector<int> written;
        int cursor; // seconds after t0; -1: left as it was
    };
    const Case cases[] = {
        {"end inside the block", 60, 179, 0, {60, 120}, 120},
        {"end on a record", 60, 180, 0, {60, 120, 180}, 180},
        {"end on the last record", 0, 240, 1, {0, 60, 120, 180, 240}, 240},
        {"block wholly before the range", 300, 600, 1, {}, -1},
        {"block wholly after the range", -600, -1, 0, {}, -1},
    };
    const auto bytes = Records({{0, 0}, {0, 60}, {0, 120}, {0, 180}, {0, 240}});
    for (const Case& c : cases) {
        for (const bool events : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (events ? ", opening the download" : ""));
            m_import.Close();
            QFile::remove(Path("period.vkt"));
            ASSERT_EQ(m_import.NewHeader(Path("period.vkt"), QStringLiteral("Rozvodna")), 1);
            const CTime before = At(-3600);
            CTime cursor = before;
            const int result =
                events ? m_import.ImportDownloadedRangeWithEvents(cursor, Block(bytes), m_status, m_config, m_iden,
                                                                  At(c.from), At(c.to))
                       : m_import.ImportDownloadedRange(cursor, Block(bytes), m_status, m_config, m_iden, At(c.from),
                                                        At(c.to));
            EXPECT_EQ(result, c.result);
            EXPECT_EQ(cursor, c.cursor < 0 ? before : At(c.cursor));
            // Opened by the first record whatever the range: the 0 of a
            // range's end is no "nothing opened".
            EXPECT_EQ(m_import.SectionOpened(), events);
            EXPECT_FALSE(m_import.WriteFailed());
            EXPECT_EQ(Written(cursor), c.written);
        }
    }
}

TEST_F(VKTRangeEndTest, ABlockWithNothingToOpenAtLeavesTheSectionClosed)
{
    // Every record lies before the archive's start (an earlier recording):
    // none opens the download.
    CVKTStatus status = Status();
    status.GetArch().SetStartTime(At(3600), FALSE);
    const auto bytes = Records({{0, 0}, {0, 60}});
    CTime cursor = At(-60);
    EXPECT_EQ(m_import.ImportDownloadedRangeWithEvents(cursor, Block(bytes), status, m_config, m_iden, At(0), At(60)),
              0);
    EXPECT_FALSE(m_import.SectionOpened());
    EXPECT_EQ(cursor, At(-60));
}

} // namespace
