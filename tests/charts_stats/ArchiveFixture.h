#pragma once

#include "archive/store/ArchivData.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace statstest {

inline platform::CTime At(int hour, int minute, int second = 0)
{
    return platform::CTime(2024, 3, 10, hour, minute, second);
}

// A temporary folder and a clock the test sets, for archives written by the
// family writers and read back.
class ArchiveFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    void Use(CArchivData& data)
    {
        auto now = m_now;
        data.SetTimeSource([now] { return platform::CTime(now->load()); });
    }
    void SetTime(platform::CTime t) { m_now->store(t.GetTime()); }
    void EndBlock(CArchivData& store)
    {
        const int mode = store.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(store.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }
    // The written blocks of a file, oldest first (the tests write fewer
    // blocks than the ring holds).
    static std::vector<int> WrittenSlots(CArchivData& reader, int ring)
    {
        std::vector<int> used;
        for (int slot = 0; slot < ring; ++slot) {
            CArchivRecordList block;
            if (!reader.ReadBlock(slot, block))
                break;
            used.push_back(slot);
        }
        return used;
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Twenty records every 60 s from 10:00 in two blocks of a new ring
    // archive: settings `first` before them, settings `second` at 10:09:50,
    // `values(i)` for record i. `reader` then holds the archive with its
    // window loaded over the twenty minutes. Each call takes a name of its
    // own: a ring archive created under an existing name resumes that file.
    template <class Family, class Config, class MakeValues>
    void WriteTwentyMinutes(Family& reader, const QString& extension, const Config& first, const Config& second,
                            MakeValues values)
    {
        using platform::CTimeSpan;
        const platform::CTime start = At(10, 0);
        const QString name = QStringLiteral("archiv%1").arg(++m_files);
        {
            Family writer;
            Use(writer);
            SetTime(start - CTimeSpan(30));
            EXPECT_EQ(writer.Create(20 * 600, 10, 60, Path(name), extension, TRUE, TRUE, QStringLiteral("Linka")), 1);
            writer.AddConfigRecord(first);
            for (int i = 0; i < 20; ++i) {
                if (i == 10) {
                    SetTime(start + CTimeSpan(i * 60 - 10));
                    writer.AddConfigRecord(second);
                }
                SetTime(start + CTimeSpan(i * 60));
                writer.AddMeasurementRecord(values(i));
                if (i % 10 == 9) {
                    SetTime(start + CTimeSpan(i * 60 + 30));
                    EndBlock(writer);
                }
            }
            EXPECT_TRUE(writer.WaitWriterIdle(10000));
            writer.Close();
        }
        Use(reader);
        EXPECT_EQ(reader.Open(Path(name + extension)), 1);
        EXPECT_EQ(reader.ReadHeader(), 1);
        reader.Window().Load(reader, WrittenSlots(reader, 22), start, 1200);
    }

    QTemporaryDir m_dir;
    std::shared_ptr<std::atomic<std::uint32_t>> m_now = std::make_shared<std::atomic<std::uint32_t>>(0);
    int m_files = 0;
};

} // namespace statstest
