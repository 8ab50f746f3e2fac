#include "import_support.h"

#include "archive/store/ArchivImportFileList.h"

#include <QFile>

using namespace importtest;
using storetest::StoreTest;

namespace {

class ImportFileListTest : public StoreTest {
protected:
    // An archive whose one block starts at `t`.
    void MakeArchive(const QString& name, CTime t)
    {
        CVKDownloadArchivData import;
        Prepare(import);
        ASSERT_EQ(import.NewHeader(Path(name), QStringLiteral("Hala")), 1);
        ASSERT_EQ(import.AddDownloadEvent(t), 1);
    }
    static QStringList Names(const CArchivImportFileList& list)
    {
        QStringList out;
        for (const auto& e : list.Entries())
            out << QFileInfo(e.fileName).fileName();
        return out;
    }

    const CTime m_from{2024, 1, 15, 8, 0, 0};
    const CTime m_to{2024, 1, 17, 20, 0, 0};
};

TEST_F(ImportFileListTest, OneNewFilePerDay)
{
    CArchivImportFileList list;
    EXPECT_EQ(list.FindFiles(Path("hala"), QStringLiteral("vk"), m_from, m_to, 86400), 3);
    EXPECT_EQ(Names(list), (QStringList{"hala_Y24D0115H00.vk", "hala_Y24D0116H00.vk", "hala_Y24D0117H00.vk"}));
    EXPECT_EQ(list.Entries()[0].first, CTime(2024, 1, 15, 0, 0, 0));
    EXPECT_EQ(list.Entries()[0].last, CTime(2024, 1, 16, 0, 0, 0));
    EXPECT_EQ(list.Entries()[2].last, CTime(2024, 1, 18, 0, 0, 0));
}

TEST_F(ImportFileListTest, TakenNamesGetACounter)
{
    for (const char* name : {"hala_Y24D0115H00.vk", "hala_Y24D0115H00DUP1.vk"}) {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)); // not an archive: not listed, but its name is taken
    }
    CArchivImportFileList list;
    list.FindFiles(Path("hala"), QStringLiteral("vk"), m_from, CTime(2024, 1, 15, 20, 0, 0), 86400);
    EXPECT_EQ(Names(list), (QStringList{"hala_Y24D0115H00DUP2.vk"}));
}

TEST_F(ImportFileListTest, ExistingFileOfThePeriodIsReusedUnlessTwoCompete)
{
    MakeArchive("hala_Y24D0116H10.vk", CTime(2024, 1, 16, 10, 0, 0));
    MakeArchive("hala_Y24D0117H05.vk", CTime(2024, 1, 17, 5, 0, 0));
    MakeArchive("hala_Y24D0117H09.vk", CTime(2024, 1, 17, 9, 0, 0));
    MakeArchive("hala_Y24D0301H00.vk", CTime(2024, 3, 1, 0, 0, 0)); // outside the span
    CArchivImportFileList list;
    EXPECT_EQ(list.FindFiles(Path("hala"), QStringLiteral("vk"), m_from, m_to, 86400), 3);
    EXPECT_EQ(list.Found().size(), 3u);
    EXPECT_EQ(Names(list), (QStringList{"hala_Y24D0115H00.vk", "hala_Y24D0116H10.vk", "hala_Y24D0117H00.vk"}));
    EXPECT_EQ(list.Entries()[1].first, CTime(2024, 1, 16, 0, 0, 0));
}

TEST_F(ImportFileListTest, AddFileAppendsTheExtension)
{
    CArchivImportFileList list;
    list.AddFile(Path("hala_Y24D0115H00"), QStringLiteral("vkt"), m_from, m_to);
    ASSERT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.Entries()[0].fileName, Path("hala_Y24D0115H00.vkt"));
}

} // namespace
