#include "import_support.h"

#include <QFile>

#include <map>
#include <vector>

using namespace importtest;
using namespace importtest::vkt;

namespace {

class VKTMergeTest : public MergeTest<CVKTDownloadArchivData> {
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
    // Merges s.vkt into e.vkt.
    void Merge() { ASSERT_EQ(MergeFiles("e.vkt", "s.vkt", false), 1); }
    // What the archive's own walk reads at each measurement: the voltages
    // of the four inputs and whether input 1 has a current.
    std::map<std::uint32_t, std::vector<double>> WalkedValues(const char* name)
    {
        std::map<std::uint32_t, std::vector<double>> out;
        CVKTDownloadArchivData reader;
        Prepare(reader);
        EXPECT_EQ(reader.Open(Path(name)), 1);
        EXPECT_EQ(reader.LoadWindow(0, int(ReadBlocks(Path(name)).size()), t0, 3600), 1);
        for (int more = reader.FirstRecord(); more; more = reader.NextRecord()) {
            const CAktData& v = reader.GetCurrentValues();
            out[reader.GetCurrentTime().GetTime()] = {v.GetVoltage(0, CAktData::Average),
                                                      v.GetVoltage(1, CAktData::Average),
                                                      v.GetVoltage(2, CAktData::Average),
                                                      v.GetVoltage(3, CAktData::Average),
                                                      double(v.HasCurrent(0, CAktData::Average))};
        }
        return out;
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
    Merge();
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

// The records that fill the gap, the first of them included, read back
// through the archive's walk with the values of the download: the voltages,
// and no current where the instrument's description keeps none. (The
// program's own full form has no place for the description's choice of
// quantities, so a described record re-encoded in it would not read back
// the same.)
TEST_F(VKTMergeTest, FilledRecordsReadBackWithTheDownloadedValues)
{
    MakeFile("e.vkt", Minutes({0, 1, 2, 6, 7}));
    MakeFile("s.vkt", Minutes({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    Merge();
    const auto downloaded = WalkedValues("s.vkt");
    const auto merged = WalkedValues("e.vkt");
    ASSERT_EQ(downloaded.size(), 9u);
    const std::vector<double> firstFilled = merged.count(At(180).GetTime()) ? merged.at(At(180).GetTime())
                                                                             : std::vector<double>{};
    ASSERT_EQ(firstFilled.size(), 5u);
    EXPECT_GT(firstFilled[0], 0.0);
    EXPECT_EQ(firstFilled[4], 0.0); // no current
    EXPECT_EQ(merged, downloaded);
}

} // namespace
