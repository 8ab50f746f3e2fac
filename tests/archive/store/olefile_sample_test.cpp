#include "StoreTestSupport.h"

#include <cstdlib>

namespace storetest {
namespace {

// Writes the sample file that olefile_check.py reads with an independent
// compound-file reader; skipped in the ordinary test run.
TEST_F(StoreTest, WriteOlefileSample)
{
    const char* target = std::getenv("QORIN_OLE_SAMPLE");
    if (!target)
        GTEST_SKIP() << "run by olefile_check.py";
    const QString path = QString::fromLocal8Bit(target);
    QFile::remove(path);
    TestArchivData data;
    Prepare(data);
    ASSERT_EQ(data.Create(8 * 60, 1, 60, path.chopped(4), TestArchivData::Extension(), TRUE, TRUE, "Linka"), 1);
    data.AddRecord(QString::fromUtf8("Začátek záznamu dat."), kRecordState);
    ASSERT_EQ(WriteWordBlock(data, 7), 1);
    ASSERT_EQ(WriteWordBlock(data, 8), 1);
    std::optional<QByteArray> saved;
    auto stream = data.OpenSettingsSection(1, saved);
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->Write("graf", 4), 4);
    ASSERT_EQ(data.CloseSettingsSection(std::move(stream), 1, saved), 1);
}

} // namespace
} // namespace storetest
