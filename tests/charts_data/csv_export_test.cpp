// The value-list export written from a real VK archive in a temporary folder:
// the file's bytes exactly, both decimal choices, the closing lines, failures.
#include "charts_data/ArchiveCsvExport.h"

#include "platform/Cp1250.h"
#include "support/DamagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using platform::CTime;

CVKConfig Config()
{
    CVKConfig c;
    c.SetVtPrimary(100);
    c.SetVoltageWord(100);
    c.SetCtRatioDword(1);
    c.SetConnection(CVKConfig::Star);
    return c;
}

CVKAktData Values(int step)
{
    CVKAktData v;
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, WORD(2300 + 5 * step + k));
        v.SetI(k, std::int16_t(3200 * (k + 1) + step));
        v.SetPF(k, std::int8_t(90 + k));
        v.SetCos(k, std::int8_t(95));
    }
    v.SetFrequencyCode(BYTE(128));
    return v;
}

class CsvExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_start = CTime(2024, 3, 10, 10, 0, 0);
        Use(m_writer);
        SetTime(m_start);
        ASSERT_EQ(m_writer.Create(20 * 600, 10, 60, m_dir.filePath(QStringLiteral("hala")), QStringLiteral(".vk"),
                                  TRUE, TRUE, QStringLiteral("Linka")),
                  1);
    }
    void TearDown() override { m_writer.Close(); }

    void Use(CArchivData& data)
    {
        auto now = m_now;
        data.SetTimeSource([now] { return CTime(now->load()); });
    }
    void SetTime(CTime t) { m_now->store(t.GetTime()); }

    // One block of settings and `count` measurements a minute apart; a
    // measurement of step `gap` has no phase-1 voltage.
    void WriteBlock(int count, int gap = -1)
    {
        m_writer.AddConfigRecord(Config());
        for (int i = 0; i < count; ++i) {
            SetTime(CTime(m_now->load() + 60));
            CVKAktData v = Values(i);
            if (i == gap)
                v.SetU(0, 0xFFFF);
            m_writer.AddMeasurementRecord(v);
        }
        SetTime(CTime(m_now->load() + 1));
        const int mode = m_writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(m_writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }

    // The bound archive of a value list: the file, its whole first hour.
    void OpenBound(CVKArchivData& bound)
    {
        Use(bound);
        ASSERT_EQ(bound.Open(m_dir.filePath(QStringLiteral("hala.vk"))), 1);
        ASSERT_EQ(bound.ReadHeader(), 1);
        ASSERT_EQ(bound.Window().Load(bound, {0}, m_start, 3600), 1);
    }

    static charts::VKCsvColumns Columns(std::initializer_list<int> checked)
    {
        charts::VKCsvColumns c;
        for (int k : checked)
            c.flags[std::size_t(k)] = 1;
        return c;
    }

    QByteArray Export(const charts::VKCsvColumns& columns, int decimal, QString* defaultPath = nullptr)
    {
        CVKArchivData bound;
        OpenBound(bound);
        charts::CVKCsvExport job;
        job.Prepare(bound, charts::CsvWindow::Of(bound.Window()));
        if (defaultPath)
            *defaultPath = job.DefaultPath();
        const QString path = m_dir.filePath(QStringLiteral("out"));
        QString error;
        EXPECT_EQ(job.Write(path, decimal, columns, error), 1) << error.toStdString();
        QFile file(path + QStringLiteral(".csv"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir m_dir;
    std::shared_ptr<std::atomic<std::uint32_t>> m_now = std::make_shared<std::atomic<std::uint32_t>>(0);
    CTime m_start;
    CVKArchivData m_writer;
};

// The file as a spreadsheet reads it: Czech labels in code page 1250, CR LF,
// every field quoted and followed by the separator.
QByteArray Cp1250Lines(const QString& text)
{
    return platform::ToCp1250(QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
}

TEST_F(CsvExportTest, DecimalCommaWritesTheWindowWithSemicolonsAndNoValueCells)
{
    WriteBlock(3, 1);
    QString proposed;
    const QByteArray bytes = Export(Columns({0, 3, 6}), charts::kCsvDecimalComma, &proposed);
    const QByteArray expected = Cp1250Lines(QStringLiteral("\"přístroj:\";\"hala\";;;;\n"
                                                           "\"od:\";\"10.03.24 10:00:00\";;;;\n"
                                                           "\"do:\";\"10.03.24 11:00:00\";;;;\n"
                                                           "\n"
                                                           "\"Čas1\";\"Čas2 [s]\";\"U1 [V]\";\"I1 [A]\";\"PF1 []\";\n"
                                                           "\"10.03 10:01:00\";\"60\";\"230,0\";\"1,000\";\"0,90\";\n"
                                                           "\"10.03 10:02:00\";\"120\";\"--\";\"1,000\";\"0,90\";\n"
                                                           "\"10.03 10:03:00\";\"180\";\"231,0\";\"1,001\";\"0,90\";\n"
                                                           ";;;;\n;;;;\n;;;;\n"));
    EXPECT_EQ(bytes, expected);
    EXPECT_TRUE(bytes.contains("\"\xC8" "as1\"")); // Č in code page 1250

    // The proposal lies beside the private copy, which goes with the export.
    EXPECT_EQ(proposed, m_dir.filePath(QStringLiteral("data.csv")));
    const QStringList left = QDir(m_dir.path()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList({QStringLiteral("hala.vk"), QStringLiteral("out.csv")}));
}

TEST_F(CsvExportTest, DecimalPointSeparatesWithCommasAndKeepsPoints)
{
    WriteBlock(2);
    const QByteArray bytes = Export(Columns({0}), charts::kCsvDecimalPoint);
    const QByteArray expected = Cp1250Lines(QStringLiteral("\"přístroj:\",\"hala\",,\n"
                                                           "\"od:\",\"10.03.24 10:00:00\",,\n"
                                                           "\"do:\",\"10.03.24 11:00:00\",,\n"
                                                           "\n"
                                                           "\"Čas1\",\"Čas2 [s]\",\"U1 [V]\",\n"
                                                           "\"10.03 10:01:00\",\"60\",\"230.0\",\n"
                                                           "\"10.03 10:02:00\",\"120\",\"230.5\",\n"
                                                           ",,\n,,\n,,\n"));
    EXPECT_EQ(bytes, expected);
}

TEST_F(CsvExportTest, WithoutCheckedColumnsRowsHoldTimeAndSecondsOnly)
{
    // More rows than one block read of the store returns.
    WriteBlock(25);
    const QByteArray bytes = Export(Columns({}), charts::kCsvDecimalComma);
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 5 + 25 + 3 + 1);
    EXPECT_EQ(lines[4], Cp1250Lines(QStringLiteral("\"Čas1\";\"Čas2 [s]\";")) + "\r");
    for (int r = 0; r < 25; ++r)
        EXPECT_EQ(lines[5 + r], CTime(m_start.GetTime() + 60 * (r + 1)).Format(QStringLiteral("\"%d.%m %H:%M:%S\";\""))
                                        .toLatin1()
                                    + QByteArray::number(60 * (r + 1)) + "\";\r");
    EXPECT_EQ(lines[30], ";\r");
    EXPECT_EQ(lines[32], ";\r");
    EXPECT_EQ(lines[33], "");
}

TEST_F(CsvExportTest, AFileThatCannotBeWrittenIsReportedAndNothingIsLeft)
{
    WriteBlock(2);
    CVKArchivData bound;
    OpenBound(bound);
    {
        charts::CVKCsvExport job;
        job.Prepare(bound, charts::CsvWindow::Of(bound.Window()));
        QString error;
        EXPECT_EQ(job.Write(m_dir.filePath(QStringLiteral("missing/folder/out.csv")), charts::kCsvDecimalComma,
                            Columns({0}), error),
                  0);
        EXPECT_EQ(error, QStringLiteral("Soubor se nepodařilo otevřít."));
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList(QStringLiteral("hala.vk")));
}

// A block of the window whose stream the file cannot give at all (its size
// lies beyond the file): the export holds the rows of every other block and,
// in its place, the row the list shows for it, as the list itself reads.
TEST_F(CsvExportTest, ABlockThatCannotBeReadCostsOnlyItsOwnRows)
{
    for (int block = 0; block < 3; ++block)
        WriteBlock(2);
    m_writer.Close();
    ASSERT_TRUE(testsupport::SetStreamSizeField(m_dir.filePath(QStringLiteral("hala.vk")), QStringLiteral("A1"), 50000000));

    CVKArchivData bound;
    Use(bound);
    ASSERT_EQ(bound.Open(m_dir.filePath(QStringLiteral("hala.vk"))), 1);
    ASSERT_EQ(bound.ReadHeader(), 1);
    EXPECT_EQ(bound.Window().Load(bound, {0, 1, 2}, m_start, 3600), 0);
    charts::CVKCsvExport job;
    job.Prepare(bound, charts::CsvWindow::Of(bound.Window()));
    const QString path = m_dir.filePath(QStringLiteral("out.csv"));
    QString error;
    ASSERT_EQ(job.Write(path, charts::kCsvDecimalComma, Columns({0}), error), 1) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), Cp1250Lines(QStringLiteral("\"přístroj:\";\"hala\";;\n"
                                                         "\"od:\";\"10.03.24 10:00:00\";;\n"
                                                         "\"do:\";\"10.03.24 11:00:00\";;\n"
                                                         "\n"
                                                         "\"Čas1\";\"Čas2 [s]\";\"U1 [V]\";\n"
                                                         "\"10.03 10:01:00\";\"60\";\"230,0\";\n"
                                                         "\"10.03 10:02:00\";\"120\";\"230,5\";\n"
                                                         "\"10.03 10:03:02\";\"182\";\"--\";\n"
                                                         "\"10.03 10:05:02\";\"302\";\"230,0\";\n"
                                                         "\"10.03 10:06:02\";\"362\";\"230,5\";\n"
                                                         ";;\n;;\n;;\n")));
}

TEST(CsvRowsTest, ARowTheStoreCannotGiveIsLeftOutAndTheRestFollow)
{
    charts::CsvExportData data;
    data.instrument = QStringLiteral("A");
    data.captions = QStringList({QStringLiteral("Čas"), QStringLiteral("U1 [V]")});
    data.rowCount = 4;
    // Row 1 is damaged: the store gives nothing for it, and no block reaches
    // past it.
    data.rows = [](int r, int& count, int& first, std::vector<int>& seconds) {
        std::vector<QStringList> rows;
        first = r;
        for (int i = r; i < 4 && r != 1 && !(r == 0 && i == 1); ++i) {
            rows.push_back({QStringLiteral("t%1").arg(i), QStringLiteral("%1.5").arg(i)});
            seconds.push_back(60 * i);
        }
        count = int(rows.size());
        return rows;
    };
    const QByteArray bytes = charts::BuildArchiveCsv(charts::kCsvDecimalPoint, data);
    EXPECT_TRUE(bytes.contains("\"t0\",\"0\",\"0.5\",\r\n\"t2\",\"120\",\"2.5\",\r\n\"t3\",\"180\",\"3.5\",\r\n,,\r\n"))
        << bytes.constData();
}

TEST(CsvPathTest, TypedPathsGetTheExtensionOnlyWhenItDoesNotEndThem)
{
    const struct {
        const char* typed;
        const char* used;
    } cases[] = {
        {"data", "data.csv"},
        {"  /tmp/data.csv  ", "/tmp/data.csv"},
        {"/tmp/a.csv.txt", "/tmp/a.csv.txt.csv"},
        {"x.CSV", "x.CSV"},
        {"x.Csv", "x.Csv"},
        {"", ".csv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(charts::NormaliseCsvPath(QString::fromLatin1(c.typed)), QString::fromLatin1(c.used)) << c.typed;
    EXPECT_EQ(charts::DefaultCsvPath(QStringLiteral("/d/m/hala102030temp.vk")), QStringLiteral("/d/m/data.csv"));
    EXPECT_EQ(charts::DefaultCsvPath(QStringLiteral("C:\\m\\hala.vk")), QStringLiteral("C:\\m\\data.csv"));
}

} // namespace
