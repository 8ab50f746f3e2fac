#include "PristrojTestSupport.h"

#include "archive/store/ArchivHost.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"

#include <mutex>

using namespace pristrojtest;

namespace {

// A thread that is never started here: settings that cannot run are refused
// before it would be.
class IdleMereni : public CPristrojThread {
protected:
    void OnMessage(const platform::ThreadMessage&) override {}
};

class NoticeHost : public IArchivHost {
public:
    bool AskYesNo(int) override { return false; }
    void ReportFileError(const QString&) override {}
    void ReportBlockNotWritten(const QString&, int) override {}
    void ReportBlocksLost(const QString&, int) override {}
    void Notify(const QString& text) override
    {
        std::lock_guard lock(m_lock);
        notices.push_back(text);
    }
    std::vector<QString> notices;

private:
    std::mutex m_lock;
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
