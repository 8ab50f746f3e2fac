#include "import_support.h"

#include <QCryptographicHash>
#include <QFile>

using namespace importtest;

namespace {

constexpr int kPeriod = 60;
const std::uint32_t t0 = CTime(2024, 1, 15, 8, 0, 0).GetTime();

// `count` records one period apart from `start` (seconds after t0).
struct Span {
    int start;
    int count;
};

// What a data record of the merged file is: 'E' or 'S' (whose values it
// holds) or 'x' (an error record), with its time.
using Origin = std::pair<std::uint32_t, char>;

std::vector<Origin> Origins(const std::vector<CArchivRecordList>& blocks)
{
    std::vector<Origin> out;
    for (const auto& b : blocks) {
        CVKAktData values;
        bool have = false;
        for (const CArchivRecord& r : b) {
            if (r.type == kRecordFull)
                have = CVKArchivData::DecodeFullRecord(values, r) != 0;
            else if (r.type == kRecordChanged)
                have = have && CVKArchivData::DecodeDeltaRecord(values, r) != 0;
            else if (r.type != kRecordError)
                continue;
            if (r.type == kRecordError)
                out.push_back({r.time - t0, 'x'});
            else
                out.push_back({r.time - t0, have ? (values.GetU(0) >= 2000 ? 'S' : 'E') : '?'});
        }
    }
    return out;
}

std::vector<Origin> Expect(std::initializer_list<std::tuple<int, int, char>> spans)
{
    std::vector<Origin> out;
    for (const auto& [start, count, origin] : spans)
        for (int i = 0; i < count; ++i)
            out.push_back({std::uint32_t(start + i * kPeriod), origin});
    return out;
}

// Runs of one origin one period apart: "E0+10 S600+5".
std::string Compact(const std::vector<Origin>& origins)
{
    std::string out;
    for (std::size_t i = 0; i < origins.size();) {
        std::size_t j = i + 1;
        while (j < origins.size() && origins[j].second == origins[i].second
               && origins[j].first == origins[j - 1].first + kPeriod)
            ++j;
        out += (out.empty() ? "" : " ") + std::string(1, origins[i].second) + std::to_string(origins[i].first) + "+"
               + std::to_string(j - i);
        i = j;
    }
    return out;
}

int Errors(const std::vector<CArchivRecordList>& blocks, const QString& text)
{
    int n = 0;
    for (const auto& b : blocks)
        for (const CArchivRecord& r : b)
            n += (r.type == kRecordError && Text(r) == text) ? 1 : 0;
    return n;
}

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

class VKMergeTest : public MergeTest<CVKDownloadArchivData> {
protected:
    // An import of `runs` (one raw block per run, so a run after a jump of
    // the cursor makes a hole) whose voltage marks the file: 1000 for E, 2000 for S.
    void MakeFile(const QString& name, std::vector<Span> runs, int mark)
    {
        CVKDownloadArchivData import;
        Prepare(import);
        ASSERT_EQ(import.NewHeader(Path(name), QStringLiteral("Hala")), 1);
        CVKRecordLayout layout;
        layout.columns[0] = 1;
        CVKStatus status;
        status.SetRecordPeriodIndex(5); // 60 s
        CTime cursor(t0);
        bool first = true;
        for (const Span& run : runs) {
            std::vector<BYTE> bytes;
            for (int i = 0; i < run.count; ++i) {
                const int u = mark + i % 7;
                bytes.push_back(BYTE(u >> 8));
                bytes.push_back(BYTE(u));
            }
            cursor = CTime(t0 + std::uint32_t(run.start));
            const CImportRawBlock block{run.count, 2, bytes.data()};
            if (first)
                import.ImportDownloadedBlockWithEvents(cursor, block, layout, kPeriod, status, {}, {});
            else
                import.ImportDownloadedBlock(cursor, block, layout, kPeriod, status, {}, {});
            first = false;
        }
        ASSERT_EQ(import.AddDownloadEvent(CTime(cursor.GetTime() - kPeriod)), 1);
    }

    int Merge(QString* error = nullptr) { return MergeFiles("e.vk", "s.vk", true, error); }
};

struct MergeCase {
    const char* name;
    std::vector<Span> existing;
    std::vector<Span> download;
    std::vector<Origin> expected;
};

TEST_F(VKMergeTest, ExistingRecordsStayAndGapsAreFilled)
{
    const int h = 100 * kPeriod;
    const MergeCase cases[] = {
        {"download inside the data fills a gap inside a block",
         {{0, 10}, {20 * kPeriod, 10}},
         {{0, 30}},
         Expect({{0, 10, 'E'}, {10 * kPeriod, 10, 'S'}, {20 * kPeriod, 10, 'E'}})},
        {"gap between blocks",
         {{0, 100}, {h + 10 * kPeriod, 20}},
         {{0, 140}},
         Expect({{0, 100, 'E'}, {h, 10, 'S'}, {h + 10 * kPeriod, 20, 'E'}, {h + 30 * kPeriod, 10, 'S'}})},
        {"download without new records adds nothing",
         {{0, 30}},
         {{5 * kPeriod, 10}},
         Expect({{0, 30, 'E'}})},
        {"download before and after the data",
         {{10 * kPeriod, 10}},
         {{0, 30}},
         Expect({{0, 10, 'S'}, {10 * kPeriod, 10, 'E'}, {20 * kPeriod, 10, 'S'}})},
        {"download over several blocks after the data",
         {{0, 10}},
         {{0, 250}},
         Expect({{0, 10, 'E'}, {10 * kPeriod, 240, 'S'}})},
        // A recording that began half a minute into the period of the
        // instrument's newest record.
        {"lone downloaded record less than a period before the data",
         {{30, 10}},
         {{0, 1}},
         Expect({{0, 1, 'S'}, {30, 10, 'E'}})},
        {"downloaded record one period before the data",
         {{kPeriod, 10}},
         {{0, 11}},
         Expect({{0, 1, 'S'}, {kPeriod, 10, 'E'}})},
        {"downloaded record within a second of the first is that record",
         {{1, 10}},
         {{0, 10}},
         Expect({{1, 10, 'E'}})},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        MakeFile("e.vk", c.existing, 1000);
        MakeFile("s.vk", c.download, 2000);
        ASSERT_EQ(Merge(), 1);
        const auto blocks = ReadBlocks(Path("e.vk"));
        EXPECT_EQ(Compact(Origins(blocks)), Compact(c.expected));
        EXPECT_EQ(Errors(blocks, QStringLiteral("Data nejsou k dispozici.")), 0);
        EXPECT_FALSE(QFile::exists(Path("e.vktemp.vk")));
        EXPECT_FALSE(QFile::exists(Path("s.vk")));
        // The merged file keeps its own name and instrument.
        CVKDownloadArchivData reader;
        ASSERT_EQ(reader.OpenByPath(Path("e.vk")), 1);
        EXPECT_EQ(reader.GetInstrumentName(), QStringLiteral("Hala"));
        ASSERT_EQ(reader.ReadHeader(), 1);
        reader.Close();
        QFile::remove(Path("e.vk"));
    }
}

TEST_F(VKMergeTest, ExistingArchiveWithoutDataTakesTheWholeDownload)
{
    MakeFile("e.vk", {}, 1000);
    MakeFile("s.vk", {{0, 120}}, 2000);
    const auto downloaded = ReadBlocks(Path("s.vk"));
    ASSERT_EQ(Merge(), 1);
    const auto blocks = ReadBlocks(Path("e.vk"));
    EXPECT_EQ(Origins(blocks), Expect({{0, 120, 'S'}}));
    EXPECT_EQ(blocks.size(), downloaded.size());
}

TEST_F(VKMergeTest, HoleBeforeTheAppendedPartIsMarked)
{
    MakeFile("e.vk", {{0, 10}}, 1000);
    MakeFile("s.vk", {{20 * kPeriod, 5}}, 2000);
    ASSERT_EQ(Merge(), 1);
    const auto blocks = ReadBlocks(Path("e.vk"));
    const std::uint32_t end = 9 * kPeriod + 1; // last E record + 1 s
    std::vector<Origin> expected = Expect({{0, 10, 'E'}});
    expected.push_back({end + kPeriod, 'x'});
    expected.push_back({20 * kPeriod - kPeriod, 'x'});
    const auto appended = Expect({{20 * kPeriod, 5, 'S'}});
    expected.insert(expected.end(), appended.begin(), appended.end());
    EXPECT_EQ(Origins(blocks), expected);
    EXPECT_EQ(Errors(blocks, QStringLiteral("Data nejsou k dispozici.")), 2);
}

// A ring of the largest size (one second, three records a block, a week)
// takes a merge: the merged blocks are staged behind its slots.
TEST_F(VKMergeTest, MergeIntoTheLargestRing)
{
    MakeFile("e.vk", {{0, 10}}, 1000);
    {
        CVKDownloadArchivData ring;
        Prepare(ring);
        ASSERT_EQ(ring.OpenByPath(Path("e.vk")), 1);
        ring.ResizeRing(7 * 86400, 3, 1);
        ring.Close();
    }
    MakeFile("s.vk", {{0, 20}}, 2000);
    QString error;
    ASSERT_EQ(Merge(&error), 1) << error.toStdString();
    EXPECT_EQ(Compact(Origins(ReadBlocks(Path("e.vk")))), Compact(Expect({{0, 10, 'E'}, {10 * kPeriod, 10, 'S'}})));
}

// A patch over a hole that an earlier append marked: the records the
// instrument still holds replace the markers, the hole's edges included.
TEST_F(VKMergeTest, PatchReplacesTheOutageMarkersOfAHole)
{
    MakeFile("e.vk", {{0, 16}}, 1000);
    MakeFile("s.vk", {{30 * kPeriod, 20}}, 2000);
    ASSERT_EQ(Merge(), 1);
    ASSERT_EQ(Errors(ReadBlocks(Path("e.vk")), QStringLiteral("Data nejsou k dispozici.")), 2);

    MakeFile("s.vk", {{0, 50}}, 2000);
    ASSERT_EQ(Merge(), 1);
    const auto blocks = ReadBlocks(Path("e.vk"));
    EXPECT_EQ(Compact(Origins(blocks)), Compact(Expect({{0, 16, 'E'}, {16 * kPeriod, 34, 'S'}})));
    EXPECT_EQ(Errors(blocks, QStringLiteral("Data nejsou k dispozici.")), 0);
}

TEST_F(VKMergeTest, AppendedRecordsContinueTheOfflineSection)
{
    // The download overlaps the existing data, or begins right after it.
    for (const Span download : {Span{0, 15}, Span{10 * kPeriod, 5}}) {
        SCOPED_TRACE(download.start);
        MakeFile("e.vk", {{0, 10}}, 1000);
        MakeFile("s.vk", {download}, 2000);
        ASSERT_EQ(Merge(), 1);
        const auto blocks = ReadBlocks(Path("e.vk"));
        EXPECT_EQ(Origins(blocks), Expect({{0, 10, 'E'}, {10 * kPeriod, 5, 'S'}}));
        int starts = 0;
        int ends = 0;
        for (const auto& b : blocks) {
            for (const CArchivRecord& r : b) {
                starts += r.type == kRecordState && Text(r) == QStringLiteral("Začátek Off-line dat. ");
                ends += r.type == kRecordState && Text(r) == QStringLiteral("Konec Off-line dat. ");
            }
        }
        EXPECT_EQ(starts, 1);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(Shape(blocks.back()).back(), "7:Konec Off-line dat. ");
        EXPECT_EQ(blocks.back().back().time, t0 + 14 * kPeriod);
        QFile::remove(Path("e.vk"));
    }
}

TEST_F(VKMergeTest, FilledGapIsAnOfflineSectionStartingWithAFullRecord)
{
    MakeFile("e.vk", {{0, 3}, {6 * kPeriod, 3}}, 1000);
    MakeFile("s.vk", {{0, 9}}, 2000);
    ASSERT_EQ(Merge(), 1);
    const auto blocks = ReadBlocks(Path("e.vk"));
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(Shape(blocks[1]), (std::vector<std::string>{"10", "1", "9", "7:Začátek Off-line dat. ", "2", "3", "3",
                                                          "7:Konec Off-line dat. "}));
    // The rest of the existing block opens again with its records in force
    // and a full measurement.
    const auto rest = Shape(blocks[2]);
    ASSERT_GE(rest.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(rest.begin(), rest.begin() + 4), (std::vector<std::string>{"10", "1", "9", "2"}));
}

// A write that fails anywhere in the merge leaves the existing archive
// readable with either all of its old content or all of the merged one.
TEST_F(VKMergeTest, FailedWriteNeverLeavesAHalfMergedArchive)
{
    const std::string before = "E0+10 E1200+10";
    const std::string after = "E0+10 S600+10 E1200+10 S1800+10";
    auto writes = std::make_shared<int>(-1); // -1: not counting
    auto failAt = std::make_shared<int>(0);
    m_provider->FailWhen([writes, failAt](const std::string& op, const std::string&) {
        return (op == "write" || op == "writeat") && *writes >= 0 && ++*writes == *failAt;
    });
    int outcomes[2] = {0, 0};
    for (*failAt = 1;; ++*failAt) {
        SCOPED_TRACE(*failAt);
        *writes = -1;
        QFile::remove(Path("e.vk"));
        MakeFile("e.vk", {{0, 10}, {20 * kPeriod, 10}}, 1000);
        MakeFile("s.vk", {{0, 40}}, 2000);
        *writes = 0;
        QString error;
        const int result = Merge(&error);
        const bool hit = *writes >= *failAt;
        *writes = -1;
        EXPECT_FALSE(QFile::exists(Path("e.vktemp.vk")));
        EXPECT_EQ(Compact(Origins(ReadBlocks(Path("e.vk")))), result ? after : before);
        if (!result) {
            EXPECT_FALSE(error.isEmpty());
        }
        ++outcomes[result ? 1 : 0];
        if (!hit) {
            EXPECT_EQ(result, 1);
            break;
        }
        ASSERT_LT(*failAt, 200);
    }
    EXPECT_GT(outcomes[0], 3); // failures before the switch keep the old content
    EXPECT_GT(outcomes[1], 1); // failures after it keep the merged one
}

TEST_F(VKMergeTest, FailuresBeforeTheReplaceLeaveFilesAlone)
{
    MakeFile("e.vk", {{0, 10}}, 1000);
    const QByteArray before = FileHash(Path("e.vk"));

    // A leftover merge file that the user will not have replaced.
    MakeFile("s.vk", {{0, 20}}, 2000);
    {
        QFile leftover(Path("e.vktemp.vk"));
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
        leftover.write("mine");
    }
    QString error;
    EXPECT_EQ(Merge(&error), 0);
    EXPECT_EQ(error, QStringLiteral("Nepodařilo se otevřít dočasný soubor."));
    EXPECT_TRUE(QFile::exists(Path("e.vktemp.vk")));
    QFile::remove(Path("e.vktemp.vk"));

    // A download without any data record.
    MakeFile("s.vk", {}, 2000);
    EXPECT_EQ(Merge(&error), 0);
    EXPECT_FALSE(QFile::exists(Path("e.vktemp.vk")));
    EXPECT_EQ(FileHash(Path("e.vk")), before);
}

TEST_F(VKMergeTest, DamagedBlockOfTheExistingArchiveKeepsWhatCanBeRead)
{
    MakeFile("e.vk", {{0, 10}}, 1000);
    MakeFile("s.vk", {{0, 15}}, 2000);
    {
        CVKDownloadArchivData damage;
        Prepare(damage);
        ASSERT_EQ(damage.OpenByPath(Path("e.vk")), 1);
        auto storage = WritableStorage(Path("e.vk"));
        ASSERT_TRUE(storage);
        QByteArray block;
        ASSERT_EQ(storage->ReadStream("A0", block), archive::StorageStatus::Ok);
        // The end event is cut off.
        ASSERT_EQ(storage->WriteStream("A0", block.left(block.size() - 10)), archive::StorageStatus::Ok);
    }
    ASSERT_EQ(Merge(), 1);
    const auto blocks = ReadBlocks(Path("e.vk"));
    auto expected = Expect({{0, 10, 'E'}});
    expected.push_back({9 * kPeriod + 2, 'x'}); // the store's mark of the damage
    const auto appended = Expect({{10 * kPeriod, 5, 'S'}});
    expected.insert(expected.end(), appended.begin(), appended.end());
    EXPECT_EQ(Compact(Origins(blocks)), Compact(expected));
}

TEST_F(VKMergeTest, UnreadableHeaderOfTheExistingArchiveFailsTheMerge)
{
    MakeFile("e.vk", {{0, 10}}, 1000);
    MakeFile("s.vk", {{0, 15}}, 2000);
    {
        CVKDownloadArchivData damage;
        Prepare(damage);
        ASSERT_EQ(damage.OpenByPath(Path("e.vk")), 1);
        auto storage = WritableStorage(Path("e.vk"));
        ASSERT_TRUE(storage);
        ASSERT_EQ(storage->WriteStream("hlavicka", QByteArray(8, '\0')), archive::StorageStatus::Ok);
    }
    const QByteArray before = FileHash(Path("e.vk"));
    QString error;
    EXPECT_EQ(Merge(&error), 0);
    EXPECT_EQ(error, QStringLiteral("Soubor je prázdný, nebo poškozený."));
    EXPECT_FALSE(QFile::exists(Path("e.vktemp.vk")));
    EXPECT_EQ(FileHash(Path("e.vk")), before);
}

} // namespace
