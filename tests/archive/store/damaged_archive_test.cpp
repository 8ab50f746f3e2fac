#include "StoreTestSupport.h"

#include "archive/store/ArchivSetAside.h"
#include "platform/Cp1250.h"
#include "platform/cfb/cfb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <functional>

namespace storetest {
namespace {

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

std::uint32_t HeaderField(const QByteArray& file, int offset)
{
    return qFromLittleEndian<std::uint32_t>(file.constData() + offset);
}

// Overwrites `count` bytes of version-3 sector `sector` with 0xFE.
void Scribble(const QString& path, std::uint32_t sector, int count)
{
    QByteArray file = ReadFile(path);
    const qsizetype at = qsizetype(sector + 1) * 512;
    ASSERT_LE(at + count, file.size());
    std::fill_n(file.begin() + at, count, char(0xFE));
    WriteFile(path, file);
}

// Another compound file in the archive's place: its streams, each a few bytes.
void ReplaceWithCompoundFile(const QString& path, const std::vector<std::string>& streams)
{
    cfb::CreateOptions options;
    options.overwrite = true;
    auto file = cfb::CompoundFile::create(QFile::encodeName(path).toStdString(), options);
    ASSERT_TRUE(file.ok());
    const std::uint8_t bytes[] = {0xEC, 0xA5, 0xC1, 0x00};
    for (const std::string& name : streams)
        ASSERT_TRUE((*file)->writeStream(name, bytes).ok());
    ASSERT_TRUE((*file)->close().ok());
}

// One stream rewritten through an independent writer.
void EditStream(const QString& path, const std::string& name, const std::function<void(QByteArray&)>& edit)
{
    auto file = cfb::CompoundFile::open(QFile::encodeName(path).toStdString(), cfb::OpenMode::ReadWrite);
    ASSERT_TRUE(file.ok());
    auto bytes = (*file)->readStream(name);
    ASSERT_TRUE(bytes.ok());
    QByteArray stream(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
    edit(stream);
    ASSERT_TRUE((*file)->writeStream(name, {reinterpret_cast<const std::uint8_t*>(stream.constData()),
                                            std::size_t(stream.size())})
                    .ok());
    ASSERT_TRUE((*file)->close().ok());
}

void EditHeaderStream(const QString& path, const std::function<void(QByteArray&)>& edit)
{
    EditStream(path, "hlavicka", edit);
}

struct DamageCase {
    const char* what;
    std::function<void(const QString& path)> damage;
    bool empty = false; // nothing to keep: replaced without a copy or a notice
};

class DamagedArchiveTest : public StoreTest {
protected:
    static constexpr int kPeriodSeconds = 3600;

    // A closed archive with three blocks, one file (ring) or the file of the
    // present hour (period).
    QString Record(const QString& base, bool ring)
    {
        TestArchivData data;
        Prepare(data);
        EXPECT_EQ(Start(data, base, ring), 1);
        for (DWORD i = 0; i < 3; ++i)
            EXPECT_EQ(WriteWordBlock(data, i, !ring), 1);
        return data.GetFilePath();
    }

    int Start(TestArchivData& data, const QString& base, bool ring)
    {
        return ring ? data.Create(4 * 60, 1, 60, Path(base), TestArchivData::Extension(), TRUE, TRUE, "Linka")
                    : data.Create(kPeriodSeconds, 1, 60, Path(base), TestArchivData::Extension(), FALSE, TRUE,
                                  "Linka");
    }

    QStringList SetAside(const QString& path) const
    {
        const QFileInfo info(path);
        return info.dir().entryList({info.fileName() + ".poskozeny-*"}, QDir::Files);
    }

    // Every record of every block of the file at `path`.
    CArchivRecordList AllRecords(const QString& path)
    {
        CArchivData reader;
        Prepare(reader);
        CArchivRecordList records;
        if (!reader.Open(path) || !reader.ReadHeader())
            return records;
        for (int slot = 0; slot < 100; ++slot)
            reader.ReadBlock(slot, records);
        return records;
    }

    static std::vector<DamageCase> Cases()
    {
        const std::uint32_t future = CTime(2034, 3, 10, 10, 0, 0).GetTime();
        return {
            {"slot count 0xFFFFFFFF",
             [](const QString& p) {
                 EditHeaderStream(p, [](QByteArray& h) { qToLittleEndian<std::uint32_t>(0xFFFFFFFFu, h.data() + 260); });
             }},
            {"slot count beyond the table",
             [](const QString& p) {
                 EditHeaderStream(p, [](QByteArray& h) { qToLittleEndian<std::uint32_t>(1000u, h.data() + 260); });
             }},
            {"slot time ten years ahead",
             [future](const QString& p) {
                 EditHeaderStream(p, [future](QByteArray& h) {
                     qToLittleEndian<std::uint32_t>(future, h.data() + archive::kHeaderTableOffset + 4);
                 });
             }},
            {"short hlavicka", [](const QString& p) { EditHeaderStream(p, [](QByteArray& h) { h.truncate(100); }); }},
            {"text file", [](const QString& p) { WriteFile(p, "Tohle neni archiv.\nJen text.\n"); }},
            {"0 bytes", [](const QString& p) { WriteFile(p, QByteArray()); }, true},
            {"truncated by one byte", [](const QString& p) { WriteFile(p, ReadFile(p).chopped(1)); }},
            {"damaged file header", [](const QString& p) {
                 QByteArray f = ReadFile(p);
                 f[0] = 'X';
                 WriteFile(p, f);
             }},
            {"damaged FAT", [](const QString& p) { Scribble(p, HeaderField(ReadFile(p), 0x4C), 512); }},
            {"damaged directory", [](const QString& p) { Scribble(p, HeaderField(ReadFile(p), 0x30), 128); }},
            {"another program's compound file",
             [](const QString& p) { ReplaceWithCompoundFile(p, {"WordDocument", "SummaryInformation"}); }},
            {"empty compound file", [](const QString& p) { ReplaceWithCompoundFile(p, {}); }},
        };
    }

    void Check(bool ring)
    {
        int n = 0;
        for (const DamageCase& c : Cases()) {
            SCOPED_TRACE(std::string(c.what) + (ring ? " (one file)" : " (file per period)"));
            const QString base = QStringLiteral("pripad%1").arg(++n);
            const QString path = Record(base, ring);
            ASSERT_FALSE(path.isEmpty());
            c.damage(path);
            const QByteArray damaged = ReadFile(path);
            const std::size_t noticesBefore = m_host.Notices().size();

            TestArchivData data;
            Prepare(data);
            ASSERT_EQ(Start(data, base, ring), 1);
            ASSERT_EQ(WriteWordBlock(data, 77, !ring), 1);
            EXPECT_EQ(data.GetFilePath(), path);
            data.Close();

            const QStringList aside = SetAside(path);
            if (c.empty) {
                EXPECT_TRUE(aside.isEmpty());
                EXPECT_EQ(m_host.Notices().size(), noticesBefore);
            } else {
                ASSERT_EQ(aside.size(), 1);
                EXPECT_EQ(ReadFile(QFileInfo(path).dir().filePath(aside[0])), damaged);
                ASSERT_EQ(m_host.Notices().size(), noticesBefore + 1);
                EXPECT_TRUE(m_host.Notices().back().contains("Linka"));
                EXPECT_TRUE(m_host.Notices().back().contains(aside[0]));
            }

            // Recording went on into a new file that says what happened.
            const CArchivRecordList records = AllRecords(path);
            EXPECT_EQ(WordsOf(records), std::vector<DWORD>{77});
            const bool noted = std::any_of(records.begin(), records.end(), [&](const CArchivRecord& r) {
                const QString text = platform::FromCp1250(r.data.constData(), r.data.size());
                return r.type == kRecordError && text.contains(QFileInfo(path).fileName())
                       && (c.empty || text.contains(aside.value(0)));
            });
            EXPECT_TRUE(noted);
        }
        EXPECT_TRUE(m_host.Asked().empty());
        EXPECT_TRUE(m_host.FileErrors().empty());
    }
};

TEST_F(DamagedArchiveTest, OneFileRingIsSetAsideAndRecordingGoesOn)
{
    Check(true);
}

TEST_F(DamagedArchiveTest, PeriodFileIsSetAsideAndRecordingGoesOn)
{
    Check(false);
}

TEST_F(DamagedArchiveTest, UsableFileIsResumedAndAFileInUseElsewhereIsLeftAlone)
{
    const QString path = Record("dobry", true);
    TestArchivData data;
    Prepare(data);
    ASSERT_EQ(Start(data, "dobry", true), 1);
    ASSERT_EQ(WriteWordBlock(data, 77, false), 1);
    data.Close();
    EXPECT_TRUE(SetAside(path).isEmpty());
    EXPECT_EQ(WordsOf(AllRecords(path)), (std::vector<DWORD>{0, 1, 2, 77}));

    // Another program holding the file is not a damaged file.
    auto held = cfb::CompoundFile::open(QFile::encodeName(path).toStdString(), cfb::OpenMode::ReadWrite);
    ASSERT_TRUE(held.ok());
    TestArchivData second;
    Prepare(second);
    EXPECT_EQ(Start(second, "dobry", true), 0);
    EXPECT_TRUE(SetAside(path).isEmpty());
    EXPECT_TRUE(m_host.Notices().empty());
}

// A block cut short in the middle of a file that is otherwise sound: the
// file is taken up again where it is, the user hears of the block once, and
// the blocks around it stay readable.
TEST_F(DamagedArchiveTest, ADamagedBlockIsToldOnceAndRecordingGoesOnInTheSameFile)
{
    for (const bool ring : {true, false}) {
        SCOPED_TRACE(ring ? "one file" : "file per period");
        const QString base = ring ? QStringLiteral("kruh") : QStringLiteral("hodina");
        const QString path = Record(base, ring);
        EditStream(path, archive::SlotStreamName(1), [](QByteArray& block) { block.chop(1); });

        const std::size_t noticesBefore = m_host.Notices().size();
        TestArchivData data;
        Prepare(data);
        ASSERT_EQ(Start(data, base, ring), 1);
        EXPECT_EQ(data.GetFilePath(), path);
        for (DWORD i = 77; i < 79; ++i)
            ASSERT_EQ(WriteWordBlock(data, i, !ring), 1);
        data.Close();

        ASSERT_EQ(m_host.Notices().size(), noticesBefore + 1);
        const QString notice = m_host.Notices().back();
        EXPECT_TRUE(notice.contains("Linka")) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QFileInfo(path).fileName())) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QString::fromUtf8("poškozený blok 1."))) << notice.toStdString();
        EXPECT_TRUE(SetAside(path).isEmpty());
        EXPECT_EQ(WordsOf(AllRecords(path)), (std::vector<DWORD>{0, 2, 77, 78}));
    }
}

// The file as it stands before each change of a first start (creation and
// the first block): a kill lands between two of them, as the compound file
// makes every change whole or nothing; and before the file's first write.
TEST_F(DamagedArchiveTest, CreationKilledAtEveryWriteIsCompletedOrSetAsideOnTheNextStart)
{
    for (const bool ring : {true, false}) {
        SCOPED_TRACE(ring ? "one file" : "file per period");
        const QString base = ring ? QStringLiteral("zalozeni") : QStringLiteral("obdobi");
        const QDir dir(m_dir.path());
        auto ourFiles = [&]() { return dir.entryList({base + "*"}, QDir::Files); };
        std::vector<QByteArray> states{QByteArray()};
        m_provider->FailWhen([&](const std::string& op, const std::string&) {
            const QStringList files = ourFiles();
            if (op != "read" && op != "readat" && op != "open" && files.size() == 1) {
                const QByteArray now = ReadFile(dir.filePath(files[0]));
                if (now != states.back())
                    states.push_back(now);
            }
            return false;
        });
        QString path;
        {
            TestArchivData first;
            Prepare(first);
            ASSERT_EQ(Start(first, base, ring), 1);
            ASSERT_EQ(WriteWordBlock(first, 1, !ring), 1);
            path = first.GetFilePath();
        }
        m_provider->FailWhen(nullptr);
        ASSERT_GE(states.size(), 4u);

        int completed = 0;
        for (std::size_t i = 0; i < states.size(); ++i) {
            SCOPED_TRACE("killed before change " + std::to_string(i));
            for (const QString& f : ourFiles())
                ASSERT_TRUE(QFile::remove(dir.filePath(f)));
            WriteFile(path, states[i]);

            TestArchivData data;
            Prepare(data);
            ASSERT_EQ(Start(data, base, ring), 1);
            ASSERT_EQ(WriteWordBlock(data, 77, !ring), 1);
            EXPECT_EQ(data.GetFilePath(), path);
            EXPECT_EQ(data.GetInstrumentName(), "Linka");
            data.Close();
            const QStringList aside = SetAside(path);
            if (aside.isEmpty())
                ++completed;
            else
                EXPECT_EQ(ReadFile(dir.filePath(aside.value(0))), states[i]);
            const std::vector<DWORD> words = WordsOf(AllRecords(path));
            EXPECT_NE(std::find(words.begin(), words.end(), DWORD(77)), words.end());
        }
        // Everything up to the first block is completed in place.
        EXPECT_GE(completed, 3);
        EXPECT_TRUE(m_host.Asked().empty());
    }
}

TEST(ArchivSetAside, NameSaysDamagedWithTheTimeAndIsFree)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("linka.tst");
    const CTime when(2024, 3, 10, 10, 25, 30);
    EXPECT_EQ(QFileInfo(archive::DamagedFileName(path, when)).fileName(), "linka.tst.poskozeny-20240310-102530");
    QFile taken(archive::DamagedFileName(path, when));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    EXPECT_EQ(QFileInfo(archive::DamagedFileName(path, when)).fileName(), "linka.tst.poskozeny-20240310-102530-2");
}

} // namespace
} // namespace storetest
