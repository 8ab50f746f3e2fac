#include "LinkTestSupport.h"
#include "MereniTestSupport.h"

#include "archive/store/ArchivRecord.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <deque>

using namespace mereni_test;
using pristrojtest::NoticeHost;
using platform::CTime;
using platform::Event;

namespace {

// A thread whose reads and polls follow a script; its cycle is driven from
// the test, without starting it, unless a test starts it.
class ScriptedMereni : public CMereni {
public:
    explicit ScriptedMereni(std::shared_ptr<CLinkEnvironment> env) : CMereni(0.5F, std::move(env)) {}

    using CMereni::Activate;
    using CMereni::FinishPoll;
    using CMereni::OnIdle;
    using CMereni::OnMessage;
    using CMereni::StopRequested;

    void SetScore(int score) { AddFailScore(score - GetFailScore()); }
    // A successful poll as the families make it: one record that counts.
    void StoreOne()
    {
        QueueRecord(QStringLiteral("ok"), kRecordError);
        FinishPoll();
    }

    std::vector<int> polls; // the late flag of every poll
    std::deque<int> results; // results of the next polls (then 1)
    bool readsOk = true;

protected:
    int Poll(BOOL late) override
    {
        polls.push_back(late);
        if (late) {
            FinishPoll();
            return 1;
        }
        int r = 1;
        if (!results.empty()) {
            r = results.front();
            results.pop_front();
        }
        if (r)
            StoreOne();
        return r;
    }
    BOOL ReadFamilyRecords(const int*, const int*) override { return readsOk; }
    QString Extension() const override { return QStringLiteral(".qor"); }
};

class IdleTest : public MereniTest {
protected:
    // An activated thread on a recording entry without a line (the
    // instrument is silent at activation, which only raises no score here
    // because no read is tried).
    void Activate(ScriptedMereni& thread, CPristroj& entry)
    {
        Event done(false, false);
        ASSERT_EQ(thread.Activate(&entry, &done, TRUE, FALSE), 1);
        ASSERT_TRUE(done.IsSet());
    }
    // The block marker of the fresh archive (10:00:00) leaves one record
    // due before 10:00:02; the next poll falls due after 10:00:12 and is
    // missed after 10:00:17.
    static constexpr int kToDue = 11;
};

} // namespace

TEST_F(IdleTest, MissedPollsLeaveOneOutageRecordEach)
{
    auto entry = MakeEntry(CPristroj::kQorin);
    ScriptedMereni thread(env);
    Activate(thread, *entry);
    CArchivData& archiv = *entry->GetArchivData();

    thread.OnIdle(0); // not due yet
    EXPECT_TRUE(thread.polls.empty());
    EXPECT_EQ(mhost.Pauses().back(), 1000);

    // A failed poll, then the poll is missed: the outage carries the link's
    // error text and costs 2.
    mhost.Advance(kToDue);
    thread.results = {0};
    thread.OnIdle(0);
    EXPECT_EQ(thread.GetFailedPolls(), 1);
    mhost.Advance(5);
    thread.OnIdle(0);
    ASSERT_EQ(thread.polls, (std::vector<int>{0, 1}));
    EXPECT_EQ(thread.GetFailedPolls(), 0);
    EXPECT_EQ(thread.GetFailScore(), 3);
    const QString loss = Texts(archiv, kRecordError).back();
    EXPECT_TRUE(loss.startsWith(QStringLiteral("Výpadek dat.'"))) << loss.toStdString();
    EXPECT_TRUE(loss.endsWith(QLatin1Char('\'')));

    // Merely late (no failed poll): the time-limit text; the next poll is
    // due one interval after the missed one's due time.
    mhost.Advance(10);
    thread.OnIdle(0);
    EXPECT_EQ(Texts(archiv, kRecordError).back(), QString::fromUtf8(mereni_texts::kTimeLimit));
    EXPECT_EQ(thread.GetFailScore(), 3);
    EXPECT_EQ(thread.polls.size(), 3U);
}

TEST_F(IdleTest, FailureScoreHoldsBackPolls)
{
    struct Case {
        const char* name;
        int score;
        std::deque<int> results; // of the polls in the two cycles
        int polls; // polls after two cycles at the same time
        std::vector<int> pauses; // of the second cycle
        int scoreAfter;
    };
    const Case cases[] = {
        {"10: a failed poll is retried", 10, {0, 0}, 2, {500}, 10},
        {"11: no retry until missed", 11, {0}, 1, {1000}, 11},
        {"25: polled at once; 24 then 2/3", 25, {1, 1}, 1, {1000}, 16},
        {"26: half a second first", 26, {1}, 1, {1000}, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto entry = MakeEntry(CPristroj::kQorin);
        ScriptedMereni thread(env);
        Activate(thread, *entry);
        thread.SetScore(c.score);
        thread.results = c.results;
        mhost.Advance(kToDue);
        mhost.ClearPauses();
        thread.OnIdle(0);
        const std::vector<int> first = c.score > 25 ? std::vector<int>{500, 500} : std::vector<int>{500};
        EXPECT_EQ(mhost.Pauses(), first);
        mhost.ClearPauses();
        thread.OnIdle(0);
        EXPECT_EQ(int(thread.polls.size()), c.polls);
        EXPECT_EQ(mhost.Pauses(), c.pauses);
        EXPECT_EQ(thread.GetFailScore(), c.scoreAfter);
        mhost.Advance(-kToDue);
    }
}

TEST_F(IdleTest, AboveHundredThreePollsOfFourAreSkippedAcrossThreads)
{
    std::vector<std::unique_ptr<CPristroj>> entries;
    std::vector<std::unique_ptr<ScriptedMereni>> threads;
    for (int i = 0; i < 4; ++i) {
        entries.push_back(MakeEntry(CPristroj::kQorin));
        threads.push_back(std::make_unique<ScriptedMereni>(env));
        Activate(*threads.back(), *entries.back());
        threads.back()->SetScore(101);
    }
    mhost.Advance(kToDue);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        threads[std::size_t(i)]->OnIdle(0);
        const bool polled = i == 3;
        EXPECT_EQ(threads[std::size_t(i)]->polls.size(), polled ? 1U : 0U);
        EXPECT_EQ(threads[std::size_t(i)]->GetFailedPolls(), polled ? 0 : 1);
        // 101 - 2 for a skip; 101 - 1, then two thirds, for the poll.
        EXPECT_EQ(threads[std::size_t(i)]->GetFailScore(), polled ? 66 : 99);
    }
    // A skipped thread waits for the miss rather than polling.
    threads[0]->OnIdle(0);
    EXPECT_TRUE(threads[0]->polls.empty());
}

TEST_F(IdleTest, FailedHandOversKeepTheirBlocksAndOpenAtMostSixBoxes)
{
    auto entry = MakeEntry(CPristroj::kQorin);
    entry->m_intervalZapisovani = 1;
    ScriptedMereni thread(env);
    Activate(thread, *entry);
    CArchivData& archiv = *entry->GetArchivData();
    mhost.window = FakeMereniHost::Window::Ignore;
    mhost.waitCapMs = 0;

    for (int i = 0; i < 25; ++i)
        thread.StoreOne();
    EXPECT_EQ(thread.FailedHandOvers(), 25);
    EXPECT_TRUE(thread.IsHandOverPending());
    EXPECT_EQ(archiv.GetQueuedBlockCount(), 25);
    auto boxes = mhost.Boxes();
    ASSERT_EQ(boxes.size(), 6U);
    EXPECT_EQ(thread.OpenErrorBoxes(), 6);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].caption, QStringLiteral("CHYBA"));
        EXPECT_EQ(boxes[i].text, QString::fromUtf8(mereni_texts::kHandOverFailed).arg(19 + int(i)));
    }
    for (int wait : mhost.Waits())
        EXPECT_EQ(wait, CMereni::kHandOverWaitMs);

    // A closed box makes room for the next failure's box with its count.
    boxes[0].closed();
    thread.StoreOne();
    boxes = mhost.Boxes();
    ASSERT_EQ(boxes.size(), 7U);
    EXPECT_EQ(boxes.back().text, QString::fromUtf8(mereni_texts::kHandOverFailed).arg(26));

    // The main window answers again: every waiting block is written.
    mhost.window = FakeMereniHost::Window::Take;
    thread.StoreOne();
    EXPECT_EQ(thread.FailedHandOvers(), 0);
    EXPECT_FALSE(thread.IsHandOverPending());
    EXPECT_EQ(archiv.GetQueuedBlockCount(), 0);
    EXPECT_EQ(mhost.Sends(platform::WM_DATA_READY).back().wParam, reinterpret_cast<std::uintptr_t>(entry.get()));
}

TEST_F(IdleTest, TwoProgramsShareNoHandOverCounts)
{
    // Another program in the same process: its own host and counters.
    FakeMereniHost otherHost;
    otherHost.window = FakeMereniHost::Window::Ignore;
    otherHost.waitCapMs = 0;
    auto other = std::make_shared<CLinkEnvironment>();
    other->SetMereniHost(&otherHost);
    {
        auto entry = MakeEntry(CPristroj::kQorin);
        entry->m_intervalZapisovani = 1;
        ScriptedMereni thread(env);
        Activate(thread, *entry);
        mhost.window = FakeMereniHost::Window::Ignore;
        mhost.waitCapMs = 0;
        for (int i = 0; i < 20; ++i)
            thread.StoreOne();
        ASSERT_EQ(thread.FailedHandOvers(), 20);
        ASSERT_EQ(mhost.Boxes().size(), 2U);

        auto strangerEntry = MakeEntry(CPristroj::kQorin, QString(), other);
        strangerEntry->m_intervalZapisovani = 1;
        ScriptedMereni stranger(other);
        Activate(stranger, *strangerEntry);
        EXPECT_EQ(stranger.FailedHandOvers(), 0);
        stranger.StoreOne();
        // Its first failure is its first: no box, and the first program's
        // count goes on where it was.
        EXPECT_EQ(stranger.FailedHandOvers(), 1);
        EXPECT_TRUE(otherHost.Boxes().empty());
        EXPECT_EQ(thread.FailedHandOvers(), 20);
    }
    other->SetMereniHost(nullptr);
}

TEST_F(IdleTest, SettingsArriveAsAHeapCopyThatTheThreadApplies)
{
    struct Case {
        const char* name;
        std::function<void(CPristroj&)> change;
        const char* event; // type-7 text queued (nullptr: none checked)
        platform::MessageId posted; // 0: none checked
        bool ends;
    };
    const Case cases[] = {
        {"overwrite interval", [](CPristroj& e) { e.m_intervalPrepisovani = 7200; },
         mereni_texts::kIntervalChanged, 0, false},
        {"show switched on", [](CPristroj& e) { e.m_zobrazovat = 1; }, nullptr, platform::WM_APP_OPEN_DEVICE_DOC,
         false},
        {"measuring off", [](CPristroj& e) { e.m_merit = 0; }, nullptr, platform::WM_APP_UPDATE_DEVICE_VIEW, true},
        {"archive path", [](CPristroj& e) { e.m_soubor += QStringLiteral("b"); }, mereni_texts::kNewFile, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto entry = MakeEntry(CPristroj::kQorin);
        ScriptedMereni thread(env);
        Activate(thread, *entry);
        auto copy = std::make_unique<CPristroj>(*entry);
        c.change(*copy);
        const CPristroj expected(*copy);
        Event done(false, false);
        const int posts = c.posted ? mhost.CountPosted(c.posted) : 0;
        // The thread owns the copy from here on (a leak shows under the sanitizer).
        thread.OnMessage({platform::WM_DEVICE_SETTINGS, reinterpret_cast<std::uintptr_t>(&done),
                          reinterpret_cast<std::intptr_t>(copy.release())});
        EXPECT_TRUE(done.IsSet());
        EXPECT_EQ(entry->m_intervalPrepisovani, expected.m_intervalPrepisovani);
        EXPECT_EQ(entry->m_zobrazovat, expected.m_zobrazovat);
        EXPECT_EQ(entry->m_merit, expected.m_merit);
        EXPECT_EQ(entry->m_soubor, expected.m_soubor);
        if (c.event) {
            const auto texts = Texts(*entry->GetArchivData(), kRecordState);
            ASSERT_FALSE(texts.empty());
            EXPECT_EQ(texts.back(), QString::fromUtf8(c.event).arg(entry->m_intervalMereni));
        }
        if (c.posted) {
            EXPECT_EQ(mhost.CountPosted(c.posted), posts + 1);
        }
        EXPECT_EQ(thread.StopRequested(), c.ends);
    }
}

TEST_F(IdleTest, FileErrorStopsRecordingAndAsksTheMainThreadForTheBox)
{
    auto entry = MakeEntry(CPristroj::kQorin);
    ScriptedMereni thread(env);
    Activate(thread, *entry);
    Event done(false, false);
    thread.OnMessage({platform::WM_DEVICE_FILE_ERROR, reinterpret_cast<std::uintptr_t>(&done), 0});
    EXPECT_TRUE(done.IsSet());
    EXPECT_EQ(entry->m_zaznamenavat, 0);
    EXPECT_EQ(entry->m_merit, 1);
    const auto boxes = mhost.Boxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(boxes[0].text, QString::fromUtf8(mereni_texts::kFileError).arg(entry->m_nazev));
}

TEST_F(IdleTest, ThreadEndInterruptsALongPause)
{
    auto entry = MakeEntry(CPristroj::kQorin);
    // Every pause would last a minute unless a message cuts it short.
    mhost.realPauseMs = 60000;
    auto thread = std::make_unique<ScriptedMereni>(env);
    ASSERT_TRUE(thread->Start());
    Event done(false, false);
    ASSERT_TRUE(thread->PostThreadMessage(platform::WM_DEVICE_ACTIVATE, reinterpret_cast<std::uintptr_t>(entry.get()),
                                          reinterpret_cast<std::intptr_t>(&done)));
    ASSERT_TRUE(done.Wait(20000));
    ASSERT_TRUE(WaitFor([&] { return !mhost.Pauses().empty(); }));
    ASSERT_TRUE(thread->PostThreadMessage(platform::WM_THREAD_END));
    EXPECT_TRUE(thread->Join(20000));
}

TEST_F(IdleTest, SilentInstrumentIsGivenUpOnlyWhenAskedTo)
{
    for (const bool giveUp : {false, true}) {
        SCOPED_TRACE(giveUp);
        auto entry = MakeEntry(CPristroj::kQorin);
        ScriptedMereni thread(env);
        thread.readsOk = false;
        Event done(false, false);
        // No line: the instrument is silent.
        thread.Activate(entry.get(), &done, TRUE, giveUp);
        EXPECT_TRUE(done.IsSet());
        EXPECT_EQ(entry->m_merit, giveUp ? 0 : 1);
        EXPECT_FALSE(thread.StopRequested());
    }
}

TEST_F(IdleTest, LivePollsStayOnTimeWhileSilentInstrumentsHoldTheLine)
{
    // The live instrument's poll waits for the line behind the requests of
    // silent instruments (each held until its 800 ms answer time runs out)
    // before its own exchange; a look at the clock costs a few ms.
    class LineMereni : public ScriptedMereni {
    public:
        LineMereni(std::shared_ptr<CLinkEnvironment> env, FakeMereniHost& host)
            : ScriptedMereni(std::move(env)), m_host(host)
        {
        }
        std::vector<std::int64_t> starts;

    protected:
        int Poll(BOOL late) override
        {
            if (!late) {
                starts.push_back(m_host.nowMs.load());
                static constexpr int kSilentAhead[] = {1, 0, 2, 1, 1, 0, 2};
                m_host.nowMs += kSilentAhead[starts.size() % std::size(kSilentAhead)] * 800 + 150;
            }
            return ScriptedMereni::Poll(late);
        }

    private:
        FakeMereniHost& m_host;
    };

    auto entry = MakeEntry(CPristroj::kQorin);
    entry->m_intervalMereni = 2;
    entry->m_intervalZapisovani = 1000;
    LineMereni thread(env, mhost);
    Activate(thread, *entry);
    mhost.autoAdvance = true;
    constexpr int kLookMs = 3;
    const std::int64_t begin = mhost.nowMs.load();
    constexpr std::int64_t kSpanMs = 60 * 1000;
    bool polledBefore = true;
    std::vector<std::int64_t> waitedFor; // starts of polls the thread slept towards
    while (mhost.nowMs.load() - begin < kSpanMs) {
        const std::size_t before = thread.starts.size();
        mhost.nowMs += kLookMs;
        thread.OnIdle(0);
        const bool polled = thread.starts.size() > before;
        if (polled && !polledBefore)
            waitedFor.push_back(thread.starts.back());
        polledBefore = polled;
    }

    // One on-time poll per interval and no outage record.
    const auto errors = Texts(*entry->GetArchivData(), kRecordError);
    for (const QString& text : errors)
        EXPECT_EQ(text, QStringLiteral("ok"));
    EXPECT_EQ(std::count(thread.polls.begin(), thread.polls.end(), 1), 0);
    EXPECT_GE(thread.starts.size(), std::size_t(kSpanMs / 2000 - 1));
    // A poll the thread waited for asks for the line as its second begins.
    ASSERT_FALSE(waitedFor.empty());
    for (const std::int64_t start : waitedFor)
        EXPECT_LE(start % 1000, CMereni::kDueMarginMs + kLookMs) << start;
}

// What may sit where the archive should be, on a line whose port is not
// there: the measuring goes on, the user is told once, with the instrument's
// name and the reason, no question waits for an answer, and the thing at the
// path stays as it was.
TEST_F(IdleTest, AnArchiveThatCannotBeRecordedIntoAndAMissingPortAreToldOnce)
{
    NoticeHost notices;
    env->SetArchivHost(&notices);
    linktest::FakePortList ports;
    CLinkManager manager(ports);
    env->SetLinkManager(&manager);
    struct Case {
        const char* what;
        std::function<bool(const QString&)> make;
        std::function<bool(const QFileInfo&)> unchanged;
        const char* reason;
    } const cases[] = {
        {"FIFO", [](const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; },
         [](const QFileInfo& f) { return f.exists() && !f.isFile() && !f.isDir(); }, "ne obyčejný soubor"},
        {"folder", [](const QString& path) { return QDir().mkpath(path); },
         [](const QFileInfo& f) { return f.isDir(); }, "ne obyčejný soubor"},
        {"link to nothing",
         [this](const QString& path) { return QFile::link(dir.filePath(QStringLiteral("nikde.qor")), path); },
         [this](const QFileInfo& f) { return f.isSymLink() && !QFileInfo::exists(dir.filePath(QStringLiteral("nikde.qor"))); },
         "odkaz na neexistující soubor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        notices.notices.clear();
        auto entry = MakeEntry(CPristroj::kQorin, QStringLiteral("ttyNIKDE"));
        entry->m_zaznamenavat = 1;
        const QString path = entry->m_soubor + QStringLiteral(".qor");
        ASSERT_TRUE(c.make(path));
        ScriptedMereni thread(env);
        Activate(thread, *entry);
        Activate(thread, *entry);

        EXPECT_TRUE(entry->m_merit);
        EXPECT_FALSE(entry->m_zaznamenavat);
        EXPECT_EQ(notices.questions.load(), 0);
        const std::vector<QString> told = notices.Notices();
        ASSERT_EQ(told.size(), 2U);
        const QString name = QStringLiteral("Přístroj %1: ").arg(entry->m_nazev);
        EXPECT_TRUE(told[0].startsWith(name + QStringLiteral("port \"ttyNIKDE\" nebyl nalezen"))) << told[0].toStdString();
        EXPECT_TRUE(told[1].startsWith(name + QStringLiteral("do archivu"))) << told[1].toStdString();
        EXPECT_TRUE(told[1].contains(QDir::toNativeSeparators(path))) << told[1].toStdString();
        EXPECT_TRUE(told[1].contains(QString::fromUtf8(c.reason))) << told[1].toStdString();
        EXPECT_TRUE(c.unchanged(QFileInfo(path)));
        EXPECT_EQ(QDir(dir.path()).entryList({entry->m_nazev + QStringLiteral("*")}, QDir::AllEntries | QDir::System).size(), 1)
            << "nothing set aside or created beside it";
    }
    env->SetLinkManager(nullptr);
    env->SetArchivHost(nullptr);
}
