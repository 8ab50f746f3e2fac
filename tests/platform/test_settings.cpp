#include "platform/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

using platform::Settings;
using platform::SettingsSection;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString File(const char* name = "qorin01.ini") const { return m_dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SettingsTest, ValuesRoundTripThroughTheFile)
{
    QByteArray allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes.append(char(b));
    const QString strings[] = {
        QString(),
        QStringLiteral("Měření – přístroj č. 1"),
        QStringLiteral("  a, b ; c = d  "),
        QStringLiteral("@ByteArray(x)"),
        QStringLiteral("\"quoted\"\nsecond line\t"),
        QStringLiteral("C:\\data\\hall.vk"),
    };
    const int ints[] = {0, 1, -1, INT_MIN, INT_MAX, 604800};
    const QByteArray blobs[] = {QByteArray(), allBytes, QByteArray(64, '\0')};
    const SettingsSection general = "Obecne nastaveni";
    {
        Settings store(File());
        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(store.WriteProfileString(general, QStringLiteral("text %1").arg(i), strings[i]));
            ASSERT_TRUE(store.WriteProfileInt(general, QStringLiteral("pocet pristroju %1").arg(i), ints[i]));
        }
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(store.WriteProfileBinary({"Obecne nastaveni"}, QStringLiteral("blob %1").arg(i), blobs[i]));
    }
    const Settings store(File());
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(store.GetProfileString(general, QStringLiteral("text %1").arg(i), QStringLiteral("default")),
                  strings[i].isNull() ? QString(u""_qs) : strings[i]);
        EXPECT_EQ(store.GetProfileInt(general, QStringLiteral("pocet pristroju %1").arg(i), 12345), ints[i]);
    }
    for (int i = 0; i < 3; ++i) {
        QByteArray read("untouched");
        EXPECT_TRUE(store.GetProfileBinary(general, QStringLiteral("blob %1").arg(i), read));
        EXPECT_EQ(read, blobs[i]);
    }
}

TEST_F(SettingsTest, MissingOrMistypedValuesYieldTheDefault)
{
    Settings store(File());
    ASSERT_TRUE(store.WriteProfileString("modemy", "text", "abc"));
    ASSERT_TRUE(store.WriteProfileInt("modemy", "number", 5));

    EXPECT_EQ(store.GetProfileInt("modemy", "missing", 9600), 9600);
    EXPECT_EQ(store.GetProfileInt("nowhere", "number", 7), 7);
    EXPECT_EQ(store.GetProfileInt("modemy", "text", 3), 3);
    EXPECT_EQ(store.GetProfileString("modemy", "missing", "COM1"), "COM1");
    EXPECT_EQ(store.GetProfileString("modemy", "number", "x"), "5");

    QByteArray blob("keep");
    EXPECT_FALSE(store.GetProfileBinary("modemy", "text", blob)) << "a string is not a byte block";
    EXPECT_FALSE(store.GetProfileBinary("modemy", "missing", blob));
    EXPECT_EQ(blob, "keep");
    EXPECT_EQ(store.GetProfileBinary("modemy", "missing", QByteArray("def")), "def");

    // Empty names cannot be stored: refused, never written under another name.
    EXPECT_FALSE(store.WriteProfileInt("modemy", "", 1));
    EXPECT_FALSE(store.WriteProfileInt({"pristroje", ""}, "merit", 1));
    EXPECT_EQ(store.GetProfileInt({"pristroje", ""}, "merit", -1), -1);
    EXPECT_TRUE(store.SubSections("pristroje").isEmpty());
}

// What a hand-edited or damaged file may hold where a number belongs: told
// apart from a missing value, with the text as stored, so that the caller
// can refuse it by name instead of taking the default in silence.
TEST_F(SettingsTest, IntegersThatReadAsNoNumberAreToldApartFromMissingOnes)
{
    using State = platform::StoredInt::State;
    {
        QFile file(File());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[pristroje]\n"
                   "Hala\\intervalZapisovani=1e99\n"
                   "Hala\\prepisovat=ano\n"
                   "Hala\\maska=-7\n"
                   "Hala\\adresa=12\n"
                   "Hala\\kat=1, 2\n"
                   "Hala\\ONP=\n"
                   "Hala\\intervalMereni=99999999999\n");
    }
    const Settings store(File());
    const SettingsSection key{"pristroje", "Hala"};
    struct Case {
        const char* entry;
        State state;
        int value;
        const char* text;
    } const cases[] = {
        {"intervalZapisovani", State::Unreadable, 0, "1e99"},
        {"prepisovat", State::Unreadable, 0, "ano"},
        {"maska", State::Number, -7, ""},
        {"adresa", State::Number, 12, ""},
        {"kat", State::Unreadable, 0, "1,2"},
        {"ONP", State::Missing, 0, ""},
        {"intervalMereni", State::Unreadable, 0, "99999999999"},
        {"synchronizovat", State::Missing, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const platform::StoredInt stored = store.ReadProfileInt(key, QString::fromLatin1(c.entry));
        EXPECT_EQ(stored.state, c.state);
        if (c.state == State::Number) {
            EXPECT_EQ(stored.value, c.value);
        }
        EXPECT_EQ(stored.text, QString::fromLatin1(c.text));
        EXPECT_EQ(store.GetProfileInt(key, QString::fromLatin1(c.entry), 42), c.state == State::Number ? c.value : 42);
    }
}

TEST_F(SettingsTest, InstrumentNamesWithSeparatorsEnumerateUnchanged)
{
    Settings store(File());
    const QStringList names = {
        QStringLiteral("Rozvodna 1"), QStringLiteral("hala/sever"), QStringLiteral("A\\B"),
        QStringLiteral("100%2F"), QStringLiteral("Příkon ČEZ"),
    };
    for (int i = 0; i < names.size(); ++i) {
        ASSERT_TRUE(store.WriteProfileInt({"pristroje", names[i]}, "kat", i + 1));
        ASSERT_TRUE(store.WriteProfileString({"pristroje", names[i]}, "com", "/dev/pts/" + QString::number(i)));
    }
    // A port named by its device path is a value name with separators too.
    ASSERT_TRUE(store.WriteProfileInt("Obecne nastaveni", "/dev/pts/3_ks", 2));

    QStringList listed = store.SubSections("pristroje");
    listed.sort();
    QStringList expected = names;
    expected.sort();
    EXPECT_EQ(listed, expected);
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        EXPECT_EQ(store.GetProfileInt(SettingsSection("pristroje").Child(names[i]), "kat", 0), i + 1);
        EXPECT_EQ(store.Entries({"pristroje", names[i]}), (QStringList{"com", "kat"}));
    }
    EXPECT_EQ(store.Entries("Obecne nastaveni"), QStringList{"/dev/pts/3_ks"});
    EXPECT_EQ(store.GetProfileInt("Obecne nastaveni", "/dev/pts/3_ks", 0), 2);
    // The string form of a path separates fixed names.
    EXPECT_EQ(store.GetProfileInt("pristroje/Rozvodna 1", "kat", 0), 1);
}

TEST_F(SettingsTest, DeletionRemovesOnlyWhatItNames)
{
    Settings store(File());
    ASSERT_TRUE(store.WriteProfileInt("tasks", "t1", 1)); // a value beside the section of the same name
    ASSERT_TRUE(store.WriteProfileInt({"tasks", "t1"}, "interval", 3));
    ASSERT_TRUE(store.WriteProfileInt({"tasks", "t1", "deeper"}, "x", 4));
    ASSERT_TRUE(store.WriteProfileInt({"tasks", "t2"}, "interval", 5));
    ASSERT_TRUE(store.WriteProfileInt({"tasks", "t2"}, "last", 6));

    EXPECT_TRUE(store.DeleteEntry({"tasks", "t2"}, "last"));
    EXPECT_TRUE(store.DeleteEntry({"tasks", "t2"}, "never written"));
    EXPECT_EQ(store.Entries({"tasks", "t2"}), QStringList{"interval"});

    EXPECT_TRUE(store.DeleteSection({"tasks", "t1"}));
    EXPECT_EQ(store.SubSections("tasks"), QStringList{"t2"});
    EXPECT_EQ(store.GetProfileInt({"tasks", "t1", "deeper"}, "x", -1), -1);
    EXPECT_EQ(store.GetProfileInt("tasks", "t1", -1), 1);

    ASSERT_TRUE(store.WriteProfileInt({"tasks", "t2", "t2"}, "x", 8));
    EXPECT_TRUE(store.DeleteEntry("tasks", "t1"));
    EXPECT_TRUE(store.DeleteEntry("tasks", "t2")) << "no value t2; the section t2 must survive";
    EXPECT_EQ(store.GetProfileInt({"tasks", "t2"}, "interval", -1), 5);
    EXPECT_EQ(store.GetProfileInt({"tasks", "t2", "t2"}, "x", -1), 8);
    EXPECT_FALSE(store.Contains("tasks", "t1"));

    EXPECT_FALSE(store.DeleteSection("")) << "never the whole store";
    EXPECT_EQ(store.SubSections(""), QStringList{"tasks"});
}

// A renamed instrument's key: every value and sub-section goes to the new
// name, whatever the new name held before is gone, the old key is gone, and
// a value of the old name beside the sections stays.
TEST_F(SettingsTest, MovingASectionTakesEverythingAndLeavesNothingBehind)
{
    Settings store(File());
    const QByteArray bytes("\x00\x01\xFF", 3);
    ASSERT_TRUE(store.WriteProfileInt({"pristroje", "Trafo/1"}, "adresa", 4));
    ASSERT_TRUE(store.WriteProfileString({"pristroje", "Trafo/1"}, "soubor", "C:\\data\\trafo"));
    ASSERT_TRUE(store.WriteProfileBinary({"pristroje", "Trafo/1"}, "ketegorie", bytes));
    ASSERT_TRUE(store.WriteProfileInt({"pristroje", "Trafo/1", "okno"}, "cx", 640));
    ASSERT_TRUE(store.WriteProfileInt({"pristroje", "Trafo T1"}, "stale", 1));
    ASSERT_TRUE(store.WriteProfileInt("pristroje", "Trafo/1", 7));

    EXPECT_TRUE(store.MoveSection({"pristroje", "Trafo/1"}, {"pristroje", "Trafo T1"}));

    Settings reread(File());
    EXPECT_EQ(reread.SubSections("pristroje"), QStringList{"Trafo T1"});
    const SettingsSection moved({"pristroje", "Trafo T1"});
    EXPECT_EQ(reread.GetProfileInt(moved, "adresa", -1), 4);
    EXPECT_EQ(reread.GetProfileString(moved, "soubor"), QStringLiteral("C:\\data\\trafo"));
    EXPECT_EQ(reread.GetProfileBinary(moved, "ketegorie"), bytes);
    EXPECT_EQ(reread.GetProfileInt(moved.Child("okno"), "cx", -1), 640);
    EXPECT_FALSE(reread.Contains(moved, "stale"));
    EXPECT_EQ(reread.GetProfileInt("pristroje", "Trafo/1", -1), 7);

    EXPECT_TRUE(reread.MoveSection(moved, moved));
    EXPECT_EQ(reread.GetProfileInt(moved, "adresa", -1), 4);
    EXPECT_FALSE(reread.MoveSection(moved, moved.Child("dovnitr")));
    EXPECT_FALSE(reread.MoveSection("", moved));
    EXPECT_EQ(reread.GetProfileInt(moved, "adresa", -1), 4);
}

TEST_F(SettingsTest, ConcurrentWritersLoseNothing)
{
    constexpr int kThreads = 6;
    constexpr int kEach = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([this, t] {
            Settings store(File());
            for (int i = 0; i < kEach; ++i)
                store.WriteProfileInt({"pristroje", QStringLiteral("p%1").arg(t)}, QStringLiteral("v%1").arg(i),
                                      t * 1000 + i);
        });
    }
    for (auto& w : writers)
        w.join();
    const Settings store(File());
    EXPECT_EQ(store.SubSections("pristroje").size(), kThreads);
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kEach; ++i)
            EXPECT_EQ(store.GetProfileInt({"pristroje", QStringLiteral("p%1").arg(t)}, QStringLiteral("v%1").arg(i),
                                          -1),
                      t * 1000 + i);
}

TEST_F(SettingsTest, TestFileRedirectsTheProgramStore)
{
    Settings::SetFileForTesting(File("redirected.ini"));
    Settings program;
    EXPECT_TRUE(program.WriteProfileInt("Obecne nastaveni", "maximize", 0));
    EXPECT_EQ(Settings(File("redirected.ini")).GetProfileInt("Obecne nastaveni", "maximize", 1), 0);
    Settings::SetFileForTesting(QString());
}

TEST_F(SettingsTest, RewritingAStoredValueLeavesTheFileAlone)
{
    const SettingsSection key{"pristroje", "Hala 1"};
    Settings store(File());
    ASSERT_TRUE(store.WriteProfileInt(key, "intervalMereni", 60));
    ASSERT_TRUE(store.WriteProfileString(key, "soubor", QStringLiteral("data/hala")));
    ASSERT_TRUE(store.WriteProfileBinary(key, "okno", QByteArray("\0\1\2", 3)));
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-1);
    const auto age = [&] {
        QFile file(File());
        return file.fileTime(QFileDevice::FileModificationTime);
    };
    {
        QFile file(File());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    const QDateTime before = age();
    // The same values again, a number as text among them: as read back.
    EXPECT_TRUE(store.WriteProfileInt(key, "intervalMereni", 60));
    EXPECT_TRUE(store.WriteProfileString(key, "intervalMereni", QStringLiteral("60")));
    EXPECT_TRUE(store.WriteProfileString(key, "soubor", QStringLiteral("data/hala")));
    EXPECT_TRUE(store.WriteProfileBinary(key, "okno", QByteArray("\0\1\2", 3)));
    EXPECT_EQ(age(), before);
    // Bytes that read as the same text are still bytes to write.
    EXPECT_TRUE(store.WriteProfileBinary(key, "soubor", QByteArray("data/hala")));
    EXPECT_NE(age(), before);
    EXPECT_EQ(store.GetProfileBinary(key, "soubor", QByteArray()), QByteArray("data/hala"));
    EXPECT_TRUE(store.WriteProfileInt(key, "intervalMereni", 61));
    EXPECT_EQ(store.GetProfileInt(key, "intervalMereni", 0), 61);
}

TEST_F(SettingsTest, AnUnwritableStoreReportsFailure)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("a directory"));
    Settings store(File("a directory"));
    EXPECT_FALSE(store.WriteProfileInt("modemy", "x", 1));
}

// A save of many values writes the file once, at the batch's end: until then
// the file on disk is as it was (so no write went through), while every read,
// through any store object, sees the new values.
TEST_F(SettingsTest, ABatchWritesTheFileOnceAtItsEnd)
{
    Settings store(File());
    ASSERT_TRUE(store.WriteProfileInt("Obecne nastaveni", "pocet pristroju", 1));
    const auto onDisk = [&] {
        QFile file(File());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = onDisk();
    {
        platform::SettingsBatch batch;
        for (int i = 0; i < 40; ++i) {
            const SettingsSection key{"pristroje", QStringLiteral("Hala %1").arg(i)};
            EXPECT_TRUE(store.WriteProfileInt(key, "adresa", i + 1));
            EXPECT_TRUE(store.WriteProfileString(key, "soubor", QStringLiteral("data/hala%1").arg(i)));
        }
        {
            platform::SettingsBatch inner;
            EXPECT_TRUE(Settings(File()).WriteProfileInt("Obecne nastaveni", "pocet pristroju", 40));
            EXPECT_TRUE(inner.Commit());
        }
        std::thread other([&] { EXPECT_TRUE(Settings(File()).WriteProfileInt("modemy", "pocet", 2)); });
        other.join();
        EXPECT_TRUE(store.DeleteEntry("Obecne nastaveni", "nic"));
        EXPECT_EQ(onDisk(), before);
        EXPECT_EQ(Settings(File()).GetProfileInt({"pristroje", "Hala 39"}, "adresa", 0), 40);
        EXPECT_EQ(Settings(File()).SubSections("pristroje").size(), 40);
        EXPECT_TRUE(batch.Commit());
    }
    const QByteArray after = onDisk();
    EXPECT_NE(after, before);
    // What a later start reads: a store object of its own on the file.
    QSettings reread(File(), QSettings::IniFormat);
    EXPECT_EQ(reread.value("pristroje/Hala 7/adresa").toInt(), 8);
    EXPECT_EQ(reread.value("pristroje/Hala 7/soubor").toString(), QStringLiteral("data/hala7"));
    EXPECT_EQ(reread.value("Obecne nastaveni/pocet pristroju").toInt(), 40);
    EXPECT_EQ(reread.value("modemy/pocet").toInt(), 2);
    // After the batch every write goes through at once again.
    EXPECT_TRUE(store.WriteProfileInt("modemy", "pocet", 3));
    EXPECT_NE(onDisk(), after);
}

// A batch whose file cannot be written when it ends says so; the writes it
// took reported only that the store took them.
TEST_F(SettingsTest, ABatchThatCannotWriteReportsFailure)
{
    const QString folder = m_dir.filePath(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(folder));
    Settings store(folder + QStringLiteral("/qorin01.ini"));
    platform::SettingsBatch batch;
    EXPECT_TRUE(store.WriteProfileInt("modemy", "x", 1));
    // The folder is gone and a file has its name: nothing can be written.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(batch.Commit());
    EXPECT_FALSE(batch.Commit());
}
