#include "PristrojTestSupport.h"

#include "archive/store/ArchivHost.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"

#include <QDir>

#include <mutex>

using namespace pristrojtest;

namespace {

// A thread that is never started here: settings that cannot run are refused
// before it would be.
class IdleMereni : public CPristrojThread {
protected:
    void OnMessage(const platform::ThreadMessage&) override {}
};

class StartCheckTest : public PristrojTest {
protected:
    void SetUp() override
    {
        PristrojTest::SetUp();
        env->SetArchivHost(&archivHost);
        env->RegisterThreadFactory(CPristroj::kVKT,
                                   [](std::shared_ptr<CLinkEnvironment>) { return std::make_unique<IdleMereni>(); });
    }
    ~StartCheckTest() override { env->SetArchivHost(nullptr); }

    NoticeHost archivHost;
};

} // namespace

// Each setting that cannot run: the instrument stays inactive, without a
// thread, the start reports no failure (so no box holds the others) and one
// notice names the instrument and the value.
TEST_F(StartCheckTest, SettingsThatCannotRunLeaveTheInstrumentInactiveWithANotice)
{
    struct Case {
        const char* what;
        std::function<void(CPristroj&)> set;
        const char* expected;
    } cases[] = {
        {"measuring interval 0", [](CPristroj& e) { e.m_intervalMereni = 0; }, "\"intervalMereni\" má neplatnou hodnotu 0"},
        {"recording interval 0", [](CPristroj& e) { e.m_intervalZapisovani = 0; },
         "\"intervalZapisovani\" má neplatnou hodnotu 0"},
        {"archive folder missing", [this](CPristroj& e) { e.m_soubor = dir.filePath("chybi/kotelna"); }, "neexistuje"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPristroj entry(env);
        entry.m_nazev = QStringLiteral("Kotelna");
        entry.SetType(CPristroj::kVKT, TRUE);
        entry.m_soubor = dir.filePath(QStringLiteral("kotelna"));
        entry.m_zaznamenavat = 1;
        c.set(entry);
        const std::size_t before = archivHost.notices.size();
        EXPECT_TRUE(entry.StartThread(platform::WM_DEVICE_ACTIVATE));
        EXPECT_FALSE(entry.m_merit);
        EXPECT_EQ(entry.GetThread(), nullptr);
        ASSERT_EQ(archivHost.notices.size(), before + 1);
        EXPECT_TRUE(archivHost.notices.back().startsWith(QString::fromUtf8("Přístroj Kotelna:")));
        EXPECT_TRUE(archivHost.notices.back().contains(QString::fromUtf8(c.expected)))
            << archivHost.notices.back().toStdString();
    }
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.errors.empty());
}

// Checked where read: an unknown "kat" or an interval of 0 in the settings
// file gives an inactive entry and a notice, and the entries after it load.
TEST_F(StartCheckTest, UnrunnableSettingsReadFromTheFileLeaveThatEntryInactive)
{
    platform::Settings settings;
    auto put = [&settings](const char* name, const char* entry, int value) {
        settings.WriteProfileInt(platform::SettingsSection{QStringLiteral("pristroje"), QString::fromUtf8(name)},
                                 QString::fromLatin1(entry), value);
    };
    put("Neznámý", "kat", 57);
    put("Neznámý", "merit", 1);
    put("Nula", "kat", CPristroj::kVKT);
    put("Nula", "merit", 1);
    put("Nula", "intervalMereni", 0);
    put("Dobrý", "kat", CPristroj::kVKT);
    put("Dobrý", "merit", 1);
    put("Dobrý", "zaznamenavat", 0);
    struct Case {
        const char* name;
        bool active;
        const char* expected;
    } cases[] = {
        {"Neznámý", false, "Přístroj Neznámý: neznámý typ přístroje (\"kat\" = 57)"},
        {"Nula", false, "Přístroj Nula: nastavení \"intervalMereni\" má neplatnou hodnotu 0"},
        {"Dobrý", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t before = archivHost.notices.size();
        CPristroj entry(env);
        entry.LoadSettings(settings, QString::fromUtf8(c.name));
        EXPECT_EQ(bool(entry.m_merit), c.active);
        if (!c.expected) {
            EXPECT_EQ(archivHost.notices.size(), before);
            continue;
        }
        ASSERT_EQ(archivHost.notices.size(), before + 1);
        EXPECT_TRUE(archivHost.notices.back().startsWith(QString::fromUtf8(c.expected)))
            << archivHost.notices.back().toStdString();
    }
}

// Names and bus addresses as read from the file: a name becomes the archive's
// file name and must not lead out of the data folder; an address goes into
// every frame and must be one an instrument can have. Each bad one leaves its
// entry inactive with a notice naming it, and records nothing anywhere.
TEST_F(StartCheckTest, BadNamesAddressesAndPathsReadFromTheFileLeaveThatEntryInactive)
{
    platform::Settings settings;
    settings.WriteProfileString(QStringLiteral("Obecne nastaveni"), QStringLiteral("adresar"),
                                dir.filePath(QStringLiteral("data")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("data")));
    struct Case {
        QString name;
        int address;
        QString file; // "soubor", empty for the data folder
        const char* expected;
    } const cases[] = {
        {QStringLiteral("../escape"), 1, {}, "název přístroje nesmí"},
        {QStringLiteral("../../../../tmp/escape"), 1, {}, "název přístroje nesmí"},
        {QStringLiteral(".."), 1, {}, "název přístroje nesmí"},
        {QStringLiteral("C:x"), 1, {}, "název přístroje nesmí"},
        {QStringLiteral("kotelna\\sklad"), 1, {}, "název přístroje nesmí"},
        {QString::fromUtf8("řádek\x01konec"), 1, {}, "název přístroje nesmí"},
        {QString(300, QLatin1Char('n')), 1, {}, "je příliš dlouhá"},
        {QStringLiteral("Dlouhý soubor"), 1, dir.filePath(QString(250, QLatin1Char('s'))), "je příliš dlouhá"},
        {QStringLiteral("Adresa 300"), 300, {}, "\"adresa\" má neplatnou hodnotu 300 (povoleno 1 až 253)"},
        {QStringLiteral("Adresa 0"), 0, {}, "\"adresa\" má neplatnou hodnotu 0"},
        {QStringLiteral("Adresa 70000"), 70000, {}, "\"adresa\" má neplatnou hodnotu"},
        {QStringLiteral("Adresa -1"), -1, {}, "\"adresa\" má neplatnou hodnotu -1"},
        {QStringLiteral("Kotelna"), 253, {}, nullptr},
        {QString::fromUtf8("Rozvodna č. 2"), 1, {}, nullptr},
    };
    for (const Case& c : cases) {
        const platform::SettingsSection key{QStringLiteral("pristroje"), c.name};
        settings.WriteProfileInt(key, QStringLiteral("kat"), CPristroj::kVKT);
        settings.WriteProfileInt(key, QStringLiteral("merit"), 1);
        settings.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 1);
        settings.WriteProfileInt(key, QStringLiteral("adresa"), c.address);
        if (!c.file.isEmpty())
            settings.WriteProfileString(key, QStringLiteral("soubor"), c.file);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.left(40).toStdString());
        const std::size_t before = archivHost.notices.size();
        CPristroj entry(env);
        entry.LoadSettings(settings, c.name);
        EXPECT_EQ(bool(entry.m_merit), c.expected == nullptr);
        if (!c.expected) {
            EXPECT_EQ(archivHost.notices.size(), before);
            continue;
        }
        ASSERT_EQ(archivHost.notices.size(), before + 1);
        const QString& notice = archivHost.notices.back();
        EXPECT_TRUE(notice.startsWith(QString::fromUtf8("Přístroj "))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QString::fromUtf8(c.expected))) << notice.toStdString();
        EXPECT_TRUE(notice.endsWith(QString::fromUtf8("Přístroj zůstává neaktivní."))) << notice.toStdString();
        // Started anyway (as start-up would try), it stays without a thread.
        EXPECT_TRUE(entry.StartThread(platform::WM_DEVICE_ACTIVATE));
        EXPECT_EQ(entry.GetThread(), nullptr);
    }
    // Nothing recorded, here or beside the test's folder.
    for (const QDir& folder : {QDir(dir.path()), QDir(dir.filePath(QStringLiteral("..")))})
        EXPECT_EQ(folder.entryList({QStringLiteral("*.vkt")}, QDir::Files), QStringList()) << folder.path().toStdString();
}

// Values the file holds as no number ("1e99", "ano") and a value mask no
// instrument takes: each leaves its entry inactive with a notice naming the
// value as stored, whether or not the entry was to measure. Saving the entry
// leaves the stored text as it is; new settings given to the entry (the
// instrument dialog's change) replace it with what the entry holds.
TEST_F(StartCheckTest, ValuesThatReadAsNoNumberAreRefusedAndLeftInTheFile)
{
    struct Case {
        const char* name;
        const char* entry;
        const char* stored;
        int merit;
        const char* told;
        int taken; // the entry's value in the file after the change
    } const cases[] = {
        {"Interval", "intervalZapisovani", "1e99", 1,
         "\"intervalZapisovani\" má neplatnou hodnotu „1e99“ (povoleno 1 až 1440)", 30},
        {"Prepis", "prepisovat", "ano", 1, "\"prepisovat\" má neplatnou hodnotu „ano“ (povoleno 0 až 1)", 1},
        {"Typ", "kat", "VKT", 1, "\"kat\" má neplatnou hodnotu „VKT“ (povoleno 1 až 5)", 1},
        {"Neaktivni", "intervalMereni", "deset", 0, "\"intervalMereni\" má neplatnou hodnotu „deset“", 10},
        {"Maska", "maska", "-7", 1, "\"maska\" má neplatnou hodnotu -7 (povoleno 0 až 65535)", -7},
        {"Velka maska", "maska", "70000", 1, "\"maska\" má neplatnou hodnotu 70000", 70000},
    };
    platform::Settings settings;
    for (const Case& c : cases) {
        const platform::SettingsSection key{QStringLiteral("pristroje"), QString::fromUtf8(c.name)};
        settings.WriteProfileInt(key, QStringLiteral("kat"), CPristroj::kVKT);
        settings.WriteProfileInt(key, QStringLiteral("merit"), c.merit);
        settings.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 0);
        settings.WriteProfileString(key, QString::fromLatin1(c.entry), QString::fromLatin1(c.stored));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const platform::SettingsSection key{QStringLiteral("pristroje"), QString::fromUtf8(c.name)};
        const std::size_t before = archivHost.notices.size();
        CPristroj entry(env);
        entry.LoadSettings(settings, QString::fromUtf8(c.name));
        EXPECT_FALSE(entry.m_merit);
        ASSERT_EQ(archivHost.notices.size(), before + 1);
        const QString& notice = archivHost.notices.back();
        EXPECT_TRUE(notice.startsWith(QString::fromUtf8("Přístroj %1: nastavení").arg(QString::fromUtf8(c.name))))
            << notice.toStdString();
        EXPECT_TRUE(notice.contains(QString::fromUtf8(c.told))) << notice.toStdString();
        // Started anyway (a command that switches it on), it stays without
        // a thread.
        entry.StartThread(platform::WM_DEVICE_ACTIVATE);
        EXPECT_EQ(entry.GetThread(), nullptr);

        entry.SaveSettings(settings);
        EXPECT_EQ(settings.GetProfileString(key, QString::fromLatin1(c.entry)), QString::fromLatin1(c.stored));
        EXPECT_EQ(settings.GetProfileInt(key, QStringLiteral("merit"), -1), 0);

        CPristroj edited(entry);
        edited.m_merit = 0;
        entry = edited;
        entry.SaveSettings(settings);
        EXPECT_EQ(settings.GetProfileString(key, QString::fromLatin1(c.entry)), QString::number(c.taken));
    }
}
