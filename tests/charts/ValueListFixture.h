#pragma once
// A VK archive written by the family writer on a fake clock, and a document
// window over all of it.
#include "archive_docs/ArchivDocData.h"
#include "archive/store/StoreTestSupport.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKArchivTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace valuelist {

using platform::CTime;

class VKArchiveFixture : public ::testing::Test {
protected:
    void WriteArchive(int blocks, int perBlock = 10)
    {
        ASSERT_TRUE(m_dir.isValid());
        m_clock.Set(CTime(1233478800)); // 2009-02-01 10:00 local
        m_writer.SetTimeSource(m_clock.Source());
        ASSERT_EQ(m_writer.Create((blocks + 4) * perBlock * 60, perBlock, 60, m_dir.filePath(QStringLiteral("hala")),
                                  QStringLiteral(".vk"), TRUE, TRUE, QStringLiteral("Linka")),
                  1);
        for (int b = 0; b < blocks; ++b) {
            m_writer.AddConfigRecord(vktest::VKConfig(400, 100));
            for (int i = 0; i < perBlock; ++i) {
                m_clock.Advance(60);
                m_times.push_back(m_clock.Get());
                m_writer.AddMeasurementRecord(vktest::VKValues(int(m_times.size())));
            }
            m_clock.Advance(1);
            const int mode = m_writer.EndBlock(FALSE, TRUE, 60);
            ASSERT_EQ(m_writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
        }
        m_data = std::make_unique<TArchivDocData<CVKArchivData>>();
        ASSERT_EQ(m_data->Open(m_dir.filePath(QStringLiteral("hala.vk"))), 1);
        ASSERT_EQ(m_data->OpenAtEnd(), 1);
        CTime start;
        CTime end;
        m_data->GetFileRange(start, end);
        m_data->SetWindow(start, end);
    }
    void TearDown() override
    {
        if (m_data)
            m_data->Close();
        m_writer.Close();
    }

    QTemporaryDir m_dir;
    storetest::FakeClock m_clock;
    CVKArchivData m_writer;
    std::vector<CTime> m_times;
    std::unique_ptr<TArchivDocData<CVKArchivData>> m_data;
};

} // namespace valuelist
