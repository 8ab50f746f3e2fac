#include "StoreTestSupport.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

namespace storetest {
namespace {

class FileListTest : public StoreTest {
protected:
    // A closed archive file with a few blocks.
    QString MakeArchive(const QString& name)
    {
        TestArchivData data;
        StartRing(data, 6, name);
        for (DWORD i = 0; i < 3; ++i)
            WriteWordBlock(data, i);
        return data.GetFilePath();
    }

    CArchivFileList& Files() { return CArchivFileList::Instance(); }

    static QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Whether another reader may take the file now.
    static bool OthersMayRead(const QString& path)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        const bool shared = fd >= 0 && ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        if (fd >= 0)
            ::close(fd);
        return shared;
    }
};

TEST_F(FileListTest, ReadersShareOneOpenFile)
{
    const QString path = MakeArchive("sdileny");
    ASSERT_EQ(Files().Find(path), nullptr);
    CArchivData first;
    CArchivData second;
    Prepare(first);
    Prepare(second);
    ASSERT_TRUE(first.Open(path));
    ASSERT_TRUE(second.Open(path));
    ASSERT_NE(Files().Find(path), nullptr);
    EXPECT_EQ(Files().Find(path)->GetRefCount(), 2);
    first.Close();
    EXPECT_EQ(Files().Find(path)->GetRefCount(), 1);
    EXPECT_TRUE(second.ReadHeader());
    second.Close();
    EXPECT_EQ(Files().Find(path), nullptr);

    CArchivData missing;
    Prepare(missing);
    EXPECT_FALSE(missing.Open(Path("nic.tst")));
    EXPECT_EQ(missing.GetErrorText(), QString::fromUtf8("Soubor je pravděpodobně poškozen."));
}

TEST_F(FileListTest, ReplacingAFileInUseAsksAndKeepsItsUsers)
{
    const QString path = MakeArchive("pouzivany");
    CArchivData document;
    Prepare(document);
    ASSERT_TRUE(document.Open(path));
    ASSERT_TRUE(document.ReadHeader());
    ASSERT_FALSE(document.IsFileChanged());

    TestArchivData recorder;
    Prepare(recorder);
    recorder.UseHeader(path, 4);
    EXPECT_EQ(recorder.OpenForWriting("Jiny"), 0); // No to 32258
    EXPECT_EQ(m_host.Asked(), std::vector<int>{32258});
    EXPECT_EQ(document.GetInstrumentName(), QStringLiteral("Linka"));

    m_host.Answer(true);
    ASSERT_EQ(recorder.OpenForWriting("Jiny"), 1);
    EXPECT_EQ(Files().Find(path)->GetRefCount(), 2);
    // The document now sees the new file through the same entry.
    EXPECT_TRUE(document.IsFileChanged());
    EXPECT_EQ(document.GetInstrumentName(), QStringLiteral("Jiny"));
    EXPECT_FALSE(document.ReadHeader());
}

TEST_F(FileListTest, AFailedReplacementLeavesTheFileToItsUsers)
{
    const QString path = MakeArchive("zamceny");
    CArchivData document;
    Prepare(document);
    ASSERT_TRUE(document.Open(path));

    TestArchivData recorder;
    Prepare(recorder);
    recorder.UseHeader(path, 4);
    m_host.Answer(true);
    m_provider->FailWhen([](const std::string& op, const std::string&) { return op == "create-file"; });
    EXPECT_EQ(recorder.OpenForWriting("Jiny"), 0);
    m_provider->FailWhen(nullptr);

    auto entry = Files().Find(path);
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->IsDead());
    EXPECT_EQ(entry->GetRefCount(), 1);
    EXPECT_TRUE(document.ReadHeader());
    EXPECT_EQ(document.GetInstrumentName(), QStringLiteral("Linka"));
}

TEST_F(FileListTest, CreatingOverAnExistingFileAsks)
{
    const QString path = MakeArchive("existuje");
    TestArchivData recorder;
    Prepare(recorder);
    recorder.UseHeader(path, 4);
    EXPECT_EQ(recorder.OpenForWriting("Jiny"), 0);
    EXPECT_EQ(m_host.Asked(), std::vector<int>{32254});
    EXPECT_EQ(ReadWords(path, 1), std::vector<DWORD>{1}); // untouched

    m_host.Answer(true);
    ASSERT_EQ(recorder.OpenForWriting("Jiny"), 1);
    EXPECT_EQ(recorder.GetInstrumentName(), QStringLiteral("Jiny"));
    EXPECT_FALSE(recorder.ReadHeader());
}

// Reading opens the file read-only: other readers stay in, and not a byte
// changes, also of a container that a writer would tidy (an unused tail after
// its last sector). A window's settings are not kept in such a file; in a
// settled one they are, and the same settings again write nothing. A
// recorder taking the file up reopens it for writing under its reader.
TEST_F(FileListTest, ReadingLeavesTheFileAsItIsAndARecorderReopensItForWriting)
{
    const QString path = MakeArchive("cteny");
    const QByteArray settled = Bytes(path);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray(1024, '\0'));
    }
    const QByteArray untidy = Bytes(path);

    CArchivData reader;
    Prepare(reader);
    ASSERT_TRUE(reader.Open(path));
    ASSERT_TRUE(reader.ReadHeader());
    EXPECT_TRUE(Files().Find(path)->IsReadOnly());
    EXPECT_TRUE(OthersMayRead(path));
    EXPECT_EQ(ReadWords(path, 1), std::vector<DWORD>{1});
    EXPECT_FALSE(reader.WriteSettingsSection(1, QByteArrayLiteral("okno")));
    reader.Close();
    EXPECT_EQ(Bytes(path), untidy);

    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(settled);
    }
    ASSERT_TRUE(reader.Open(path));
    EXPECT_TRUE(reader.WriteSettingsSection(1, QByteArrayLiteral("okno")));
    EXPECT_FALSE(Files().Find(path)->IsReadOnly());
    reader.Close();
    const QByteArray kept = Bytes(path);
    EXPECT_NE(kept, settled);
    ASSERT_TRUE(reader.Open(path));
    EXPECT_TRUE(reader.WriteSettingsSection(1, QByteArrayLiteral("okno")));
    EXPECT_TRUE(Files().Find(path)->IsReadOnly());
    reader.Close();
    EXPECT_EQ(Bytes(path), kept);

    ASSERT_TRUE(reader.Open(path));
    ASSERT_TRUE(reader.ReadHeader());
    TestArchivData recorder;
    Prepare(recorder);
    ASSERT_EQ(recorder.OpenForAppend(path, QStringLiteral("Linka")), 1);
    EXPECT_FALSE(Files().Find(path)->IsReadOnly());
    EXPECT_FALSE(OthersMayRead(path));
    EXPECT_TRUE(reader.ReadHeader());
    EXPECT_EQ(ReadWords(path, 2), std::vector<DWORD>{2});
}

TEST_F(FileListTest, OpenAndCloseFromManyThreads)
{
    const QString shared = MakeArchive("vlakna");
    const QString other = MakeArchive("jiny");
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t]() {
            for (int i = 0; i < 100; ++i) {
                CArchivData data;
                data.SetHost(&m_host);
                if (!data.Open(t % 2 ? shared : other) || !data.ReadHeader())
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(Files().GetOpenCount(), 0);
}

} // namespace
} // namespace storetest
