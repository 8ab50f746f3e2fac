#include "import_support.h"

#include <QFile>

using namespace importtest;
using namespace importtest::vkt;
using storetest::StoreTest;

namespace {

class VKTMergeTest : public StoreTest {
protected:
    void MakeFile(const QString& name, const std::vector<BYTE>& bytes)
    {
        CVKTDownloadArchivData import;
        Prepare(import);
        ASSERT_EQ(import.NewHeader(Path(name), QStringLiteral("Rozvodna")), 1);
        CTime cursor;
        ASSERT_EQ(import.ImportDownloadedBlockWithEvents(cursor, {int(bytes.size()) / kStride, kStride, bytes.data()},
                                                         Status(), {}, {}),
                  1);
        ASSERT_EQ(import.AddDownloadEvent(cursor), 1);
    }
    static std::vector<BYTE> Minutes(std::initializer_list<int> minutes)
    {
        std::vector<BYTE> out;
        for (int m : minutes) {
            const auto one = Records({{0, m * 60}});
            out.insert(out.end(), one.begin(), one.end());
        }
        return out;
    }
};

TEST_F(VKTMergeTest, GapOfTheExistingArchiveIsFilledWithDescribedRecords)
{
    MakeFile("e.vkt", Minutes({0, 1, 2, 6, 7}));
    MakeFile("s.vkt", Minutes({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    const auto downloaded = ReadBlocks(Path("s.vkt"));
    {
        CVKTDownloadArchivData existing;
        CVKTDownloadArchivData source;
        Prepare(existing);
        Prepare(source);
        ASSERT_EQ(existing.OpenByPath(Path("e.vkt")), 1);
        ASSERT_EQ(source.OpenByPath(Path("s.vkt")), 1);
        ASSERT_EQ(existing.ImportTempFile(source), 1);
    }
    EXPECT_FALSE(QFile::exists(Path("e.vkttemp.vkt")));
    const auto merged = ReadBlocks(Path("e.vkt"));
    std::vector<std::uint32_t> expected;
    for (int m = 0; m <= 8; ++m)
        expected.push_back(t0.GetTime() + std::uint32_t(m * 60));
    EXPECT_EQ(DataTimes(merged), expected);
    // Every measurement is the downloaded described record, unchanged.
    for (const auto& b : merged)
        for (const CArchivRecord& r : b)
            if (r.IsData()) {
                EXPECT_EQ(r.type, kRecordVKT);
                EXPECT_EQ(r.data, downloaded[0][4 + (r.time - t0.GetTime()) / 60].data);
            }
}

} // namespace
