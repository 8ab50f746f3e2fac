#include "tools/archivetool/ArchiveTool.h"

#include "archive/store/VKArchivData.h"
#include "charts_data/ArchiveCsvExport.h"
#include "model/VKAktData.h"
#include "model/VKConfig.h"
#include "archive/store/ArchivHeader.h"
#include "platform/Cp1250.h"
#include "platform/cfb/cfb.h"
#include "support/DamagedFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>

namespace {

using platform::CTime;

// 10.3.2024 10:00 local time.
const CTime kStart(2024, 3, 10, 10, 0, 0);

CVKAktData Values(int step)
{
    CVKAktData v;
    v.SetFrequencyCode(BYTE(128 + step % 3));
    v.SetTemperatureCode(104);
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, WORD(2300 + step + k));
        v.SetULine(k, WORD(3990 + k));
        v.SetI(k, std::int16_t(3200 + 10 * step));
        v.SetPF(k, 95);
        v.SetCos(k, 96);
        v.SetP(k, 7200000 + step);
        v.SetQ(k, -1800000);
        v.SetS(k, 7500000);
    }
    return v;
}

// A VK archive of 25 one-minute measurements in three blocks (10, 10, 5),
// one settings record and one event text, written by the store.
class ArchiveToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = Write(QStringLiteral("hala"), 25);
        ASSERT_FALSE(m_path.isEmpty());
    }

    QString Write(const QString& base, int count)
    {
        auto now = std::make_shared<std::atomic<std::uint32_t>>(kStart.GetTime());
        CVKArchivData writer;
        writer.SetTimeSource([now] { return CTime(now->load()); });
        if (writer.Create(86400, 10, 60, m_dir.filePath(base), QStringLiteral(".vk"), TRUE, TRUE,
                          QStringLiteral("Hala")) != 1)
            return {};
        CVKConfig config;
        config.SetVtPrimary(400);
        config.SetVoltageWord(100);
        config.SetCtRatioDword(100);
        config.SetConnection(CVKConfig::Star);
        writer.AddConfigRecord(config);
        writer.AddRecord(QStringLiteral("Výpadek komunikace"), kRecordError);
        for (int i = 0; i < count; ++i) {
            now->fetch_add(60);
            writer.AddMeasurementRecord(Values(i));
            if ((i + 1) % 10 == 0 || i + 1 == count) {
                now->fetch_add(1);
                const int mode = writer.EndBlock(FALSE, TRUE, 60);
                if (writer.Flush(FALSE, mode, QStringLiteral("Hala")) != 1)
                    return {};
            }
        }
        writer.Close();
        return m_dir.filePath(base + QStringLiteral(".vk"));
    }

    int Run(const QStringList& args)
    {
        m_out.clear();
        m_err.clear();
        QTextStream out(&m_out);
        QTextStream err(&m_err);
        return archivetool::Run(args, out, err);
    }

    // The CSV's table rows (behind the preamble and the caption line, before
    // the three empty lines).
    static QStringList TableRows(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = platform::FromCp1250(file.readAll()).split(QStringLiteral("\r\n"));
        QStringList rows;
        for (int i = 5; i < lines.size(); ++i)
            if (lines[i].startsWith(QLatin1Char('"')))
                rows << lines[i];
        return rows;
    }

    QTemporaryDir m_dir;
    QString m_path;
    QString m_out;
    QString m_err;
};

TEST_F(ArchiveToolTest, InfoTellsFamilyInstrumentBlocksAndRange)
{
    ASSERT_EQ(Run({QStringLiteral("info"), m_path}), archivetool::kExitOk) << m_err.toStdString();
    EXPECT_TRUE(m_out.contains(QStringLiteral("family: VK\n")));
    EXPECT_TRUE(m_out.contains(QStringLiteral("instrument: Hala\n")));
    EXPECT_TRUE(m_out.contains(QStringLiteral("blocks: 3\n")));
    EXPECT_TRUE(m_out.contains(QStringLiteral("measurements: 25\n")));
    EXPECT_TRUE(m_out.contains(QStringLiteral("first: 2024-03-10 10:00:00\n"))) << m_out.toStdString();
    EXPECT_TRUE(m_out.contains(QStringLiteral("last: 2024-03-10 10:25:0"))) << m_out.toStdString();
    EXPECT_TRUE(m_err.isEmpty());
}

TEST_F(ArchiveToolTest, RecordsListEveryRecordWithItsEventText)
{
    ASSERT_EQ(Run({QStringLiteral("records"), m_path}), archivetool::kExitOk) << m_err.toStdString();
    const QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(QStringLiteral("\tmeasurement")).size(), 25);
    EXPECT_EQ(lines.filter(QStringLiteral("1 settings\t")).size(), 1);
    const QStringList events = lines.filter(QStringLiteral("4 error\t"));
    ASSERT_EQ(events.size(), 1);
    EXPECT_TRUE(events[0].endsWith(QStringLiteral("\"Výpadek komunikace\""))) << events[0].toStdString();
    // In time order.
    for (int i = 1; i < lines.size(); ++i)
        EXPECT_LE(lines[i - 1].left(19), lines[i].left(19)) << i;
}

// The file is the value list's export: the same bytes as the program's
// export of the same window, every measurement a row, a time range cutting
// the rows.
TEST_F(ArchiveToolTest, CsvIsTheValueListExportOfTheWindow)
{
    const QString out = m_dir.filePath(QStringLiteral("all.csv"));
    ASSERT_EQ(Run({QStringLiteral("csv"), m_path, out}), archivetool::kExitOk) << m_err.toStdString();
    const QStringList rows = TableRows(out);
    ASSERT_EQ(rows.size(), 26) << rows.join(u'\n').toStdString(); // the event's row too
    // The event first, with no values; the measurements scaled by the
    // settings in force (a voltage ratio of 4).
    EXPECT_TRUE(rows.first().startsWith(QStringLiteral("\"10.03 10:00:00\";\"0\";\"--\";"))) << rows.first().toStdString();
    EXPECT_TRUE(rows.last().startsWith(QStringLiteral("\"10.03 10:25:02\";\"1502\";\"929,6\";"))) << rows.last().toStdString();

    // The program's export of the same window (the whole file: its first
    // record to a second past its last) from a document's archive, scaled and
    // walked as its value list leaves it.
    const QString expected = m_dir.filePath(QStringLiteral("expected.csv"));
    {
        CVKArchivData bound;
        ASSERT_EQ(bound.Open(m_path), 1);
        ASSERT_EQ(bound.ReadHeader(), 1);
        charts::CsvWindow window;
        window.start = kStart;
        window.span = 25 * 60 + 2 + 1;
        window.blocks = {0, 1, 2};
        charts::csvfamily::LoadWindow(bound, window);
        charts::csvfamily::ScaleAndWalkLikeTheList(bound);
        charts::CVKCsvExport exporter;
        exporter.Prepare(bound, window);
        charts::VKCsvColumns columns;
        columns.flags.fill(1);
        QString error;
        ASSERT_EQ(exporter.Write(expected, charts::kCsvDecimalComma, columns, error), 1) << error.toStdString();
        bound.Close();
    }
    QFile a(out), b(expected);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    const QString part = m_dir.filePath(QStringLiteral("part.csv"));
    ASSERT_EQ(Run({QStringLiteral("csv"), m_path, part, QStringLiteral("--from"), QStringLiteral("2024-03-10 10:05"),
                   QStringLiteral("--to"), QStringLiteral("2024-03-10T10:12:00")}),
              archivetool::kExitOk)
        << m_err.toStdString();
    const QStringList some = TableRows(part);
    ASSERT_EQ(some.size(), 7) << some.join(u'\n').toStdString(); // 10:05 to 10:11, the end excluded
    EXPECT_TRUE(some.first().startsWith(QStringLiteral("\"10.03 10:05:00\";\"0\";"))) << some.first().toStdString();
    EXPECT_TRUE(some.last().startsWith(QStringLiteral("\"10.03 10:11:01\";"))) << some.last().toStdString();
}

TEST_F(ArchiveToolTest, BadCommandLinesAreUsageErrors)
{
    const QStringList bad[] = {
        {},
        {QStringLiteral("info")},
        {QStringLiteral("dump"), m_path},
        {QStringLiteral("csv"), m_path},
        {QStringLiteral("csv"), m_path, QStringLiteral("x.csv"), QStringLiteral("--from")},
        {QStringLiteral("csv"), m_path, QStringLiteral("x.csv"), QStringLiteral("--from"), QStringLiteral("včera")},
        {QStringLiteral("info"), m_path, QStringLiteral("navíc")},
    };
    for (const QStringList& args : bad) {
        EXPECT_EQ(Run(args), archivetool::kExitUsage) << args.join(u' ').toStdString();
        EXPECT_FALSE(m_err.isEmpty());
    }
}

// Whatever the file holds, every command ends with a message and status 2
// (or reads what is sound); none crashes.
TEST_F(ArchiveToolTest, DamagedFilesGiveStatusTwoAndAMessage)
{
    QFile original(m_path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();
    auto make = [&](const QString& name, const QByteArray& content) {
        QFile f(m_dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        return f.fileName();
    };
    const struct {
        QString path;
        bool mustFail;
    } files[] = {
        {m_dir.filePath(QStringLiteral("chybi.vk")), true},
        {make(QStringLiteral("prazdny.vk"), {}), true},
        {make(QStringLiteral("text.vk"), "toto neni archiv\n"), true},
        {make(QStringLiteral("pulka.vk"), bytes.left(bytes.size() / 2)), true},
        {make(QStringLiteral("archiv.txt"), bytes), true},
    };
    const QString csv = m_dir.filePath(QStringLiteral("damaged.csv"));
    for (const auto& f : files) {
        for (const QStringList& args : {QStringList{QStringLiteral("info"), f.path},
                                        QStringList{QStringLiteral("records"), f.path},
                                        QStringList{QStringLiteral("csv"), f.path, csv}}) {
            EXPECT_EQ(Run(args), archivetool::kExitBadFile) << args.join(u' ').toStdString();
            EXPECT_TRUE(m_err.contains(f.path)) << m_err.toStdString();
        }
    }

    // Bytes overwritten all over the file, one place at a time.
    for (qsizetype at = 0; at < bytes.size(); at += 509) {
        QByteArray broken = bytes;
        for (qsizetype i = at; i < std::min(at + 64, broken.size()); ++i)
            broken[i] = char(0xA5 ^ i);
        const QString path = make(QStringLiteral("poskozeny.vk"), broken);
        for (const QStringList& args : {QStringList{QStringLiteral("info"), path},
                                        QStringList{QStringLiteral("records"), path},
                                        QStringList{QStringLiteral("csv"), path, csv}}) {
            const int rc = Run(args);
            EXPECT_TRUE(rc == archivetool::kExitOk || rc == archivetool::kExitBadFile)
                << args.join(u' ').toStdString() << " at " << at << ": " << rc;
            if (rc == archivetool::kExitBadFile) {
                EXPECT_FALSE(m_err.isEmpty());
            }
        }
    }
}

// The file is only read: a reader's shared hold on it leaves the tool
// reading, the program's hold while it records makes the tool say the file is
// in use (not damaged), and not one byte of it changes either way.
TEST_F(ArchiveToolTest, ReadingNeverWritesTheFileAndAFileBeingRecordedIsInUse)
{
    QFile original(m_path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();
    const int held = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const QString csv = m_dir.filePath(QStringLiteral("drzeny.csv"));
    const QList<QStringList> commands{{QStringLiteral("info"), m_path},
                                      {QStringLiteral("records"), m_path},
                                      {QStringLiteral("csv"), m_path, csv}};

    ASSERT_EQ(::flock(held, LOCK_SH | LOCK_NB), 0);
    for (const QStringList& args : commands)
        EXPECT_EQ(Run(args), archivetool::kExitOk) << args.join(u' ').toStdString() << ": " << m_err.toStdString();

    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    for (const QStringList& args : commands) {
        EXPECT_EQ(Run(args), archivetool::kExitBadFile) << args.join(u' ').toStdString();
        EXPECT_TRUE(m_err.contains(QString::fromUtf8("používá jiný program"))) << m_err.toStdString();
        EXPECT_FALSE(m_err.contains(QString::fromUtf8("poškoz"))) << m_err.toStdString();
    }
    ::close(held);

    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), bytes);
}

// A damaged block hides nothing after it: every reader passes over it, names
// it, and reads the blocks before and after; the export takes the readable
// blocks. The block may hold garbage, or the container may give its stream
// a size far beyond what the file holds, so that it cannot be read at all.
TEST_F(ArchiveToolTest, ADamagedBlockInTheMiddleIsNamedAndTheRestIsRead)
{
    QFile original(m_path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray sound = original.readAll();
    original.close();
    const struct {
        const char* name;
        std::function<void()> damage;
    } cases[] = {
        {"garbage in the block",
         [&] {
             auto file = cfb::CompoundFile::open(QFile::encodeName(m_path).toStdString(), cfb::OpenMode::ReadWrite);
             ASSERT_TRUE(file);
             auto written = (*file)->readStream(archive::SlotStreamName(1));
             ASSERT_TRUE(written);
             std::vector<std::uint8_t> garbage(written->size(), 0xA5);
             ASSERT_TRUE((*file)->writeStream(archive::SlotStreamName(1), garbage));
         }},
        {"stream size too large",
         [&] { ASSERT_TRUE(testsupport::SetStreamSizeField(m_path, QStringLiteral("A1"), 50000000)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(sound);
        file.close();
        c.damage();

        ASSERT_EQ(Run({QStringLiteral("info"), m_path}), archivetool::kExitBadFile);
        EXPECT_TRUE(m_out.contains(QStringLiteral("measurements: 15\n"))) << m_out.toStdString();
        EXPECT_TRUE(m_out.contains(QStringLiteral("last: 2024-03-10 10:25:0"))) << m_out.toStdString();
        const QString named = QString::fromUtf8("Blok 1 je poškozený; ostatní bloky jsou přečteny.");
        EXPECT_TRUE(m_err.contains(named)) << m_err.toStdString();

        ASSERT_EQ(Run({QStringLiteral("records"), m_path}), archivetool::kExitBadFile);
        EXPECT_TRUE(m_out.contains(QStringLiteral("2024-03-10 10:25:"))) << m_out.toStdString();
        EXPECT_TRUE(m_err.contains(named));

        const QString csv = m_dir.filePath(QStringLiteral("bez-bloku.csv"));
        QFile::remove(csv);
        ASSERT_EQ(Run({QStringLiteral("csv"), m_path, csv}), archivetool::kExitBadFile) << m_err.toStdString();
        EXPECT_EQ(m_err.trimmed().toStdString(),
                  (QStringLiteral("archivetool: ") + m_path + QStringLiteral(": ") + named).toStdString());
        const QStringList rows = TableRows(csv);
        ASSERT_EQ(rows.size(), 16) << rows.join(u'\n').toStdString(); // the first and last blocks, the event too
        EXPECT_TRUE(rows.last().startsWith(QStringLiteral("\"10.03 10:25:02\";"))) << rows.last().toStdString();
    }
}

// A block cut short keeps the records before the cut: every reader lists
// them, as many as it counts, and names the block.
TEST_F(ArchiveToolTest, TheRecordsOfADamagedBlockBeforeTheDamageAreRead)
{
    {
        auto file = cfb::CompoundFile::open(QFile::encodeName(m_path).toStdString(), cfb::OpenMode::ReadWrite);
        ASSERT_TRUE(file);
        auto written = (*file)->readStream(archive::SlotStreamName(1));
        ASSERT_TRUE(written);
        std::vector<std::uint8_t> head(written->begin(), written->begin() + std::ptrdiff_t(written->size() / 2));
        ASSERT_TRUE((*file)->writeStream(archive::SlotStreamName(1), head));
    }
    ASSERT_EQ(Run({QStringLiteral("records"), m_path}), archivetool::kExitBadFile);
    EXPECT_TRUE(m_err.contains(QString::fromUtf8("Blok 1 je poškozený"))) << m_err.toStdString();
    const QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const qsizetype listed = lines.filter(QStringLiteral("\tmeasurement")).size();
    EXPECT_GT(listed, 15) << m_out.toStdString();
    EXPECT_LT(listed, 25) << m_out.toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("2024-03-10 10:11:01\t")).size(), 1) << m_out.toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("2024-03-10 10:25:02\t")).size(), 1) << m_out.toStdString();

    ASSERT_EQ(Run({QStringLiteral("info"), m_path}), archivetool::kExitBadFile);
    EXPECT_TRUE(m_out.contains(QStringLiteral("measurements: %1\n").arg(listed))) << m_out.toStdString();
}

// The program itself, on a file that is no archive.
TEST_F(ArchiveToolTest, ProgramEndsWithStatusTwoOnADamagedFile)
{
    QFile f(m_dir.filePath(QStringLiteral("rozbity.vk")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, '\x5a'));
    f.close();
    QProcess tool;
    tool.start(QStringLiteral(ARCHIVETOOL_PATH), {QStringLiteral("info"), f.fileName()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), archivetool::kExitBadFile);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains(f.fileName()));
}

} // namespace
