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

    QTemporaryDir m_dir;
    std::shared_ptr<std::atomic<std::uint32_t>> m_now = std::make_shared<std::atomic<std::uint32_t>>(0);
};

} // namespace statstest
