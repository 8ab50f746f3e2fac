// The export of a VKT archive window: its blocks are given by the list (the
// store keeps its window to itself), and an error record is a row of dashes.
#include "charts_data/ArchiveCsvExport.h"

#include "platform/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using platform::CTime;

// 230 V and 5 A in every phase the presence flags give.
CAktData VKTValues(int step)
{
    CAktData v;
    const BYTE reply[2] = {0x00, 0x7F};
    v.CreateParts(reply, 2);
    for (int i = 0; i < CAktData::kInputs; ++i) {
        if (CAktPhase* ph = v.GetPhase(i)) {
            ph->voltage = WORD(9200 + 40 * step);
            ph->current = 25000;
        }
    }
    return v;
}

TEST(VKTCsvExportTest, ErrorRecordsExportAsDashesAndTheCopyGoes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto now = std::make_shared<std::atomic<std::uint32_t>>(CTime(2024, 3, 10, 10, 0, 0).GetTime());
    const CArchivData::TimeSource clock = [now] { return CTime(now->load()); };
    {
        CVKTArchivData writer;
        writer.SetTimeSource(clock);
        ASSERT_EQ(writer.Create(4 * 20 * 60, 20, 60, dir.filePath(QStringLiteral("hala")),
                                CVKTArchivData::Extension(), TRUE, TRUE, QStringLiteral("Hala")),
                  1);
        CVKTConfig config;
        config.SetConnection(CVKTConfig::Star);
        writer.AddConfigRecord(config);
        for (int i = 0; i < 3; ++i) {
            *now += 60;
            if (i == 1)
                writer.AddRecord(QStringLiteral("Přístroj neodpovídá"), kRecordError);
            else
                writer.AddMeasurementRecord(VKTValues(i));
        }
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Hala")), 1);
        writer.Close();
    }

    CVKTArchivData bound;
    bound.SetTimeSource(clock);
    const charts::CsvWindow window{{0}, CTime(2024, 3, 10, 10, 0, 0), 3600};
    ASSERT_EQ(bound.Open(dir.filePath(QStringLiteral("hala.vkt"))), 1);
    ASSERT_EQ(bound.LoadWindow(0, 1, window.start, window.span), 1);
    CVKTArchivData::Selection columns{};
    columns[0] = 1;
    const QString path = dir.filePath(QStringLiteral("vystup.csv"));
    {
        charts::CVKTCsvExport job;
        job.Prepare(bound, window);
        QString error;
        ASSERT_EQ(job.Write(path, charts::kCsvDecimalComma, columns, error), 1) << error.toStdString();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = platform::FromCp1250(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5 + 3 + 3 + 1);
    EXPECT_EQ(lines[0], QStringLiteral("\"přístroj:\";\"hala\";;"));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("\"Čas1\";\"Čas2 [s]\";\""))) << lines[4].toStdString();
    EXPECT_EQ(lines[5], QStringLiteral("\"10.03 10:01:00\";\"60\";\"230,0\";"));
    EXPECT_EQ(lines[6], QStringLiteral("\"10.03 10:02:00\";\"120\";\"--\";"));
    EXPECT_EQ(lines[7], QStringLiteral("\"10.03 10:03:00\";\"180\";\"232,0\";"));
    EXPECT_EQ(lines[8], QStringLiteral(";;"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList({QStringLiteral("hala.vkt"), QStringLiteral("vystup.csv")}));
}

} // namespace
