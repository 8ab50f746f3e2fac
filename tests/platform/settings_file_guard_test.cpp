// The program's settings file looked at before anything reads it: a file
// that cannot be read is set aside unchanged and never written over; where
// nothing can be saved, the session's changes still hold while it runs.
#include "platform/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using platform::Settings;
using platform::SettingsFileGuard;
using State = platform::SettingsFileGuard::State;

namespace {

class SettingsFileGuardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void TearDown() override { Settings::SetFileForTesting(QString()); }

    QString Path(const QString& relative) const { return m_dir.filePath(relative); }

    static bool Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QByteArray RandomBytes(int size, quint32 seed)
    {
        QRandomGenerator generator(seed);
        QByteArray bytes(size, '\0');
        for (char& b : bytes)
            b = char(generator.bounded(256));
        return bytes;
    }

    const QDateTime m_now{QDate(2024, 3, 11), QTime(10, 30, 5)};
    QTemporaryDir m_dir;
};

} // namespace

// What makes a file unreadable, and what does not. An unreadable one is
// renamed with the time stamp, byte for byte as it was; the program's store
// then starts empty in its place and writes a new file there. A readable one
// stays where it is and is used.
TEST_F(SettingsFileGuardTest, UnreadableFilesAreSetAsideAndAFreshFileTakesTheirPlace)
{
    const QString kept = QStringLiteral("qorin01.ini.necitelny-20240311-103005");
    struct Case {
        const char* what;
        QByteArray bytes; // empty with `folder`: a folder in the file's place
        bool folder;
        bool readable;
    } const cases[] = {
        {"64 KiB of random bytes", RandomBytes(64 * 1024, 1), false, false},
        {"4 KiB of random bytes", RandomBytes(4096, 7), false, false},
        {"zero bytes", QByteArray(4096, '\0'), false, false},
        {"a section header without its bracket", "[pristroje]\nA\\kat=1\n[Obecne nastaveni\nmaximize=0\n", false,
         false},
        {"text without a single value", "toto není soubor nastavení\nani tohle\n", false, false},
        {"a byte-order mark hiding the first section", "\xEF\xBB\xBF[Obecne nastaveni]\nmaximize=0\n", false, false},
        {"a folder in the file's place", {}, true, false},
        {"the program's own file", "[Obecne nastaveni]\nmaximize=0\n\n[pristroje]\nHala%2F1\\kat=2\n", false, true},
        {"an empty file", "", false, true},
        {"blank lines", "\n  \r\n\n", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("qorin01.ini"));
        if (c.folder)
            ASSERT_TRUE(QDir().mkpath(file + QStringLiteral("/obsah")));
        else
            ASSERT_TRUE(Write(file, c.bytes));
        Settings::SetFileForTesting(file);

        const SettingsFileGuard guard = Settings::GuardProgramFile(m_now);
        EXPECT_EQ(guard.file, file);
        if (c.readable) {
            EXPECT_EQ(guard.state, State::Usable);
            EXPECT_TRUE(guard.Notice().isEmpty());
            EXPECT_EQ(Read(file), c.bytes);
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                      QStringList{QStringLiteral("qorin01.ini")});
            continue;
        }
        ASSERT_EQ(guard.state, State::SetAside);
        EXPECT_EQ(guard.keptAs, dir.filePath(kept));
        if (c.folder) {
            EXPECT_TRUE(QFileInfo::exists(guard.keptAs + QStringLiteral("/obsah")));
        } else {
            EXPECT_EQ(Read(guard.keptAs), c.bytes);
        }
        const QString notice = guard.Notice();
        EXPECT_TRUE(notice.contains(QDir::toNativeSeparators(file))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QDir::toNativeSeparators(guard.keptAs))) << notice.toStdString();

        // The program goes on with a new file, and the kept one stays.
        Settings program;
        EXPECT_EQ(program.SubSections(QStringLiteral("pristroje")), QStringList());
        EXPECT_EQ(program.GetProfileInt(QStringLiteral("Obecne nastaveni"), QStringLiteral("maximize"), 1), 1);
        ASSERT_TRUE(program.WriteProfileInt(QStringLiteral("Obecne nastaveni"), QStringLiteral("maximize"), 0));
        EXPECT_EQ(Settings(file).GetProfileInt(QStringLiteral("Obecne nastaveni"), QStringLiteral("maximize"), 1), 0);
        if (!c.folder) {
            EXPECT_EQ(Read(guard.keptAs), c.bytes);
        }
    }
}

// A copy kept before is never written over: one of the same second (or any
// file of that name) makes the next one take a number.
TEST_F(SettingsFileGuardTest, AnEarlierKeptCopyIsNeverWrittenOver)
{
    const QString file = Path(QStringLiteral("qorin01.ini"));
    const QString stamped = file + QStringLiteral(".necitelny-20240311-103005");
    ASSERT_TRUE(Write(stamped, "kept the first time"));
    Settings::SetFileForTesting(file);
    const QByteArray first = RandomBytes(2048, 11);
    const QByteArray second = RandomBytes(2048, 12);

    ASSERT_TRUE(Write(file, first));
    const SettingsFileGuard one = Settings::GuardProgramFile(m_now);
    ASSERT_TRUE(Write(file, second));
    const SettingsFileGuard two = Settings::GuardProgramFile(m_now);

    EXPECT_EQ(one.keptAs, stamped + QStringLiteral("-2"));
    EXPECT_EQ(two.keptAs, stamped + QStringLiteral("-3"));
    EXPECT_EQ(Read(stamped), "kept the first time");
    EXPECT_EQ(Read(one.keptAs), first);
    EXPECT_EQ(Read(two.keptAs), second);
}

// A folder that cannot hold the file (here a file has the folder's name):
// the user is told that nothing can be saved; the session's changes still
// read back while it runs, and nothing is made on disk.
TEST_F(SettingsFileGuardTest, WithoutAUsableFolderChangesHoldForTheSessionOnly)
{
    const QString blocker = Path(QStringLiteral("ZRT Systems"));
    ASSERT_TRUE(Write(blocker, "not a folder"));
    const QString file = blocker + QStringLiteral("/qorin01.ini");
    Settings::SetFileForTesting(file);

    const SettingsFileGuard guard = Settings::GuardProgramFile(m_now);
    EXPECT_EQ(guard.state, State::FolderUnusable);
    EXPECT_FALSE(guard.Saves());
    EXPECT_TRUE(guard.Notice().contains(QDir::toNativeSeparators(file))) << guard.Notice().toStdString();
    EXPECT_TRUE(guard.Notice().contains(QString::fromUtf8("uložit je nelze"))) << guard.Notice().toStdString();

    Settings program;
    ASSERT_TRUE(program.WriteProfileInt({QStringLiteral("pristroje"), QStringLiteral("Hala")}, QStringLiteral("kat"), 2));
    {
        platform::SettingsBatch batch;
        EXPECT_TRUE(program.WriteProfileString(QStringLiteral("Obecne nastaveni"), QStringLiteral("adresar"),
                                               QStringLiteral("/data")));
        EXPECT_TRUE(batch.Commit());
    }
    EXPECT_EQ(Settings().GetProfileInt({QStringLiteral("pristroje"), QStringLiteral("Hala")}, QStringLiteral("kat"), 0),
              2);
    EXPECT_EQ(Settings().GetProfileString(QStringLiteral("Obecne nastaveni"), QStringLiteral("adresar")),
              QStringLiteral("/data"));
    EXPECT_EQ(Read(blocker), "not a folder");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("ZRT Systems")});
}

// Permissions, which the superuser passes by: a folder that cannot be read
// hides the file (it would look missing, and the defaults would be written
// over it); one that cannot be written lets the file be read but not saved.
// Neither file is ever touched.
TEST_F(SettingsFileGuardTest, FoldersWithoutPermissionNeverHaveTheirFileWrittenOver)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const QByteArray stored = "[Obecne nastaveni]\nmaximize=0\n";
    struct Case {
        const char* what;
        QFileDevice::Permissions permissions;
        State state;
        int maximize; // as the session then reads it
    } const cases[] = {
        {"no permission at all", {}, State::FolderUnusable, 1},
        {"read only", QFileDevice::ReadOwner | QFileDevice::ExeOwner, State::NotWritable, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = Path(QString::fromLatin1(c.what));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString file = folder + QStringLiteral("/qorin01.ini");
        ASSERT_TRUE(Write(file, stored));
        ASSERT_TRUE(QFile::setPermissions(folder, c.permissions));
        Settings::SetFileForTesting(file);

        const SettingsFileGuard guard = Settings::GuardProgramFile(m_now);
        EXPECT_EQ(guard.state, c.state);
        Settings program;
        EXPECT_EQ(program.GetProfileInt(QStringLiteral("Obecne nastaveni"), QStringLiteral("maximize"), 1), c.maximize);
        EXPECT_TRUE(program.WriteProfileInt(QStringLiteral("Obecne nastaveni"), QStringLiteral("maximize"), 5));
        EXPECT_EQ(Settings().GetProfileInt(QStringLiteral("Obecne nastaveni"), QStringLiteral("maximize"), 1), 5);

        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                      | QFileDevice::ExeOwner));
        EXPECT_EQ(Read(file), stored);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("qorin01.ini")});
    }
}
