#include "import_support.h"

#include "archive/store/ArchivTempCopy.h"

#include <QCryptographicHash>
#include <QFile>

using namespace importtest;
using storetest::StoreTest;

namespace {

using CVKCopy = TArchivTempCopy<CVKArchivData>;

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class TempCopyTest : public StoreTest {
protected:
    // A source archive of three blocks, held open by `m_source`.
    void SetUp() override
    {
        StoreTest::SetUp();
        CVKDownloadArchivData import;
        Prepare(import);
        ASSERT_EQ(import.NewHeader(Path("hala.vk"), QStringLiteral("Hala")), 1);
        CTime cursor(2024, 1, 15, 8, 0, 0);
        for (int b = 0; b < 3; ++b) {
            std::vector<BYTE> raw = {BYTE((2300 + b) >> 8), BYTE(2300 + b)};
            CVKRecordLayout layout;
            layout.columns[0] = 1;
            std::vector<BYTE> bytes;
            for (int i = 0; i < 100; ++i)
                bytes.insert(bytes.end(), raw.begin(), raw.end());
            const CImportRawBlock filled{100, 2, bytes.data()};
            if (b == 0)
                import.ImportDownloadedBlockWithEvents(cursor, filled, layout, 60, {}, {}, {});
            else
                import.ImportDownloadedBlock(cursor, filled, layout, 60, {}, {}, {});
        }
        ASSERT_EQ(import.AddDownloadEvent(cursor), 1);
        import.Close();
        Prepare(m_source);
        ASSERT_EQ(m_source.OpenByPath(Path("hala.vk")), 1);
    }

    CVKCopy m_source;
};

TEST_F(TempCopyTest, CopyIsNamedFromTheTimeReadsLikeTheSourceAndLeavesItAlone)
{
    const QByteArray before = FileHash(Path("hala.vk"));
    CVKCopy copy;
    Prepare(copy);
    ASSERT_EQ(copy.CopyToTempFile(m_source), 1);
    const QString name = Path("hala.vk") + "102530temp.vk";
    EXPECT_EQ(copy.GetFilePath(), name);
    EXPECT_TRUE(QFile::exists(name));

    std::vector<CArchivRecordList> walked;
    ASSERT_EQ(copy.CurrentSlot(), 0);
    do
        walked.push_back(copy.CurrentBlock());
    while (copy.ReadNextBlock());
    EXPECT_EQ(walked.size(), 3u);
    EXPECT_EQ(DataTimes(walked), DataTimes(ReadBlocks(Path("hala.vk"))));
    EXPECT_EQ(copy.GetInstrumentName(), QStringLiteral("Hala"));

    EXPECT_EQ(copy.DeleteFile(), 1);
    EXPECT_FALSE(QFile::exists(name));
    m_source.Close();
    EXPECT_EQ(FileHash(Path("hala.vk")), before);
}

TEST_F(TempCopyTest, NameMakerOfTheProgramIsUsed)
{
    CVKCopy copy;
    Prepare(copy);
    copy.SetTempNameMaker([this](const QString& source, const QString& suffix) {
        EXPECT_EQ(source, Path("hala.vk"));
        return Path("view-") + suffix;
    });
    ASSERT_EQ(copy.CopyToTempFile(m_source, QStringLiteral("temp.vk")), 1);
    EXPECT_EQ(copy.GetFilePath(), Path("view-temp.vk"));
    EXPECT_EQ(copy.DeleteFile(), 1);
}

TEST_F(TempCopyTest, LeftoverFileIsReplacedOnlyWhenTheUserAgrees)
{
    const QString name = Path("hala.vk") + "102530temp.vk";
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        {
            QFile leftover(name);
            ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
            leftover.write("leftover");
        }
        m_host.Answer(yes);
        CVKCopy copy;
        Prepare(copy);
        EXPECT_EQ(copy.CopyToTempFile(m_source, QStringLiteral("temp.vk")), yes ? 1 : 0);
        if (!yes) {
            EXPECT_EQ(copy.GetErrorText(), QStringLiteral("Nepodařilo se otevřít dočasný soubor."));
            EXPECT_EQ(FileHash(name), QCryptographicHash::hash("leftover", QCryptographicHash::Sha256));
        } else {
            EXPECT_EQ(copy.OpenFirstBlock(), 1);
        }
        copy.DeleteFile();
        QFile::remove(name);
    }
}

TEST_F(TempCopyTest, FailedCopyDeletesItsFile)
{
    m_provider->FailWhen([](const std::string& op, const std::string& name) { return op == "write" && name == "A1"; });
    CVKCopy copy;
    Prepare(copy);
    EXPECT_EQ(copy.CopyToTempFile(m_source, QStringLiteral("temp.vk")), 0);
    EXPECT_EQ(copy.GetErrorText(), QStringLiteral("Chyba při zpracovávání dočasného souboru."));
    EXPECT_FALSE(QFile::exists(Path("hala.vk") + "102530temp.vk"));
}

TEST_F(TempCopyTest, UnreadableBlocksStillGiveACopy)
{
    auto storage = WritableStorage(Path("hala.vk"));
    ASSERT_TRUE(storage);
    for (const char* name : {"A0", "A1", "A2"})
        ASSERT_EQ(storage->Destroy(name), archive::StorageStatus::Ok);
    CVKCopy copy;
    Prepare(copy);
    EXPECT_EQ(copy.CopyToTempFile(m_source, QStringLiteral("temp.vk")), 1);
    EXPECT_EQ(copy.OpenFirstBlock(), 0);
    EXPECT_EQ(copy.DeleteFile(), 1);
}

TEST_F(TempCopyTest, WalkPassesOverABlockThatCannotBeRead)
{
    auto storage = WritableStorage(Path("hala.vk"));
    ASSERT_TRUE(storage);
    ASSERT_EQ(storage->Destroy("A1"), archive::StorageStatus::Ok);
    ASSERT_EQ(m_source.OpenFirstBlock(), 1);
    EXPECT_EQ(m_source.CurrentSlot(), 0);
    ASSERT_EQ(m_source.ReadNextBlock(), 1);
    EXPECT_EQ(m_source.CurrentSlot(), 2);
    EXPECT_EQ(m_source.ReadNextBlock(), 0);
}

TEST_F(TempCopyTest, FileOpenElsewhereIsNotDeleted)
{
    CVKCopy copy;
    Prepare(copy);
    ASSERT_EQ(copy.CopyToTempFile(m_source, QStringLiteral("temp.vk")), 1);
    CVKCopy other;
    Prepare(other);
    ASSERT_EQ(other.OpenByPath(copy.GetFilePath()), 1);
    const QString name = copy.GetFilePath();
    EXPECT_EQ(copy.DeleteFile(), 0);
    EXPECT_TRUE(QFile::exists(name));
    EXPECT_EQ(other.DeleteFile(), 1);
    EXPECT_FALSE(QFile::exists(name));
}

TEST_F(TempCopyTest, DamagedHeaderIsReported)
{
    auto storage = WritableStorage(Path("hala.vk"));
    ASSERT_TRUE(storage);
    ASSERT_EQ(storage->WriteStream("hlavicka", QByteArray(10, '\0')), archive::StorageStatus::Ok);
    EXPECT_EQ(m_source.OpenFirstBlock(), 0);
    EXPECT_EQ(m_source.GetErrorText(), QStringLiteral("Soubor je prázdný, nebo poškozený."));
}

} // namespace
